#include "transferbench.h"

#include "transfer/qx1programtransmitter.h"

#include <QtTest/QtTest>

#include <array>

using namespace transferbench;
using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::QX1ProgramTransmitter;
using Program = QVector<QVector<QVector<quint16>>>;

namespace {

// A QX1 controller holding each section of a program as the images of its
// columns' registers 0x1A07 to 0x1A13, and program 2 of two sections of two
// columns. Command 1 loads column 0x1A03 of section 0x1A04 of program 0x1A02
// and the number of its last section into 0x1A05; command 5 stores a column
// and cuts the program after its section, or with section 255 deletes the
// program. Anything else answers error code 1.
struct Qx1Bench : TransmitterBench<QX1ProgramTransmitter>
{
    Qx1Bench()
        : TransmitterBench({holdingRegister("0x1A00", QMetaType::UShort), holdingRegister("0x1A01", QMetaType::UShort),
                            0x2, 0x0, [this](quint32 command) { return execute(command); }, 0, {}})
    {
        programs[1] = Program(2, {QVector<quint16>(13), QVector<quint16>(13)});
    }

    quint16 execute(quint32 command)
    {
        QVector<quint16> &registers = connection->registers;
        Program &sections = programs.at(registers[0x1A02]);
        const int column = registers[0x1A03];
        const int section = registers[0x1A04];
        if (command == 5 && section == 255) {
            sections.clear();
        } else if (command == 5) {
            sections.resize(section + 1);
            sections[section].resize(qMax(sections[section].size(), column + 1));
            sections[section][column] = registers.mid(0x1A07, 13);
        } else if (command == 1 && section < sections.size() && column < sections[section].size()) {
            std::copy(sections[section][column].begin(), sections[section][column].end(), registers.begin() + 0x1A07);
            registers[0x1A05] = quint16(sections.size() - 1);
        } else {
            return 1;
        }
        return 0;
    }

    std::array<Program, 25> programs;
};

} // namespace

class tst_QX1ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void writeThenRead_givesTheProgramBack();
};

// Every road of a command on control word 0x1A00 and error code 0x1A01, with
// the analog columns 0 and 1 on program 2. A stop's requests after the first
// are checked apart.
void tst_QX1ProgramTransmitter::command_endsExactlyOnce_data()
{
    addRoadColumns();
    addRoad("write, busy for ever", "write", "busy", unknownError);
    addRoad("write, error code", "write", "error code", unknownError);
    addRoad("write, lost connection", "write", "1a00 lost", "Unable to connect");
    addRoad("write, digital bit 8", "write", "bit 8", unknownError, {}, "Digital signal 4 has no place");
    addRoad("write, no column 0", "write", "gap", "Invalid data", {}, "No signal for analog column 0");
    addRoad("names", "names", "", "", QVariant::fromValue(programList(25, {{2, "Program 2"}})));
    // Unlike the other generations, named and reported as index + 1.
    addRoad("name of 2", "name", "");
    addRoad("read", "read", "", "", QVariantList{1, 0, 0, 0, 1});
    // Section 0 tells how many columns every section has: column 1 of
    // section 1 is not asked for.
    addRoad("read, one column", "read", "1 column", "", 2);
    addRoad("read, empty", "read", "empty", "", 0);
    addRoad("read, column refused in section 1", "read", "short section 1", unknownError);
    addRoad("read, last section 255", "read", "256", unknownError, {}, "reports 256 sections, more than the 98");
    addRoad("delete", "delete", "", "", QVariantList{1, 255, 255, 255, 0, 5});
    addRoad("delete, error code", "delete", "error code", unknownError);
    addRoad("start", "start", "", "", QVariantList{0, 0U, 1, 0x400});
    addRoad("start, section 2, delay 90", "start", "delay 90", "", QVariantList{2, 3, 90U, 1, 0x400});
    // A negative delay used to go out as a start about 136 years later.
    addRoad("start, an hour ago", "start", "hour ago", "", QVariantList{0, 0U, 1, 0x400},
            "3600 s in the past; starting now");
    // The controller takes the stop only after 500 ms in the basic mode.
    addRoad("stop", "stop", "", "", QVariantList{0x1000});
    addRoad("stop, basic mode refused", "stop", "1a22 refused", unknownError, QVariantList{0x1000});
    // The mode register is still cleared, but the stop did not happen.
    addRoad("stop, stop refused", "stop", "second write refused", unknownError, QVariantList{0x1000},
            "The stop request failed");
}

