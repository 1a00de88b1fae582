#include "app/connectionkindrule.h"
#include "app/simpleeventhandler.h"
#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"

#include "linedevice.h"
#include "loopbackmodbustcpserver.h"
#include "udpresponder.h"

#include <QtQml/QQmlContext>
#include <QtQml/QQmlEngine>
#include <QtSerialPort/QSerialPortInfo>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::domain::types;
using namespace quelta::gui;
using quelta::test::DemoCatalogue;

class tst_SimpleEventHandler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void settleConnectionKind_data();
    void settleConnectionKind();
    void immediateReports_data();
    void immediateReports();
    void searchesAndChecks_reachTheDevicesOnTheirKinds();
};

void tst_SimpleEventHandler::settleConnectionKind_data()
{
    QTest::addColumn<QList<int>>("interfaces");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<int>("converter");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("settledConverter");

    const QString none;
    QTest::newRow("3 before 1, both addresses") << QList<int>{1, 3} << "10.0.0.5" << "COM3" << -1 << 3 << -1;
    QTest::newRow("1 on the COM port") << QList<int>{1} << "10.0.0.5" << "COM3" << -1 << 1 << -1;
    QTest::newRow("1 keeps ComServer") << QList<int>{1} << "10.0.0.5" << none << 0 << 1 << 0;
    QTest::newRow("1 gets XPort") << QList<int>{1} << "10.0.0.5" << none << -1 << 1 << 1;
    QTest::newRow("2 gets XPort") << QList<int>{2} << "10.0.0.5" << none << -1 << 2 << 1;
    QTest::newRow("5 before 4 gets ComServer") << QList<int>{4, 5} << "10.0.0.5" << none << -1 << 5 << 0;
    QTest::newRow("5 on a COM port") << QList<int>{5} << none << "COM3" << -1 << 5 << -1;
    QTest::newRow("4 without addresses") << QList<int>{4} << none << none << -1 << 4 << -1;
    QTest::newRow("6, 7, 8 never") << QList<int>{6, 7, 8} << "10.0.0.5" << "COM3" << -1 << 100 << -1;
}

void tst_SimpleEventHandler::settleConnectionKind()
{
    QFETCH(QList<int>, interfaces);
    QFETCH(QString, ip);
    QFETCH(QString, comPort);
    QFETCH(int, converter);

    ChamberData chamber;
    chamber.setIpAddress(QHostAddress(ip));
    chamber.setComPort(comPort);
    chamber.setConverter(converter);
    ::settleConnectionKind(chamber, interfaces);
    QTEST(chamber.protocol(), "kind");
    QTEST(chamber.converter(), "settledConverter");
}

void tst_SimpleEventHandler::immediateReports_data()
{
    QTest::addColumn<quint64>("typeId");
    QTest::addColumn<quint64>("variantId");
    QTest::addColumn<int>("state");
    // A catalogue table that the database lacks, so that its read fails.
    QTest::addColumn<QString>("missingTable");

    QTest::newRow("a type the catalogue lacks") << quint64(99) << quint64(1) << int(ActivationState::STATE_UNDEFINED)
                                                << QString();
    QTest::newRow("no readable signal") << quint64(9) << quint64(301) << int(ActivationState::STATE_INACTIVE)
                                        << QString();
    // Simserv only: no connection kind, so the factory refuses.
    QTest::newRow("a refused check") << DemoCatalogue::SimservChamber << quint64(501)
                                     << int(ActivationState::STATE_INACTIVE) << QString();
    // Was reported as a type without a readable signal: inactive.
    QTest::newRow("signals that cannot be read") << DemoCatalogue::ClimateChamber << DemoCatalogue::ClimateStandard
                                                 << int(ActivationState::STATE_UNDEFINED)
                                                 << "chamber_type_has_signal";
}

// Outcomes that the handler decides before the factory has a connection,
// delivered at once on the results' current result.
void tst_SimpleEventHandler::immediateReports()
{
    QFETCH(quint64, typeId);
    QFETCH(quint64, variantId);

    // The drying oven once more, with only its set point, which cannot be read.
    quelta::test::CatalogueContent catalogue = DemoCatalogue::content();
    quelta::test::CatalogueChamberType writeOnly = catalogue.chamberTypes.at(2);
    QCOMPARE(writeOnly.id, DemoCatalogue::DryingOven);
    writeOnly.id = 9;
    writeOnly.signalIds = {22};
    catalogue.chamberTypes.append(writeOnly);
    QTemporaryDir directory;
    const QString database = directory.filePath("configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(database, catalogue), QString());
    QFETCH(QString, missingTable);
    if (!missingTable.isNull())
        QCOMPARE(quelta::test::runSqlScript(database, "DROP TABLE " + missingTable), QString());
    QQmlEngine engine;
    SimpleEventHandler handler;
    QVERIFY(handler.initialize(engine.rootContext(), database));
    auto *control = engine.rootContext()->contextProperty("ChamberCreationControlProperty").value<ChamberCreationControl *>();
    control->addIpChamber("127.0.0.9");
    auto results = control->chamberModels();
    ChamberCreationModel *result = results.at(&results, 0);
    result->setSelected(true);
    control->setCurrentSelectedModel(0);
    result->setChamberName("Kammer");
    result->setChamberType(int(typeId), int(variantId), false, false);
    QSignalSpy failed(control, &ChamberCreationControl::chamberCommunicationCheckFailed);

    handler.slotCheckCommunication(result);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed.first().first().toString(), "Kammer");
    QTEST(int(result->activationState()), "state");
}

