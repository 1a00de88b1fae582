#include "transferbench.h"

#include "transfer/zk3programtransmitter.h"

#include <QtTest/QtTest>

#include <array>

using namespace transferbench;
using quelta::base::connection::chamberconnection::ZK3ProgramTransmitter;

namespace {

// A ZK3 controller holding each program as the images of its sections' nine
// registers from 0x03F9. Command 1 loads section 0x03F6 of program 0x03F5
// and the number of its last section into 0x03F7; command 5 stores a section
// and cuts the program after it, or with section 255 deletes the program.
// Anything else answers error code 1.
struct Zk3Bench : TransmitterBench<ZK3ProgramTransmitter>
{
    Zk3Bench()
        : TransmitterBench({holdingRegister("0x03F3", QMetaType::UShort), holdingRegister("0x03F4", QMetaType::UShort),
                            0x2, 0x0, [this](quint32 command) { return execute(command); }, 0, {}})
    {
    }

    quint16 execute(quint32 command)
    {
        QVector<quint16> &registers = connection->registers;
        QVector<QVector<quint16>> &sections = programs.at(registers[0x03F5]);
        const int section = registers[0x03F6];
        if (command == 1 && section < sections.size()) {
            std::copy(sections[section].begin(), sections[section].end(), registers.begin() + 0x03F9);
            registers[0x03F7] = quint16(sections.size() - 1);
        } else if (command == 5 && section == 255 && !sections.isEmpty()) {
            sections.clear();
        } else if (command == 5 && section <= sections.size() && section == registers[0x03F7]) {
            sections.resize(section + 1);
            sections[section] = registers.mid(0x03F9, 9);
        } else {
            return 1;
        }
        return 0;
    }

    std::array<QVector<QVector<quint16>>, 2> programs;
};

} // namespace

class tst_ZK3ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void secondCommand_isRefusedWhileTheFirstRunsOn();
    void writeThenRead_givesTheProgramBackWithinLimits();
};

// Every road of a command: the handshake on control word 0x03F3 and error
// code 0x03F4, the start and stop responses on run command 0x0046, and the
// ends before any traffic. Expected: the first request's values.
void tst_ZK3ProgramTransmitter::command_endsExactlyOnce_data()
{
    addRoadColumns();
    addRoad("write, busy for 50 polls", "write", "50 polls");
    addRoad("write, busy for ever", "write", "busy", unknownError);
    addRoad("write, error code", "write", "error code", unknownError);
    addRoad("write, refused", "write", "3f3 refused", "Unable to connect");
    addRoad("write, error code never read", "write", "3f4 stalled", unknownError);
    addRoad("write, no connection", "write", "no connection", unknownError);
    addRoad("write, no sections", "write", "no sections");
    addRoad("write, digital bit 8", "write", "bit 8", unknownError, {}, "Digital signal 2 has no place");
    addRoad("read, one section", "read", "1 sections", "", QVariantList{0, 0, 0, 1});
    addRoad("read, 20 sections", "read", "20 sections");
    addRoad("read, 21 sections", "read", "21 sections", unknownError, {}, "reports 21 sections, more than the 20");
    addRoad("read, last section 255 after a delete", "read", "256 sections", unknownError, {},
            "reports 256 sections, more than the 20");
    // Kept as controllers expect it: deleted whatever the controller answers.
    addRoad("delete, error code", "delete", "error code", "", QVariantList{1, 255, 255, 0, 5},
            "Delete answered with error code 2");
    addRoad("start", "start", "", "", QVariantList{0, 2, 32});
    addRoad("start, delay 90", "start", "delay 90", "", QVariantList{90, 2, 32});
    // A negative delay used to go out as a start about 136 years later.
    addRoad("start, an hour ago", "start", "hour ago", "", QVariantList{0, 2, 32}, "3600 s in the past; starting now");
    addRoad("start, refused", "start", "46 refused", unknownError);
    addRoad("stop, lost connection", "stop", "46 lost", unknownError, QVariantList{8});
    addRoad("stop, never answered", "stop", "46 stalled", unknownError);
}

