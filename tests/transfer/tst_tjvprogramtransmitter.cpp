#include "tjvftppeer.h"
#include "transferbench.h"

#include "transfer/tjvprogramtransmitter.h"

#include <QtTest/QtTest>

using namespace transferbench;
using namespace std::chrono_literals;
using quelta::base::connection::chamberconnection::TjvFtpConnection;
using quelta::base::connection::chamberconnection::TjvProgramTransmitter;
using Sections = QList<ProgramTransmittableSection>;

namespace {

const QString slot1 = "Program/User0/ProgramTime/1/";

// A TJV controller on pyftpdlib with the directories of slots 0 to 2.
struct TjvBench
{
    bool start(const TjvFtpPeer::Options &options = {})
    {
        for (int slot = 0; slot < 3; ++slot)
            QDir().mkpath(peer.localPath(QString("Program/User0/ProgramTime/%1").arg(slot)));
        if (!peer.start(options))
            return false;
        const QSharedPointer<TjvFtpConnection> connection(peer.connect().release());
        connection->setTimeout(300ms);
        return transmitter.setFtpConnection(connection);
    }

    TjvFtpPeer peer;
    TjvProgramTransmitter transmitter;
    TransmitterSpy spy{&transmitter};
};

} // namespace

class tst_TjvProgramTransmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void command_endsExactlyOnce_data();
    void command_endsExactlyOnce();
    void writeThenRead_givesTheProgramBack_data();
    void writeThenRead_givesTheProgramBack();
    void delete_removesEachListedNameAsListed_data();
    void delete_removesEachListedNameAsListed();
    void readProgramNames_gives52Names_andRefusesOthersMeanwhile();
};

// The table of slot 1 holds the setup's text in the read, names and delete
// rows.
void tst_TjvProgramTransmitter::command_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("files");
    const QString line = "\t1.00\t1\t0\t0\t-999.00\t999.00\t0\r\n";
    const QStringList both{"ID0x2001.tpg", "ProgName.txt"};
    QTest::newRow("write") << "write" << "" << "" << both;
    QTest::newRow("write, 999.996 uploads nothing") << "write" << "999.996" << "Unknown Error" << QStringList();
    QTest::newRow("write, unknown signal") << "write" << "unknown signal" << "Unknown Error" << QStringList();
    QTest::newRow("write, no sections") << "write" << "no sections" << "" << QStringList{"ProgName.txt"};
    // Once reported written with the name alone stored: the bits travel in
    // the analog tables.
    QTest::newRow("write, switches only") << "write" << "switches only"
                                          << "The controller cannot store a program without analog setpoints"
                                          << QStringList();
    // A table of another program that cannot be removed: a directory.
    QTest::newRow("write, a stale table stays") << "write" << "stale table stays"
                                                << "FTP delete of ftp://127.0.0.1:" << QStringList();
    // Stale tables cannot be told from none. A refused log-in is a 530
    // reply, but none to the listing.
    QTest::newRow("write, slot listing unanswered") << "write" << "NLST" << "FTP ls of ftp://127.0.0.1:"
                                                    << QStringList();
    QTest::newRow("write, log-in refused") << "write" << "wrong password" << "FTP ls of ftp://127.0.0.1:"
                                           << QStringList();
    // Section 2 after section 0 used to index past the sections read.
    QTest::newRow("read, section number skips ahead")
        << "read" << "Nr.\tWert\tH:M:S\tRef.\tWdh.\tT.min\tT.max\tR/S\r\n0" + line + "2" + line
        << "Could not parse line of TJV program" << both;
    // A silent controller used to give 52 empty slots, one time-out each.
    QTest::newRow("names, silent server") << "names" << "frozen" << "FTP get of ftp://127.0.0.1:" << both;
    QTest::newRow("delete") << "delete" << "" << "" << QStringList();
}

