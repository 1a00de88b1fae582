#include "gui/chambercreationcontrol.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

#include <memory>

using namespace quelta::domain::types;
using namespace quelta::gui;

namespace {

using ModelList = QQmlListProperty<ChamberCreationModel>;

// How a test names a result: serial results by port, network results by
// address and the last group of their MAC address.
QStringList describe(ModelList list)
{
    QStringList names;
    for (const ChamberCreationModel *model : elementsOf(list))
        names.append(model->isSerial() ? model->comPort() : model->ipAddress() + '#' + model->macAddress().right(2));
    return names;
}

NetworkConfiguration answer(const QString &address, int macByte = 1)
{
    return NetworkConfiguration(QHostAddress(address),
                                MacAddress(QByteArray::fromHex("00204a0102") + char(macByte)), 1);
}

} // namespace

class tst_ChamberCreationControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void results_areOrderedBySerialThenNetworkKeysNewestFirst();
    void filters_data();
    void filters();
    void addSerialChambers_findsThePortByItsComName_data();
    void addSerialChambers_findsThePortByItsComName();
    void addIpChamber_readsFourDecimalGroups_data();
    void addIpChamber_readsFourDecimalGroups();
    void clear_announcesEmptyListsBeforeDeletingAndResetsFilters();
    void getNextUncheckedIndex_data();
    void getNextUncheckedIndex();
    void checkResults_areStoredOnTheCurrentResult();

private:
    QList<ChamberCreationModel *> selectThree();

    std::unique_ptr<ChamberCreationControl> m_control;
};

void tst_ChamberCreationControl::init()
{
    m_control = std::make_unique<ChamberCreationControl>();
    // COM1, COM3 and the USB adapter after the highest on-board port, COM4.
    m_control->setPortNamesSource([] { return QStringList{"ttyS0", "ttyS2", "ttyUSB0"}; });
}

// Three selected network results, named by their address; in list order.
QList<ChamberCreationModel *> tst_ChamberCreationControl::selectThree()
{
    m_control->addNetworkChambers({answer("10.0.0.3"), answer("10.0.0.1"), answer("10.0.0.2")}, false);
    const QList<ChamberCreationModel *> models = elementsOf(m_control->chamberModels());
    for (ChamberCreationModel *model : models) {
        model->setSelected(true);
        model->setChamberName(model->ipAddress());
    }
    return models;
}

void tst_ChamberCreationControl::results_areOrderedBySerialThenNetworkKeysNewestFirst()
{
    m_control->addSerialChambers("COM4", 1);
    m_control->addSerialChambers("COM1", 1);
    // 10.0.0.9 comes before 10.0.0.10 by number, not by text.
    m_control->addNetworkChambers(
        {answer("10.0.0.10"), answer("10.0.0.9"), answer("192.168.0.1"), answer("10.0.0.9", 2)}, false);
    m_control->addIpChamber("10.0.0.10");
    m_control->addSerialChambers("COM3", 1);

    QCOMPARE(describe(m_control->chamberModels()),
             (QStringList{"COM1", "COM3", "COM4", "10.0.0.9#02", "10.0.0.9#01", "10.0.0.10#", "10.0.0.10#01",
                          "192.168.0.1#01"}));
}

void tst_ChamberCreationControl::filters_data()
{
    QTest::addColumn<int>("knownFilter");
    QTest::addColumn<int>("interfaceFilter");
    QTest::addColumn<QStringList>("expectedResults");
    QTest::addColumn<QStringList>("expectedSelected");

    QTest::newRow("all, all") << 0 << 0 << QStringList{"COM1", "10.0.0.1#01", "10.0.0.2#01", "COM2", "10.0.0.3#"}
                              << QStringList{"COM1", "10.0.0.1#01"};
    QTest::newRow("all, IP") << 0 << 1 << QStringList{"10.0.0.1#01", "10.0.0.2#01", "10.0.0.3#"}
                             << QStringList{"10.0.0.1#01"};
    QTest::newRow("new, COM") << 1 << 2 << QStringList{"COM1"} << QStringList{"COM1"};
    QTest::newRow("known, all") << 2 << 0 << QStringList{"COM2", "10.0.0.3#"} << QStringList{"COM1", "10.0.0.1#01"};
}

