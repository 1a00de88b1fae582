#include "transferbench.h"

#include "transfer/qx1programtransmitter.h"

#include <QtTest/QtTest>

#include <array>

using namespace transferbench;
using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::QX1ProgramTransmitter;
using ProgramNames = QMap<int, QString>;
using Sections = QList<ProgramTransmittableSection>;
using Signals = QList<ChamberSignal>;
using Program = QVector<QVector<QVector<quint16>>>;

namespace {

// The registers of one column of one section, from 0x1A07 to 0x1A13.
constexpr int ColumnImage = 13;

// A QX1 controller holding each section of a program as the images of its
// columns. Command 1 loads column 0x1A03 of section 0x1A04 of program 0x1A02
// and the number of its last section into 0x1A05; command 5 stores a column
// of one of the first `columns` and cuts the program after its section, or
// with section 255 deletes the program. Anything else answers error code 1.
struct Qx1Bench : TransmitterBench<QX1ProgramTransmitter>
{
    Qx1Bench()
        : TransmitterBench({holdingRegister("0x1A00", QMetaType::UShort), holdingRegister("0x1A01", QMetaType::UShort),
                            0x2, 0x0, [this](quint32 command) { return execute(command); }, 0, {}})
    {
    }

    quint16 execute(quint32 command)
    {
        QVector<quint16> &registers = connection->registers;
        Program &sections = programs.at(registers[0x1A02]);
        const int column = registers[0x1A03];
        const int section = registers[0x1A04];
        if (command == 5 && section == 255) {
            sections.clear();
        } else if (command == 5 && column < columns) {
            sections.resize(section + 1);
            sections[section].resize(qMax(sections[section].size(), column + 1));
            sections[section][column] = registers.mid(0x1A07, ColumnImage);
        } else if (command == 1 && section < sections.size() && column < sections[section].size()) {
            std::copy(sections[section][column].begin(), sections[section][column].end(), registers.begin() + 0x1A07);
            registers[0x1A05] = quint16(sections.size() - 1);
        } else {
            return 1;
        }
        return 0;
    }

    std::array<Program, 25> programs;
    int columns = 2;
};

} // namespace

class tst_QX1ProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void stop_waitsForTheBasicMode();
    void writeThenRead_givesTheProgramBack();
};

// Every road of a command on control word 0x1A00 and error code 0x1A01, with
// the analog columns 0 and 1. Program 2 holds two sections of two columns
// unless setup says otherwise. The request column is the first request's
// values; the result column the program list, or the number of sections and
// of setpoints in each read.
void tst_QX1ProgramTransmitter::command_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QVariantList>("request");
    QTest::addColumn<QVariant>("result");
    QTest::addColumn<QString>("log");
    const QString unknown = "Unknown Error";
    ProgramNames names;
    for (int key = 1; key <= 25; ++key)
        names.insert(key, key == 2 ? "Program 2" : "");
    const QVariant none;
    QTest::newRow("write, busy for ever") << "write" << "busy" << unknown << QVariantList() << none << "";
    QTest::newRow("write, error code") << "write" << "error code" << unknown << QVariantList() << none << "";
    QTest::newRow("write, refused column") << "write" << "1 column" << unknown << QVariantList() << none << "";
    QTest::newRow("write, lost connection") << "write" << "1a00 lost" << "Unable to connect" << QVariantList() << none
                                            << "";
    QTest::newRow("write, digital bit 8") << "write" << "bit 8" << unknown << QVariantList() << none
                                          << "Digital signal 4 has no place";
    QTest::newRow("write, no column 0") << "write" << "gap" << "Invalid data" << QVariantList() << none
                                        << "No signal for analog column 0";
    QTest::newRow("names") << "names" << "" << "" << QVariantList{0, 0, 0, 0, 1} << QVariant::fromValue(names) << "";
    QTest::newRow("read") << "read" << "" << "" << QVariantList{1, 0, 0, 0, 1} << QVariant(QVariantList{2, 2})
                          << "";
    // Section 0 tells how many columns the program has.
    QTest::newRow("read, one column") << "read" << "1 column" << "" << QVariantList() << QVariant(QVariantList{2, 1})
                                      << "";
    QTest::newRow("read, empty") << "read" << "0 sections" << "" << QVariantList() << QVariant(QVariantList{0, 0})
                                 << "";
    QTest::newRow("read, column refused in section 1") << "read" << "short section 1" << unknown << QVariantList()
                                                       << none << "";
    QTest::newRow("read, 99 sections") << "read" << "99 sections" << unknown << QVariantList() << none
                                       << "reports 99 sections, more than the 98";
    QTest::newRow("read, last section 255") << "read" << "256 sections" << unknown << QVariantList() << none
                                            << "reports 256 sections, more than the 98";
    QTest::newRow("delete") << "delete" << "" << "" << QVariantList{1, 255, 255, 255, 0, 5} << none << "";
    QTest::newRow("delete, error code") << "delete" << "error code" << unknown << QVariantList() << none << "";
    QTest::newRow("start") << "start" << "" << "" << QVariantList{0, 0U, 1, 0x400} << none << "";
    QTest::newRow("start, section 2, delay 90") << "start" << "delay 90" << "" << QVariantList{2, 3, 90U, 1, 0x400}
                                                << none << "";
    // A negative delay used to go out as a start about 136 years later.
    QTest::newRow("start, an hour ago") << "start" << "hour ago" << "" << QVariantList{0, 0U, 1, 0x400} << none
                                        << "3600 s in the past; starting now";
    QTest::newRow("stop, basic mode refused") << "stop" << "1a22 refused" << unknown << QVariantList{0x1000} << none
                                              << "";
    // The mode register is still cleared, but the stop did not happen.
    QTest::newRow("stop, stop refused") << "stop" << "second write refused" << unknown << QVariantList{0x1000} << none
                                        << "The stop request failed";
}

