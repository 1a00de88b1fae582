#include "tjvftppeer.h"

#include "transfer/tjvdatalogformat.h"
#include "transfer/tjvdataloggercheckyears.h"
#include "transfer/tjvdataloggerreader.h"

#include <QtCore/QDir>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

using namespace quelta::domain::types;
using namespace quelta::base::connection::chamberconnection;

namespace {

constexpr int WaitMs = 10000;

// Connections to the server of peer, which give up on it after 2 s of silence.
TjvDataLoggerReaderImpl::FtpConnectionFactory connectionTo(const TjvFtpPeer &peer)
{
    return [&peer] {
        QSharedPointer<TjvFtpConnection> connection(peer.connect().release());
        connection->setTimeout(std::chrono::seconds(2));
        return connection;
    };
}

const QDate today = QDate::currentDate();
const QDate yesterday = today.addDays(-1);

ChamberSignal signalAt(int id, int unit, const QString &readAddress = QString())
{
    ChamberSignal signal;
    signal.setId(id);
    signal.setUnit(unit);
    signal.setReadAddress(QSharedPointer<const ControllerAddress>::create(ControllerAddressId(), readAddress, 0, 38, 1,
                                                                          -1, QString()));
    return signal;
}

const QList<ChamberSignal> chamberSignals{signalAt(1, Unit::DegreeCelsius, "0x00010001"),
                                          signalAt(2, Unit::RelativeHumidityRF, "0x00010002"),
                                          signalAt(3, Unit::Volt, "0x00010001"),
                                          signalAt(4, Unit::Volt, "0x00010003")};

QByteArray block(const QByteArray &logging, const QByteArray &id)
{
    return "[Channel]\nName=Channel\nID=" + id + "\nUnit=1\nLogging=" + logging + "\nPrecision=1\n\n";
}

const QByteArray canIdIni = block("TRUE", "0x00010001") + block("FALSE", "0x00010002") + block("TRUE", "0x00010002");

QString logFile(const QDate &day, const QString &suffix = ".txt")
{
    return day.toString("'SDMemory/DataRec/'yyyy/yyyyMM/yyyyMMdd") + suffix;
}

RecordingData recordingFrom(const QDateTime &start)
{
    RecordingData recording;
    recording.setStartTime(start);
    return recording;
}

// "<time> <signal id>=<value> ..." per record, joined by "; ".
QString recordsText(const QList<Recordset> &recordsets, const QString &timeFormat = "HH:mm:ss")
{
    QStringList records;
    for (const Recordset &record : recordsets) {
        QString text = record.recordTime().toString(timeFormat);
        for (const SetpointValue &value : record.values())
            text += QString(" %1=%2").arg(value.signalId()).arg(value.rawValue().toFloat());
        records.append(text);
    }
    return records.join("; ");
}

// The records of the lines of a daily file from 2022-12-01 09:00:00 on.
QList<Recordset> recordsOf(const QByteArray &lines, const QList<ChamberSignal> &columns)
{
    const QByteArray header = QByteArray("2022-12-01 09:00:00 0\n").repeated(TjvDataLogFormat::HeaderLines);
    const RecordingData recording = recordingFrom(QDateTime(QDate(2022, 12, 1), QTime(9, 0)));
    return TjvDataLogFormat::recordsets(header + lines, columns, recording);
}

} // namespace

class tst_TjvDataLoggerReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_thread.start(); }
    void cleanup()
    {
        m_thread.quit();
        m_thread.wait();
    }
    void columns_data();
    void columns();
    void recordsets_data();
    void recordsets();
    void daySearch_data();
    void daySearch();
    void read_givesTheRecordsInTimeOrder();
    void read_endsExactlyOnce_data();
    void read_endsExactlyOnce();
    void monthRead_onAControllerOfFourConnections_data();
    void monthRead_onAControllerOfFourConnections();
    void read_isRefusedWithoutRunningThread();

private:
    QThread m_thread;
};