void tst_ChamberCreationControl::filters()
{
    QFETCH(int, knownFilter);
    QFETCH(int, interfaceFilter);
    QFETCH(QStringList, expectedResults);
    QFETCH(QStringList, expectedSelected);

    m_control->addSerialChambers("COM1", 1);
    m_control->addNetworkChambers({answer("10.0.0.2"), answer("10.0.0.1")}, false);
    ChamberData knownIp;
    knownIp.setIpAddress(QHostAddress("10.0.0.3"));
    ChamberData knownCom;
    knownCom.setComPort("COM2");
    m_control->addKnownChambers({knownIp, knownCom});
    // The known COM2 is selected too, but known results never count as selected ones.
    for (ChamberCreationModel *model : elementsOf(m_control->chamberModels()))
        model->setSelected(model->isSerial() || model->ipAddress() == "10.0.0.1");

    // Only a write that changes a filter announces the lists.
    QSignalSpy results(m_control.get(), &ChamberCreationControl::signalChamberModelChanged);
    QVERIFY(m_control->setProperty("knownFilter", knownFilter));
    QVERIFY(m_control->setProperty("interfaceFilter", interfaceFilter));
    QCOMPARE(results.count(), (knownFilter != 0) + (interfaceFilter != 0));
    QCOMPARE(describe(m_control->chamberModels()), expectedResults);
    QCOMPARE(describe(m_control->selectedChamberModel()), expectedSelected);
}

void tst_ChamberCreationControl::addSerialChambers_findsThePortByItsComName_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QStringList>("expected"); // empty: refused with "'<comPort>' is not valid"

    // How ports get their COM names is SerialPortNaming's; here only that the
    // control asks for the PC's ports of the moment.
    QTest::newRow("gap in the on-board numbers") << QStringList{"ttyS0", "ttyS2", "ttyUSB0"} << "COM2" << QStringList();
    QTest::newRow("the names follow the ports of the moment")
        << QStringList{"ttyACM0", "ttyUSB0"} << "COM2" << QStringList{"COM2", "COM2"};
}

void tst_ChamberCreationControl::addSerialChambers_findsThePortByItsComName()
{
    QFETCH(QStringList, ports);
    QFETCH(QString, comPort);
    QFETCH(QStringList, expected);

    m_control->setPortNamesSource([ports] { return ports; });
    QSignalSpy errors(m_control.get(), &ChamberCreationControl::signalError);
    m_control->addSerialChambers(comPort, 2);

    QCOMPARE(describe(m_control->chamberModels()), expected);
    QCOMPARE(errors.count(), expected.isEmpty() ? 1 : 0);
    if (expected.isEmpty())
        QCOMPARE(errors.at(0).at(0).toString(), "'" + comPort + "' is not valid");
}

void tst_ChamberCreationControl::addIpChamber_readsFourDecimalGroups_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: a result without an address

    QTest::newRow("plain") << "192.168.10.20" << "192.168.10.20";
    // Regression: zero-padded groups, as the page's three-digit fields
    // invite, were read as octal (010 as 8, 008 as no address at all), and
    // so were they after a blank or before a line break.
    QTest::newRow("zero-padded groups") << "192.168.010.008" << "192.168.10.8";
    QTest::newRow("white space around") << " 192.168.1.010\n" << "192.168.1.10";
    QTest::newRow("group above 255") << "300.1.2.3" << "";
    QTest::newRow("three groups") << "1.2.3" << "";
    QTest::newRow("one number") << "07" << "";
    QTest::newRow("IPv6") << "::1" << "";
    QTest::newRow("blank inside") << "192.168. 1.1" << "";
}

void tst_ChamberCreationControl::addIpChamber_readsFourDecimalGroups()
{
    QFETCH(QString, text);
    QFETCH(QString, address);

    m_control->addSerialChambers("COM1", 1);
    QSignalSpy finished(m_control.get(), &ChamberCreationControl::signalBroadcastFinished);
    m_control->addIpChamber(text);
    QCOMPARE(finished.count(), 1);

    // A result without an address is keyed 0 and so comes before every
    // serial port; it counts as serial, and without a port its check can
    // find no connection.
    QCOMPARE(describe(m_control->chamberModels()),
             (address.isEmpty() ? QStringList{"", "COM1"} : QStringList{"COM1", address + '#'}));
    QVERIFY(elementsOf(m_control->chamberModels()).at(address.isEmpty() ? 0 : 1)->isManuallyConfigured());
}

