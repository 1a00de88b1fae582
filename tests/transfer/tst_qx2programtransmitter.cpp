#include "transferbench.h"

#include "transfer/qx2programtransmitter.h"

#include <QtTest/QtTest>

#include <array>

using namespace transferbench;
using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::QX2ProgramTransmitter;
using ProgramNames = QMap<int, QString>;
using Sections = QList<ProgramTransmittableSection>;
using Signals = QList<ChamberSignal>;

namespace {

// The registers that a QX2 controller keeps per program: the section count,
// the program number, the section blocks and the name.
constexpr int ImageStart = 0x3003;
constexpr int ImageSize = 0x4300 + 36 - ImageStart;

// A QX2 controller holding each program as the image of its registers.
// 0x8B0000 loads program 0x3004, 0x8C0000 stores it, 0x860000 deletes it;
// an empty slot, or anything else, answers error code 1.
struct Qx2Bench : TransmitterBench<QX2ProgramTransmitter>
{
    Qx2Bench()
        : TransmitterBench({holdingRegister("0x3000", QMetaType::UInt), holdingRegister("0x3002", QMetaType::UShort),
                            0x0, 0x800000, [this](quint32 command) { return execute(command); }, 0, {}})
    {
    }

    quint16 execute(quint32 command)
    {
        QVector<quint16> &registers = connection->registers;
        std::optional<QVector<quint16>> &program = programs.at(registers[0x3004]);
        if (command == 0x8C0000)
            program = registers.mid(ImageStart, ImageSize);
        else if (!program || (command != 0x8B0000 && command != 0x860000))
            return 1;
        else if (command == 0x8B0000)
            std::copy(program->begin(), program->end(), registers.begin() + ImageStart);
        else
            program.reset();
        return 0;
    }

    void store(int programIndex, int sectionCount, const QString &name)
    {
        connection->registers[0x3003] = quint16(sectionCount);
        connection->registers[0x3004] = quint16(programIndex);
        connection->setValue(holdingRegister("0x4300", QMetaType::QString, 72), name);
        programs.at(programIndex) = connection->registers.mid(ImageStart, ImageSize);
    }

    std::array<std::optional<QVector<quint16>>, 25> programs;
};

QStringList addressesOf(const FakeModbusChamberConnection::Request &request)
{
    QStringList addresses;
    for (const ControllerAddress &address : request.addresses)
        addresses << address.address();
    return addresses;
}

} // namespace

class tst_QX2ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void start_readsTheStateThenStartsOnce();
    void writeThenRead_givesTheProgramBack();
};

// Every road of a command on control word 0x3000 and error code 0x3002.
// Program 2 holds "Heat" with the number of sections that setup names (1
// without one). The result column is the program list, the name or the
// number of sections read.
void tst_QX2ProgramTransmitter::command_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QVariant>("result");
    QTest::addColumn<int>("requests");
    const QString unknown = "Unknown Error";
    ProgramNames names;
    for (int key = 1; key <= 25; ++key)
        names.insert(key, key == 2 ? "Heat" : "");
    QTest::newRow("write, busy for ever") << "write" << "busy" << unknown << QVariant() << -1;
    QTest::newRow("write, error code") << "write" << "error code" << unknown << QVariant() << 3;
    QTest::newRow("write, lost connection") << "write" << "3000 lost" << "Unable to connect" << QVariant() << 1;
    QTest::newRow("write, digital bit 16") << "write" << "bit 16" << unknown << QVariant() << 0;
    QTest::newRow("names") << "names" << "" << "" << QVariant::fromValue(names) << 25 * 3 + 1;
    // The name is reported with the 0-based index.
    QTest::newRow("name of 2") << "name" << "" << "" << QVariant::fromValue(QVariantList{1, "Heat"}) << 4;
    QTest::newRow("name of an empty slot") << "name" << "slot 3" << unknown << QVariant() << 3;
    QTest::newRow("read, no section") << "read" << "0 sections" << "" << QVariant(0) << 5;
    QTest::newRow("read, 100 sections") << "read" << "100 sections" << "" << QVariant(100) << 5;
    QTest::newRow("read, 101 sections") << "read" << "101 sections" << unknown << QVariant() << 4;
    QTest::newRow("read, name lost") << "read" << "4300 lost" << unknown << QVariant() << 5;
    QTest::newRow("delete") << "delete" << "" << "" << QVariant() << 3;
    QTest::newRow("delete, empty slot") << "delete" << "slot 3" << unknown << QVariant() << 3;
    QTest::newRow("stop") << "stop" << "" << "" << QVariant() << 2;
    // The state is written back, but the stop did not happen.
    QTest::newRow("stop, refused") << "stop" << "114a refused" << unknown << QVariant() << 2;
    QTest::newRow("stop, state never written") << "stop" << "1158 stalled" << unknown << QVariant() << 2;
}