void tst_TjvDataLoggerReader::columns_data()
{
    QTest::addColumn<QByteArray>("canIdIni");
    QTest::addColumn<QList<int>>("columnIds");
    QTest::addColumn<QString>("record"); // of a line with the numbers 11.0 22.0 33.0
    QTest::addColumn<int>("invalidBlocks");
    QTest::newRow("logged, not logged, unknown address, invalid")
            << block("TRUE", "0x00010001") + block("FALSE", "0x00010002") + block("TRUE", "0x000100FF")
                       + block("true", "0x00010001") + block("TRUE", "0x0001000a")
            << QList<int>{1, -1} << "10:00:00 1=11" << 2;
    QTest::newRow("short last block") << block("TRUE", "0x00010002") + "ID=0x00010001\r\nLogging=TRUE\r\n"
                                      << QList<int>{2, 1} << "10:00:00 1=22 2=11" << 0;
    // The first eight digits of these were once read as signal 1's address;
    // then the ninth digit's column was dropped and the later ones moved up.
    QTest::newRow("an ID with a ninth digit or a CR among its digits")
            << block("TRUE", "0x000100011") + block("TRUE", "0x0001\r0001") + block("TRUE", "0x00010002")
            << QList<int>{-1, 2} << "10:00:00 2=22" << 2;
    QTest::newRow("a ninth digit in lower case, one in a block not logged")
            << block("TRUE", "0x0001000Fa") + block("FALSE", "0x000100021") + block("TRUE", "0x00010003")
            << QList<int>{-1, 4} << "10:00:00 4=22" << 1;
    // Once dropped with its column, as the ninth digit was.
    QTest::newRow("an ID followed by other text")
            << block("TRUE", "0x00010001;x") + block("TRUE", "0x00010002") + block("TRUE", "0x00010003")
            << QList<int>{1, 2, 4} << "10:00:00 1=11 2=22 4=33" << 0;
}

void tst_TjvDataLoggerReader::columns()
{
    QFETCH(QByteArray, canIdIni);
    QFETCH(int, invalidBlocks);
    for (int i = 0; i < invalidBlocks; ++i)
        QTest::ignoreMessage(QtCriticalMsg, "Invalid block in CANID.ini");
    const QList<ChamberSignal> columns = TjvDataLogFormat::columns(canIdIni, chamberSignals);
    QList<int> ids;
    for (const ChamberSignal &signal : columns)
        ids.append(signal.id());
    QTEST(ids, "columnIds");
    QTEST(recordsText(recordsOf("2022-12-01 10:00:00 11.0 22.0 33.0\n", columns)), "record");
}

void tst_TjvDataLoggerReader::recordsets_data()
{
    QTest::addColumn<QList<int>>("units"); // the column of signal i + 1; -1 a placeholder
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("expected");
    QTest::newRow("a status group ends the values") << QList<int>{0, 3}
            << QByteArray("2022-12-01 10:00:00 21.5 45.0 0x0001 7\n") << "10:00:00 1=21.5 2=45";
    QTest::newRow("degrees Celsius converted, a placeholder's column dropped") << QList<int>{1, -1, 2, 16}
            << QByteArray("2022-12-01 10:00:00\t20 99 20   -5.5\r\n") << "10:00:00 1=68 3=293.15 4=-5.5";
    QTest::newRow("more numbers than columns, fewer numbers than columns") << QList<int>{0, 3}
            << QByteArray("2022-12-01 10:00:00 1 2 3\n2022-12-01 10:00:10 4\n") << "10:00:00 1=1 2=2; 10:00:10 1=4";
    // The CR was once dropped and the line read as 215.
    QTest::newRow("a line with a CR among its numbers skipped") << QList<int>{0, 3}
            << QByteArray("2022-12-01 10:00:00 21\r5 45\r\n2022-12-01 10:00:10 22 46\r\n") << "10:00:10 1=22 2=46";
    QTest::newRow("before the start skipped, a line without time ends the file") << QList<int>{0}
            << QByteArray("2022-12-01 08:59:59 1\n2022-12-01 09:00:00 2\n2022-13-01 09:30:00 3\nend\n"
                          "2022-12-01 11:00:00 4\n")
            << "09:00:00 1=2";
}

