#include "programfixtures.h"
#include "transmitterbench.h"
#include "zk3controllermodel.h"

#include "transfer/zk3programtransmitter.h"

#include <QtTest/QtTest>

using namespace programfixtures;
using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::ZK3ProgramTransmitter;
using ProgramNames = QMap<int, QString>;
using Zk3Bench = TransmitterBench<Zk3ControllerModel, ZK3ProgramTransmitter>;

// The handshake and the start and stop responses, through the ZK3
// generation: control word 0x03F3, error code 0x03F4, run command 0x0046.
class tst_ModbusProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void secondCommand_isRefusedWhileTheFirstRunsOn();
};

void tst_ModbusProgramTransmitter::command_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error");

    QTest::newRow("write") << "write" << "none" << QString();
    QTest::newRow("write, busy for 50 polls") << "write" << "busy" << QString();
    QTest::newRow("write, error code") << "write" << "error code" << "Unknown Error";
    QTest::newRow("write, refused") << "write" << "refuse 0x03F3" << "Unable to connect";
    QTest::newRow("write, lost connection") << "write" << "lose 0x03F3" << "Unable to connect";
    QTest::newRow("write, error code read refused") << "write" << "refuse 0x03F4" << "Unknown Error";
    QTest::newRow("write, error code never read") << "write" << "stall 0x03F4" << "Unknown Error";
    QTest::newRow("write, no connection") << "write" << "no connection" << "Unknown Error";
    QTest::newRow("start") << "start" << "none" << QString();
    QTest::newRow("start, refused") << "start" << "refuse 0x0046" << "Unknown Error";
    QTest::newRow("stop") << "stop" << "none" << QString();
    QTest::newRow("stop, never answered") << "stop" << "stall 0x0046" << "Unknown Error";
}

void tst_ModbusProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, fault);
    QFETCH(QString, error);
    Zk3Bench bench;
    if (fault == "no connection")
        QVERIFY(!bench.transmitter.setChamberConnection(nullptr));

    const quint16 faultRegister = fault.section(' ', 1).toUShort(nullptr, 16);
    if (fault == "busy")
        bench.controller.busyPolls = 50;
    if (fault == "error code")
        bench.controller.forcedErrorCode = 3;
    if (fault.startsWith("refuse"))
        bench.connection->refuseNext(faultRegister);
    if (fault.startsWith("lose"))
        bench.connection->refuseNext(faultRegister, quelta::domain::types::ChamberError::ConnectionError);
    if (fault.startsWith("stall"))
        bench.connection->stallNext(faultRegister, 50ms);

    const ChamberSignal signal = analogSignal(1, 1);
    if (command == "write")
        QVERIFY(bench.transmitter.writeProgram(1, "P", {programSection({SetpointValue(signal, 21.5f)}, 60)}, {signal}));
    else if (command == "start")
        QVERIFY(bench.transmitter.startProgram(1, {}));
    else
        QVERIFY(bench.transmitter.stopProgram());
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError(), error);
    if (fault == "busy")
        QCOMPARE(bench.connection->readsOf("0x03F3"), 51);

    // A later command ends on its own; no second end of the first one was
    // on its way.
    if (fault != "no connection") {
        QVERIFY(bench.transmitter.deleteProgram(2));
        QTRY_COMPARE(bench.spy.deleted.count(), 1);
        QCOMPARE(bench.spy.outcomes(), 2);
    }
}

void tst_ModbusProgramTransmitter::secondCommand_isRefusedWhileTheFirstRunsOn()
{
    Zk3Bench bench;
    bench.controller.busyPolls = 3;

    QVERIFY(bench.transmitter.readProgramNames());
    QTest::ignoreMessage(QtWarningMsg, "Already executing command READ_NAMES");
    QVERIFY(!bench.transmitter.stopProgram());
    QCOMPARE(bench.spy.lastError(), QString("Device busy: 'Read program list from chamber'"));
    // Answered at once, whatever runs.
    QVERIFY(bench.transmitter.readProgramName(0));
    QCOMPARE(bench.spy.name.takeFirst(), (QVariantList{0, "Program 0"}));

    QTRY_COMPARE(bench.spy.names.count(), 1);
    QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(), (ProgramNames{{1, ""}, {2, ""}}));
    QCOMPARE(bench.spy.errors.count(), 1);
}

QTEST_GUILESS_MAIN(tst_ModbusProgramTransmitter)
#include "tst_modbusprogramtransmitter.moc"
