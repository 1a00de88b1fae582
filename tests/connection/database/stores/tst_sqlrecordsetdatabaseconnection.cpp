#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/cataloguebuilder.h"
#include "support/databaseerrors.h"
#include "support/datadatabase.h"
#include "support/democatalogue.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>
#include <QtTest/QtTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::domain::api::IRoomDatabaseConnection;
using quelta::test::errorsOf;
using D = quelta::test::DemoCatalogue;
using Values = QList<SetpointValue>;

namespace {

constexpr uint Recording = 1;
constexpr uint OtherRecording = 2;
// Catalogue signals of one unit beside the demo catalogue's, enough for a full recording.
constexpr int FirstProbe = 101;
const ToleranceRange Band(ToleranceRange::Absolute, {Unit::DegreeCelsius, 20.0}, {Unit::DegreeCelsius, 30.0});

// The chamber store needs a room store to be ready; the tolerance lookups never ask it.
class NoRooms : public IRoomDatabaseConnection
{
    QList<RoomData> getRooms() override { return {}; }
    QUrl getRoom(int) override { return {}; }
    bool addRoom(RoomData &) override { return false; }
    bool updateRoom(const RoomData &) override { return false; }
    bool deleteRoom(int) override { return false; }
    ChamberLocation getChamberPosition(int) override { return {}; }
    bool setChamberPosition(int, const ChamberLocation &) override { return false; }
    QList<int> getRoomChambers(int) override { return {}; }
    void error(DatabaseConnectionError) override {}
};

// The real chamber store, counting its tolerance lookups and those that
// begin while another one is still inside it.
class OverlapCheckingChamberStore : public SqlChamberDatabaseConnection
{
public:
    QAtomicInt inside, overlaps, lookups, lookupsOffThread;

    QMap<int, ToleranceRange> getRecordingToleranceRanges(const QDateTime &moment, const uint &recordingId,
                                                          const QMap<int, ChamberSignal> &definitions) override
    {
        if (inside.fetchAndAddOrdered(1) != 0)
            overlaps.ref();
        lookups.ref();
        if (QThread::currentThread() != thread())
            lookupsOffThread.ref();
        const auto ranges = SqlChamberDatabaseConnection::getRecordingToleranceRanges(moment, recordingId, definitions);
        inside.deref();
        return ranges;
    }
};

QDateTime timeOf(int index)
{
    return QDateTime(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC).addSecs(60 * index);
}

SetpointValue value(int signalId, int unit, const QVariant &number, const ToleranceRange &range = {})
{
    return SetpointValue(signalId, UnitValue(unit, number), range);
}

// Its chamber mode is its index, which tells the rows of a read apart; every
// tenth has a camera image.
Recordset record(int index, const Values &values, uint recordingId = Recording)
{
    return Recordset(-1, recordingId, timeOf(index), values, false, {}, 0,
                     index % 10 == 0 ? QString("shot%1.png").arg(index) : QString(), index);
}

QList<int> indexesOf(const QList<Recordset> &records)
{
    QList<int> indexes;
    for (const Recordset &record : records)
        indexes.append(record.chamberMode());
    return indexes;
}

QList<int> span(int first, int last)
{
    QList<int> indexes;
    for (int index = first; index <= last; ++index)
        indexes.append(index);
    return indexes;
}

QList<int> probes(int count)
{
    return span(FirstProbe, FirstProbe + count - 1);
}

// In descending signal id.
Values probeValues(int index)
{
    Values values;
    for (int probe = FirstProbe + 47; probe >= FirstProbe; --probe)
        values.append(value(probe, Unit::DegreeCelsius, float(index + (probe - FirstProbe) / 4.0)));
    return values;
}

} // namespace

class tst_SqlRecordsetDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void notReady_givesEmptyResultsAndErrorZero();
    void initialize_needsCommentTable();
    void values_pairWithTheirSignalsColumn_data();
    void values_pairWithTheirSignalsColumn();
    void addRecordsets_storesAllOrNothingInOneTransaction();
    void signalColumns_atMost48OncePerRecording();
    void reads_seeEveryChange_data();
    void reads_seeEveryChange();
    void selection_data();
    void selection();
    void pooledLoad_keepsTimeOrderAndLooksUpOneAtATime();
    void comments_oneForEachExistingRecordSet();