void tst_ZK3ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    Zk3Bench bench;
    bench.connection->handshake.busyPolls = setup == "50 polls" ? 50 : 0;
    if (setup.endsWith(" sections"))
        bench.programs[0].fill(QVector<quint16>(9), setup.section(' ', 0, 0).toInt());
    if (setup == "no connection")
        QVERIFY(!bench.transmitter.setChamberConnection(nullptr));
    const Signals chamberSignals{chamberSignal(1, 1), chamberSignal(2, -1, 8)};
    const Sections sections{programSection({SetpointValue(chamberSignals.at(setup == "bit 8"), true)}, 60)};
    const QDateTime startTime = setup == "hour ago" ? QDateTime::currentDateTime().addSecs(-3600) : QDateTime();
    const ProgramStartOptions options{startTime, setup == "delay 90" ? 90 : 0, -1, -1, 0, 0, 0};
    const auto check = [&] {
        const QList<FakeModbusChamberConnection::Request> &requests = bench.connection->requests;
        if (setup == "bit 8" || setup == "no connection" || setup == "no sections")
            QVERIFY(requests.isEmpty());
        if (setup == "50 polls")
            QCOMPARE(requests.size(), 1 + 51 + 1);
        bench.transmitter.setChamberConnection(bench.connection);
    };
    const Sections program = setup == "no sections" ? Sections() : sections;
    bench.runRoad(command == "read" ? 1 : 2, program, chamberSignals, options, check);
}

void tst_ZK3ProgramTransmitter::secondCommand_isRefusedWhileTheFirstRunsOn()
{
    Zk3Bench bench;
    bench.connection->handshake.busyPolls = 3;
    bench.programs[0] = {QVector<quint16>(9)};
    QVERIFY(bench.transmitter.readProgramNames());
    QTest::ignoreMessage(QtWarningMsg, "Already executing command READ_NAMES");
    QVERIFY(!bench.transmitter.stopProgram());
    QCOMPARE(bench.spy.lastError(), QString("Device busy: 'Read program list from chamber'"));
    // Answered at once, whatever runs.
    QVERIFY(bench.transmitter.readProgramName(0));
    QCOMPARE(bench.spy.name.takeFirst(), (QVariantList{0, "Program 0"}));
    QTRY_COMPARE(bench.spy.names.count(), 1);
    QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(), (ProgramNames{{1, "Program 1"}, {2, ""}}));
    QCOMPARE(bench.spy.outcomes(), 2);
}

void tst_ZK3ProgramTransmitter::writeThenRead_givesTheProgramBackWithinLimits()
{
    Zk3Bench bench;
    const Signals chamberSignals{chamberSignal(1, 2, -1, 50.0f), chamberSignal(2, 1), chamberSignal(3, -1, 0),
                                 chamberSignal(4, -1, 3)};
    const auto section = [&chamberSignals](float first, float second, bool a, bool b, qint64 duration) {
        return programSection({SetpointValue(chamberSignals.at(0), QVariant(first)),
                               SetpointValue(chamberSignals.at(1), QVariant(second)),
                               SetpointValue(chamberSignals.at(2), a), SetpointValue(chamberSignals.at(3), b)},
                              duration);
    };
    const Sections sections{section(25.0f, -10.5f, true, false, 60), section(80.0f, 0.0f, false, true, 3600),
                            section(40.0f, 7.25f, true, true, 1)};
    QVERIFY(bench.transmitter.writeProgram(2, "Heat", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    // Each section a write and the handshake's two reads. Program 1
    // (0-based), section i, last section i, 0, then after the floats, the bits
    // and the duration the command code of WRITE.
    const QList<FakeModbusChamberConnection::Request> &requests = bench.connection->requests;
    QCOMPARE(requests.size(), 3 * 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(requests.at(3 * i).values.mid(0, 4) + requests.at(3 * i).values.mid(7), (QVariantList{1, i, i, 0, 5}));
    QCOMPARE(requests.first().values.at(4).value<QVector<float>>(), (QVector<float>{-10.5f, 25.0f, 0.0f}));
    QCOMPARE(requests.at(6).values.at(5), QVariant(9U));

    Sections expected = sections;
    expected[1] = section(50.0f, 0.0f, false, true, 3600);
    bench.verifyReadBack(2, chamberSignals, "Program 2", expected);
}

QTEST_GUILESS_MAIN(tst_ZK3ProgramTransmitter)
#include "tst_zk3programtransmitter.moc"