void tst_QX1ProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    QFETCH(QString, error);
    QFETCH(QVariantList, request);
    QFETCH(QVariant, result);
    QFETCH(QString, log);
    Qx1Bench bench;
    FakeModbusChamberConnection &connection = *bench.connection;
    const QVector<quint16> column(ColumnImage);
    bench.programs[1] = Program(2, {column, column});
    if (setup == "1 column")
        bench.columns = 1, bench.programs[1] = Program(2, {column});
    if (setup.endsWith(" sections"))
        bench.programs[1] = Program(setup.section(' ', 0, 0).toInt(), {column, column});
    if (setup == "short section 1")
        bench.programs[1][1].resize(1);
    connection.handshake.busyPolls = setup == "busy" ? std::numeric_limits<int>::max() : 0;
    if (setup == "error code")
        connection.handshake.forcedErrorCode = 2;
    if (const QString fault = setup.section(' ', 1); fault == "lost" || fault == "refused")
        connection.failNext(setup.section(' ', 0, 0).toUShort(nullptr, 16),
                            fault == "lost" ? ChamberError::ConnectionError : ChamberError::ProtocolError);
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(log));

    const Signals chamberSignals{chamberSignal(1, setup == "gap" ? 2 : 1), chamberSignal(2, setup == "gap" ? 3 : 2),
                                 chamberSignal(4, -1, setup == "bit 8" ? 8 : 7)};
    const Sections sections{programSection({SetpointValue(chamberSignals.at(0), QVariant(20.0f)),
                                            SetpointValue(chamberSignals.at(2), true)},
                                           60)};
    const QDateTime startTime = setup == "hour ago" ? QDateTime::currentDateTime().addSecs(-3600) : QDateTime();
    const bool delayed = setup == "delay 90";
    const ProgramStartOptions startOptions{startTime, delayed ? 90 : 0, delayed ? 2 : -1, delayed ? 3 : -1, 0, 0, 0};
    QVERIFY(startCommand(bench.transmitter, command, 2, sections, chamberSignals, startOptions));
    if (setup == "busy") {
        QTRY_VERIFY(connection.requests.size() > 20);
        connection.failNext(0x1A00, ChamberError::TimeoutError, 50ms);
    }
    if (setup == "second write refused") {
        QTRY_COMPARE(connection.requests.size(), 1);
        connection.failNext(0x1A22, ChamberError::ProtocolError);
    }
    QTRY_COMPARE_WITH_TIMEOUT(bench.spy.outcomes(), 1, 2000);
    QCOMPARE(bench.spy.lastError(), error);
    if (!request.isEmpty())
        QCOMPARE(connection.requests.first().values, request);
    if (command == "names")
        QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(), result.value<ProgramNames>());
    if (command == "read" && error.isEmpty()) {
        const Sections read = bench.spy.read.first().last().value<Sections>();
        QCOMPARE(read.size(), result.toList().first().toInt());
        for (const ProgramTransmittableSection &section : read)
            QCOMPARE(section.section().setpoints().size(), 1 + result.toList().last().toInt());
    }
    if (setup == "second write refused")
        QCOMPARE(connection.requests.size(), 3);

    // A later command ends on its own: no second end of the first one was on
    // its way.
    connection.handshake.busyPolls = 0;
    connection.handshake.forcedErrorCode.reset();
    QVERIFY(bench.transmitter.deleteProgram(1));
    QTRY_COMPARE(bench.spy.outcomes(), 2);
    QCOMPARE(bench.spy.deleted.count(), command == "delete" && error.isEmpty() ? 2 : 1);
}

