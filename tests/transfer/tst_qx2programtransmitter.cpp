#include "transferbench.h"

#include "transfer/qx2programtransmitter.h"

#include <QtTest/QtTest>

#include <array>

using namespace transferbench;
using quelta::base::connection::chamberconnection::QX2ProgramTransmitter;

namespace {

// A QX2 controller that loads and stores its programs in place and keeps
// only their section counts apart, with "Heat" as program 2. 0x8B0000 loads
// program 0x3004, 0x8C0000 stores it, 0x860000 deletes it; an empty slot, or
// anything else, answers error code 1.
struct Qx2Bench : TransmitterBench<QX2ProgramTransmitter>
{
    explicit Qx2Bench(int sectionCount = 0)
        : TransmitterBench({holdingRegister("0x3000", QMetaType::UInt), holdingRegister("0x3002", QMetaType::UShort),
                            0x0, 0x800000, [this](quint32 command) { return execute(command); }, 0, {}})
    {
        sectionCounts.fill(-1);
        sectionCounts[1] = sectionCount;
        connection->setValue(holdingRegister("0x4300", QMetaType::QString, 72), "Heat");
    }

    quint16 execute(quint32 command)
    {
        QVector<quint16> &registers = connection->registers;
        int &sectionCount = sectionCounts.at(registers[0x3004]);
        if (command == 0x8C0000)
            sectionCount = registers[0x3003];
        else if (sectionCount < 0 || (command != 0x8B0000 && command != 0x860000))
            return 1;
        else if (command == 0x8B0000)
            registers[0x3003] = quint16(sectionCount);
        else
            sectionCount = -1;
        return 0;
    }

    std::array<int, 25> sectionCounts;
};

} // namespace

class tst_QX2ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void start_readsTheStateThenStartsOnce();
    void writeThenRead_givesTheProgramBack_data();
    void writeThenRead_givesTheProgramBack();
};

// Every road of a command on control word 0x3000 and error code 0x3002, on
// program 2 "Heat" or, in the rows "slot 3", the empty program 3; a numeric
// setup gives program 2 that many sections. A stop writes the state last.
void tst_QX2ProgramTransmitter::command_endsExactlyOnce_data()
{
    addRoadColumns();
    addRoad("write, error code", "write", "error code", unknownError);
    addRoad("write, lost connection", "write", "3000 lost", "Unable to connect");
    addRoad("write, digital bit 16", "write", "bit 16", unknownError, {}, "Digital signal 4 has no place");
    // Used to end in "Unknown Error" as a request that cannot be made.
    addRoad("write, name beyond Latin-1", "write", "Greek name",
            "The program name 'Θερμό' holds characters that the controller cannot store", {}, "is no Latin-1 text");
    addRoad("names", "names", "", "", QVariant::fromValue(programList(25, {{2, "Heat"}})));
    // The name is reported with the 0-based index.
    addRoad("name of 2", "name", "");
    addRoad("name of an empty slot", "name", "slot 3", unknownError);
    addRoad("read, 100 sections", "read", "100", "", 100);
    addRoad("read, busy for ever", "read", "busy", unknownError);
    addRoad("read, 101 sections", "read", "101", unknownError, {}, "reports 101 sections, more than the 100");
    addRoad("read, name lost", "read", "4300 lost", unknownError);
    addRoad("delete", "delete", "", "", QVariantList{1, 100, 0x860000U});
    addRoad("delete, empty slot", "delete", "slot 3", unknownError);
    // The state is written back, but the stop did not happen.
    addRoad("stop, refused", "stop", "114a refused", unknownError, {}, "The stop request failed");
    addRoad("stop, state never written", "stop", "1158 stalled", unknownError);
}

void tst_QX2ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    Qx2Bench bench(setup.toInt());
    if (setup == "Greek name")
        bench.programName = "Θερμό";
    const Signals bits{chamberSignal(4, -1, setup == "bit 16" ? 16 : 15)};
    const Sections sections{programSection({SetpointValue(bits.first(), true)}, 60)};
    bench.runRoad(setup == "slot 3" ? 3 : 2, sections, bits, {}, [&] {
        if (command == "name" && bench.spy.errors.isEmpty())
            QCOMPARE(bench.spy.name.first(), (QVariantList{1, "Heat"}));
        if (setup == "Greek name")
            QVERIFY(bench.connection->requests.isEmpty());
        if (command == "stop")
            QCOMPARE(bench.connection->requests.last().values, QVariantList{2});
    });
}

