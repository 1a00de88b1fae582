#include "transferbench.h"

#include "transfer/zk3programtransmitter.h"

#include <QtTest/QtTest>

using namespace transferbench;
using quelta::base::connection::chamberconnection::ZK3ProgramTransmitter;
using Positions = QMap<int, int>;
using namespace std::chrono_literals;

namespace {

// A transmitter whose running command a test can drop while one of its
// steps waits.
class ResettableTransmitter : public ZK3ProgramTransmitter
{
public:
    using ZK3ProgramTransmitter::resetCommand;
};

} // namespace

class tst_AbstractProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transmissionData_mapsPositions_data();
    void transmissionData_mapsPositions();
    void entryPoints_refuseBeforeAnyTraffic_data();
    void entryPoints_refuseBeforeAnyTraffic();
    void stepAfterReset_endsTheCommandOnce_data();
    void stepAfterReset_endsTheCommandOnce();
};

void tst_AbstractProgramTransmitter::transmissionData_mapsPositions_data()
{
    QTest::addColumn<Signals>("chamberSignals");
    QTest::addColumn<Positions>("analog");
    QTest::addColumn<Positions>("digital");
    QTest::addColumn<int>("runLength");
    ChamberSignal digitalWithoutBit = chamberSignal(5, 1);
    digitalWithoutBit.setUnit(Unit::Bool);
    QTest::newRow("numbers 3, 4, 6") << Signals{chamberSignal(1, 3), chamberSignal(2, 4), chamberSignal(3, 6)}
                                     << Positions{{1, 2}, {2, 3}, {3, 5}} << Positions{} << 2;
    QTest::newRow("numbers 2, 1, bits 0, 7")
        << Signals{chamberSignal(1, 2), chamberSignal(2, 1), chamberSignal(3, -1, 0), chamberSignal(4, -1, 7)}
        << Positions{{1, 1}, {2, 0}} << Positions{{3, 0}, {4, 7}} << 2;
    QTest::newRow("skipped signals, a later id wins")
        << Signals{digitalWithoutBit, ChamberSignal(), chamberSignal(1, 1), chamberSignal(1, 5)}
        << Positions{{1, 4}} << Positions{} << 1;
}

void tst_AbstractProgramTransmitter::transmissionData_mapsPositions()
{
    QFETCH(Signals, chamberSignals);
    const AbstractProgramTransmitter::TransmissionData data(0, chamberSignals);
    QTEST(data.analogPositions, "analog");
    QTEST(data.digitalPositions, "digital");
    QTEST(data.analogRunLength, "runLength");
}

void tst_AbstractProgramTransmitter::entryPoints_refuseBeforeAnyTraffic_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("argument");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("error");
    const QString outOfBounds = "Program index out of bounds: %1 not in [1, 2]";
    QTest::newRow("read 2") << "read" << 2 << "" << "";
    QTest::newRow("read 0") << "read" << 0 << "Read Program index out of bounds 0" << outOfBounds.arg(0);
    QTest::newRow("read 3") << "read" << 3 << "Read Program index out of bounds 3" << outOfBounds.arg(3);
    QTest::newRow("start 3") << "start" << 3 << "Start Program index out of bounds 3" << outOfBounds.arg(3);
    QTest::newRow("write 20 sections") << "write" << 20 << "" << "";
    QTest::newRow("write 21 sections") << "write" << 21 << "Maximum number of steps exceeded"
                                       << "Maximum number of steps exceeded: only 20 steps are supported";
}

void tst_AbstractProgramTransmitter::entryPoints_refuseBeforeAnyTraffic()
{
    QFETCH(QString, command);
    QFETCH(int, argument);
    QFETCH(QString, log);
    QFETCH(QString, error);
    TransmitterBench<ZK3ProgramTransmitter> bench({});
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(log));
    bool accepted = false;
    if (command == "read")
        accepted = bench.transmitter.readProgram(argument, {});
    else if (command == "start")
        accepted = bench.transmitter.startProgram(argument, {});
    else
        accepted = bench.transmitter.writeProgram(1, "P", QVector(argument, programSection({}, 1)).toList(), {});
    QCOMPARE(accepted, error.isEmpty());
    QCOMPARE(bench.transmitter.currentCommand() == AbstractProgramTransmitter::INVALID, !accepted);
    // Nothing happens inside the caller's call.
    QCOMPARE(bench.spy.outcomes(), accepted ? 0 : 1);
    QCOMPARE(bench.spy.lastError(), error);
    QVERIFY(bench.connection->requests.isEmpty());
}

// A command reset while a step waits: the step finds no data, and the command
// ends with one error instead of a null dereference. In the "reply" rows the
// write is never answered before the reply times out.
void tst_AbstractProgramTransmitter::stepAfterReset_endsTheCommandOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("requestsBeforeReset");
    QTest::newRow("read, first step queued") << "read" << 0;
    QTest::newRow("write, reply awaited") << "write" << 1;
    QTest::newRow("start, reply awaited") << "start" << 1;
}

void tst_AbstractProgramTransmitter::stepAfterReset_endsTheCommandOnce()
{
    QFETCH(QString, command);
    QFETCH(int, requestsBeforeReset);
    TransmitterBench<ResettableTransmitter> bench({holdingRegister("0x03F3", QMetaType::UShort),
                                                   holdingRegister("0x03F4", QMetaType::UShort), 0x2, 0x0,
                                                   [](quint32) { return quint16(0); }, 0, {}});
    if (requestsBeforeReset > 0)
        bench.connection->failNext(command == "start" ? 0x0046 : 0x03F3, ChamberError::TimeoutError, 100ms);
    const Signals chamberSignals{chamberSignal(1, 1)};
    QVERIFY(startCommand(bench.transmitter, command, 1, "P", {programSection({}, 60)}, chamberSignals, {}));
    QTRY_COMPARE(bench.connection->requests.size(), requestsBeforeReset);
    bench.transmitter.resetCommand();
    QTest::ignoreMessage(QtCriticalMsg, "No current transmission data");
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError(), unknownError);
    QCOMPARE(bench.connection->requests.size(), requestsBeforeReset);
    // Nothing of the dropped command is left to end the next one.
    QVERIFY(bench.transmitter.readProgramNames());
    QTRY_COMPARE(bench.spy.outcomes(), 2);
    QCOMPARE(bench.spy.names.count(), 1);
}

QTEST_GUILESS_MAIN(tst_AbstractProgramTransmitter)
#include "tst_abstractprogramtransmitter.moc"