void tst_TjvDataLoggerReader::recordsets()
{
    QFETCH(QList<int>, units);
    QFETCH(QByteArray, lines);
    QList<ChamberSignal> columns;
    for (int i = 0; i < units.size(); ++i)
        columns.append(units.at(i) < 0 ? ChamberSignal() : signalAt(i + 1, units.at(i)));
    QTEST(recordsText(recordsOf(lines, columns)), "expected");
}

void tst_TjvDataLoggerReader::daySearch_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<int>("emptyListingReply");
    QTest::addColumn<QStringList>("expected");
    const QDate from(2023, 11, 15);
    const QDate to(2024, 1, 5);
    QTest::newRow("November to January") << from << to << 0
                                         << QStringList{"20231115", "20231130", "20231201", "20240105"};
    // October has no directory.
    QTest::newRow("a month that cannot be listed") << QDate(2023, 10, 1) << QDate(2023, 11, 14) << 0
                                                   << QStringList{"20231114"};
    // September's directory is empty.
    QTest::newRow("an empty month refused with 450") << QDate(2023, 9, 1) << QDate(2023, 11, 14) << 450
                                                     << QStringList{"20231114"};
    QTest::newRow("an empty month refused with 550") << QDate(2023, 9, 1) << QDate(2023, 11, 14) << 550
                                                     << QStringList{"20231114"};
    QTest::newRow("start after end") << to << from << 0 << QStringList();
    QTest::newRow("no start") << QDate() << to << 0 << QStringList();
}

void tst_TjvDataLoggerReader::daySearch()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(int, emptyListingReply);
    TjvFtpPeer peer;
    // Names with a sign or a ninth character were once taken for the days
    // 2023-12-03, 2024-01-01 and 2023-11-16.
    for (const QString name : {"2023/202311/20231114.txt", "2023/202311/20231115.txt", "2023/202311/20231115.TXT",
                               "2023/202311/20231130.TXT", "2023/202311/20231120.csv", "2023/202311/notes.txt",
                               "2023/202311/20231116x.txt", "2023/202312/202312+3.txt", "2024/202401/2024+101.txt",
                               "2023/202312/20231201.txt", "2024/202401/20240105.txt", "2024/202401/20240106.txt"})
        QVERIFY(peer.writeFile("SDMemory/DataRec/" + name, ""));
    QVERIFY(QDir().mkpath(peer.localPath("SDMemory/DataRec/2023/202309")));
    TjvFtpPeer::Options options;
    options.emptyListingReply = emptyListingReply;
    QVERIFY(peer.start(options));

    QPointer<TjvDataLoggerCheck> search = new TjvDataLoggerCheckYears(from, to, connectionTo(peer)());
    QSignalSpy validDates(search.data(), &TjvDataLoggerCheck::validDates);
    search->startRequest();
    QTRY_VERIFY_WITH_TIMEOUT(search.isNull(), WaitMs);
    QCOMPARE(validDates.count(), 1);
    QStringList days;
    for (const QDate &day : validDates.first().first().value<QList<QDate>>())
        days.append(day.toString("yyyyMMdd"));
    std::sort(days.begin(), days.end()); // a directory lists in no particular order
    QTEST(days, "expected");
}