void tst_ChamberCreationControl::clear_announcesEmptyListsBeforeDeletingAndResetsFilters()
{
    const QList<ChamberCreationModel *> models = selectThree();
    models.at(0)->setCreationState(ChamberCreationModel::CREATED);
    models.at(1)->setActivationState(ActivationState::STATE_ACTIVE);
    m_control->setCurrentSelectedModel(2);
    m_control->setKnownFilter(ChamberCreationControl::ONLY_NEW);
    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_IP);
    const QList<QPointer<ChamberCreationModel>> results(models.cbegin(), models.cend());
    const auto alive = [&results] { return results.size() - results.count(nullptr); };

    // The pages see the empty lists while every result still exists, and a
    // check result that arrives meanwhile still reaches the current result.
    // Each filter that clear() resets announces the lists once more.
    QStringList announced;
    connect(m_control.get(), &ChamberCreationControl::signalChamberModelChanged, this, [&] {
        m_control->handleCommunicationCheckResult(ChamberData(), ActivationState::STATE_CONNECTION_ERROR);
        announced << QString("%1 results, counts %2 %3 %4, %5 alive")
                         .arg(elementsOf(m_control->chamberModels()).size())
                         .arg(m_control->selectedCounts())
                         .arg(m_control->selectedCreatedCounts())
                         .arg(m_control->selectedCheckedCounts())
                         .arg(alive());
    });
    QSignalSpy selectedCounts(m_control.get(), &ChamberCreationControl::signalSelectedCountsChanged);
    m_control->clear();

    const QString emptyLists("0 results, counts 0 0 0, 3 alive");
    QCOMPARE(announced, (QStringList{emptyLists, emptyLists, emptyLists}));
    QCOMPARE(selectedCounts.count(), 3);
    QCOMPARE(results.at(2)->activationState(), ActivationState::STATE_CONNECTION_ERROR);
    QCOMPARE(int(m_control->knownFilter()), 0);
    QCOMPARE(int(m_control->interfaceFilter()), 0);
    QTRY_COMPARE(alive(), 0);
}

void tst_ChamberCreationControl::getNextUncheckedIndex_data()
{
    QTest::addColumn<QList<int>>("states");
    QTest::addColumn<int>("initialCurrent");
    QTest::addColumn<int>("currentIndex"); // -2: the overload without argument
    QTest::addColumn<int>("expectedIndex");
    QTest::addColumn<int>("expectedCurrent");

    const int U = ActivationState::STATE_UNDEFINED;
    const int I = ActivationState::STATE_INACTIVE;
    QTest::newRow("wraps around to the start") << QList<int>{U, I, I} << 1 << 1 << 0 << 0;
    QTest::newRow("looks after the current one first") << QList<int>{U, I, U} << 1 << 1 << 2 << 2;
    QTest::newRow("all checked, no index") << QList<int>{I, I, I} << 2 << -2 << -1 << 2;
}

void tst_ChamberCreationControl::getNextUncheckedIndex()
{
    QFETCH(QList<int>, states);
    QFETCH(int, initialCurrent);
    QFETCH(int, currentIndex);
    QFETCH(int, expectedIndex);
    QFETCH(int, expectedCurrent);

    const QList<ChamberCreationModel *> models = selectThree();
    for (int i = 0; i < models.size(); ++i)
        models.at(i)->setActivationState(static_cast<ActivationState::State>(states.at(i)));
    m_control->setCurrentSelectedModel(initialCurrent);

    const int index = currentIndex == -2 ? m_control->getNextUncheckedIndex()
                                         : m_control->getNextUncheckedIndex(currentIndex);
    QCOMPARE(index, expectedIndex);

    // Mark the current result to see which one it is.
    m_control->handleCommunicationCheckResult(ChamberData(), ActivationState::STATE_CONNECTION_ERROR);
    QCOMPARE(models.at(expectedCurrent)->activationState(), ActivationState::STATE_CONNECTION_ERROR);
}

void tst_ChamberCreationControl::checkResults_areStoredOnTheCurrentResult()
{
    const QList<ChamberCreationModel *> models = selectThree();
    m_control->setCurrentSelectedModel(1);

    QSignalSpy checked(m_control.get(), &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    QSignalSpy succeeded(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckSuccessful);
    QSignalSpy failed(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckFailed);

    // A refused check: the state goes to the current result, the name comes
    // from the record, even when the record is another result's.
    m_control->handleCommunicationCheckResult(models.at(0)->chamberData(), ActivationState::STATE_INACTIVE);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_INACTIVE);
    QCOMPARE(m_control->selectedCheckedCounts(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("10.0.0.1"));

    // A stopped check, or a type missing from the catalogue.
    m_control->handleCommunicationCheckResult(models.at(1)->chamberData(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(m_control->selectedCheckedCounts(), 0);

    m_control->handleCommunicationCheckResult(models.at(1)->chamberData(), ActivationState::STATE_ACTIVE);
    QCOMPARE(succeeded.at(0).at(0).toString(), QString("10.0.0.2"));
    QCOMPARE(failed.count(), 2);
    QCOMPARE(checked.count(), 3);
}

QTEST_GUILESS_MAIN(tst_ChamberCreationControl)
#include "tst_chambercreationcontrol.moc"