void tst_TjvProgramTransmitter::command_endsExactlyOnce()
{
    QFETCH(QString, command);
    QFETCH(QString, setup);
    QFETCH(QString, error);
    QFETCH(QStringList, files);
    TjvBench bench;
    TjvFtpPeer::Options options;
    if (setup == "NLST")
        options.stalledCommand = setup;
    if (setup == "wrong password")
        options.password = setup;
    QVERIFY(bench.start(options));
    if (command != "write")
        QVERIFY(bench.peer.writeFile(slot1 + "ProgName.txt", "P\r\n")
                && bench.peer.writeFile(slot1 + "ID0x2001.tpg", setup.toUtf8()));
    if (setup == "frozen")
        QVERIFY(bench.peer.freeze());
    if (setup == "stale table stays")
        QVERIFY(QDir().mkpath(bench.peer.localPath(slot1 + "ID0x2009.tpg")));

    QList<ChamberSignal> chamberSignals{chamberSignal(1, 1)};
    if (setup == "switches only")
        chamberSignals.append(chamberSignal(3, -1, 0));
    const int signalId = setup == "unknown signal" ? 7 : setup == "switches only" ? 3 : 1;
    const SetpointValue setpoint(signalId, setup == "999.996" ? 999.996f : 23.5f, 0, Unit::DegreeCelsius);
    const Sections sections = Sections{{ProgramSection(0, {setpoint}, 3600, ProgramSection::RAMP, false, {}), 0, 0}}
                                  .mid(setup == "no sections" ? 1 : 0);
    TjvProgramTransmitter &transmitter = bench.transmitter;
    QVERIFY(command == "write"   ? transmitter.writeProgram(2, "P", sections, chamberSignals)
            : command == "read"  ? transmitter.readProgram(2, chamberSignals)
            : command == "names" ? transmitter.readProgramNames()
                                 : transmitter.deleteProgram(2));
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.lastError().left(error.size()), error);
    QCOMPARE(QDir(bench.peer.localPath(slot1)).entryList(QDir::Files), files);
    if (command == "write" && setup.isEmpty())
        QCOMPARE(bench.peer.readFile(slot1 + "ID0x2001.tpg"), "Nr.\tWert\tH:M:S\tRef.\tWdh.\tT.min\tT.max\tR/S\r\n"
                                                          "0\t23.50\t3600\t0\t0\t-999.00\t999.00\t0\r\n");

    // A later command ends on its own: no second end of the first one was on
    // its way.
    QVERIFY(bench.transmitter.deleteProgram(3));
    QTRY_COMPARE(bench.spy.outcomes(), 2);
    const bool laterFails = setup == "frozen" || setup == "NLST" || setup == "wrong password";
    QCOMPARE(bench.spy.errors.count(), (error.isEmpty() ? 0 : 1) + (laterFails ? 1 : 0));
}

void tst_TjvProgramTransmitter::writeThenRead_givesTheProgramBack_data()
{
    QTest::addColumn<int>("emptyListingReply");
    QTest::newRow("an empty slot listed empty") << 0;
    QTest::newRow("an empty slot's listing refused with 450") << 450;
    // Once the first write, into the empty slot, failed on its listing.
    QTest::newRow("an empty slot's listing refused with 550") << 550;
}