void tst_TjvDataLoggerReader::read_givesTheRecordsInTimeOrder()
{
    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("Config/System/CANID.ini", canIdIni));
    // Five header lines, then the records. Yesterday's file is the larger one
    // and arrives last.
    const QString head = "'\n\n\n\n\n'";
    QVERIFY(peer.writeFile(logFile(yesterday), yesterday.toString(head + "yyyy-MM-dd' 23:59:50 20.5 40\nend'").toUtf8()
                                                       + QByteArray(4 << 20, '\n')));
    QVERIFY(peer.writeFile(logFile(today),
                           today.toString(head + "yyyy-MM-dd' 00:00:00 21 41\n'yyyy-MM-dd' 00:00:30 22'").toUtf8()));
    QVERIFY(peer.start());
    TjvDataLoggerReader reader(connectionTo(peer), &m_thread);
    QSignalSpy finished(&reader, &TjvDataLoggerReader::finished);
    QThread *deliveredOn = nullptr;
    connect(&reader, &TjvDataLoggerReader::finished, this, [&] { deliveredOn = QThread::currentThread(); });

    QVERIFY(reader.readDataLogger(recordingFrom(yesterday.startOfDay()), chamberSignals, false));
    QVERIFY(!reader.readDataLogger(recordingFrom(yesterday.startOfDay()), chamberSignals, false));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(deliveredOn, QThread::currentThread());
    QCOMPARE(finished.first().at(0).value<RecordingData>().secondsInterval(), 10);
    QCOMPARE(recordsText(finished.first().at(1).value<QList<Recordset>>(), "dd HH:mm:ss"),
             yesterday.toString("dd 23:59:50 1=20.5 2=40; ") + today.toString("dd 00:00:00 1=21 2=41; ")
                     + today.toString("dd 00:00:30 1=22"));
}

void tst_TjvDataLoggerReader::read_endsExactlyOnce_data()
{
    QTest::addColumn<QByteArray>("canIdIni");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("freeze");
    QTest::addColumn<QString>("stalledCommand");
    QTest::addColumn<int>("finishedPerRead"); // without records
    QTest::addColumn<QString>("error");
    QTest::newRow("no column description") << QByteArray() << QString() << false << QString() << 0
                                           << "Could not fetch CANID.ini file (FTP get";
    QTest::newRow("no day with a file") << canIdIni << QString() << false << QString() << 1 << "No Values found";
    QTest::newRow("a file without records") << canIdIni << logFile(today) << false << QString() << 1
                                            << "No Values found";
    // Listed, but fetched as ".txt".
    QTest::newRow("a file that cannot be fetched") << canIdIni << logFile(today, ".TXT") << false << QString() << 0
            << "Could not fetch log file (ftp://127.0.0.1:%1//" + logFile(today) + ")";
    // Once reported as a log without values, like an empty one.
    QTest::newRow("a day listing that gets no answer") << canIdIni << logFile(today) << false << "NLST" << 0
            << "Could not list log files (FTP ls of ftp://127.0.0.1:%1//SDMemory/DataRec/";
    QTest::newRow("the thread ends during the read") << canIdIni << QString() << true << QString() << 0
                                                     << "Unknown Error";
}

void tst_TjvDataLoggerReader::read_endsExactlyOnce()
{
    QFETCH(QByteArray, canIdIni);
    QFETCH(QString, file);
    QFETCH(bool, freeze);
    QFETCH(QString, stalledCommand);
    QFETCH(int, finishedPerRead);
    QFETCH(QString, error);
    TjvFtpPeer peer;
    QVERIFY(canIdIni.isEmpty() || peer.writeFile("Config/System/CANID.ini", canIdIni));
    QVERIFY(file.isEmpty() || peer.writeFile(file, ""));
    TjvFtpPeer::Options options;
    options.stalledCommand = stalledCommand;
    QVERIFY(peer.start(options) && (!freeze || peer.freeze()));
    TjvDataLoggerReader reader(connectionTo(peer), &m_thread);
    QSignalSpy finished(&reader, &TjvDataLoggerReader::finished);
    QSignalSpy errors(&reader, &TjvDataLoggerReader::error);
    // Each finished() here has an error() to follow, which ends the read.
    bool acceptedBeforeTheEnd = false;
    connect(&reader, &TjvDataLoggerReader::finished, this, [&] {
        acceptedBeforeTheEnd |= reader.readDataLogger(recordingFrom(today.startOfDay()), chamberSignals, false);
    });

    // A second read, where there can be one, ends after any stray signal of
    // the first.
    for (int read = 1; read <= (freeze ? 1 : 2); ++read) {
        QVERIFY(reader.readDataLogger(recordingFrom(today.startOfDay()), chamberSignals, false));
        if (freeze)
            cleanup();
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), read, WaitMs);
        QCOMPARE(finished.count(), read * finishedPerRead);
        const QString text = errors.last().first().toString();
        QVERIFY2(text.startsWith(QString(error).replace("%1", QString::number(peer.port()))), qPrintable(text));
    }
    QVERIFY(!acceptedBeforeTheEnd);
}

