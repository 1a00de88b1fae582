#include "transferbench.h"

#include "transfer/zk4programtransmitter.h"

#include <QtTest/QtTest>

using namespace transferbench;
using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::ZK4ProgramTransmitter;
using ProgramNames = QMap<int, QString>;
using Sections = QList<ProgramTransmittableSection>;
using Signals = QList<ChamberSignal>;

namespace {

// A ZK4 controller whose program is its register block: 0x81 and 0x82 load
// and store it in place, 0x83 deletes it by clearing the step count, anything
// else answers error code 1.
struct Zk4Bench : TransmitterBench<ZK4ProgramTransmitter>
{
    Zk4Bench()
        : TransmitterBench({holdingRegister("0xAC00", QMetaType::UShort), holdingRegister("0xAC01", QMetaType::UShort),
                            0x0, 0x80, [this](quint32 command) { return execute(command); }, 0, {}})
    {
    }

    quint16 execute(quint32 command)
    {
        if (command == 0x83)
            connection->registers[0xAC08] = 0;
        return command >= 0x81 && command <= 0x83 ? 0 : 1;
    }
};

const Signals chamberSignals{chamberSignal(1, 1), chamberSignal(2, 2, -1, 50.0f), chamberSignal(3, -1, 0),
                             chamberSignal(4, -1, 15)};

ProgramTransmittableSection section(float first, float second, bool a, bool b, qint64 duration)
{
    return programSection({SetpointValue(chamberSignals.at(0), QVariant(first)),
                           SetpointValue(chamberSignals.at(1), QVariant(second)), SetpointValue(chamberSignals.at(2), a),
                           SetpointValue(chamberSignals.at(3), b)},
                          duration);
}

} // namespace

class tst_ZK4ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void writeThenRead_givesTheProgramBackUnclamped();
};

// Every road of a command on control word 0xAC00 and error code 0xAC01. The
// result column is the program list, or the number of sections read.
void tst_ZK4ProgramTransmitter::command_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QVariant>("result");
    QTest::addColumn<QString>("log");
    const QString unknown = "Unknown Error";
    QTest::newRow("write, busy for ever") << "write" << "busy" << unknown << QVariant() << "";
    QTest::newRow("write, error code") << "write" << "error code" << unknown << QVariant() << "";
    QTest::newRow("write, lost connection") << "write" << "ac00 lost" << "Unable to connect" << QVariant() << "";
    QTest::newRow("write, digital bit 16") << "write" << "bit 16" << unknown << QVariant()
                                           << "Digital signal 4 has no place";
    QTest::newRow("names, a step") << "names" << "1 steps" << "" << QVariant::fromValue(ProgramNames{{1, "Program 1"}})
                                   << "";
    QTest::newRow("names, no step") << "names" << "0 steps" << "" << QVariant::fromValue(ProgramNames{{1, ""}}) << "";
    QTest::newRow("names, error code") << "names" << "error code" << unknown << QVariant() << "";
    // Kept as controllers expect it: a count of 0 still reads step 0.
    QTest::newRow("read, no step") << "read" << "0 steps" << "" << QVariant(1) << "";
    QTest::newRow("read, 30 steps") << "read" << "30 steps" << "" << QVariant(30) << "";
    QTest::newRow("read, 31 steps") << "read" << "31 steps" << unknown << QVariant()
                                    << "reports 31 steps, more than the 30";
    QTest::newRow("read, step 1 lost") << "read" << "ac17 lost" << unknown << QVariant() << "";
    QTest::newRow("delete") << "delete" << "" << "" << QVariant() << "";
    QTest::newRow("start") << "start" << "" << "" << QVariant() << "";
    QTest::newRow("stop, never answered") << "stop" << "aa05 stalled" << unknown << QVariant() << "";
}

