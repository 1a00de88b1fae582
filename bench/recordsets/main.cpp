// Stores a recording through the record-set store and loads it whole again,
// and does the same with the same rows through the raw SQLCipher C API, in
// one run; prints both rates with their ratio.
//
// The store's side is a user's road: addRecordsets() writes the records in
// one transaction of multi-row statements, loadRecordsets() reads them in
// time order and converts them on its pool of converter threads, each record
// with its signals' definitions and the tolerance bands in force. The raw
// side runs the same statement texts, binds the same values and takes the
// values of each row into a plain struct; it builds no records. The ratio is
// what the store's records, value pairing and conversion cost on top.
//
// Usage: bench_recordsets [records], 50000 by default; 1000000 is the size
// of a long recording.

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"
#include "domain/api/iroomdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/cataloguebuilder.h"
#include "support/datadatabase.h"
#include "support/sqltext.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QFile>
#include <QtCore/QLoggingCategory>
#include <QtCore/QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;

namespace {

constexpr int DefaultRecordCount = 50000;
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

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "bench_recordsets: %s\n", what);
    std::exit(1);
}

double rate(int records, qint64 nanoseconds)
{
    return nanoseconds > 0 ? records * 1e9 / double(nanoseconds) : 0;
}

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

// The chamber store needs a room store; the tolerance lookups never ask it.
class NoRooms : public quelta::domain::api::IRoomDatabaseConnection
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

// --- through the record-set store ---

