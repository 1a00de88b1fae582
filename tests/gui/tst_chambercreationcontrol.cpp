#include "gui/chambercreationcontrol.h"

#include <QtTest/QtTest>

#include <memory>

using quelta::domain::types::ActivationState;
using quelta::domain::types::ChamberData;
using quelta::domain::types::MacAddress;
using quelta::domain::types::NetworkConfiguration;
using quelta::gui::ChamberCreationControl;
using quelta::gui::ChamberCreationModel;

namespace {

using ModelList = QQmlListProperty<ChamberCreationModel>;

QList<ChamberCreationModel *> modelsOf(ModelList list)
{
    QList<ChamberCreationModel *> models;
    const int count = list.count(&list);
    for (int i = 0; i < count; ++i)
        models.append(list.at(&list, i));
    return models;
}

// How a test names a result: existing chambers by name, serial results by
// port, network results by address and the last group of their MAC address.
QStringList describe(ModelList list)
{
    QStringList names;
    const QList<ChamberCreationModel *> models = modelsOf(list);
    for (const ChamberCreationModel *model : models) {
        if (!model->chamberName().isEmpty())
            names.append(model->chamberName());
        else if (model->isSerial())
            names.append(model->comPort().isEmpty() ? QStringLiteral("no port") : model->comPort());
        else
            names.append(model->ipAddress() + '#' + model->macAddress().right(2));
    }
    return names;
}

NetworkConfiguration answer(const QString &address, int macByte = 1)
{
    return NetworkConfiguration(QHostAddress(address),
                                MacAddress(QByteArray::fromHex("00204a0102") + char(macByte)), 1);
}

ChamberData record(const QString &name, const QString &comPort = {}, const QString &address = {})
{
    ChamberData chamber;
    chamber.setChamberName(name);
    if (!comPort.isEmpty())
        chamber.setComPort(comPort);
    if (!address.isEmpty())
        chamber.setIpAddress(QHostAddress(address));
    return chamber;
}

} // namespace

class tst_ChamberCreationControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void results_areOrderedBySerialThenNetworkKeysNewestFirst();
    void filters_data();
    void filters();
    void addSerialChambers_findsThePortByItsComName_data();
    void addSerialChambers_findsThePortByItsComName();
    void addIpChamber_addsAManualResultAndEndsTheSearch();
    void clearSearchResults_announcesBeforeDeleting();
    void getFirstUncreatedIndex_clearsTheCurrentResultWhenNoneIsLeft();
    void getNextUncheckedIndex_data();
    void getNextUncheckedIndex();
    void checkResults_areStoredOnTheCurrentResult();
    void setChamberCreated_marksTheFirstMatchingSelectedResult();

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

void tst_ChamberCreationControl::cleanup()
{
    m_control.reset();
}

// Three selected network results, named by their address; in list order.
QList<ChamberCreationModel *> tst_ChamberCreationControl::selectThree()
{
    m_control->addNetworkChambers({answer("10.0.0.3"), answer("10.0.0.1"), answer("10.0.0.2")}, false);
    const QList<ChamberCreationModel *> models = modelsOf(m_control->chamberModels());
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
    QVERIFY(modelsOf(m_control->chamberModels()).at(5)->isManuallyConfigured());
}

void tst_ChamberCreationControl::filters_data()
{
    QTest::addColumn<int>("knownFilter");
    QTest::addColumn<int>("interfaceFilter");
    QTest::addColumn<QStringList>("expectedResults");
    QTest::addColumn<QStringList>("expectedSelected");

    const QStringList allSelected{"COM1", "10.0.0.1#01"};
    QTest::newRow("all, all") << 0 << 0
                              << QStringList{"COM1", "10.0.0.1#01", "10.0.0.2#01", "Known COM", "Known IP"}
                              << allSelected;
    QTest::newRow("all, IP") << 0 << 1 << QStringList{"10.0.0.1#01", "10.0.0.2#01", "Known IP"}
                             << QStringList{"10.0.0.1#01"};
    QTest::newRow("all, other interface value") << 0 << 7 << QStringList{"COM1", "Known COM"}
                                                << QStringList{"COM1"};
    QTest::newRow("new, COM") << 1 << 2 << QStringList{"COM1"} << QStringList{"COM1"};
    QTest::newRow("known, all") << 2 << 0 << QStringList{"Known COM", "Known IP"} << allSelected;
    QTest::newRow("other known value") << 3 << 0 << QStringList() << allSelected;
}

