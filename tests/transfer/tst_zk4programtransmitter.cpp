#include "transferbench.h"

#include "transfer/zk4programtransmitter.h"

#include <QtTest/QtTest>

using namespace transferbench;
using quelta::base::connection::chamberconnection::ZK4ProgramTransmitter;

namespace {

// A ZK4 controller whose program is its register block, of two steps at
// first: 0x81 and 0x82 load and store it in place, 0x83 deletes it by
// clearing the step count; anything else answers error code 1.
struct Zk4Bench : TransmitterBench<ZK4ProgramTransmitter>
{
    Zk4Bench()
        : TransmitterBench({holdingRegister("0xAC00", QMetaType::UShort), holdingRegister("0xAC01", QMetaType::UShort),
                            0x0, 0x80, [this](quint32 command) { return execute(command); }, 0, {}})
    {
        connection->registers[0xAC08] = 2;
    }

    quint16 execute(quint32 command)
    {
        if (command == 0x83)
            connection->registers[0xAC08] = 0;
        return command >= 0x81 && command <= 0x83 ? 0 : 1;
    }
};

} // namespace

class tst_ZK4ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void writeThenRead_givesTheProgramBackUnclamped();
};

// Every road of a command on control word 0xAC00 and error code 0xAC01. A
// setup "<n> steps" sets the step count.
void tst_ZK4ProgramTransmitter::command_endsExactlyOnce_data()
{
    addRoadColumns();
    addRoad("write, busy for ever", "write", "busy", unknownError);
    addRoad("write, error code", "write", "error code", unknownError);
    addRoad("write, lost connection", "write", "ac00 lost", "Unable to connect");
    addRoad("write, digital bit 16", "write", "bit 16", unknownError, {}, "Digital signal 4 has no place");
    addRoad("names, a step", "names", "", "", QVariant::fromValue(ProgramNames{{1, "Program 1"}}));
    addRoad("names, no step", "names", "0 steps", "", QVariant::fromValue(ProgramNames{{1, ""}}));
    addRoad("names, error code", "names", "error code", unknownError);
    // Kept as controllers expect it: a count of 0 still reads step 0.
    addRoad("read, no step", "read", "0 steps", "", 1);
    addRoad("read, 31 steps", "read", "31 steps", unknownError, {}, "reports 31 steps, more than the 30");
    // Reported on the turn after the transmitter went idle.
    addRoad("delete", "delete", "", "", QVariantList{0, 0x83});
    // Start time and delay are not the controller's business.
    addRoad("start", "start", "", "", QVariantList{1});
    addRoad("stop", "stop", "", "", QVariantList{1});
}

void tst_ZK4ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    Zk4Bench bench;
    if (setup.endsWith("steps"))
        bench.connection->registers[0xAC08] = setup.section(' ', 0, 0).toUShort();
    const Signals bits{chamberSignal(4, -1, setup == "bit 16" ? 16 : 15)};
    const Sections sections{programSection({SetpointValue(bits.first(), true)}, 60)};
    QList<AbstractProgramTransmitter::Command> commandsAtDelete;
    QObject::connect(&bench.transmitter, &ZK4ProgramTransmitter::deleteProgramFinished, &bench.transmitter,
                     [&] { commandsAtDelete.append(bench.transmitter.currentCommand()); });
    bench.runRoad(1, sections, bits, {QDateTime::currentDateTime(), 60, 2, 1, 0, 0, 0}, [&] {
        if (command == "delete")
            QCOMPARE(commandsAtDelete, QList{AbstractProgramTransmitter::INVALID});
    });
}

// One request of 4 + 3 per step + 1 writes; values come back as written,
// beyond the signal's limit too.
void tst_ZK4ProgramTransmitter::writeThenRead_givesTheProgramBackUnclamped()
{
    Zk4Bench bench;
    const Signals chamberSignals{chamberSignal(1, 1), chamberSignal(2, 2, -1, 40.0f), chamberSignal(3, -1, 0),
                                 chamberSignal(4, -1, 15)};
    const auto section = [&](float first, bool bit, qint64 duration) {
        return programSection({SetpointValue(chamberSignals.at(0), QVariant(first)),
                               SetpointValue(chamberSignals.at(1), QVariant(first * 2)),
                               SetpointValue(chamberSignals.at(2), bit), SetpointValue(chamberSignals.at(3), !bit)},
                              duration);
    };
    const Sections sections{section(25.0f, true, 60), section(-10.5f, false, 100000)};
    QVERIFY(bench.transmitter.writeProgram(1, "Heat", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);
    QCOMPARE(bench.connection->requests.first().addressTexts(),
             (QStringList{"0xAC02", "0xAC06", "0xAC07", "0xAC08", "0xAC0B", "0xAC13", "0xAC15", "0xAC17", "0xAC1F",
                          "0xAC21", "0xAC00"}));

    bench.verifyReadBack(1, chamberSignals, "Program 1", sections);
}

QTEST_GUILESS_MAIN(tst_ZK4ProgramTransmitter)
#include "tst_zk4programtransmitter.moc"
