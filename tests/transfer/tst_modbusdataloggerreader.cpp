#include "dataloggersimulator.h"
#include "loopbackmodbustcpserver.h"

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

// A reader whose parser finds no whole record in any block.
class BlindReader : public QX2DataLoggerReader
{
    int parseLoggerData(QList<Recordset> &, const QList<ChamberSignal> &, const QVector<uchar> &) override
    {
        return 0;
    }
};

// A reader whose read state a test can drop while a step waits.
class DroppingReader : public QX2DataLoggerReader
{
public:
    using QX2DataLoggerReader::resetReadData;
};

// A recording with id 7 whose span holds the intervals and half of one more.
RecordingData recordingOf(int intervals, int interval)
{
    RecordingData recording;
    recording.setId(7);
    recording.setStartTime(QDateTime::currentDateTime().addSecs(-qint64(intervals) * interval - interval / 2));
    return recording;
}

} // namespace

class tst_ModbusDataLoggerReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }
    void read_endsExactlyOnce_data();
    void read_endsExactlyOnce();
};

// Reads over the real Modbus TCP client from a simulated logger whose record
// i has the time stamp 60 i and the value i in channel 0. passes are the
// record counts asked for, each at the position advanced by the ones before;
// none for a read that ends in an error.
void tst_ModbusDataLoggerReader::read_endsExactlyOnce_data()
{
    QTest::addColumn<QString>("reader");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("intervals");
    QTest::addColumn<int>("logged");
    QTest::addColumn<QList<int>>("passes");
    QTest::addColumn<QString>("log");
    QTest::newRow("QX2, 20 records") << "QX2 0" << "" << 20 << 25 << QList<int>{8, 8, 4} << "";
    QTest::newRow("ZK4, dataset 0") << "ZK4 0" << "" << 12 << 12 << QList<int>{11, 1} << "";
    QTest::newRow("ZK4, dataset 1, busy for 30 polls") << "ZK4 1" << "busy" << 9 << 10 << QList<int>{7, 2} << "";
    QTest::newRow("counter past 2^32") << "QX2 1" << "counter 5" << 20 << 20 << QList<int>{8, 8, 4} << "";
    // Counted modulo 65536, this span used to read nothing. The logger holds
    // none of it and ends the read after one block.
    QTest::newRow("65536 intervals") << "QX2 0" << "interval 1" << 65536 << 0 << QList<int>{8}
                                     << "spans 65536 records; reading the last 65535";
    // Used to divide by zero.
    QTest::newRow("interval 0") << "ZK4 0" << "interval 0" << 9 << 9 << QList<int>() << "interval of 0 s";
    QTest::newRow("error code") << "QX2 0" << "error code" << 3 << 3 << QList<int>() << "not expected value 1";
    QTest::newRow("connection lost while busy") << "QX2 0" << "lost" << 3 << 3 << QList<int>() << "";
    // Used to ask for the same block for ever.
    QTest::newRow("no whole record") << "blind 0" << "" << 3 << 3 << QList<int>() << "No whole record";
    // The queued step finds no read state: the read ends with the error
    // instead of a null dereference.
    QTest::newRow("read state dropped") << "dropping 0" << "dropped" << 3 << 3 << QList<int>() << "";
}