void tst_ChamberCreationControl::filters()
{
    QFETCH(int, knownFilter);
    QFETCH(int, interfaceFilter);
    QFETCH(QStringList, expectedResults);
    QFETCH(QStringList, expectedSelected);

    m_control->addSerialChambers("COM1", 1);
    m_control->addNetworkChambers({answer("10.0.0.2"), answer("10.0.0.1")}, false);
    m_control->addKnownChambers({record("Known IP", {}, "10.0.0.3"), record("Known COM", "COM2")});
    for (ChamberCreationModel *model : modelsOf(m_control->chamberModels())) {
        if (model->comPort() == "COM1" || model->ipAddress() == "10.0.0.1")
            model->setSelected(true);
    }
    modelsOf(m_control->chamberModels()).last()->setSelected(true); // known results are never selected ones

    QSignalSpy results(m_control.get(), &ChamberCreationControl::signalChamberModelChanged);
    QSignalSpy counts(m_control.get(), &ChamberCreationControl::signalSelectedCountsChanged);
    QVERIFY(m_control->setProperty("knownFilter", knownFilter));
    QVERIFY(m_control->setProperty("interfaceFilter", interfaceFilter));
    // Only a write that changes a filter announces the lists.
    const int changes = (knownFilter != 0) + (interfaceFilter != 0);
    QCOMPARE(results.count(), changes);
    QCOMPARE(counts.count(), changes);
    QCOMPARE(describe(m_control->chamberModels()), expectedResults);
    QCOMPARE(describe(m_control->selectedChamberModel()), expectedSelected);
    QCOMPARE(m_control->selectedCounts(), expectedSelected.size());

    m_control->clear();
    QCOMPARE(m_control->knownFilter(), ChamberCreationControl::ALL);
    QCOMPARE(m_control->interfaceFilter(), ChamberCreationControl::INTERFACES_ALL);
    QCOMPARE(describe(m_control->chamberModels()), QStringList());
}

void tst_ChamberCreationControl::addSerialChambers_findsThePortByItsComName_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("error");

    const QStringList onboardAndUsb{"ttyS0", "ttyS2", "ttyUSB0"};
    QTest::newRow("on-board port") << onboardAndUsb << "COM3" << 1 << QStringList{"COM3"} << QString();
    QTest::newRow("adapter after the on-board ports")
        << onboardAndUsb << "COM4" << 3 << QStringList{"COM4", "COM4", "COM4"} << QString();
    QTest::newRow("no results") << onboardAndUsb << "COM1" << 0 << QStringList() << QString();
    QTest::newRow("gap in the on-board numbers") << onboardAndUsb << "COM2" << 1 << QStringList() << "'COM2' is not valid";
    QTest::newRow("Linux name") << onboardAndUsb << "ttyUSB0" << 1 << QStringList() << "'ttyUSB0' is not valid";
    QTest::newRow("the names follow the ports of the moment")
        << QStringList{"ttyACM0", "ttyUSB0"} << "COM2" << 1 << QStringList{"COM2"} << QString();
}

void tst_ChamberCreationControl::addSerialChambers_findsThePortByItsComName()
{
    QFETCH(QStringList, ports);
    QFETCH(QString, comPort);
    QFETCH(int, count);
    QFETCH(QStringList, expected);
    QFETCH(QString, error);

    m_control->setPortNamesSource([ports] { return ports; });
    QSignalSpy errors(m_control.get(), &ChamberCreationControl::signalError);
    QSignalSpy changed(m_control.get(), &ChamberCreationControl::signalChamberModelChanged);
    m_control->addSerialChambers(comPort, count);

    QCOMPARE(describe(m_control->chamberModels()), expected);
    QCOMPARE(changed.count(), error.isNull() ? 1 : 0);
    QCOMPARE(errors.count(), error.isNull() ? 0 : 1);
    if (!error.isNull())
        QCOMPARE(errors.at(0).at(0).toString(), error);
}

