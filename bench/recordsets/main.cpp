// Stores a recording through the record-set store and loads it whole again,
// and does the same with the same rows through the raw SQLCipher C API, in
// one run; prints both rates with their ratio.
//
// The store's side is a user's road: addRecordsets() writes the records in
// one transaction of multi-row statements, loadRecordsets() reads them in
// time order and converts them on its pool of converter threads while it
// reads, each record with its signals' definitions, its time in local time
// and the tolerance bands in force. The raw
// side runs the same statement texts, binds the same values and takes the
// values of each row into a plain struct; it builds no records. The ratio is
// what the store's records, value pairing and conversion cost on top.
//
// Usage: bench_recordsets [records]; by default 1000000, the size of a long
// recording, which needs some 3.5 GB of memory and half a minute.

#include "measurement.h"
#include "rawdatabase.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/cataloguebuilder.h"
#include "support/datadatabase.h"
#include "support/fakeroomstore.h"
#include "support/sqltext.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QLoggingCategory>
#include <QtCore/QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::bench::fail;
using quelta::bench::Goal;
using quelta::bench::RawDatabase;
using quelta::bench::ratePerSecond;

namespace {

constexpr int DefaultRecordCount = 1000000;
constexpr int SignalCount = 8;
constexpr int FirstSignal = 1;
constexpr uint RecordingId = 1;
constexpr int ChamberId = 1;
// The columns of an insert: six fixed ones, then the values.
constexpr int InsertColumns = 6 + SignalCount;
constexpr int RowsPerStatement = 999 / InsertColumns;
constexpr int Rounds = 2;

struct Timing
{
    double storeRecordsPerSecond = 0;
    double loadRecordsPerSecond = 0;
};

QDateTime recordTime(int index)
{
    static const QDateTime start(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC);
    return start.addSecs(index);
}

float signalValue(int index, int signal)
{
    return float(index % 1000) * 0.25f + float(signal);
}

QStringList insertColumnNames()
{
    QStringList names{"recording_id", "record_time", "is_retrieved_from_chamber",
                      "alarm_type",   "camera_image_path", "chamber_mode"};
    for (int column = 1; column <= SignalCount; ++column)
        names.append(QStringLiteral("signal_%1").arg(column));
    return names;
}

// The whole-recording read as the store writes it.
QByteArray recordReadText()
{
    QStringList names{"id", "recording_id", "record_time", "is_retrieved_from_chamber", "alarm_type",
                      "camera_image_path", "chamber_mode", "creation_time", "user_id", "comment_text"};
    for (int column = 1; column <= SignalCount; ++column)
        names.append(QStringLiteral("signal_%1").arg(column));
    SqlQuery query;
    query.select(names)
        .from("record_set")
        .leftJoin({"record_set", "id", "record_set_comment", "recordset_id"})
        .where("recording_id")
        .equals(RecordingId)
        .orderBy(QStringList{"record_time", "id"});
    return query.getQuery().toUtf8();
}

// Eight temperature probes.
quelta::test::CatalogueContent probeCatalogue()
{
    quelta::test::CatalogueContent content;
    for (int index = 0; index < SignalCount; ++index) {
        quelta::test::CatalogueSignal probe;
        probe.id = FirstSignal + index;
        probe.name = QStringLiteral("Probe %1").arg(index + 1);
        probe.unit = "°C";
        content.signalRows.append(probe);
    }
    return content;
}

// --- through the record-set store ---

Timing runStore(const QString &dataPath, const QString &cataloguePath, int recordCount)
{
    if (!quelta::test::createDataDatabase(dataPath).isEmpty())
        fail("the store's data database could not be created");
    SqliteConnection data("bench-data");
    SqliteConnection catalogue("bench-catalogue");
    if (!data.open(dataPath, QString(), QString(), DatabaseKey)
        || !catalogue.open(cataloguePath, QString(), QString(), DatabaseKey)) {
        fail("the store's databases could not be opened");
    }
    SqlConfigurationDatabaseConnection configuration;
    // The chamber store needs a room store; the tolerance lookups never ask it.
    quelta::test::FakeRoomStore rooms;
    SqlChamberDatabaseConnection chambers;
    SqlRecordsetDatabaseConnection store;
    configuration.setConnections(&catalogue);
    chambers.setConnections(&data, &configuration, &rooms);
    if (!store.setConnections(&data, &configuration, &chambers))
        fail("the store is not ready");

    QList<int> signalIds;
    for (int index = 0; index < SignalCount; ++index)
        signalIds.append(FirstSignal + index);
    const ToleranceRange band(ToleranceRange::Absolute, {Unit::DegreeCelsius, 20.0}, {Unit::DegreeCelsius, 30.0});
    if (!data.execute(quelta::test::SqlText("INSERT INTO chamber (id) VALUES (1)")).first
        || !data.execute(quelta::test::SqlText("INSERT INTO recording (id, chamber_id) VALUES (1, 1)")).first
        || !chambers.addToleranceRange(recordTime(-1), ChamberId, FirstSignal, band)
        || !store.addSignalColumns(RecordingId, signalIds)) {
        fail("the recording could not be set up");
    }

    QList<Recordset> records;
    records.reserve(recordCount);
    for (int index = 0; index < recordCount; ++index) {
        QList<SetpointValue> values;
        for (int signal = 0; signal < SignalCount; ++signal) {
            values.append(SetpointValue(FirstSignal + signal,
                                        UnitValue(Unit::DegreeCelsius, signalValue(index, signal))));
        }
        records.append(Recordset(-1, RecordingId, recordTime(index), values, index % 2 == 0, {}, 0, {}, 2));
    }

    Timing timing;
    QElapsedTimer timer;
    timer.start();
    if (!store.addRecordsets(records))
        fail("the store could not store the records");
    timing.storeRecordsPerSecond = ratePerSecond(recordCount, timer.nsecsElapsed());

    timer.restart();
    const QList<Recordset> loaded = store.loadRecordsets(RecordingId, 0, 0, -1);
    timing.loadRecordsPerSecond = ratePerSecond(loaded.size(), timer.nsecsElapsed());
    if (loaded.size() != recordCount || loaded.last().values().size() != SignalCount
        || loaded.last().values().first().toleranceRange() != band) {
        fail("the store loaded the wrong records");
    }
    return timing;
}

// --- through the C API ---

void bindRecord(sqlite3_stmt *statement, int firstParameter, int index)
{
    // The ISO 8601 UTC text that the driver writes.
    const QByteArray time = recordTime(index).toString(Qt::ISODateWithMs).toUtf8();
    int parameter = firstParameter;
    sqlite3_bind_int64(statement, parameter++, RecordingId);
    sqlite3_bind_text(statement, parameter++, time.constData(), time.size(), SQLITE_TRANSIENT);
    sqlite3_bind_int(statement, parameter++, index % 2 == 0);
    sqlite3_bind_null(statement, parameter++);
    sqlite3_bind_null(statement, parameter++);
    sqlite3_bind_int(statement, parameter++, 2);
    for (int signal = 0; signal < SignalCount; ++signal)
        sqlite3_bind_double(statement, parameter++, double(signalValue(index, signal)));
}

Timing runRaw(const QString &path, int recordCount)
{
    if (!quelta::test::createDataDatabase(path).isEmpty())
        fail("the raw side's data database could not be created");
    RawDatabase db(path);
    db.execute("INSERT INTO chamber (id) VALUES (1); INSERT INTO recording (id, chamber_id) VALUES (1, 1);");

    Timing timing;
    QElapsedTimer timer;
    timer.start();
    db.execute("BEGIN");
    db.insertRows("record_set", insertColumnNames(), 0, recordCount, RowsPerStatement, bindRecord);
    db.execute("COMMIT");
    timing.storeRecordsPerSecond = ratePerSecond(recordCount, timer.nsecsElapsed());

    struct Row
    {
        qint64 id;
        qint64 recording;
        std::string time;
        bool retrieved;
        int alarmType;
        std::string imagePath;
        int chamberMode;
        std::string commentTime;
        qint64 commentUser;
        std::string commentText;
        double values[SignalCount];
    };
    std::vector<Row> rows;
    rows.reserve(size_t(recordCount));
    timer.restart();
    sqlite3_stmt *select = db.prepare(recordReadText());
    sqlite3_bind_int64(select, 1, RecordingId);
    const auto text = [select](int column) { return RawDatabase::text(select, column); };
    while (sqlite3_step(select) == SQLITE_ROW) {
        Row row;
        row.id = sqlite3_column_int64(select, 0);
        row.recording = sqlite3_column_int64(select, 1);
        row.time = text(2);
        row.retrieved = sqlite3_column_int(select, 3) != 0;
        row.alarmType = sqlite3_column_int(select, 4);
        row.imagePath = text(5);
        row.chamberMode = sqlite3_column_int(select, 6);
        row.commentTime = text(7);
        row.commentUser = sqlite3_column_int64(select, 8);
        row.commentText = text(9);
        for (int signal = 0; signal < SignalCount; ++signal)
            row.values[signal] = sqlite3_column_double(select, 10 + signal);
        rows.push_back(std::move(row));
    }
    timing.loadRecordsPerSecond = ratePerSecond(int(rows.size()), timer.nsecsElapsed());
    if (int(rows.size()) != recordCount)
        fail("the raw C API read back the wrong rows");
    return timing;
}

// The ratio to the raw C API that each side of the store should reach.
constexpr Goal StoringGoal{Goal::Bound::AtLeast, 0.8};
constexpr Goal LoadingGoal{Goal::Bound::AtLeast, 0.7};

void report(const char *what, double store, double raw, const Goal &goal)
{
    quelta::bench::printComparison(what, {"record-set store", store}, {"raw C API", raw}, "records/s", 0, goal);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.*.info=false"));
    registerMetaTypes();
    const int recordCount = quelta::bench::countArgument(DefaultRecordCount, "records");

    QTemporaryDir directory;
    if (!directory.isValid())
        fail("no temporary directory");
    const QString cataloguePath = directory.filePath("catalogue.sqlite3");
    if (!quelta::test::CatalogueBuilder::create(cataloguePath, probeCatalogue()).isEmpty())
        fail("the catalogue could not be created");

    // Disk flushes make single runs noisy: each side runs twice, in turns,
    // and keeps its better rates.
    Timing store;
    Timing raw;
    const auto keepBest = [](Timing &best, const Timing &run) {
        best.storeRecordsPerSecond = qMax(best.storeRecordsPerSecond, run.storeRecordsPerSecond);
        best.loadRecordsPerSecond = qMax(best.loadRecordsPerSecond, run.loadRecordsPerSecond);
    };
    quelta::bench::runInTurnsOnNewFiles(
        Rounds, directory.path(), [&](const QString &file) { keepBest(raw, runRaw(file, recordCount)); },
        [&](const QString &file) { keepBest(store, runStore(file, cataloguePath, recordCount)); });

    std::printf("A recording of %d records of %d signals, %d records per statement\n", recordCount, SignalCount,
                RowsPerStatement);
    report("Storing", store.storeRecordsPerSecond, raw.storeRecordsPerSecond, StoringGoal);
    report("Loading whole", store.loadRecordsPerSecond, raw.loadRecordsPerSecond, LoadingGoal);
    return 0;
}
