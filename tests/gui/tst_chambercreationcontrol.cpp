#include "gui/chambercreationcontrol.h"

#include <QtQml/QQmlContext>
#include <QtQml/QQmlEngine>
#include <QtQml/QQmlExpression>
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
QString describe(const ChamberCreationModel *model)
{
    if (!model->chamberName().isEmpty())
        return model->chamberName();
    if (model->isSerial())
        return model->comPort().isEmpty() ? QStringLiteral("no port") : model->comPort();
    return model->ipAddress() + '#' + model->macAddress().right(2);
}

QStringList describe(ModelList list)
{
    QStringList names;
    const QList<ChamberCreationModel *> models = modelsOf(list);
    for (const ChamberCreationModel *model : models)
        names.append(describe(model));
    return names;
}

NetworkConfiguration answer(const QString &address, int macByte = 1)
{
    return NetworkConfiguration(QHostAddress(address),
                                MacAddress(QByteArray::fromHex("00204a0102") + char(macByte)), 1);
}

ChamberData knownChamber(const QString &name, const QString &comPort, const QString &address)
{
    ChamberData chamber;
    chamber.setId(1);
    chamber.setChamberName(name);
    if (!comPort.isEmpty())
        chamber.setComPort(comPort);
    if (!address.isEmpty())
        chamber.setIpAddress(QHostAddress(address));
    return chamber;
}

ChamberData namedRecord(const QString &name)
{
    ChamberData record;
    record.setChamberName(name);
    return record;
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
    void filterWrites_announceTheListsOnlyOnChange();
    void selectionAndStates_reachTheCounters();
    void addSerialChambers_findsThePortByItsComName();
    void addSerialChambers_addsCountEqualResults();
    void networkResults_announceTheEndOfTheSearch();
    void addIpChamber_acceptsAnUnparsableAddressAsAResultWithoutOne();
    void clearSearchResults_announcesBeforeDeleting();
    void clear_resetsTheFilters();
    void getFirstUncreatedIndex();
    void getNextUncheckedIndex_data();
    void getNextUncheckedIndex();
    void checkResults_areStoredOnTheCurrentResult();
    void checkResults_withoutACurrentResultOnlyAnnounceTheName();
    void setChamberCreated_marksTheFirstMatchingSelectedResult();
    void listProperties_reachQml();

private:
    QList<ChamberCreationModel *> selectThree();

    std::unique_ptr<ChamberCreationControl> m_control;
};

void tst_ChamberCreationControl::init()
{
    m_control = std::make_unique<ChamberCreationControl>();
    m_control->setPortNamesSource([] { return QStringList{"ttyS0", "ttyS2", "ttyUSB0"}; });
}

void tst_ChamberCreationControl::cleanup()
{
    m_control.reset();
}

// Three selected network results; returns them in list order.
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
    m_control->addNetworkChambers({answer("10.0.0.10", 1), answer("10.0.0.9", 1), answer("192.168.0.1", 1),
                                   answer("10.0.0.9", 2)},
                                  false);
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
    QTest::newRow("all, COM") << 0 << 2 << QStringList{"COM1", "Known COM"} << QStringList{"COM1"};
    QTest::newRow("all, other interface value") << 0 << 7 << QStringList{"COM1", "Known COM"}
                                                << QStringList{"COM1"};
    QTest::newRow("new, all") << 1 << 0 << QStringList{"COM1", "10.0.0.1#01", "10.0.0.2#01"} << allSelected;
    QTest::newRow("new, COM") << 1 << 2 << QStringList{"COM1"} << QStringList{"COM1"};
    QTest::newRow("known, all") << 2 << 0 << QStringList{"Known COM", "Known IP"} << allSelected;
    QTest::newRow("known, IP") << 2 << 1 << QStringList{"Known IP"} << QStringList{"10.0.0.1#01"};
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
    m_control->addKnownChambers(
        {knownChamber("Known IP", {}, "10.0.0.3"), knownChamber("Known COM", "COM2", {})});
    for (ChamberCreationModel *model : modelsOf(m_control->chamberModels())) {
        if (model->comPort() == "COM1" || model->ipAddress() == "10.0.0.1")
            model->setSelected(true);
    }
    modelsOf(m_control->chamberModels()).last()->setSelected(true); // known results are never selected ones

    QVERIFY(m_control->setProperty("knownFilter", knownFilter));
    QVERIFY(m_control->setProperty("interfaceFilter", interfaceFilter));
    QCOMPARE(describe(m_control->chamberModels()), expectedResults);
    QCOMPARE(describe(m_control->selectedChamberModel()), expectedSelected);
    QCOMPARE(m_control->selectedCounts(), expectedSelected.size());
}