private:
    void runSql(const QString &statement, const QList<QVariant> &values = {})
    {
        QVERIFY2(m_data->execute(quelta::test::SqlText(statement, values)).first, qPrintable(statement));
    }

    QTemporaryDir m_directory;
    int m_fileCount = 0;
    QString m_cataloguePath;
    QString m_dataTemplate;
    std::unique_ptr<SqliteConnection> m_catalogue;
    std::unique_ptr<SqliteConnection> m_data;
    std::unique_ptr<quelta::test::RecordingConnection> m_recorder;
    std::unique_ptr<SqlConfigurationDatabaseConnection> m_configuration;
    NoRooms m_rooms;
    std::unique_ptr<OverlapCheckingChamberStore> m_chambers;
    std::unique_ptr<SqlRecordsetDatabaseConnection> m_store;
};

void tst_SqlRecordsetDatabaseConnection::initTestCase()
{
    registerMetaTypes();
    QVERIFY(m_directory.isValid());
    quelta::test::CatalogueContent catalogue = quelta::test::DemoCatalogue::content();
    for (const int id : probes(48)) {
        quelta::test::CatalogueSignal probe;
        probe.id = id;
        probe.name = QString("Probe %1").arg(id);
        probe.unit = "°C";
        catalogue.signalRows.append(probe);
    }
    m_cataloguePath = m_directory.filePath("catalogue.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(m_cataloguePath, catalogue), QString());
    m_dataTemplate = m_directory.filePath("template.sqlite3");
    QCOMPARE(quelta::test::createDataDatabase(m_dataTemplate), QString());
}

void tst_SqlRecordsetDatabaseConnection::init()
{
    const QString path = m_directory.filePath(QString("data%1.sqlite3").arg(++m_fileCount));
    QVERIFY(QFile::copy(m_dataTemplate, path));
    m_data = std::make_unique<SqliteConnection>("data");
    QVERIFY(m_data->open(path, QString(), QString(), DatabaseKey));
    m_catalogue = std::make_unique<SqliteConnection>("catalogue");
    QVERIFY(m_catalogue->open(m_cataloguePath, QString(), QString(), DatabaseKey));
    m_configuration = std::make_unique<SqlConfigurationDatabaseConnection>();
    QVERIFY(m_configuration->setConnections(m_catalogue.get()));
    m_chambers = std::make_unique<OverlapCheckingChamberStore>();
    QVERIFY(m_chambers->setConnections(m_data.get(), m_configuration.get(), &m_rooms));
    m_recorder = std::make_unique<quelta::test::RecordingConnection>(*m_data);
    m_store = std::make_unique<SqlRecordsetDatabaseConnection>();
    QVERIFY(m_store->setConnections(m_recorder.get(), m_configuration.get(), m_chambers.get()));

    runSql("INSERT INTO chamber (id, chamber_name) VALUES (1, 'Climate')");
    runSql("INSERT INTO recording (id, chamber_id) VALUES (1, 1), (2, 1)");
    QVERIFY(m_chambers->addToleranceRange(timeOf(-1000), 1, D::ClimateTemperature, Band));
}

void tst_SqlRecordsetDatabaseConnection::cleanup()
{
    m_store.reset();
    m_recorder.reset();
    m_chambers.reset();
    m_configuration.reset();
    m_catalogue.reset();
    m_data.reset();
}

void tst_SqlRecordsetDatabaseConnection::notReady_givesEmptyResultsAndErrorZero()
{
    SqlRecordsetDatabaseConnection store;
    QVERIFY(!store.setConnections(m_recorder.get(), m_configuration.get(), nullptr));
    QSignalSpy errors(&store, &SqlRecordsetDatabaseConnection::error);
    Recordset recordset = record(0, {});
    const QPair<QDateTime, QDateTime> range{timeOf(0), timeOf(9)};
    const QList<QPair<const char *, bool>> results{
        {"initialize", !store.initialize()},
        {"addRecordset", !store.addRecordset(recordset)},
        {"addRecordsetComment", !store.addRecordsetComment({timeOf(0), 1, 1, "note"})},
        {"deleteRecordsetComment", !store.deleteRecordsetComment(1)},
        {"deleteRecordset", !store.deleteRecordset(1)},
        {"deleteRecordsets", !store.deleteRecordsets(Recording)},
        {"getRecordset", store.getRecordset(1) == Recordset()},
        {"getRecordsetsBeforeTime", store.getRecordsetsBeforeTime(Recording, 5, timeOf(0)).isEmpty()},
        {"getRecordsetsBeforeId", store.getRecordsetsBeforeId(Recording, 5, 9).isEmpty()},
        {"getRecordsetsInRange", store.getRecordsetsInRange(Recording, range, -1).isEmpty()},
        {"loadRecordsets", store.loadRecordsets(Recording, 0, 0, -1).isEmpty()},
        {"getRecordsetsWithCameraImage", store.getRecordsetsWithCameraImage(Recording, range, -1).isEmpty()},
        {"getRecordsetComment", store.getRecordsetComment(1) == RecordsetComment()},
        {"addSignalColumns", !store.addSignalColumns(Recording, {1})},
        {"getSignalColumns", store.getSignalColumns(Recording).isEmpty()},
        {"addRecordsets", !store.addRecordsets({recordset})},
        {"getRecordsetCount", store.getRecordsetCount(Recording) == 0},
    };
    for (const auto &result : results)
        QVERIFY2(result.second, result.first);
    // getRecordsetCount() answers without the signal.
    QCOMPARE(errorsOf(errors).toVector(), QVector<DatabaseConnectionError>(results.size() - 1, NOT_INITIALIZED));
    QCOMPARE(m_recorder->statements(), QStringList());
}

void tst_SqlRecordsetDatabaseConnection::initialize_needsCommentTable()
{
    // The facade finds the store by its interface id and by the bare name.
    auto *asInterface = static_cast<IRecordsetDatabaseConnection *>(m_store.get());
    QCOMPARE(qobject_cast<IRecordsetDatabaseConnection *>(m_store.get()), asInterface);
    QCOMPARE(m_store->qt_metacast("IRecordsetDatabaseConnection"), static_cast<void *>(asInterface));

    QVERIFY(m_store->initialize());
    runSql("DROP TABLE record_set_comment");
    QSignalSpy errors(m_store.get(), &SqlRecordsetDatabaseConnection::error);
    QVERIFY(!m_store->initialize());
    QCOMPARE(errorsOf(errors), {MISSING_TABLE});
}

void tst_SqlRecordsetDatabaseConnection::values_pairWithTheirSignalsColumn_data()
{
    QTest::addColumn<QList<int>>("signalColumns");
    QTest::addColumn<Values>("written");
    QTest::addColumn<int>("alarmType");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<Values>("read");

    constexpr int Celsius = Unit::DegreeCelsius;
    constexpr int Humidity = Unit::RelativeHumidityRH;
    const SetpointValue temperature = value(D::ClimateTemperature, Celsius, 21.5f);
    const SetpointValue humidity = value(D::ClimateHumidity, Humidity, 55.0f);
    const SetpointValue door = value(D::ClimateDoor, Unit::Bool, true);
    const SetpointValue noTemperature = value(D::ClimateTemperature, Celsius, QVariant());
    const Values all{value(D::ClimateTemperature, Celsius, 21.5f, Band), humidity, door};
    const QList<int> columns{D::ClimateTemperature, D::ClimateHumidity, D::ClimateDoor};
    QTest::newRow("ascending") << columns << Values{temperature, humidity, door} << 0 << true << all;
    QTest::newRow("shuffled") << QList<int>{D::ClimateDoor, D::ClimateTemperature, D::ClimateHumidity}
                              << Values{humidity, door, temperature} << 0 << true << all;
    QTest::newRow("signal the catalogue no longer knows")
        << QList<int>{999, D::ClimateHumidity, D::ClimateTemperature}
        << Values{value(999, Celsius, 7.0f), humidity, temperature} << 0 << true << all.mid(0, 2);
    QTest::newRow("no value, no alarm") << columns << Values{noTemperature} << 0 << true << Values();
    QTest::newRow("no value, alarm")
        << columns << Values{noTemperature} << 3 << true
        << Values{value(D::ClimateTemperature, Celsius, QVariant(), Band), value(D::ClimateHumidity, Humidity, {}),
                  value(D::ClimateDoor, Unit::None, {})};
    QTest::newRow("value without a column") << QList<int>{D::ClimateTemperature} << Values{temperature, humidity}
                                            << 0 << false << Values();
    QTest::newRow("two values of one signal") << columns << Values{temperature, temperature} << 0 << false
                                              << Values();
}

void tst_SqlRecordsetDatabaseConnection::values_pairWithTheirSignalsColumn()
{
    QFETCH(QList<int>, signalColumns);
    QFETCH(Values, written);
    QFETCH(int, alarmType);
    QFETCH(bool, stored);
    QFETCH(Values, read);
    QVERIFY(m_store->addSignalColumns(Recording, signalColumns));
    Recordset recordset = record(1, written);
    recordset.setAlarmType(alarmType);

    QCOMPARE(m_store->addRecordset(recordset), stored);
    QCOMPARE(m_store->getRecordsetCount(Recording), stored ? 1 : 0);
    if (stored) {
        QCOMPARE(m_store->getRecordset(recordset.id()).values(), read);
        QCOMPARE(m_store->loadRecordsets(Recording, 0, 0, -1).value(0).values(), read);
    }
}

void tst_SqlRecordsetDatabaseConnection::addRecordsets_storesAllOrNothingInOneTransaction()
{
    QVERIFY(m_store->addSignalColumns(Recording, probes(48)));
    QVERIFY(m_store->addSignalColumns(OtherRecording, probes(48)));
    QList<Recordset> records;
    for (int index = 0; index < 400; ++index)
        records.append(record(index, probeValues(index)));
    m_recorder->clear();
    QVERIFY(m_store->addRecordsets(records));
    // 22 statements of 18 rows and one of 4: at most 999 bound values each.
    QCOMPARE(m_recorder->statements().filter("INSERT INTO record_set").size(), 23);
    Values ascending = probeValues(399);
    std::reverse(ascending.begin(), ascending.end());
    QCOMPARE(m_store->loadRecordsets(Recording, 0, 0, -1).value(399).values(), ascending);

    for (Recordset &recordset : records)
        recordset.setRecordingId(OtherRecording);
    m_recorder->failTransactionStatement(10);
    QVERIFY(!m_store->addRecordsets(records));
    QCOMPARE(m_store->getRecordsetCount(OtherRecording), 0);

    // One column list serves every record of a batch.
    m_recorder->failTransactionStatement(0);
    m_recorder->clear();
    QVERIFY(!m_store->addRecordsets({records.first(), record(1, probeValues(1))}));
    QVERIFY(!m_store->addRecordsets({records.first(), record(1, probeValues(1).mid(1), OtherRecording)}));
    QCOMPARE(m_recorder->statements().filter("INSERT").size(), 0);
    QCOMPARE(m_store->getRecordsetCount(Recording), 400);
}

void tst_SqlRecordsetDatabaseConnection::signalColumns_atMost48OncePerRecording()
{
    QVERIFY(!m_store->addSignalColumns(Recording, probes(49)));
    QVERIFY(m_store->addSignalColumns(Recording, probes(48)));
    QCOMPARE(m_store->getSignalColumns(Recording).keys(), probes(48));
    // Numbering from 1 again would put two signals into one column.
    QVERIFY(!m_store->addSignalColumns(Recording, {D::ClimateTemperature}));
}

void tst_SqlRecordsetDatabaseConnection::reads_seeEveryChange_data()
{
    QTest::addColumn<QString>("change");
    for (const char *change : {"addRecordset", "addRecordsets", "deleteRecordset", "deleteRecordsets",
                               "addSignalColumns", "addRecordsetComment", "deleteRecordsetComment"})
        QTest::newRow(change) << QString(change);
}

void tst_SqlRecordsetDatabaseConnection::reads_seeEveryChange()
{
    QFETCH(QString, change);
    const Values temperature{value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f)};
    QVERIFY(m_store->addSignalColumns(Recording, {D::ClimateTemperature}));
    QList<Recordset> records{record(0, temperature), record(1, temperature), record(2, {}, OtherRecording)};
    records.last().setAlarmType(3);
    for (Recordset &recordset : records)
        QVERIFY(m_store->addRecordset(recordset));
    QVERIFY(m_store->addRecordsetComment({timeOf(2), 4, records.last().id(), "door opened"}));
    const QPair<QDateTime, QDateTime> all{timeOf(-1), timeOf(10)};
    for (const uint recording : {Recording, OtherRecording}) {
        m_store->loadRecordsets(recording, 0, 0, -1);
        m_store->getRecordsetsInRange(recording, all, -1);
    }

    const QMap<QString, std::function<bool()>> changes{
        {"addRecordset", [&] { Recordset added = record(5, temperature); return m_store->addRecordset(added); }},
        {"addRecordsets", [&] { return m_store->addRecordsets({record(6, temperature), record(7, temperature)}); }},
        {"deleteRecordset", [&] { return m_store->deleteRecordset(records.first().id()); }},
        {"deleteRecordsets", [&] { return m_store->deleteRecordsets(Recording); }},
        {"addSignalColumns", [&] { return m_store->addSignalColumns(OtherRecording, {D::ClimateHumidity}); }},
        {"addRecordsetComment", [&] { return m_store->addRecordsetComment({timeOf(1), 4, records.first().id(), "x"}); }},
        {"deleteRecordsetComment", [&] { return m_store->deleteRecordsetComment(records.last().id()); }},
    };
    QVERIFY(changes.value(change)());

    // A store without cached entries reads what the database holds now.
    SqlRecordsetDatabaseConnection fresh;
    QVERIFY(fresh.setConnections(m_data.get(), m_configuration.get(), m_chambers.get()));
    for (const uint recording : {Recording, OtherRecording}) {
        QCOMPARE(m_store->loadRecordsets(recording, 0, 0, -1), fresh.loadRecordsets(recording, 0, 0, -1));
        QCOMPARE(m_store->getRecordsetsInRange(recording, all, -1), fresh.getRecordsetsInRange(recording, all, -1));
    }
}

