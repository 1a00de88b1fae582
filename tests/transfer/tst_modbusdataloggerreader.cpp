#include "dataloggersimulator.h"

#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "domain/types/metatypes.h"
#include "transfer/qx2dataloggerreader.h"
#include "transfer/zk4dataloggerreader.h"

#include <QtTest/QtTest>

#include <memory>
#include <numeric>

using namespace quelta::base::connection::chamberconnection;
using namespace quelta::domain::types;

namespace {

constexpr quint32 FirstStamp = 1600000000;

// A reader whose parser finds no whole record in any block.
class BlindReader : public QX2DataLoggerReader
{
    int parseLoggerData(QList<Recordset> &, const QList<ChamberSignal> &, const QVector<uchar> &) override
    {
        return 0;
    }
};

// A recording whose span holds the given number of intervals and half of one.
RecordingData recordingOf(int intervals, int interval)
{
    RecordingData recording;
    recording.setId(7);
    recording.setStartTime(QDateTime::currentDateTime().addSecs(-qint64(intervals) * interval - interval / 2));
    return recording;
}

QDateTime recordTime(quint32 stamp)
{
    QDateTime time = QDateTime::fromSecsSinceEpoch(stamp, Qt::UTC);
    time.setTimeSpec(Qt::LocalTime);
    return time;
}

} // namespace

class tst_ModbusDataLoggerReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }
    void read_endsExactlyOnce_data();
    void read_endsExactlyOnce();
    void readDataLogger_refusesWithoutAnySignal_data();
    void readDataLogger_refusesWithoutAnySignal();
};

// Reads over the real Modbus TCP client from a logger that answers the
// handshake. The records of each logger carry the time stamps FirstStamp + 60 i
// and the float i in channel 0, i counting from the first logged. passes are
// the counts asked for, each at the position advanced by the ones before.
void tst_ModbusDataLoggerReader::read_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<bool>("secondDataset");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("intervals");
    QTest::addColumn<int>("logged");
    QTest::addColumn<QList<int>>("passes");
    QTest::addColumn<QString>("log");
    const QList<int> failed;
    QTest::newRow("QX2, 20 records") << "QX2" << false << "" << 20 << 25 << QList<int>{8, 8, 4} << "";
    QTest::newRow("QX2, dataset 1") << "QX2" << true << "" << 3 << 3 << QList<int>{3} << "";
    QTest::newRow("ZK4, dataset 0") << "ZK4" << false << "" << 12 << 12 << QList<int>{11, 1} << "";
    QTest::newRow("ZK4, dataset 1") << "ZK4" << true << "" << 9 << 10 << QList<int>{7, 2} << "";
    QTest::newRow("span shorter than one interval") << "QX2" << false << "" << 0 << 5 << QList<int>{0} << "";
    QTest::newRow("busy for 30 polls") << "ZK4" << true << "busy" << 9 << 9 << QList<int>{7, 2} << "";
    QTest::newRow("counter past 2^32") << "QX2" << false << "counter 5" << 20 << 20 << QList<int>{8, 8, 4} << "";
    // The logger ends the read when it has fewer records than wanted.
    QTest::newRow("logger without the span") << "QX2" << false << "" << 20 << 0 << QList<int>{8} << "";
    // Counted modulo 65536, this span used to read nothing.
    QTest::newRow("65536 intervals") << "QX2" << false << "interval 1" << 65536 << 0 << QList<int>{8}
                                     << "spans 65536 records; reading the last 65535";
    // Used to divide by zero.
    QTest::newRow("interval 0") << "ZK4" << false << "interval 0" << 9 << 9 << failed << "interval of 0 s";
    QTest::newRow("error code") << "QX2" << false << "error code" << 3 << 3 << failed << "not expected value 1";
    QTest::newRow("settings refused") << "QX2" << false << "refuse 1310" << 3 << 3 << failed << "";
    QTest::newRow("command refused") << "ZK4" << false << "refuse A400" << 3 << 3 << failed << "";
    QTest::newRow("error code refused") << "QX2" << false << "refuse 130B" << 3 << 3 << failed << "";
    QTest::newRow("block refused") << "ZK4" << true << "refuse A405" << 3 << 3 << failed << "";
    QTest::newRow("connection lost while busy") << "QX2" << false << "lost" << 3 << 3 << failed << "";
    // Used to ask for the same block for ever.
    QTest::newRow("no whole record") << "blind" << false << "" << 3 << 3 << failed << "No whole record";
}