void tst_QX1ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    Qx1Bench bench;
    if (setup == "1 column")
        bench.programs[1] = Program(2, {QVector<quint16>(13)});
    if (setup == "256" || setup == "empty")
        bench.programs[1].resize(setup.toInt());
    if (setup == "short section 1")
        bench.programs[1][1].resize(1);
    const int firstNumber = setup == "gap" ? 2 : 1;
    const Signals chamberSignals{chamberSignal(1, firstNumber), chamberSignal(2, firstNumber + 1),
                                 chamberSignal(4, -1, setup == "bit 8" ? 8 : 7)};
    const Sections sections{programSection({SetpointValue(chamberSignals.at(2), true)}, 60)};
    const QDateTime startTime = setup == "hour ago" ? QDateTime::currentDateTime().addSecs(-3600) : QDateTime();
    const bool delayed = setup == "delay 90";
    const ProgramStartOptions options{startTime, delayed ? 90 : 0, delayed ? 2 : -1, delayed ? 3 : -1, 0, 0, 0};
    if (setup == "second write refused")
        QTimer::singleShot(100ms, bench.connection.data(),
                           [&] { bench.connection->failNext(0x1A22, ChamberError::ProtocolError); });
    bench.runRoad(2, sections, chamberSignals, options, [&] {
        const QList<FakeModbusChamberConnection::Request> &requests = bench.connection->requests;
        if (command == "name") {
            QCOMPARE(bench.spy.name.first(), (QVariantList{3, "Program 3"}));
            QVERIFY(requests.isEmpty());
        }
        if (command == "stop" && requests.size() > 1) {
            QCOMPARE(requests.at(1).values + requests.at(2).values, (QVariantList{0x0800, 0}));
            QVERIFY(requests.at(1).madeAt - requests.at(0).madeAt >= 500ms);
        }
    });
}

void tst_QX1ProgramTransmitter::writeThenRead_givesTheProgramBack()
{
    Qx1Bench bench;
    ChamberSignal percent = chamberSignal(5, -1);
    percent.setUnit(Unit::Percent);
    const Signals chamberSignals{chamberSignal(1, 1), chamberSignal(2, 2), percent, chamberSignal(4, -1, 7)};
    // In the order of a read: column 0 with what the section holds once,
    // then column 1. Reads give the transition RAMP.
    const auto section = [&](float first, float humidity, bool bit, int duration) {
        const QList<SetpointValue> setpoints{
            SetpointValue(chamberSignals.at(0), QVariant(first), relativeBand(1.5f, 2.0f)),
            SetpointValue(percent, QVariant(humidity)), SetpointValue(chamberSignals.at(3), bit),
            SetpointValue(chamberSignals.at(1), QVariant(-first), relativeBand(0.0f, 0.5f))};
        return ProgramTransmittableSection(ProgramSection(0, setpoints, duration, ProgramSection::RAMP, false, {}),
                                           duration % 7, 2);
    };
    const Sections sections{section(25.0f, 55.0f, true, 60), section(80.0f, 100.0f, false, 3600),
                            section(40.0f, 10.0f, true, 1)};
    QVERIFY(bench.transmitter.writeProgram(3, "Heat", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    // Section by section, column by column, each a write and two reads of
    // the handshake; 0x1A05 follows the section.
    const QList<FakeModbusChamberConnection::Request> &requests = bench.connection->requests;
    QCOMPARE(requests.size(), 6 * 3);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(requests.at(3 * i).values.mid(0, 5), (QVariantList{2, i % 2, i / 2, i / 2, 0}));
    // Every column carries the section's "%" value.
    QCOMPARE(requests.at(3).values.at(5).value<QVector<float>>(), (QVector<float>{-25.0f, 55.0f, 0.0f, 0.5f}));

    bench.verifyReadBack(3, chamberSignals, "Program 3", sections);
}

QTEST_GUILESS_MAIN(tst_QX1ProgramTransmitter)
#include "tst_qx1programtransmitter.moc"