void tst_ModbusDataLoggerReader::read_endsExactlyOnce()
{
    QFETCH(QString, reader);
    QFETCH(QString, setup);
    QFETCH(int, intervals);
    QFETCH(int, logged);
    QFETCH(QList<int>, passes);
    QFETCH(QString, log);
    const bool zk4 = reader.startsWith("ZK4");
    const int dataset = reader.endsWith('1');
    DataLoggerSimulator logger(zk4);
    for (int i = 0; i < logged; ++i)
        logger.log(dataset, quint32(60 * i), float(i));
    logger.counters.at(dataset) = setup == "counter 5" ? 5 : logged;
    logger.interval = setup.startsWith("interval") ? setup.section(' ', 1).toUShort() : 60;
    logger.busyPolls = setup == "busy" ? 30 : (setup == "lost" ? -1 : 0);
    logger.errorCode = setup == "error code" ? 1 : 0;
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), listenOnLoopback(logger)), 1);
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    std::unique_ptr<ModbusDataLoggerReader> loggerReader;
    if (zk4)
        loggerReader = std::make_unique<ZK4DataLoggerReader>();
    else if (reader.startsWith("QX2"))
        loggerReader = std::make_unique<QX2DataLoggerReader>();
    else if (reader.startsWith("dropping"))
        loggerReader = std::make_unique<DroppingReader>();
    else
        loggerReader = std::make_unique<BlindReader>();
    QSignalSpy finished(loggerReader.get(), &ModbusDataLoggerReader::finished);
    QSignalSpy errors(loggerReader.get(), &ModbusDataLoggerReader::error);
    // Refused without any signal: no connection, no start, a start to come.
    QTest::ignoreMessage(QtWarningMsg, "(Modbus) Connection not active");
    QVERIFY(!loggerReader->readDataLogger(recordingOf(1, 60), {}, dataset));
    QVERIFY(loggerReader->setChamberConnection(connection));
    QTest::ignoreMessage(QtWarningMsg, "(Modbus) Start timepoint is not set");
    QVERIFY(!loggerReader->readDataLogger(RecordingData(), {}, dataset));
    QTest::ignoreMessage(QtWarningMsg, "(Modbus) Start timepoint is in the future");
    QVERIFY(!loggerReader->readDataLogger(recordingOf(-2, 60), {}, dataset));
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(log));

    const RecordingData recording = recordingOf(intervals, qMax<int>(1, logger.interval));
    QVERIFY(loggerReader->readDataLogger(recording, {ChamberSignal()}, dataset));
    QTest::ignoreMessage(QtWarningMsg, "(Modbus) Already reading data log");
    QVERIFY(!loggerReader->readDataLogger(recording, {}, dataset));
    if (setup == "dropped") {
        static_cast<DroppingReader &>(*loggerReader).resetReadData();
        QTest::ignoreMessage(QtCriticalMsg, "No current transmission data");
    }
    if (setup == "lost") {
        QTRY_VERIFY(!logger.passes.isEmpty());
        logger.disconnectDevice();
    }
    // Waits without QTRY's sleeps, which would slow down every step: the
    // logger answers from this thread.
    QVERIFY((passes.isEmpty() ? errors : finished).wait());
    QCOMPARE(finished.count() + errors.count(), 1);
    quint32 position = logger.counters.at(dataset) - quint32(qMin(intervals, 65535));
    QList<int> counts;
    for (const DataLoggerSimulator::Pass &pass : qAsConst(logger.passes)) {
        QCOMPARE(pass.command, 0x8000 + dataset);
        QCOMPARE(pass.position, position);
        counts.append(pass.count);
        position += pass.count;
    }
    const auto records = passes.isEmpty() ? QList<Recordset>() : finished.first().at(1).value<QList<Recordset>>();
    QCOMPARE(passes.isEmpty() ? QList<int>() : counts, passes);
    QCOMPARE(records.size(), qMin(logged, std::accumulate(passes.begin(), passes.end(), 0)));
    for (int i = 0; i < records.size(); ++i) {
        const int logIndex = logged - records.size() + i;
        QCOMPARE(records.at(i).recordTime(), QDateTime(QDate(1970, 1, 1), QTime(0, 0).addSecs(60 * logIndex)));
        QCOMPARE(records.at(i).values().first().rawValue(), QVariant(float(logIndex)));
        QCOMPARE(records.at(i).recordingId(), zk4 && dataset == 0 ? 0U : 7U);
    }

    if (setup == "lost")
        return;
    // A read from a sound logger after the end ends on its own: no second
    // end of the first read was on its way.
    logger.errorCode = 0;
    logger.interval = 60;
    QVERIFY(loggerReader->readDataLogger(recordingOf(0, 60), {}, dataset));
    QVERIFY(finished.wait());
    QCOMPARE(finished.count() + errors.count(), 2);
}

QTEST_GUILESS_MAIN(tst_ModbusDataLoggerReader)
#include "tst_modbusdataloggerreader.moc"