// The start time is the clock's time plus the delay; a start whose state read
// failed leaves nothing behind that the next start would send as well.
void tst_QX2ProgramTransmitter::start_readsTheStateThenStartsOnce()
{
    Qx2Bench bench;
    bench.transmitter.setClock([] { return QDateTime(QDate(2024, 2, 29), QTime(23, 59, 30)); });
    bench.connection->registers[0x1158] = 3;
    bench.connection->failNext(0x1158, ChamberError::ConnectionError);
    const ProgramStartOptions options{QDateTime(), 60, 4, -1, 0, 0, 0};
    QVERIFY(bench.transmitter.startProgram(2, options));
    QTRY_COMPARE(bench.spy.errors.count(), 1);
    QVERIFY(bench.transmitter.startProgram(2, options));
    QTRY_COMPARE(bench.spy.started.count(), 1);
    QCOMPARE(bench.transmitter.lastKnownControllerState(), QX2ProgramTransmitter::BASIC);
    QCOMPARE(bench.connection->requests.size(), 1 + 2);
    const FakeModbusChamberConnection::Request start = bench.connection->requests.last();
    QCOMPARE(start.addressTexts(), (QStringList{"0x1148", "0x1146", "0x1147", "0x1140", "0x1149"}));
    QCOMPARE(start.values.mid(0, 3), (QVariantList{4, 0, 1}));
    QCOMPARE(start.values.at(3).value<QVector<quint16>>(), (QVector<quint16>{2024, 3, 1, 0, 0, 30}));
    QCOMPARE(bench.spy.outcomes(), 2);
}

// Two analog signals by the numbers of their manual-mode write addresses,
// and a switch. Each setpoint goes to its signal's column of the float
// block, where a read finds it.
void tst_QX2ProgramTransmitter::writeThenRead_givesTheProgramBack_data()
{
    QTest::addColumn<QList<int>>("numbers");
    QTest::addColumn<QVector<float>>("setpoints");
    QTest::newRow("columns 1 and 2") << QList<int>{1, 2} << QVector<float>{25.0f, -25.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    // Used to be written by their places among the setpoints, to columns 1
    // and 2: read back, 25 came back as 0.
    QTest::newRow("columns 2 and 4") << QList<int>{2, 4} << QVector<float>{0.0f, 25.0f, 0.0f, -25.0f, 0.0f, 0.0f};
}

void tst_QX2ProgramTransmitter::writeThenRead_givesTheProgramBack()
{
    QFETCH(QList<int>, numbers);
    Qx2Bench bench;
    const Signals chamberSignals{chamberSignal(1, numbers.at(0)), chamberSignal(2, numbers.at(1)),
                                 chamberSignal(4, -1, 15)};
    const auto section = [&](float first, bool bit, ProgramSection::TransitionType transition, int reference) {
        const QList<SetpointValue> setpoints{
            SetpointValue(chamberSignals.at(0), QVariant(first), relativeBand(1.5f, 2.0f)),
            SetpointValue(chamberSignals.at(1), QVariant(-first), relativeBand(0.0f, 0.5f)),
            SetpointValue(chamberSignals.at(2), bit)};
        return ProgramTransmittableSection(ProgramSection(0, setpoints, 3600, transition, false, {}), reference, 5);
    };
    const Sections sections{section(25.0f, false, ProgramSection::RAMP, 0),
                            section(80.0f, true, ProgramSection::JUMP, 2)};
    const QString name = QString("Heat").repeated(20);
    QVERIFY(bench.transmitter.writeProgram(2, name, sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    // One request: number, count, name, five registers per section, command.
    const FakeModbusChamberConnection::Request write = bench.connection->requests.first();
    QTEST(write.values.at(6).value<QVector<float>>().mid(0, 6), "setpoints");
    QCOMPARE(write.addressTexts().mid(8, 5), (QStringList{"3068", "3072", "306d", "3044", "306c"}));
    // Duration and transition type with their halves exchanged; the first
    // further number plus 1.
    QCOMPARE(write.values.mid(8, 2), (QVariantList{3600U << 16, 0x10000U}));
    QCOMPARE(write.values.at(10).value<QVector<uchar>>(), (QVector<uchar>{3, 5}));

    bench.verifyReadBack(2, chamberSignals, name.left(72), sections);
}

QTEST_GUILESS_MAIN(tst_QX2ProgramTransmitter)
#include "tst_qx2programtransmitter.moc"