void tst_ChamberCreationControl::filterWrites_announceTheListsOnlyOnChange()
{
    QSignalSpy interface(m_control.get(), &ChamberCreationControl::signalInterfaceFilterChanged);
    QSignalSpy known(m_control.get(), &ChamberCreationControl::signalKnownFilterChanged);
    QSignalSpy results(m_control.get(), &ChamberCreationControl::signalChamberModelChanged);
    QSignalSpy counts(m_control.get(), &ChamberCreationControl::signalSelectedCountsChanged);

    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_IP);
    QCOMPARE(interface.count(), 1);
    QCOMPARE(results.count(), 1);
    QCOMPARE(counts.count(), 1);

    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_IP);
    m_control->setKnownFilter(ChamberCreationControl::ALL);
    QCOMPARE(interface.count(), 1);
    QCOMPARE(known.count(), 0);
    QCOMPARE(results.count(), 1);

    QVERIFY(m_control->setProperty("knownFilter", ChamberCreationControl::ONLY_KNOWN));
    QCOMPARE(known.count(), 1);
    QCOMPARE(results.count(), 2);
    QCOMPARE(counts.count(), 2);
    QCOMPARE(m_control->interfaceFilter(), ChamberCreationControl::INTERFACES_IP);
    QCOMPARE(m_control->knownFilter(), ChamberCreationControl::ONLY_KNOWN);
}

void tst_ChamberCreationControl::selectionAndStates_reachTheCounters()
{
    QSignalSpy counts(m_control.get(), &ChamberCreationControl::signalSelectedCountsChanged);
    QSignalSpy created(m_control.get(), &ChamberCreationControl::signalSelectedCreatedCountsChanged);
    QSignalSpy checked(m_control.get(), &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    m_control->addNetworkChambers({answer("10.0.0.1"), answer("10.0.0.2"), answer("10.0.0.3")}, false);
    const QList<ChamberCreationModel *> models = modelsOf(m_control->chamberModels());

    models.at(0)->setSelected(true);
    models.at(2)->setSelected(true);
    QCOMPARE(counts.count(), 3);
    QCOMPARE(m_control->selectedCounts(), 2);

    models.at(2)->setCreationState(ChamberCreationModel::CREATED);
    models.at(1)->setCreationState(ChamberCreationModel::CREATED); // not selected
    QCOMPARE(created.count(), 2);
    QCOMPARE(m_control->selectedCreatedCounts(), 1);

    models.at(0)->setActivationState(ActivationState::STATE_INACTIVE);
    QCOMPARE(checked.count(), 1);
    QCOMPARE(m_control->selectedCheckedCounts(), 1);

    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_COM);
    QCOMPARE(m_control->selectedCounts(), 0);
    QCOMPARE(m_control->selectedCreatedCounts(), 0);
    QCOMPARE(m_control->selectedCheckedCounts(), 0);
}

void tst_ChamberCreationControl::addSerialChambers_findsThePortByItsComName()
{
    // The fake PC has ttyS0 (COM1), ttyS2 (COM3) and one USB adapter, which
    // follows the highest on-board port as COM4.
    QSignalSpy errors(m_control.get(), &ChamberCreationControl::signalError);
    QSignalSpy changed(m_control.get(), &ChamberCreationControl::signalChamberModelChanged);
    m_control->addSerialChambers("COM1", 1);
    m_control->addSerialChambers("COM3", 1);
    m_control->addSerialChambers("COM4", 1);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(changed.count(), 3);

    m_control->addSerialChambers("COM2", 1);
    m_control->addSerialChambers("ttyUSB0", 1);
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errors.at(0).at(0).toString(), QString("'COM2' is not valid"));
    QCOMPARE(errors.at(1).at(0).toString(), QString("'ttyUSB0' is not valid"));
    QCOMPARE(changed.count(), 3);
    QCOMPARE(describe(m_control->chamberModels()), (QStringList{"COM1", "COM3", "COM4"}));

    // The names follow the ports that the PC has at the time.
    m_control->setPortNamesSource([] { return QStringList{"ttyACM0", "ttyUSB0"}; });
    m_control->addSerialChambers("COM2", 1);
    QCOMPARE(errors.count(), 2);
}