void tst_ModbusDataLoggerReader::read_endsExactlyOnce()
{
    QFETCH(QString, reader);
    QFETCH(bool, secondDataset);
    QFETCH(QString, setup);
    QFETCH(int, intervals);
    QFETCH(int, logged);
    QFETCH(QList<int>, passes);
    QFETCH(QString, log);
    DataLoggerSimulator logger(reader == "ZK4" ? DataLoggerSimulator::Generation::ZK4
                                               : DataLoggerSimulator::Generation::QX2);
    DataLoggerSimulator::Dataset &dataset = logger.datasets.at(secondDataset);
    for (int i = 0; i < logged; ++i)
        logger.log(secondDataset, FirstStamp + 60 * i, {float(i), 0.5f, 0.25f, 0.125f}, "\x01\x02\x03");
    dataset.counter = setup == "counter 5" ? 5 : dataset.counter;
    dataset.interval = setup.startsWith("interval") ? setup.section(' ', 1).toUShort() : 60;
    logger.busyPolls = setup == "busy" ? 30 : (setup == "lost" ? -1 : 0);
    logger.errorCode = setup == "error code" ? 1 : 0;
    logger.refusedRegister = setup.startsWith("refuse") ? setup.section(' ', 1).toInt(nullptr, 16) : -1;
    const quint16 port = logger.listen();
    QVERIFY(port != 0);
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), port), 1);
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    std::unique_ptr<ModbusDataLoggerReader> loggerReader;
    if (reader == "ZK4")
        loggerReader = std::make_unique<ZK4DataLoggerReader>();
    else
        loggerReader = reader == "QX2" ? std::make_unique<QX2DataLoggerReader>() : std::make_unique<BlindReader>();
    QVERIFY(loggerReader->setChamberConnection(connection));
    QSignalSpy finished(loggerReader.get(), &ModbusDataLoggerReader::finished);
    QSignalSpy errors(loggerReader.get(), &ModbusDataLoggerReader::error);
    const QList<ChamberSignal> chamberSignals{ChamberSignal()};
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(log));

    const RecordingData recording = recordingOf(intervals, qMax<int>(1, dataset.interval));
    QVERIFY(loggerReader->readDataLogger(recording, chamberSignals, secondDataset));
    QTest::ignoreMessage(QtWarningMsg, "(Modbus) Already reading data log");
    QVERIFY(!loggerReader->readDataLogger(recording, chamberSignals, secondDataset));
    if (setup == "lost") {
        QTRY_VERIFY(!logger.passes.isEmpty());
        logger.disconnectDevice();
    }
    // Waits without QTRY's sleeps, which would slow down every step: the
    // logger answers from this thread.
    QVERIFY((passes.isEmpty() ? errors : finished).wait());
    QCOMPARE(finished.count() + errors.count(), 1);
    if (!passes.isEmpty()) {
        quint32 position = dataset.counter - quint32(qMin(intervals, 65535));
        QList<int> counts;
        for (const DataLoggerSimulator::Pass &pass : qAsConst(logger.passes)) {
            QCOMPARE(pass.command, secondDataset ? 0x8001 : 0x8000);
            QCOMPARE(pass.position, position);
            counts.append(pass.count);
            position += pass.count;
        }
        QCOMPARE(counts, passes);
        const auto records = finished.first().at(1).value<QList<Recordset>>();
        QList<QDateTime> times;
        QList<QDateTime> expectedTimes;
        for (int i = 0; i < records.size(); ++i) {
            times.append(records.at(i).recordTime());
            expectedTimes.append(recordTime(FirstStamp + 60 * (logged - records.size() + i)));
            QCOMPARE(records.at(i).values().first().rawValue(), QVariant(float(logged - records.size() + i)));
            QCOMPARE(records.at(i).recordingId(), reader == "ZK4" && !secondDataset ? 0U : 7U);
        }
        QCOMPARE(times, expectedTimes);
        QCOMPARE(records.size(), qMin(logged, std::accumulate(passes.begin(), passes.end(), 0)));
        QCOMPARE(finished.first().first().value<RecordingData>().secondsInterval(), int(dataset.interval));
    }

    // A read from a sound logger after the end ends on its own: no second
    // end of the first read was on its way.
    logger.errorCode = 0;
    dataset.interval = 60;
    const bool connected = setup != "lost";
    if (!connected) {
        QTRY_COMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
        QTest::ignoreMessage(QtWarningMsg, "(Modbus) Connection not active");
    }
    QCOMPARE(loggerReader->readDataLogger(recordingOf(0, 60), chamberSignals, secondDataset), connected);
    QVERIFY(!connected || finished.wait());
    QCOMPARE(finished.count() + errors.count(), connected ? 2 : 1);
}

void tst_ModbusDataLoggerReader::readDataLogger_refusesWithoutAnySignal_data()
{
    QTest::addColumn<QDateTime>("start");
    QTest::addColumn<bool>("connect");
    QTest::addColumn<QString>("log");
    const QDateTime past = QDateTime::currentDateTime().addSecs(-600);
    QTest::newRow("start in the future") << QDateTime::currentDateTime().addSecs(600) << true << "in the future";
    QTest::newRow("no start") << QDateTime() << true << "is not set";
    QTest::newRow("connection not connected") << past << true << "Connection not active";
    QTest::newRow("no connection") << past << false << "Connection not active";
}

void tst_ModbusDataLoggerReader::readDataLogger_refusesWithoutAnySignal()
{
    QFETCH(QDateTime, start);
    QFETCH(bool, connect);
    QFETCH(QString, log);
    ZK4DataLoggerReader reader;
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), 1), 1);
    QCOMPARE(reader.setChamberConnection(connect ? connection : nullptr), connect);
    QSignalSpy finished(&reader, &ModbusDataLoggerReader::finished);
    QSignalSpy errors(&reader, &ModbusDataLoggerReader::error);
    RecordingData recording;
    recording.setStartTime(start);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(log));
    QVERIFY(!reader.readDataLogger(recording, {}, false));
    QCOMPARE(finished.count() + errors.count(), 0);
}

QTEST_GUILESS_MAIN(tst_ModbusDataLoggerReader)
#include "tst_modbusdataloggerreader.moc"