void tst_QX1ProgramTransmitter::stop_waitsForTheBasicMode()
{
    Qx1Bench bench;
    QVERIFY(bench.transmitter.stopProgram());
    QTRY_COMPARE(bench.spy.stopped.count(), 1);
    const QList<FakeModbusChamberConnection::Request> &requests = bench.connection->requests;
    QCOMPARE(requests.size(), 3);
    QCOMPARE(requests.at(0).values + requests.at(1).values + requests.at(2).values, (QVariantList{0x1000, 0x0800, 0}));
    QVERIFY(requests.at(1).madeAt - requests.at(0).madeAt >= 500ms);
    QCOMPARE(bench.spy.outcomes(), 1);
}

void tst_QX1ProgramTransmitter::writeThenRead_givesTheProgramBack()
{
    Qx1Bench bench;
    ChamberSignal percent = chamberSignal(5, -1);
    percent.setUnit(Unit::Percent);
    const Signals chamberSignals{chamberSignal(1, 1), chamberSignal(2, 2), percent, chamberSignal(3, -1, 0),
                                 chamberSignal(4, -1, 7)};
    const auto band = [](float lower, float upper) {
        return ToleranceRange(ToleranceRange::Relative, UnitValue(Unit::DegreeCelsius, QVariant(lower)),
                              UnitValue(Unit::DegreeCelsius, QVariant(upper)));
    };
    // In the order of a read: column 0 with what the section holds once,
    // then column 1.
    const auto section = [&](float first, float second, std::optional<float> humidity, bool bit, qint64 duration) {
        QList<SetpointValue> setpoints{SetpointValue(chamberSignals.at(0), QVariant(first), band(1.5f, 2.0f))};
        if (humidity)
            setpoints << SetpointValue(percent, QVariant(*humidity));
        setpoints << SetpointValue(chamberSignals.at(3), bit) << SetpointValue(chamberSignals.at(4), !bit)
                  << SetpointValue(chamberSignals.at(1), QVariant(second), band(0.0f, 0.5f));
        return ProgramTransmittableSection(ProgramSection(0, setpoints, duration, ProgramSection::RAMP, false, {}),
                                           int(duration % 7), 2);
    };
    const Sections sections{section(25.0f, -10.5f, 55.0f, true, 60), section(80.0f, 7.25f, {}, false, 3600),
                            section(40.0f, 0.0f, 10.0f, true, 1)};
    QVERIFY(bench.transmitter.writeProgram(3, "Heat", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);

    // Section by section, column by column; 0x1A05 follows the section.
    QList<FakeModbusChamberConnection::Request> writes;
    std::copy_if(bench.connection->requests.begin(), bench.connection->requests.end(), std::back_inserter(writes),
                 [](const auto &request) { return request.isWrite; });
    QCOMPARE(writes.size(), 6);
    for (int i = 0; i < writes.size(); ++i)
        QCOMPARE(writes.at(i).values.mid(0, 5), (QVariantList{2, i % 2, i / 2, i / 2, 0}));
    QCOMPARE(writes.at(0).values.at(5).value<QVector<float>>(), (QVector<float>{25.0f, 55.0f, -1.5f, 2.0f}));
    // Without a "%" setpoint the value is full scale.
    QCOMPARE(writes.at(3).values.at(5).value<QVector<float>>(), (QVector<float>{7.25f, 100.0f, 0.0f, 0.5f}));
    QCOMPARE(writes.at(2).values.mid(6), (QVariantList{0x80U, 3600U, 2, 2, 5}));

    QVERIFY(bench.transmitter.readProgram(3, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 1);
    QCOMPARE(bench.spy.read.first().first(), QVariant("Program 3"));
    // The full-scale "%" value comes back as a setpoint.
    Sections expected = sections;
    expected[1] = section(80.0f, 7.25f, 100.0f, false, 3600);
    QCOMPARE(bench.spy.read.first().last().value<Sections>(), expected);
    QCOMPARE(bench.spy.outcomes(), 2);
}

QTEST_GUILESS_MAIN(tst_QX1ProgramTransmitter)
#include "tst_qx1programtransmitter.moc"
