// Inserts and reads back record-set rows through SqliteConnection and through
// the raw SQLCipher C API in the same run, and prints both rates with their
// ratio. Each side writes its own encrypted file with the same key, pragmas,
// open flags, statements and transactions. The layer's side builds its
// statements with SqlQuery, binds each value through the connection without
// a QVariant, and reads every column of each row in place, as the raw side
// does.

#include "measurement.h"
#include "rawdatabase.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "domain/api/isqlbinder.h"
#include "domain/api/isqlrowview.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDateTime>
#include <QtCore/QElapsedTimer>
#include <QtCore/QLoggingCategory>
#include <QtCore/QStringList>
#include <QtCore/QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <cstdio>
#include <string>

using namespace quelta::base::connection::databaseconnection;
using quelta::bench::fail;
using quelta::bench::Goal;
using quelta::bench::RawDatabase;
using quelta::bench::ratePerSecond;
using quelta::domain::api::ISqlBinder;
using quelta::domain::api::ISqlRowView;

namespace {

constexpr int DefaultRowCount = 200000;
// The record-set table's value columns.
constexpr int SignalColumns = 48;
// The columns that an insert names: six fixed ones, then the values.
constexpr int InsertColumns = 6 + SignalColumns;
// As the record-set store writes a list of record sets: multi-row INSERT
// statements of at most 999 bound values, all of one list in one transaction.
constexpr int RowsPerStatement = 999 / InsertColumns;
constexpr int RowsPerTransaction = 1000;
constexpr int RecordingId = 7;
constexpr int Rounds = 2;

// The layer's rates should come this close to the raw C API's.
constexpr Goal WritingGoal{Goal::Bound::AtLeast, 0.9};
constexpr Goal ReadingGoal{Goal::Bound::AtLeast, 0.9};

const QString Table = QStringLiteral("record_set");

struct Timing
{
    double writeRowsPerSecond = 0;
    double readRowsPerSecond = 0;
};

QStringList insertColumnNames()
{
    QStringList names = {QStringLiteral("recording_id"),      QStringLiteral("record_time"),
                         QStringLiteral("is_retrieved_from_chamber"), QStringLiteral("alarm_type"),
                         QStringLiteral("camera_image_path"), QStringLiteral("chamber_mode")};
    for (int signal = 1; signal <= SignalColumns; ++signal)
        names.append(QStringLiteral("signal_%1").arg(signal));
    return names;
}

QStringList selectColumnNames()
{
    return QStringList{QStringLiteral("id")} + insertColumnNames();
}

QList<SqlQuery::ColumnDefinition> columnDefinitions()
{
    using Type = SqlQuery::DataType;
    using Flag = SqlQuery::ColumnFlag;
    QList<SqlQuery::ColumnDefinition> columns = {
        {QStringLiteral("id"), Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL | Flag::AUTO_INCREMENT},
        {QStringLiteral("recording_id"), Type::INTEGER, Flag::NOT_NULL},
        {QStringLiteral("record_time"), Type::DATETIME, Flag::NONE},
        {QStringLiteral("is_retrieved_from_chamber"), Type::BOOLEAN, Flag::NONE},
        {QStringLiteral("alarm_type"), Type::INTEGER, Flag::NONE},
        {QStringLiteral("camera_image_path"), Type::TEXT, Flag::NONE},
        {QStringLiteral("chamber_mode"), Type::INTEGER, Flag::NONE},
    };
    for (int signal = 1; signal <= SignalColumns; ++signal)
        columns.append({QStringLiteral("signal_%1").arg(signal), Type::REAL, Flag::NONE});
    return columns;
}

double signalValue(int row, int signal)
{
    return row * 0.25 + signal;
}

QDateTime recordTime(int row)
{
    static const QDateTime start(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC);
    return start.addSecs(row);
}

// --- through SqliteConnection ---

// Binds the values of one row, after those of the rows before it.
void bindInsertValues(ISqlBinder &binder, int row)
{
    binder.bindInteger(RecordingId);
    binder.bindDateTime(recordTime(row));
    binder.bindInteger(row % 2 == 0 ? 1 : 0);
    binder.bindInteger(0);
    binder.bindNull();
    binder.bindInteger(2);
    for (int signal = 1; signal <= SignalColumns; ++signal)
        binder.bindReal(signalValue(row, signal));
}

SqlQuery insertStatement(const QStringList &columns, int rows)
{
    SqlQuery insert;
    insert.insertInto(Table).columns(columns).valuePlaceholders(InsertColumns, rows);
    return insert;
}

Timing runLayer(const QString &path, int rowCount)
{
    Timing timing;
    SqliteConnection connection(QStringLiteral("bench"));
    if (!connection.open(path, QString(), QString(), DatabaseKey,
                         SqliteConnection::OpenMode::CreateIfMissing)) {
        fail("the layer could not create its database");
    }
    SqlQuery create;
    create.createTable(Table, columnDefinitions());
    if (!connection.execute(create).first)
        fail("the layer could not create its table");

    const QStringList columns = insertColumnNames();
    QElapsedTimer timer;
    timer.start();
    for (int first = 0; first < rowCount; first += RowsPerTransaction) {
        const int end = qMin(first + RowsPerTransaction, rowCount);
        // As on the raw side, a transaction builds the text of its statements once.
        const SqlQuery fullInsert = insertStatement(columns, RowsPerStatement);
        const bool inserted = connection.executeInTransaction([&] {
            for (int statementRow = first; statementRow < end; statementRow += RowsPerStatement) {
                const int rows = qMin(RowsPerStatement, end - statementRow);
                const SqlQuery insert = rows == RowsPerStatement ? fullInsert : insertStatement(columns, rows);
                const auto bindRows = [statementRow, rows](ISqlBinder &binder) {
                    for (int row = statementRow; row < statementRow + rows; ++row)
                        bindInsertValues(binder, row);
                };
                if (!connection.executeBound(insert, bindRows).first)
                    return false;
            }
            return true;
        });
        if (!inserted)
            fail("the layer could not insert");
    }
    timing.writeRowsPerSecond = ratePerSecond(rowCount, timer.nsecsElapsed());

    SqlQuery select;
    select.select(selectColumnNames()).from(Table).where(QStringLiteral("recording_id")).equals(RecordingId);
    struct Row
    {
        qint64 id;
        qint64 recording;
        QString time;
        bool retrieved;
        int alarmType;
        QString imagePath;
        int chamberMode;
        double signalValues[SignalColumns];
    } current;
    double checksum = 0;
    int rowsRead = 0;
    timer.restart();
    const bool whole = connection.selectEachView(select, [&](const ISqlRowView &row, int) {
        current.id = toInt64Or(row, 0, 0);
        current.recording = toInt64Or(row, 1, 0);
        current.time = toStringOr(row, 2, QString());
        current.retrieved = toBoolOr(row, 3, false);
        current.alarmType = toIntOr(row, 4, 0);
        current.imagePath = toStringOr(row, 5, QString());
        current.chamberMode = toIntOr(row, 6, 0);
        for (int signal = 0; signal < SignalColumns; ++signal)
            current.signalValues[signal] = row.real(7 + signal);
        checksum += current.id + current.signalValues[0];
        checksum += current.time.size() + (current.retrieved ? 1 : 0);
        ++rowsRead;
    });
    timing.readRowsPerSecond = ratePerSecond(rowsRead, timer.nsecsElapsed());
    if (!whole || rowsRead != rowCount || checksum <= 0)
        fail("the layer read back the wrong rows");
    connection.close();
    return timing;
}

// --- through the C API ---

void bindRow(sqlite3_stmt *statement, int firstParameter, int row)
{
    // The same ISO 8601 UTC text that the layer writes.
    const QDateTime stamp = recordTime(row);
    const QDate date = stamp.date();
    const QTime clock = stamp.time();
    char time[32];
    const int length = std::snprintf(time, sizeof time, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ",
                                     date.year(), date.month(), date.day(), clock.hour(),
                                     clock.minute(), clock.second(), clock.msec());
    int parameter = firstParameter;
    sqlite3_bind_int64(statement, parameter++, RecordingId);
    sqlite3_bind_text(statement, parameter++, time, length, SQLITE_TRANSIENT);
    sqlite3_bind_int(statement, parameter++, row % 2 == 0);
    sqlite3_bind_int(statement, parameter++, 0);
    sqlite3_bind_null(statement, parameter++);
    sqlite3_bind_int(statement, parameter++, 2);
    for (int signal = 1; signal <= SignalColumns; ++signal)
        sqlite3_bind_double(statement, parameter++, signalValue(row, signal));
}

Timing runRaw(const QString &path, int rowCount)
{
    Timing timing;
    RawDatabase db(path, RawDatabase::OpenMode::CreateIfMissing);
    SqlQuery create;
    create.createTable(Table, columnDefinitions());
    db.execute(create.getQuery().toUtf8().constData());

    const QStringList columns = insertColumnNames();
    QElapsedTimer timer;
    timer.start();
    for (int first = 0; first < rowCount; first += RowsPerTransaction) {
        db.execute("BEGIN");
        const int rows = qMin(RowsPerTransaction, rowCount - first);
        db.insertRows(Table, columns, first, rows, RowsPerStatement, bindRow);
        db.execute("COMMIT");
    }
    timing.writeRowsPerSecond = ratePerSecond(rowCount, timer.nsecsElapsed());

    const QByteArray selectText =
        QStringLiteral("SELECT %1 FROM %2 WHERE recording_id = ?")
            .arg(selectColumnNames().join(QStringLiteral(", ")), Table)
            .toUtf8();
    struct Row
    {
        qint64 id;
        qint64 recording;
        std::string time;
        bool retrieved;
        int alarmType;
        std::string imagePath;
        int chamberMode;
        double signalValues[SignalColumns];
    } current;
    double checksum = 0;
    int rowsRead = 0;
    timer.restart();
    sqlite3_stmt *select = db.prepare(selectText);
    sqlite3_bind_int64(select, 1, RecordingId);
    const auto text = [select](int column) { return RawDatabase::text(select, column); };
    while (sqlite3_step(select) == SQLITE_ROW) {
        current.id = sqlite3_column_int64(select, 0);
        current.recording = sqlite3_column_int64(select, 1);
        current.time = text(2);
        current.retrieved = sqlite3_column_int(select, 3) != 0;
        current.alarmType = sqlite3_column_int(select, 4);
        current.imagePath = text(5);
        current.chamberMode = sqlite3_column_int(select, 6);
        for (int signal = 0; signal < SignalColumns; ++signal)
            current.signalValues[signal] = sqlite3_column_double(select, 7 + signal);
        checksum += current.id + current.signalValues[0];
        checksum += current.time.size() + (current.retrieved ? 1 : 0);
        ++rowsRead;
    }
    timing.readRowsPerSecond = ratePerSecond(rowsRead, timer.nsecsElapsed());
    if (rowsRead != rowCount || checksum <= 0)
        fail("the raw C API read back the wrong rows");
    return timing;
}

void report(const char *what, double layer, double raw, const Goal &goal)
{
    quelta::bench::printComparison(what, {"sqlcipher layer", layer}, {"raw C API", raw}, "rows/s", 0, goal);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.*.info=false"));
    const int rowCount = quelta::bench::countArgument(DefaultRowCount, "rows");

    QTemporaryDir directory;
    if (!directory.isValid())
        fail("no temporary directory");

    // Disk flushes make single runs noisy: each side runs twice, in turns,
    // and keeps its better rates.
    Timing raw;
    Timing layer;
    const auto keepBest = [](Timing &best, const Timing &run) {
        best.writeRowsPerSecond = qMax(best.writeRowsPerSecond, run.writeRowsPerSecond);
        best.readRowsPerSecond = qMax(best.readRowsPerSecond, run.readRowsPerSecond);
    };
    quelta::bench::runInTurnsOnNewFiles(
        Rounds, directory.path(), [&](const QString &file) { keepBest(raw, runRaw(file, rowCount)); },
        [&](const QString &file) { keepBest(layer, runLayer(file, rowCount)); });

    std::printf("%d record-set rows of %d values, %d rows per statement\n", rowCount, InsertColumns,
                RowsPerStatement);
    report("Writing", layer.writeRowsPerSecond, raw.writeRowsPerSecond, WritingGoal);
    report("Reading back", layer.readRowsPerSecond, raw.readRowsPerSecond, ReadingGoal);
    return 0;
}