void tst_QX2ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    QFETCH(QString, error);
    QFETCH(QVariant, result);
    QFETCH(int, requests);
    Qx2Bench bench;
    FakeModbusChamberConnection &connection = *bench.connection;
    bench.store(1, setup.endsWith("sections") ? setup.section(' ', 0, 0).toInt() : 1, "Heat");
    connection.handshake.busyPolls = setup == "busy" ? std::numeric_limits<int>::max() : 0;
    if (setup == "error code")
        connection.handshake.forcedErrorCode = 2;
    if (const QString fault = setup.section(' ', 1); fault == "lost" || fault == "refused" || fault == "stalled") {
        connection.failNext(setup.section(' ', 0, 0).toUShort(nullptr, 16),
                            fault == "lost" ? ChamberError::ConnectionError : ChamberError::ProtocolError,
                            fault == "stalled" ? 50ms : 0ms);
    }
    if (setup == "101 sections")
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("reports 101 sections, more than the 100"));
    if (setup == "bit 16")
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Digital signal 4 has no place"));
    if (setup.startsWith("114a"))
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("The stop request failed"));

    const Signals twoBits{chamberSignal(3, -1, 0), chamberSignal(4, -1, setup == "bit 16" ? 16 : 15)};
    const Sections sections{programSection({SetpointValue(twoBits.at(1), true)}, 60)};
    const int programIndex = setup == "slot 3" ? 3 : 2;
    QVERIFY(startCommand(bench.transmitter, command, programIndex, sections, twoBits));
    if (setup == "busy") {
        QTRY_VERIFY(connection.requests.size() > 20);
        connection.failNext(0x3000, ChamberError::TimeoutError, 50ms);
    }
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError(), error);
    if (requests >= 0)
        QCOMPARE(connection.requests.size(), requests);
    if (command == "names" && error.isEmpty())
        QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(), result.value<ProgramNames>());
    if (command == "name" && error.isEmpty())
        QCOMPARE(bench.spy.name.first(), result.toList());
    if (command == "read" && error.isEmpty()) {
        QCOMPARE(bench.spy.read.first().first(), QVariant("Heat"));
        QCOMPARE(bench.spy.read.first().last().value<Sections>().size(), result.toInt());
    }
    if (command == "delete")
        QCOMPARE(connection.requests.first().values, (QVariantList{programIndex - 1, 100, 0x860000U}));
    if (command == "stop")
        QCOMPARE(connection.requests.last().values, QVariantList{2});

    QVERIFY(bench.transmitter.stopProgram());
    QTRY_COMPARE(bench.spy.outcomes(), 2);
    QCOMPARE(bench.spy.stopped.count(), command == "stop" && error.isEmpty() ? 2 : 1);
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
    QCOMPARE(bench.transmitter.lastKnownControllerState(), QX2ProgramTransmitter::INVALID);

    QSignalSpy stateRead(&bench.transmitter, &QX2ProgramTransmitter::readOperatingStateFinished);
    QVERIFY(bench.transmitter.startProgram(2, options));
    QTRY_COMPARE(bench.spy.started.count(), 1);
    QCOMPARE(stateRead.count(), 1);
    QCOMPARE(bench.transmitter.lastKnownControllerState(), QX2ProgramTransmitter::BASIC);
    QCOMPARE(bench.connection->requests.size(), 1 + 2);
    const FakeModbusChamberConnection::Request start = bench.connection->requests.last();
    QCOMPARE(addressesOf(start), (QStringList{"0x1148", "0x1146", "0x1147", "0x1140", "0x1149"}));
    QCOMPARE(start.values.mid(0, 3), (QVariantList{4, 0, 1}));
    QCOMPARE(start.values.at(3).value<QVector<quint16>>(), (QVector<quint16>{2024, 3, 1, 0, 0, 30}));

    QVERIFY(bench.transmitter.stopProgram());
    QTRY_COMPARE(bench.spy.stopped.count(), 1);
    QCOMPARE(bench.transmitter.lastKnownControllerState(), QX2ProgramTransmitter::INVALID);
    QCOMPARE(bench.spy.outcomes(), 3);
}