void tst_SqlRecordsetDatabaseConnection::selection_data()
{
    QTest::addColumn<QString>("read");
    // load: start index, row count, maximum count; range and camera: the
    // indexes of from and to (-1 for a null time) and the count; beforeTime
    // and beforeId: the index whose time or id, unused, and the count.
    QTest::addColumn<QList<qint64>>("arguments");
    QTest::addColumn<QList<int>>("indexes");

    QTest::newRow("load all") << "load" << QList<qint64>{0, 0, -1} << span(0, 100);
    QTest::newRow("load 5 spread") << "load" << QList<qint64>{0, 0, 5} << QList<int>{0, 25, 50, 75, 100};
    QTest::newRow("load 1 spread") << "load" << QList<qint64>{0, 0, 1} << QList<int>{0};
    QTest::newRow("load more than there are") << "load" << QList<qint64>{0, 0, 200} << span(0, 100);
    QTest::newRow("load the first rows") << "load" << QList<qint64>{0, 10, 20} << span(0, 9);
    QTest::newRow("load all, row count") << "load" << QList<qint64>{0, 10, -1} << span(0, 100);
    QTest::newRow("load 4 of the first") << "load" << QList<qint64>{0, 10, 4} << QList<int>{0, 3, 6, 9};
    QTest::newRow("load 1 of the first") << "load" << QList<qint64>{0, 10, 1} << QList<int>{0};
    QTest::newRow("load spread past the end") << "load" << QList<qint64>{0, 200, 5} << QList<int>{0, 49, 99};
    QTest::newRow("load from index") << "load" << QList<qint64>{40, 100, 7} << span(40, 100);
    QTest::newRow("load from index, short") << "load" << QList<qint64>{40, 30, -1} << QList<int>();
    QTest::newRow("load from before the start") << "load" << QList<qint64>{-1, 0, -1} << QList<int>();
    QTest::newRow("range of all") << "range" << QList<qint64>{0, 100, -1} << span(0, 100);
    QTest::newRow("range of some") << "range" << QList<qint64>{10, 20, -1} << span(10, 20);
    QTest::newRow("range open at the end") << "range" << QList<qint64>{95, -1, -1} << span(95, 100);
    QTest::newRow("range and count") << "range" << QList<qint64>{98, 100, 2} << QList<int>{98, 99, 100, 0, 100};
    QTest::newRow("range of all, count 1000") << "range" << QList<qint64>{0, 100, 1000} << span(0, 100) + span(0, 100);
    QTest::newRow("count 1") << "range" << QList<qint64>{-1, -1, 1} << QList<int>{0};
    QTest::newRow("neither range nor count") << "range" << QList<qint64>{-1, -1, -1} << QList<int>();
    QTest::newRow("camera images") << "camera" << QList<qint64>{0, 50, -1} << QList<int>{0, 10, 20, 30, 40, 50};
    QTest::newRow("before a time") << "beforeTime" << QList<qint64>{50, 0, 3} << QList<int>{49, 48, 47};
    QTest::newRow("latest") << "beforeTime" << QList<qint64>{-1, 0, 2} << QList<int>{100, 99};
    QTest::newRow("before an id") << "beforeId" << QList<qint64>{50, 0, 2} << QList<int>{51, 52};
}