void tst_ChamberCreationControl::addIpChamber_addsAManualResultAndEndsTheSearch()
{
    QStringList emitted;
    connect(m_control.get(), &ChamberCreationControl::signalChamberModelChanged, this,
            [&emitted] { emitted.append("results"); });
    connect(m_control.get(), &ChamberCreationControl::signalBroadcastFinished, this,
            [&emitted] { emitted.append("finished"); });
    m_control->addSerialChambers("COM1", 1);
    m_control->addIpChamber("192.168.10.20");
    QCOMPARE(emitted, (QStringList{"results", "results", "finished"}));

    // An unparsable address gives a result without one, keyed 0 and so before
    // every serial port; it counts as serial, and without a port its check
    // can find no connection.
    m_control->addIpChamber("...");
    m_control->addIpChamber("300.1.2.3");
    // Regression: zero-padded groups, as the page's three-digit fields
    // invite, were read as octal (010 as 8, 008 as no address at all).
    m_control->addIpChamber("192.168.010.008");
    QCOMPARE(describe(m_control->chamberModels()),
             (QStringList{"no port", "no port", "COM1", "192.168.10.8#", "192.168.10.20#"}));
    const QList<ChamberCreationModel *> models = modelsOf(m_control->chamberModels());
    QVERIFY(models.at(0)->isManuallyConfigured());
    QVERIFY(models.at(4)->isManuallyConfigured());
    QCOMPARE(models.at(4)->chamberData().converter(), -1);
}

void tst_ChamberCreationControl::clearSearchResults_announcesBeforeDeleting()
{
    const QList<ChamberCreationModel *> models = selectThree();
    m_control->addKnownChambers({record("Known", "COM2")});
    QCOMPARE(m_control->getFirstUncreatedIndex(), 0);
    const QPointer<ChamberCreationModel> current = models.first();

    // A page still holds the results when it hears of the empty lists.
    connect(m_control.get(), &ChamberCreationControl::signalChamberModelChanged, this, [&] {
        QVERIFY(current);
        QCOMPARE(modelsOf(m_control->chamberModels()).size(), 0);
    });
    m_control->clearSearchResults();
    QCOMPARE(m_control->selectedCounts(), 0);

    // The former current result is gone: a check result reaches no result.
    m_control->handleCommunicationCheckResult(record("x"), ActivationState::STATE_ACTIVE);
    QCOMPARE(current->activationState(), ActivationState::STATE_UNDEFINED);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(current.isNull());
}

void tst_ChamberCreationControl::getFirstUncreatedIndex_clearsTheCurrentResultWhenNoneIsLeft()
{
    const QList<ChamberCreationModel *> models = selectThree();
    QCOMPARE(m_control->getFirstUncreatedIndex(0), 1);
    QCOMPARE(m_control->getFirstUncreatedIndex(), 0);

    models.at(0)->setCreationState(ChamberCreationModel::CREATED);
    models.at(1)->setCreationState(ChamberCreationModel::CREATED);
    QCOMPARE(m_control->getFirstUncreatedIndex(), 2);
    QCOMPARE(m_control->getFirstUncreatedIndex(2), -1);

    // No current result: a check result only announces the record's name.
    QSignalSpy checked(m_control.get(), &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    QSignalSpy failed(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckFailed);
    m_control->handleCommunicationCheckResult(record("gone"), ActivationState::STATE_INACTIVE);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("gone"));
    QCOMPARE(checked.count(), 0);
    for (const ChamberCreationModel *model : models)
        QCOMPARE(model->activationState(), ActivationState::STATE_UNDEFINED);
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
    QTest::newRow("skips the current one") << QList<int>{I, U, I} << 0 << 1 << 1 << 0;
    QTest::newRow("all checked") << QList<int>{I, I, I} << 2 << 1 << 1 << 2;
    QTest::newRow("all checked, no index") << QList<int>{I, I, I} << 2 << -2 << -1 << 2;
    QTest::newRow("no index starts at the start") << QList<int>{U, U, U} << 2 << -2 << 0 << 0;
    QTest::newRow("an index beyond the list") << QList<int>{I, U, I} << 0 << 5 << 1 << 1;
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
    m_control->handleCommunicationCheckResult(record("x"), ActivationState::STATE_CONNECTION_ERROR);
    QCOMPARE(models.at(expectedCurrent)->activationState(), ActivationState::STATE_CONNECTION_ERROR);
}