void tst_TjvProgramTransmitter::writeThenRead_givesTheProgramBack()
{
    QFETCH(int, emptyListingReply);
    TjvBench bench;
    TjvFtpPeer::Options options;
    options.emptyListingReply = emptyListingReply;
    QVERIFY(bench.start(options));
    // With a digital signal first, the bits are not in the table of signal 0.
    const ChamberSignal first = chamberSignal(1, 1), second = chamberSignal(2, 2);
    const ChamberSignal bit0 = chamberSignal(3, -1, 0), bit2 = chamberSignal(4, -1, 2);
    const QList<ChamberSignal> chamberSignals{bit0, first, bit2, second};
    const int relative = ToleranceRange::Relative, celsius = Unit::DegreeCelsius;
    const auto step = [&](float a, float below, bool on0, bool on2, float b, qint64 duration) {
        const QList<SetpointValue> setpoints{
            SetpointValue(first, a, Unit::DegreeCelsius, {relative, {celsius, below}, {celsius, 2.0f}}),
            SetpointValue(bit0, on0), SetpointValue(bit2, on2),
            SetpointValue(second, b, Unit::DegreeCelsius, {relative, {celsius, {}}, {celsius, {}}})};
        return ProgramTransmittableSection(
            ProgramSection(0, setpoints, duration, ProgramSection::TransitionType(duration % 2), false, {}), 1, 2);
    };
    const Sections sections{step(25.0f, 0.5f, true, false, -10.5f, 60), step(80.0f, 0.0f, false, true, 0.0f, 3601),
                            step(-40.25f, -1.5f, true, true, 999.99f, 1)};
    QVERIFY(bench.transmitter.writeProgram(2, "Wärme", sections, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 1);
    QCOMPARE(bench.peer.readFile(slot1 + "ProgName.txt"), "W\xc3\xa4rme\r\n");
    QVERIFY(bench.peer.readFile(slot1 + "ID0x2001.tpg").contains("\r\n0\t25.00\t60\t1\t2\t-0.50\t2.00\t0\t1\r\n"));

    QVERIFY(bench.transmitter.readProgram(2, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 1);
    QCOMPARE(bench.spy.read.first().first(), QVariant("Wärme"));
    QCOMPARE(bench.spy.read.first().last().value<Sections>(), sections);

    // Without the first table the bits come with the second.
    QVERIFY(QFile::remove(bench.peer.localPath(slot1 + "ID0x2001.tpg")));
    QVERIFY(bench.transmitter.readProgram(2, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 2);
    const QList<SetpointValue> last = sections.at(2).section().setpoints();
    QCOMPARE(bench.spy.read.last().last().value<Sections>().at(2).section().setpoints(),
             (QList<SetpointValue>{last.at(3), last.at(1), last.at(2)}));

    // A shorter program of the first signal alone replaces the longer one
    // whole. Once the second signal's table stayed, and the read gave its
    // three sections with the new name.
    const Sections shorter{ProgramTransmittableSection(
        ProgramSection(0,
                       {SetpointValue(first, 5.0f, Unit::DegreeCelsius, {relative, {celsius, 1.0f}, {celsius, {}}}),
                        SetpointValue(bit0, false), SetpointValue(bit2, true)},
                       30, ProgramSection::JUMP, false, {}),
        0, 0)};
    QVERIFY(bench.transmitter.writeProgram(2, "Kurz", shorter, chamberSignals));
    QTRY_COMPARE(bench.spy.written.count(), 2);
    QCOMPARE(QDir(bench.peer.localPath(slot1)).entryList(QDir::Files), (QStringList{"ID0x2001.tpg", "ProgName.txt"}));
    QVERIFY(bench.transmitter.readProgram(2, chamberSignals));
    QTRY_COMPARE(bench.spy.read.count(), 3);
    QCOMPARE(bench.spy.read.last().first(), QVariant("Kurz"));
    QCOMPARE(bench.spy.read.last().last().value<Sections>(), shorter);
    QCOMPARE(bench.spy.outcomes(), 5);
}

void tst_TjvProgramTransmitter::delete_removesEachListedNameAsListed_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("listedOnly"); // a name listed in the slot without a file
    // Once read as URL text: "a#b" deleted "a", "x?y" deleted "x" and
    // "%41.tpg" deleted "A.tpg".
    QTest::newRow("names that URL text would change")
        << QStringList{"%41.tpg", "A.tpg", "ProgName.txt", "a", "a#b", "b c", "x", "x?y"} << QString();
    // Once appended to the slot directory unchecked.
    QTest::newRow("a listed path into another slot") << QStringList{"ProgName.txt"} << "../0/ProgName.txt";
}

void tst_TjvProgramTransmitter::delete_removesEachListedNameAsListed()
{
    QFETCH(QStringList, files);
    QFETCH(QString, listedOnly);
    const QString slot0 = "Program/User0/ProgramTime/0/";
    TjvBench bench;
    for (const QString &file : files)
        QVERIFY(bench.peer.writeFile(slot1 + file, file.toUtf8()));
    QVERIFY(bench.peer.writeFile(slot0 + "ProgName.txt", "Other\r\n"));
    TjvFtpPeer::Options options;
    if (!listedOnly.isEmpty()) {
        options.listedNames.append({"/" + slot1.chopped(1), listedOnly});
        QTest::ignoreMessage(QtWarningMsg, qPrintable("(TJV) Listed name left alone, it is no plain file name: \""
                                                      + listedOnly + "\""));
    }
    QVERIFY(bench.start(options));

    QVERIFY(bench.transmitter.deleteProgram(2));
    QTRY_COMPARE(bench.spy.outcomes(), 1);
    QCOMPARE(bench.spy.deleted.count(), 1);
    QCOMPARE(QDir(bench.peer.localPath(slot1)).entryList(QDir::Files), QStringList());
    QCOMPARE(bench.peer.readFile(slot0 + "ProgName.txt"), "Other\r\n");
}

void tst_TjvProgramTransmitter::readProgramNames_gives52Names_andRefusesOthersMeanwhile()
{
    TjvBench bench;
    QVERIFY(bench.peer.writeFile("Program/User0/ProgramTime/0/ProgName.txt", "Test\r\nrest"));
    QVERIFY(bench.peer.writeFile("Program/User0/ProgramTime/5/ProgName.txt", "Heat\n"));
    QVERIFY(bench.start());
    QVERIFY(bench.transmitter.readProgramNames());
    QVERIFY(!bench.transmitter.deleteProgram(1));
    QCOMPARE(bench.spy.lastError(), QString("Device busy: 'Read program list from chamber'"));
    for (const char *operation : {"readProgramName' not implemented", "startProgram' not supported",
                                  "stopProgram' not supported"})
        QTest::ignoreMessage(QtWarningMsg, (QByteArray("(TJV) Operation '") + operation).constData());
    QVERIFY(!bench.transmitter.readProgramName(1) && !bench.transmitter.startProgram(1, {})
            && !bench.transmitter.stopProgram());

    QTRY_COMPARE(bench.spy.names.count(), 1);
    QCOMPARE(bench.spy.names.first().first().value<ProgramNames>(), programList(52, {{1, "Test"}, {6, "Heat\n"}}));
    QCOMPARE(bench.spy.outcomes(), 2);
}

QTEST_GUILESS_MAIN(tst_TjvProgramTransmitter)

#include "tst_tjvprogramtransmitter.moc"