void tst_SqlRecordsetDatabaseConnection::selection()
{
    QFETCH(QString, read);
    QFETCH(QList<qint64>, arguments);
    QFETCH(QList<int>, indexes);
    // Stored latest first, as from a chamber's data log: the ids run against the time.
    QList<Recordset> records;
    for (int index = 100; index >= 0; --index)
        records.append(record(index, {}));
    QVERIFY(m_store->addRecordsets(records));
    const auto time = [](qint64 index) { return index < 0 ? QDateTime() : timeOf(int(index)); };
    const QPair<QDateTime, QDateTime> range{time(arguments.at(0)), time(arguments.at(1))};
    const int count = int(arguments.at(2));

    QList<Recordset> result;
    if (read == "load")
        result = m_store->loadRecordsets(Recording, int(arguments.at(0)), arguments.at(1), arguments.at(2));
    else if (read == "range")
        result = m_store->getRecordsetsInRange(Recording, range, count);
    else if (read == "camera")
        result = m_store->getRecordsetsWithCameraImage(Recording, range, count);
    else if (read == "beforeTime")
        result = m_store->getRecordsetsBeforeTime(Recording, count, range.first);
    else
        result = m_store->getRecordsetsBeforeId(Recording, count, 101 - arguments.at(0));
    QCOMPARE(indexesOf(result), indexes);
}