void tst_SimpleEventHandler::searchesAndChecks_reachTheDevicesOnTheirKinds()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != "1")
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");
    QTemporaryDir directory;
    const QString database = directory.filePath("configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(database, DemoCatalogue::content()), QString());
    QQmlEngine engine;
    auto handler = std::make_unique<SimpleEventHandler>();
    QVERIFY(handler->initialize(engine.rootContext(), database));
    auto *control = engine.rootContext()->contextProperty("ChamberCreationControlProperty").value<ChamberCreationControl *>();
    auto results = control->chamberModels();
    QSignalSpy searchEnded(control, &ChamberCreationControl::signalBroadcastFinished);
    QSignalSpy active(control, &ChamberCreationControl::chamberCommunicationCheckSuccessful);
    QSignalSpy failed(control, &ChamberCreationControl::chamberCommunicationCheckFailed);

    // Nobody answers; the second start is ignored and lists no port again.
    QElapsedTimer elapsed;
    elapsed.start();
    handler->slotStartChamberBroadcast();
    handler->slotStartChamberBroadcast();
    QVERIFY(searchEnded.wait(10000));
    QVERIFY(elapsed.elapsed() >= 6000);
    QCOMPARE(results.count(&results), QSerialPortInfo::availablePorts().size());

    // A converter of each kind answers the next search: the XPort with a
    // Modbus TCP device, the WuT with a vacuum controller at its data port.
    const QHostAddress xportAddress("10.77.0.2"), wutAddress("10.77.0.1");
    const QByteArray mac = QByteArray::fromHex("00204a000002");
    UdpResponder xport(30718, {{xportAddress, QByteArray::fromHex("000000f7") + QByteArray(20, 1) + mac}});
    UdpResponder wut(8513, {{wutAddress, QByteArray(10, 2) + mac + QByteArray(16, 0) + QByteArray(10, 3)}});
    LoopbackModbusTcpServer modbusDevice;
    QVERIFY(modbusDevice.start(1, QVector<quint16>(0xAC02), xportAddress, 502));
    LineDevice vacuum({"0950 mbar"});
    QVERIFY(vacuum.listen(wutAddress, 8000));
    control->clearSearchResults();
    handler->slotStartChamberBroadcast();
    QTRY_COMPARE_WITH_TIMEOUT(searchEnded.count(), 2, 10000);
    control->setInterfaceFilter(ChamberCreationControl::INTERFACES_IP);
    control->addIpChamber("10.77.0.1"); // no Modbus TCP device there
    QCOMPARE(results.count(&results), 3);

    // By address, the newest first: the entry by hand, the WuT, the XPort.
    const QList<QList<int>> types{{1, 101}, {4, 401}, {1, 101}};
    for (int i = 0; i < 3; ++i) {
        ChamberCreationModel *result = results.at(&results, i);
        result->setSelected(true);
        control->setCurrentSelectedModel(i);
        result->setChamberType(types[i][0], types[i][1], types[i][0] == 1, true);
        handler->slotCheckCommunication(result);
        handler->slotCheckCommunication(result); // refused at once while the first runs
        QCOMPARE(failed.count() + active.count(), 2 * i + 1);
        QTRY_COMPARE_WITH_TIMEOUT(failed.count() + active.count(), 2 * i + 2, 15000);
        QCOMPARE(result->activationState(), i ? ActivationState::STATE_ACTIVE : ActivationState::STATE_INACTIVE);
        // The factory takes the next check from the event-loop turn after
        // this one ended, as a user's next click would come.
        QTimer nextTurn;
        nextTurn.setSingleShot(true);
        QSignalSpy turned(&nextTurn, &QTimer::timeout);
        nextTurn.start(0);
        QVERIFY(turned.wait());
    }
    QCOMPARE(vacuum.lines.first(), QByteArray("IN_PV_1"));
    // A type that the catalogue does not know leaves the state open at once.
    results.at(&results, 2)->setChamberType(99, 1, false, false);
    handler->slotCheckCommunication(results.at(&results, 2));
    QCOMPARE(results.at(&results, 2)->activationState(), ActivationState::STATE_UNDEFINED);

    // Without a result the window's requests only leave a warning.
    QSignalSpy created(handler.get(), &SimpleEventHandler::signalChamberCreated);
    QTest::ignoreMessage(QtWarningMsg, "Communication check without a search result: nothing to check");
    handler->slotCheckCommunication(nullptr);
    QTest::ignoreMessage(QtWarningMsg, "Chamber creation without a search result: nothing to create");
    handler->slotCreateChamber(nullptr);
    handler->slotCreateChamber(results.at(&results, 0));
    QCOMPARE(created.count(), 1);
    // The window closes during a check.
    handler->slotCheckCommunication(results.at(&results, 1));
    QCOMPARE(failed.count() + active.count(), 7);
    handler.reset();
}

QTEST_GUILESS_MAIN(tst_SimpleEventHandler)

#include "tst_simpleeventhandler.moc"