void tst_ChamberCreationControl::addSerialChambers_addsCountEqualResults()
{
    QSignalSpy changed(m_control.get(), &ChamberCreationControl::signalChamberModelChanged);
    m_control->addSerialChambers("COM4", 3);
    QCOMPARE(changed.count(), 1);
    const QList<ChamberCreationModel *> models = modelsOf(m_control->chamberModels());
    QCOMPARE(models.size(), 3);
    for (const ChamberCreationModel *model : models)
        QCOMPARE(model->chamberData(), models.first()->chamberData());

    m_control->addSerialChambers("COM4", 0);
    m_control->addSerialChambers("COM4", -2);
    QCOMPARE(changed.count(), 3);
    QCOMPARE(modelsOf(m_control->chamberModels()).size(), 3);
}

void tst_ChamberCreationControl::networkResults_announceTheEndOfTheSearch()
{
    QStringList emitted;
    connect(m_control.get(), &ChamberCreationControl::signalChamberModelChanged, this,
            [&emitted] { emitted.append("results"); });
    connect(m_control.get(), &ChamberCreationControl::signalBroadcastFinished, this,
            [&emitted] { emitted.append("finished"); });

    m_control->addNetworkChambers({}, false);
    QCOMPARE(emitted, (QStringList{"results", "finished"}));

    m_control->addIpChamber("192.168.10.20");
    QCOMPARE(emitted, (QStringList{"results", "finished", "results", "finished"}));
    const ChamberCreationModel *entered = modelsOf(m_control->chamberModels()).first();
    QCOMPARE(entered->ipAddress(), QString("192.168.10.20"));
    QVERIFY(entered->isManuallyConfigured());
    QCOMPARE(entered->chamberData().converter(), -1);
}

void tst_ChamberCreationControl::addIpChamber_acceptsAnUnparsableAddressAsAResultWithoutOne()
{
    m_control->addSerialChambers("COM1", 1);
    m_control->addIpChamber("...");
    m_control->addIpChamber("300.1.2.3");

    // Keyed 0, so before every serial port; without an address they count as
    // serial, and without a port their check can find no connection.
    QCOMPARE(describe(m_control->chamberModels()), (QStringList{"no port", "no port", "COM1"}));
    const ChamberCreationModel *unparsable = modelsOf(m_control->chamberModels()).first();
    QVERIFY(unparsable->isManuallyConfigured());
    QVERIFY(unparsable->comPort().isNull());
    QVERIFY(unparsable->chamberData().ipAddress().isNull());
    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_COM);
    QCOMPARE(modelsOf(m_control->chamberModels()).size(), 3);
}

void tst_ChamberCreationControl::clearSearchResults_announcesBeforeDeleting()
{
    m_control->addSerialChambers("COM1", 2);
    m_control->addNetworkChambers({answer("10.0.0.1")}, false);
    m_control->addKnownChambers({knownChamber("Known", "COM2", {})});
    QList<QPointer<ChamberCreationModel>> results;
    for (ChamberCreationModel *model : modelsOf(m_control->chamberModels())) {
        model->setSelected(true);
        results.append(model);
    }
    QCOMPARE(results.size(), 4);
    QCOMPARE(m_control->getFirstUncreatedIndex(), 0);

    int aliveWhenAnnounced = -1;
    int listedWhenAnnounced = -1;
    connect(m_control.get(), &ChamberCreationControl::signalChamberModelChanged, this, [&] {
        aliveWhenAnnounced = int(std::count_if(results.cbegin(), results.cend(),
                                               [](const QPointer<ChamberCreationModel> &p) { return !p.isNull(); }));
        listedWhenAnnounced = modelsOf(m_control->chamberModels()).size();
    });
    QSignalSpy counts(m_control.get(), &ChamberCreationControl::signalSelectedCountsChanged);

    m_control->clearSearchResults();
    QCOMPARE(aliveWhenAnnounced, 4);
    QCOMPARE(listedWhenAnnounced, 0);
    QCOMPARE(counts.count(), 1);
    QCOMPARE(m_control->selectedCounts(), 0);
    QCOMPARE(m_control->selectedCreatedCounts(), 0);
    QCOMPARE(m_control->selectedCheckedCounts(), 0);
    QCOMPARE(modelsOf(m_control->selectedChamberModel()).size(), 0);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const QPointer<ChamberCreationModel> &result : qAsConst(results))
        QVERIFY(result.isNull());
}