void tst_QX2ProgramTransmitter::writeThenRead_givesTheProgramBack()
{
    Qx2Bench bench;
    const Signals chamberSignals{chamberSignal(1, 1), chamberSignal(2, 2), chamberSignal(3, -1, 0),
                                 chamberSignal(4, -1, 15)};
    const auto band = [](float lower, float upper) {
        return ToleranceRange(ToleranceRange::Relative, UnitValue(Unit::DegreeCelsius, QVariant(lower)),
                              UnitValue(Unit::DegreeCelsius, QVariant(upper)));
    };
    const auto section = [&](float first, float second, bool bit, ProgramSection::TransitionType transition,
                             qint64 duration, int reference, int repetitions) {
        return ProgramTransmittableSection(
            ProgramSection(0,
                           {SetpointValue(chamberSignals.at(0), QVariant(first), band(1.5f, 2.0f)),
                            SetpointValue(chamberSignals.at(1), QVariant(second), band(0.0f, 0.5f)),
                            SetpointValue(chamberSignals.at(2), bit), SetpointValue(chamberSignals.at(3), !bit)},
                           duration, transition, false, {}),
            reference, repetitions);
    };
    const Sections sections{section(25.0f, -10.5f, true, ProgramSection::RAMP, 60, 0, 1),
                            section(80.0f, 7.25f, false, ProgramSection::JUMP, 3600, 2, 5)};
    const QString name = QString("Heat").repeated(20);
    QVERIFY(bench.transmitter.writeProgram(2, name, sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    // One request: number, count, name, five registers per section, command.
    const FakeModbusChamberConnection::Request write = bench.connection->requests.first();
    QCOMPARE(addressesOf(write).mid(8, 5), (QStringList{"3068", "3072", "306d", "3044", "306c"}));
    QCOMPARE(write.values.mid(0, 3), (QVariantList{1, 2, name.left(72)}));
    // Duration and transition type with their halves exchanged.
    QCOMPARE(write.values.mid(8, 2), (QVariantList{3600U << 16, 0x10000U}));
    QCOMPARE(write.values.at(10).value<QVector<uchar>>(), (QVector<uchar>{3, 5}));
    QCOMPARE(write.values.at(11).value<QVector<float>>().mid(0, 8),
             (QVector<float>{80.0f, 7.25f, 0, 0, 0, 0, -1.5f, 0.0f}));
    QCOMPARE(write.values.at(12), QVariant(0x8000U));
    QCOMPARE(write.values.last(), QVariant(0x8C0000U));

    QVERIFY(bench.transmitter.readProgram(2, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 1);
    QCOMPARE(bench.spy.read.first().first(), QVariant(name.left(72)));
    QCOMPARE(bench.spy.read.first().last().value<Sections>(), sections);
    QCOMPARE(bench.spy.outcomes(), 2);
}

QTEST_GUILESS_MAIN(tst_QX2ProgramTransmitter)
#include "tst_qx2programtransmitter.moc"