void tst_SqlRecordsetDatabaseConnection::pooledLoad_keepsTimeOrderAndLooksUpOneAtATime()
{
    constexpr int Count = 20000;
    QVERIFY(m_store->addSignalColumns(Recording, {D::ClimateTemperature, D::ClimateHumidity}));
    const auto values = [](int index, const ToleranceRange &band) {
        return Values{value(D::ClimateTemperature, Unit::DegreeCelsius, 20.0f + index % 10, band),
                      value(D::ClimateHumidity, Unit::RelativeHumidityRH, float(index % 100))};
    };
    QList<Recordset> records;
    for (int index = Count - 1; index >= 0; --index)
        records.append(record(index, values(index, {})));
    QVERIFY(m_store->addRecordsets(records));

    const QList<Recordset> loaded = m_store->loadRecordsets(Recording, 0, 0, -1);
    QCOMPARE(indexesOf(loaded), span(0, Count - 1));
    for (int index = 0; index < Count; ++index)
        QCOMPARE(loaded.at(index).values(), values(index, Band));
    QCOMPARE(m_chambers->lookups.loadAcquire(), Count);
    QVERIFY(m_chambers->lookupsOffThread.loadAcquire() > 0);
    QCOMPARE(m_chambers->overlaps.loadAcquire(), 0);
}