void tst_ChamberCreationControl::clear_resetsTheFilters()
{
    m_control->addNetworkChambers({answer("10.0.0.1")}, false);
    m_control->setInterfaceFilter(ChamberCreationControl::INTERFACES_IP);
    m_control->setKnownFilter(ChamberCreationControl::ONLY_NEW);
    QSignalSpy interface(m_control.get(), &ChamberCreationControl::signalInterfaceFilterChanged);
    QSignalSpy known(m_control.get(), &ChamberCreationControl::signalKnownFilterChanged);

    m_control->clear();
    QCOMPARE(interface.count(), 1);
    QCOMPARE(known.count(), 1);
    QCOMPARE(m_control->interfaceFilter(), ChamberCreationControl::INTERFACES_ALL);
    QCOMPARE(m_control->knownFilter(), ChamberCreationControl::ALL);
    QCOMPARE(modelsOf(m_control->chamberModels()).size(), 0);

    m_control->clear();
    QCOMPARE(interface.count(), 1);
    QCOMPARE(known.count(), 1);
}

void tst_ChamberCreationControl::getFirstUncreatedIndex()
{
    const QList<ChamberCreationModel *> models = selectThree();
    QCOMPARE(m_control->getFirstUncreatedIndex(0), 1);
    QCOMPARE(m_control->getFirstUncreatedIndex(), 0);
    QCOMPARE(m_control->getFirstUncreatedIndex(1), 0);

    models.at(0)->setCreationState(ChamberCreationModel::CREATED);
    models.at(1)->setCreationState(ChamberCreationModel::CREATED);
    QCOMPARE(m_control->getFirstUncreatedIndex(), 2);

    // None left: no current result, so a check result reaches no result.
    QCOMPARE(m_control->getFirstUncreatedIndex(2), -1);
    m_control->handleCommunicationCheckResult(namedRecord("x"), ActivationState::STATE_ACTIVE);
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
    QTest::newRow("from the last one") << QList<int>{I, U, U} << 0 << 2 << 1 << 1;
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
    m_control->handleCommunicationCheckResult(namedRecord("x"), ActivationState::STATE_CONNECTION_ERROR);
    QCOMPARE(models.at(expectedCurrent)->activationState(), ActivationState::STATE_CONNECTION_ERROR);
}

