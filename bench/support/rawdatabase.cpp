#include "rawdatabase.h"

#include "measurement.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqlquery.h"

#include <QtCore/QFile>
#include <QtCore/QVariant>
#include <QtCore/QVector>

#include <sqlcipher/sqlite3.h>

namespace quelta::bench {

RawDatabase::RawDatabase(const QString &path, OpenMode mode)
{
    const int create = mode == OpenMode::CreateIfMissing ? SQLITE_OPEN_CREATE : 0;
    check(sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                          SQLITE_OPEN_READWRITE | create | SQLITE_OPEN_NOMUTEX, nullptr),
          SQLITE_OK);
    const QByteArray key =
        QByteArray("PRAGMA key = '") + QByteArray(base::connection::databaseconnection::DatabaseKey.data()) + "';";
    execute(key.constData());
    execute("SELECT count(*) FROM sqlite_master;");
    execute("PRAGMA foreign_keys = ON;");
    execute("PRAGMA journal_mode = MEMORY");
    execute("PRAGMA temp_store = MEMORY");
}

RawDatabase::~RawDatabase()
{
    for (sqlite3_stmt *statement : qAsConst(m_statements))
        sqlite3_finalize(statement);
    sqlite3_close(m_db);
}

void RawDatabase::execute(const char *statement)
{
    check(sqlite3_exec(m_db, statement, nullptr, nullptr, nullptr), SQLITE_OK);
}

sqlite3_stmt *RawDatabase::prepare(const QByteArray &text)
{
    sqlite3_stmt *&statement = m_statements[text];
    if (!statement)
        check(sqlite3_prepare_v2(m_db, text.constData(), -1, &statement, nullptr), SQLITE_OK);
    return statement;
}

void RawDatabase::check(int resultCode, int expected)
{
    if (resultCode != expected)
        fail(sqlite3_errmsg(m_db));
}

void RawDatabase::insertRows(const QString &table, const QStringList &columns, int first, int count,
                             int rowsPerStatement, const RowBinder &bindRow)
{
    const auto statementOf = [this, &table, &columns](int rows) {
        const QList<QVariant> placeholders = QVector<QVariant>(columns.size()).toList();
        base::connection::databaseconnection::SqlQuery insert;
        insert.insertInto(table).columns(columns);
        for (int row = 0; row < rows; ++row)
            insert.values(placeholders, row == 0);
        return prepare(insert.getQuery().toUtf8());
    };
    sqlite3_stmt *const full = statementOf(rowsPerStatement);
    for (int row = first; row < first + count; row += rowsPerStatement) {
        const int rows = qMin(rowsPerStatement, first + count - row);
        sqlite3_stmt *statement = rows == rowsPerStatement ? full : statementOf(rows);
        for (int index = 0; index < rows; ++index)
            bindRow(statement, 1 + index * columns.size(), row + index);
        check(sqlite3_step(statement), SQLITE_DONE);
        sqlite3_reset(statement);
    }
}

std::string RawDatabase::text(sqlite3_stmt *statement, int column)
{
    const auto *characters = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return characters ? std::string(characters, size_t(sqlite3_column_bytes(statement, column))) : std::string();
}

} // namespace quelta::bench