void tst_ChamberCreationControl::checkResults_areStoredOnTheCurrentResult()
{
    const QList<ChamberCreationModel *> models = selectThree();
    m_control->setCurrentSelectedModel(1);

    QSignalSpy resultState(models.at(1), &ChamberCreationModel::signalActivationStateChanged);
    QSignalSpy checked(m_control.get(), &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    QSignalSpy succeeded(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckSuccessful);
    QSignalSpy failed(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckFailed);

    // A refused check: the state goes to the current result, the name comes
    // from the record, even when the record is another result's.
    m_control->handleCommunicationCheckResult(models.at(0)->chamberData(), ActivationState::STATE_INACTIVE);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_INACTIVE);
    QCOMPARE(models.at(0)->activationState(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(m_control->selectedCheckedCounts(), 1);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("10.0.0.1"));

    // A stopped check, or a type missing from the catalogue.
    m_control->handleCommunicationCheckResult(models.at(1)->chamberData(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(m_control->selectedCheckedCounts(), 0);
    QCOMPARE(failed.count(), 2);

    m_control->handleCommunicationCheckResult(models.at(1)->chamberData(), ActivationState::STATE_ACTIVE);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_ACTIVE);
    QCOMPARE(succeeded.count(), 1);
    QCOMPARE(succeeded.at(0).at(0).toString(), QString("10.0.0.2"));
    QCOMPARE(failed.count(), 2);
    QCOMPARE(resultState.count(), 3);
    QCOMPARE(checked.count(), 3);
}

void tst_ChamberCreationControl::setChamberCreated_marksTheFirstMatchingSelectedResult()
{
    m_control->addSerialChambers("COM1", 3);
    const QList<ChamberCreationModel *> models = modelsOf(m_control->chamberModels());
    QSignalSpy selected(m_control.get(), &ChamberCreationControl::signalSelectedCountsChanged);
    QSignalSpy createdCounts(m_control.get(), &ChamberCreationControl::signalSelectedCreatedCountsChanged);
    models.at(1)->setSelected(true);
    models.at(2)->setSelected(true);
    models.at(0)->setModbusAddress(3);
    models.at(2)->setModbusAddress(3);
    QCOMPARE(selected.count(), 2);

    ChamberData created = record({}, "COM1");
    created.setModbusAddress(3);
    m_control->setChamberCreated(created, true);
    QCOMPARE(models.at(2)->creationState(), ChamberCreationModel::CREATED);
    // A created result is not matched again, and an unselected one never.
    m_control->setChamberCreated(created, true);
    QCOMPARE(models.at(0)->creationState(), ChamberCreationModel::NOT_CREATED);
    QCOMPARE(models.at(1)->creationState(), ChamberCreationModel::NOT_CREATED);
    QCOMPARE(createdCounts.count(), 1);
    QCOMPARE(m_control->selectedCreatedCounts(), 1);
    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_IP);
    QCOMPARE(m_control->selectedCreatedCounts(), 0);
}

QTEST_GUILESS_MAIN(tst_ChamberCreationControl)
#include "tst_chambercreationcontrol.moc"
