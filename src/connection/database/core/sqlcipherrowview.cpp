#include "connection/database/core/sqlcipherrowview.h"

#include "connection/database/core/sqlcipherresult.h"
#include "connection/database/core/valueconversions.h"

namespace quelta::base::connection::databaseconnection {

SqlCipherRowView::SqlCipherRowView(SqlCipherResult &result)
    : m_result(result)
    , m_statement(result.m_statement)
    , m_columnCount(result.columnCount())
{
}

bool SqlCipherRowView::next()
{
    m_foundColumn = -1;
    return m_result.nextRow();
}

int SqlCipherRowView::columnCount() const
{
    return m_columnCount;
}

SqlCipherRowView::Storage SqlCipherRowView::storage(int column) const
{
    sqlite3_value *stored = valueOf(column);
    switch (stored ? sqlite3_value_type(stored) : SQLITE_NULL) {
    case SQLITE_INTEGER:
        return Storage::Integer;
    case SQLITE_FLOAT:
        return Storage::Real;
    case SQLITE_TEXT:
        return Storage::Text;
    case SQLITE_BLOB:
        return Storage::Blob;
    default:
        return Storage::Null;
    }
}

qint64 SqlCipherRowView::integer(int column) const
{
    sqlite3_value *stored = valueOf(column);
    return stored ? sqlite3_value_int64(stored) : 0;
}

double SqlCipherRowView::real(int column) const
{
    sqlite3_value *stored = valueOf(column);
    return stored ? sqlite3_value_double(stored) : 0.0;
}

QString SqlCipherRowView::text(int column) const
{
    sqlite3_value *stored = valueOf(column);
    if (!stored || sqlite3_value_type(stored) == SQLITE_NULL)
        return QString();
    return textFromUtf8(utf8(column));
}

std::string_view SqlCipherRowView::utf8(int column) const
{
    sqlite3_value *stored = valueOf(column);
    const char *characters = nullptr;
    switch (stored ? sqlite3_value_type(stored) : SQLITE_NULL) {
    case SQLITE_NULL:
        return {};
    case SQLITE_BLOB:
        // The bytes are the text already. Read as text, SQLite would keep
        // the value a text from then on, and storage() and value() would no
        // longer tell a blob.
        characters = static_cast<const char *>(sqlite3_value_blob(stored));
        break;
    default:
        characters = reinterpret_cast<const char *>(sqlite3_value_text(stored));
        break;
    }
    return characters ? std::string_view(characters, size_t(sqlite3_value_bytes(stored))) : std::string_view();
}

QVariant SqlCipherRowView::value(int column) const
{
    return m_result.value(column);
}

sqlite3_value *SqlCipherRowView::findValue(int column) const
{
    if (column < 0 || column >= m_columnCount)
        return nullptr;
    // Reading through the value skips the checks that every sqlite3_column_*
    // call makes again; safe because a result is used by one thread at a time.
    m_foundValue = sqlite3_column_value(m_statement, column);
    m_foundColumn = column;
    return m_foundValue;
}

} // namespace quelta::base::connection::databaseconnection