Timing runStore(const QString &dataPath, const QString &cataloguePath, int recordCount)
{
    if (!quelta::test::createDataDatabase(dataPath).isEmpty())
        die("the store's data database could not be created");
    SqliteConnection data("bench-data");
    SqliteConnection catalogue("bench-catalogue");
    if (!data.open(dataPath, QString(), QString(), DatabaseKey)
        || !catalogue.open(cataloguePath, QString(), QString(), DatabaseKey)) {
        die("the store's databases could not be opened");
    }
    SqlConfigurationDatabaseConnection configuration;
    NoRooms rooms;
    SqlChamberDatabaseConnection chambers;
    SqlRecordsetDatabaseConnection store;
    configuration.setConnections(&catalogue);
    chambers.setConnections(&data, &configuration, &rooms);
    if (!store.setConnections(&data, &configuration, &chambers))
        die("the store is not ready");

    QList<int> signalIds;
    for (int index = 0; index < SignalCount; ++index)
        signalIds.append(FirstSignal + index);
    const ToleranceRange band(ToleranceRange::Absolute, {Unit::DegreeCelsius, 20.0}, {Unit::DegreeCelsius, 30.0});
    if (!data.execute(quelta::test::SqlText("INSERT INTO chamber (id) VALUES (1)")).first
        || !data.execute(quelta::test::SqlText("INSERT INTO recording (id, chamber_id) VALUES (1, 1)")).first
        || !chambers.addToleranceRange(recordTime(-1), ChamberId, FirstSignal, band)
        || !store.addSignalColumns(RecordingId, signalIds)) {
        die("the recording could not be set up");
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
        die("the store could not store the records");
    timing.storeRecordsPerSecond = rate(recordCount, timer.nsecsElapsed());

    timer.restart();
    const QList<Recordset> loaded = store.loadRecordsets(RecordingId, 0, 0, -1);
    timing.loadRecordsPerSecond = rate(loaded.size(), timer.nsecsElapsed());
    if (loaded.size() != recordCount || loaded.last().values().size() != SignalCount
        || loaded.last().values().first().toleranceRange() != band) {
        die("the store loaded the wrong records");
    }
    return timing;
}

// --- through the C API ---

void check(int resultCode, sqlite3 *db, int expected = SQLITE_OK)
{
    if (resultCode != expected) {
        std::fprintf(stderr, "bench_recordsets: raw C API: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void execute(sqlite3 *db, const char *statement)
{
    check(sqlite3_exec(db, statement, nullptr, nullptr, nullptr), db);
}

sqlite3_stmt *prepareInsert(sqlite3 *db, int rows)
{
    SqlQuery insert;
    insert.insertInto("record_set").columns(insertColumnNames());
    const QList<QVariant> placeholders = QVector<QVariant>(InsertColumns).toList();
    for (int row = 0; row < rows; ++row)
        insert.values(placeholders, row == 0);
    const QByteArray text = insert.getQuery().toUtf8();
    sqlite3_stmt *statement = nullptr;
    check(sqlite3_prepare_v2(db, text.constData(), -1, &statement, nullptr), db);
    return statement;
}

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
        die("the raw side's data database could not be created");
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                          nullptr),
          db);
    const QByteArray key = QByteArray("PRAGMA key = '") + QByteArray(DatabaseKey.data()) + "';";
    execute(db, key.constData());
    execute(db, "SELECT count(*) FROM sqlite_master;");
    execute(db, "PRAGMA foreign_keys = ON;");
    execute(db, "PRAGMA journal_mode = MEMORY");
    execute(db, "PRAGMA temp_store = MEMORY");
    execute(db, "INSERT INTO chamber (id) VALUES (1); INSERT INTO recording (id, chamber_id) VALUES (1, 1);");

    Timing timing;
    QElapsedTimer timer;
    timer.start();
    execute(db, "BEGIN");
    sqlite3_stmt *fullInsert = prepareInsert(db, RowsPerStatement);
    for (int first = 0; first < recordCount; first += RowsPerStatement) {
        const int rows = qMin(RowsPerStatement, recordCount - first);
        sqlite3_stmt *insert = rows == RowsPerStatement ? fullInsert : prepareInsert(db, rows);
        for (int row = 0; row < rows; ++row)
            bindRecord(insert, 1 + row * InsertColumns, first + row);
        check(sqlite3_step(insert), db, SQLITE_DONE);
        if (insert == fullInsert)
            sqlite3_reset(insert);
        else
            sqlite3_finalize(insert);
    }
    sqlite3_finalize(fullInsert);
    execute(db, "COMMIT");
    timing.storeRecordsPerSecond = rate(recordCount, timer.nsecsElapsed());

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
    sqlite3_stmt *select = nullptr;
    check(sqlite3_prepare_v2(db, recordReadText().constData(), -1, &select, nullptr), db);
    sqlite3_bind_int64(select, 1, RecordingId);
    const auto text = [select](int column) {
        const auto *characters = reinterpret_cast<const char *>(sqlite3_column_text(select, column));
        return characters ? std::string(characters, size_t(sqlite3_column_bytes(select, column))) : std::string();
    };
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
    sqlite3_finalize(select);
    timing.loadRecordsPerSecond = rate(int(rows.size()), timer.nsecsElapsed());
    if (int(rows.size()) != recordCount)
        die("the raw C API read back the wrong rows");
    sqlite3_close(db);
    return timing;
}

void report(const char *what, double store, double raw)
{
    std::printf("%s: record-set store %.0f records/s, raw C API %.0f records/s, ratio %.2f\n", what, store, raw,
                raw > 0 ? store / raw : 0.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.*.info=false"));
    registerMetaTypes();
    const QStringList arguments = QCoreApplication::arguments();
    int recordCount = DefaultRecordCount;
    if (arguments.size() > 1) {
        bool valid = false;
        recordCount = arguments.at(1).toInt(&valid);
        if (!valid || recordCount <= 0)
            die("usage: bench_recordsets [records]");
    }

    QTemporaryDir directory;
    if (!directory.isValid())
        die("no temporary directory");
    const QString cataloguePath = directory.filePath("catalogue.sqlite3");
    if (!quelta::test::CatalogueBuilder::create(cataloguePath, probeCatalogue()).isEmpty())
        die("the catalogue could not be created");

    // Disk flushes make single runs noisy: each side runs twice, in turns,
    // and keeps its better rates.
    Timing store;
    Timing raw;
    const auto keepBest = [](Timing &best, const Timing &run) {
        best.storeRecordsPerSecond = qMax(best.storeRecordsPerSecond, run.storeRecordsPerSecond);
        best.loadRecordsPerSecond = qMax(best.loadRecordsPerSecond, run.loadRecordsPerSecond);
    };
    for (int round = 0; round < Rounds; ++round) {
        const QString rawPath = directory.filePath(QStringLiteral("raw%1.sqlite3").arg(round));
        const QString storePath = directory.filePath(QStringLiteral("store%1.sqlite3").arg(round));
        if (round % 2 == 0) {
            keepBest(raw, runRaw(rawPath, recordCount));
            keepBest(store, runStore(storePath, cataloguePath, recordCount));
        } else {
            keepBest(store, runStore(storePath, cataloguePath, recordCount));
            keepBest(raw, runRaw(rawPath, recordCount));
        }
        QFile::remove(rawPath);
        QFile::remove(storePath);
    }

    std::printf("A recording of %d records of %d signals, %d records per statement\n", recordCount, SignalCount,
                RowsPerStatement);
    report("Storing", store.storeRecordsPerSecond, raw.storeRecordsPerSecond);
    report("Loading whole", store.loadRecordsPerSecond, raw.loadRecordsPerSecond);
    return 0;
}