void tst_TjvDataLoggerReader::monthRead_onAControllerOfFourConnections_data()
{
    QTest::addColumn<int>("refusedDay"); // days before today; -1 for none
    QTest::addColumn<QString>("error");
    // Once every day was fetched at once, and the controller refused all
    // but four.
    QTest::newRow("every day read") << -1 << QString();
    // Once the day was dropped without a word.
    QTest::newRow("a day whose file is refused is named")
            << 3 << "Data log incomplete, could not fetch the log files of " + today.addDays(-3).toString(Qt::ISODate);
}

void tst_TjvDataLoggerReader::monthRead_onAControllerOfFourConnections()
{
    QFETCH(int, refusedDay);
    QFETCH(QString, error);
    constexpr int Days = 30;
    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("Config/System/CANID.ini", canIdIni));
    for (int back = 0; back < Days; ++back) {
        const QDate day = today.addDays(-back);
        // A directory is listed like the file, and cannot be fetched.
        QVERIFY(back == refusedDay ? QDir().mkpath(peer.localPath(logFile(day)))
                                   : peer.writeFile(logFile(day), day.toString("'\n\n\n\n\n'yyyy-MM-dd' 12:00:00 %1'")
                                                                          .arg(back).toUtf8()));
    }
    TjvFtpPeer::Options options;
    options.maxConnectionsPerAddress = 4;
    QVERIFY(peer.start(options));
    TjvDataLoggerReader reader(connectionTo(peer), &m_thread);
    QSignalSpy finished(&reader, &TjvDataLoggerReader::finished);
    QSignalSpy errors(&reader, &TjvDataLoggerReader::error);

    QVERIFY(reader.readDataLogger(recordingFrom(today.addDays(1 - Days).startOfDay()), chamberSignals, false));
    QVERIFY(finished.wait(WaitMs));
    QStringList expected;
    for (int back = Days - 1; back >= 0; --back) {
        if (back != refusedDay)
            expected.append(today.addDays(-back).toString("MM-dd 12:00:00 1=%1").arg(back));
    }
    QCOMPARE(recordsText(finished.first().at(1).value<QList<Recordset>>(), "MM-dd HH:mm:ss"), expected.join("; "));
    QCOMPARE(finished.first().at(0).value<RecordingData>().secondsInterval(), 24 * 60 * 60);
    // An error of the read follows its records at once.
    QCOMPARE(errors.count(), error.isEmpty() ? 0 : 1);
    QVERIFY(error.isEmpty() || errors.first().first().toString() == error);

    // The read has ended: the next one is taken, and ends on its own.
    QVERIFY(reader.readDataLogger(recordingFrom(today.startOfDay()), chamberSignals, false));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, WaitMs);
    QCOMPARE(errors.count(), error.isEmpty() ? 0 : 1);
}

void tst_TjvDataLoggerReader::read_isRefusedWithoutRunningThread()
{
    QVERIFY(!TjvDataLoggerReader(QHostAddress::LocalHost, nullptr).readDataLogger({}, chamberSignals, false));
    TjvDataLoggerReader reader(QHostAddress::LocalHost, &m_thread);
    cleanup();
    QVERIFY(!reader.readDataLogger({}, chamberSignals, false));
}

QTEST_GUILESS_MAIN(tst_TjvDataLoggerReader)

#include "tst_tjvdataloggerreader.moc"