void tst_ZK4ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    QFETCH(QString, error);
    QFETCH(QVariant, result);
    QFETCH(QString, log);
    Zk4Bench bench;
    FakeModbusChamberConnection &connection = *bench.connection;
    connection.handshake.busyPolls = setup == "busy" ? std::numeric_limits<int>::max() : 0;
    if (setup == "error code")
        connection.handshake.forcedErrorCode = 2;
    connection.registers[0xAC08] = 2;
    if (setup.endsWith("steps"))
        connection.registers[0xAC08] = setup.section(' ', 0, 0).toUShort();
    if (const QString fault = setup.section(' ', 1); fault == "lost" || fault == "stalled")
        connection.failNext(setup.section(' ', 0, 0).toUShort(nullptr, 16), ChamberError::ConnectionError,
                            fault == "stalled" ? 50ms : 0ms);
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(log));
    QList<AbstractProgramTransmitter::Command> commandAtDelete;
    QObject::connect(&bench.transmitter, &AbstractProgramTransmitter::deleteProgramFinished,
                     [&] { commandAtDelete.append(bench.transmitter.currentCommand()); });

    const Signals twoBits{chamberSignal(3, -1, 0), chamberSignal(4, -1, setup == "bit 16" ? 16 : 15)};
    const Sections sections{programSection({SetpointValue(twoBits.at(1), true)}, 60)};
    // Start time and delay are not the controller's business.
    const ProgramStartOptions startOptions{QDateTime::currentDateTime(), 60, 2, 1, 0, 0, 0};
    QVERIFY(startCommand(bench.transmitter, command, 1, sections, twoBits, startOptions));
    if (setup == "busy") {
        QTRY_VERIFY(connection.requests.size() > 20);
        connection.failNext(0xAC00, ChamberError::TimeoutError, 50ms);
    }
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError(), error);
    if (command == "names" && error.isEmpty())
        QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(), result.value<ProgramNames>());
    if (command == "read" && error.isEmpty())
        QCOMPARE(bench.spy.read.first().last().value<Sections>().size(), result.toInt());
    if (command == "delete")
        QCOMPARE(commandAtDelete, {AbstractProgramTransmitter::INVALID});
    if (command == "start" || command == "delete")
        QCOMPARE(connection.requests.first().values, (command == "start" ? QVariantList{1} : QVariantList{0, 0x83}));

    QVERIFY(bench.transmitter.stopProgram());
    QTRY_COMPARE(bench.spy.stopped.count(), 1);
    QCOMPARE(bench.spy.outcomes(), 2);
}

void tst_ZK4ProgramTransmitter::writeThenRead_givesTheProgramBackUnclamped()
{
    Zk4Bench bench;
    const Sections sections{section(25.0f, 80.0f, true, false, 60), section(-10.5f, 7.25f, false, true, 100000)};
    QVERIFY(bench.transmitter.writeProgram(1, "Heat", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    // One request: 4 + 3 per step + the command code.
    const FakeModbusChamberConnection::Request write = bench.connection->requests.first();
    QStringList addresses;
    for (const ControllerAddress &address : write.addresses)
        addresses << address.address();
    QCOMPARE(addresses, (QStringList{"0xAC02", "0xAC06", "0xAC07", "0xAC08", "0xAC0B", "0xAC13", "0xAC15", "0xAC17",
                                     "0xAC1F", "0xAC21", "0xAC00"}));
    QCOMPARE(write.values.at(3), QVariant(2));
    QCOMPARE(write.values.at(7).value<QVector<float>>(), (QVector<float>{-10.5f, 7.25f, 0.0f, 0.0f}));
    QCOMPARE(write.values.at(9), QVariant(0x8000U));
    QCOMPARE(write.values.last(), QVariant(0x82));

    QVERIFY(bench.transmitter.readProgram(1, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 1);
    QCOMPARE(bench.spy.read.first().first(), QVariant("Program 1"));
    QCOMPARE(bench.spy.read.first().last().value<Sections>(), sections);
    QCOMPARE(bench.spy.outcomes(), 2);
}

QTEST_GUILESS_MAIN(tst_ZK4ProgramTransmitter)
#include "tst_zk4programtransmitter.moc"