void tst_ChamberCreationControl::checkResults_areStoredOnTheCurrentResult()
{
    const QList<ChamberCreationModel *> models = selectThree();
    m_control->setCurrentSelectedModel(1);

    QSignalSpy resultState(models.at(1), &ChamberCreationModel::signalActivationStateChanged);
    QSignalSpy otherState(models.at(0), &ChamberCreationModel::signalActivationStateChanged);
    QSignalSpy checked(m_control.get(), &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    QSignalSpy succeeded(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckSuccessful);
    QSignalSpy failed(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckFailed);

    // A refused check: the state goes to the current result, the name comes
    // from the record, even when the record is another result's.
    m_control->handleCommunicationCheckResult(models.at(0)->chamberData(), ActivationState::STATE_INACTIVE);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_INACTIVE);
    QCOMPARE(models.at(0)->activationState(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(resultState.count(), 1);
    QCOMPARE(otherState.count(), 0);
    QCOMPARE(checked.count(), 1);
    QCOMPARE(m_control->selectedCheckedCounts(), 1);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("10.0.0.1"));
    QCOMPARE(succeeded.count(), 0);

    // A stopped check, or a type missing from the catalogue.
    m_control->handleCommunicationCheckResult(models.at(1)->chamberData(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_UNDEFINED);
    QCOMPARE(resultState.count(), 2);
    QCOMPARE(m_control->selectedCheckedCounts(), 0);
    QCOMPARE(failed.count(), 2);
    QCOMPARE(failed.at(1).at(0).toString(), QString("10.0.0.2"));

    m_control->handleCommunicationCheckResult(models.at(1)->chamberData(), ActivationState::STATE_ACTIVE);
    QCOMPARE(models.at(1)->activationState(), ActivationState::STATE_ACTIVE);
    QCOMPARE(succeeded.count(), 1);
    QCOMPARE(succeeded.at(0).at(0).toString(), QString("10.0.0.2"));
    QCOMPARE(failed.count(), 2);
    QCOMPARE(m_control->selectedCheckedCounts(), 1);
}

void tst_ChamberCreationControl::checkResults_withoutACurrentResultOnlyAnnounceTheName()
{
    const QList<ChamberCreationModel *> models = selectThree();
    m_control->setCurrentSelectedModel(1);
    m_control->setCurrentSelectedModel(3);
    QSignalSpy checked(m_control.get(), &ChamberCreationControl::signalSelectedCheckedCountsChanged);
    QSignalSpy failed(m_control.get(), &ChamberCreationControl::chamberCommunicationCheckFailed);

    m_control->handleCommunicationCheckResult(namedRecord("gone"), ActivationState::STATE_INACTIVE);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.at(0).at(0).toString(), QString("gone"));
    QCOMPARE(checked.count(), 0);
}

void tst_ChamberCreationControl::setChamberCreated_marksTheFirstMatchingSelectedResult()
{
    m_control->addSerialChambers("COM1", 3);
    const QList<ChamberCreationModel *> models = modelsOf(m_control->chamberModels());
    models.at(1)->setSelected(true);
    models.at(2)->setSelected(true);
    models.at(2)->setModbusAddress(3);

    ChamberData record;
    record.setComPort("COM1");
    record.setModbusAddress(3);
    m_control->setChamberCreated(record, true);
    QCOMPARE(models.at(2)->creationState(), ChamberCreationModel::CREATED);
    // A created result is not matched again, and an unselected one never.
    m_control->setChamberCreated(record, true);
    QCOMPARE(models.at(0)->creationState(), ChamberCreationModel::NOT_CREATED);
    QCOMPARE(models.at(1)->creationState(), ChamberCreationModel::NOT_CREATED);
}

void tst_ChamberCreationControl::listProperties_reachQml()
{
    qmlRegisterType<ChamberCreationModel>("ChamberCreationModel", 1, 0, "ChamberCreationModel");
    QQmlEngine engine;
    engine.rootContext()->setContextProperty("ChamberCreationControlProperty", m_control.get());
    const auto evaluate = [&engine](const QString &expression) {
        QQmlExpression qml(engine.rootContext(), nullptr, expression);
        const QVariant value = qml.evaluate();
        if (qml.hasError())
            qWarning() << qml.error();
        return value;
    };

    m_control->addSerialChambers("COM3", 1);
    m_control->addNetworkChambers({answer("10.0.0.1")}, false);
    QCOMPARE(evaluate("ChamberCreationControlProperty.chamberModels.length").toInt(), 2);
    QCOMPARE(evaluate("ChamberCreationControlProperty.chamberModels[0].comPort").toString(), QString("COM3"));
    QCOMPARE(evaluate("ChamberCreationControlProperty.chamberModels[1].ipAddress").toString(), QString("10.0.0.1"));

    evaluate("ChamberCreationControlProperty.chamberModels[1].selected = true");
    QCOMPARE(evaluate("ChamberCreationControlProperty.selectedCounts").toInt(), 1);
    QCOMPARE(evaluate("ChamberCreationControlProperty.selectedChamberModel.length").toInt(), 1);
    QCOMPARE(evaluate("ChamberCreationControlProperty.selectedChamberModel[0].ipAddress").toString(),
             QString("10.0.0.1"));

    evaluate("ChamberCreationControlProperty.interfaceFilter = 2");
    QCOMPARE(m_control->interfaceFilter(), ChamberCreationControl::INTERFACES_COM);
    QCOMPARE(evaluate("ChamberCreationControlProperty.chamberModels.length").toInt(), 1);
    QCOMPARE(evaluate("ChamberCreationControlProperty.selectedChamberModel.length").toInt(), 0);
}

QTEST_GUILESS_MAIN(tst_ChamberCreationControl)
#include "tst_chambercreationcontrol.moc"