void tst_SqlRecordsetDatabaseConnection::comments_oneForEachExistingRecordSet()
{
    QSignalSpy errors(m_store.get(), &SqlRecordsetDatabaseConnection::error);
    Recordset first = record(0, {});
    QVERIFY(m_store->addRecordset(first));
    // Record set -1 is none: its comment must not become the first one's.
    QVERIFY(!m_store->addRecordsetComment({timeOf(1), 4, -1, "lost"}));
    QCOMPARE(m_store->getRecordsetComment(first.id()), RecordsetComment());
    QCOMPARE(errorsOf(errors), {UNEXPECTED_RESULT});

    constexpr qint64 WideId = Q_INT64_C(5000000000);
    runSql("INSERT INTO record_set (id, recording_id, record_time) VALUES (?, 1, ?)", {WideId, timeOf(2)});
    const RecordsetComment comment(timeOf(3), 4, WideId, "door opened");
    QVERIFY(m_store->addRecordsetComment(comment));
    QVERIFY(!m_store->addRecordsetComment({timeOf(4), 5, WideId, "second"}));
    QCOMPARE(m_store->getRecordsetComment(WideId), comment);
    QCOMPARE(m_store->getRecordset(WideId).comment(), comment);
    QVERIFY(!m_store->deleteRecordset(WideId));
    QVERIFY(m_store->deleteRecordsetComment(WideId));
    QVERIFY(m_store->deleteRecordset(WideId));
    QCOMPARE(m_store->getRecordsetCount(Recording), 1);
}

QTEST_GUILESS_MAIN(tst_SqlRecordsetDatabaseConnection)

#include "tst_sqlrecordsetdatabaseconnection.moc"
