#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QHash>
#include <QtCore/QString>
#include <QtCore/QStringList>

#include <functional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace quelta::bench {

// The reference side of the database benchmarks: an encrypted database
// reached through the SQLCipher C API alone, opened with the key and the
// settings with which SqliteConnection opens one. Any failure ends the
// program with the database's message.
class RawDatabase
{
public:
    enum class OpenMode {
        ExistingOnly,
        CreateIfMissing,
    };

    explicit RawDatabase(const QString &path, OpenMode mode = OpenMode::ExistingOnly);
    ~RawDatabase();
    RawDatabase(const RawDatabase &) = delete;
    RawDatabase &operator=(const RawDatabase &) = delete;

    void execute(const char *statement);
    // Prepared once per text; the statements live as long as the database.
    sqlite3_stmt *prepare(const QByteArray &text);
    // Ends the program unless the result code is the expected one.
    void check(int resultCode, int expected);

    // Binds the values of one row: the statement, the number of the row's
    // first parameter and the row.
    using RowBinder = std::function<void(sqlite3_stmt *statement, int firstParameter, int row)>;

    // Inserts the rows first to first + count - 1 with multi-row INSERT
    // statements of rowsPerStatement rows, the last one shorter, each with
    // the text that SqlQuery writes for it.
    void insertRows(const QString &table, const QStringList &columns, int first, int count, int rowsPerStatement,
                    const RowBinder &bindRow);

    // A text column of the current row, empty for NULL.
    static std::string text(sqlite3_stmt *statement, int column);

private:
    sqlite3 *m_db = nullptr;
    QHash<QByteArray, sqlite3_stmt *> m_statements;
};

} // namespace quelta::bench
