#pragma once

#include "domain/api/isqlrowview.h"

#include <sqlcipher/sqlite3.h>

namespace quelta::base::connection::databaseconnection {

class SqlCipherResult;

// The rows of a forward-only SqlCipherResult, one after the other, each read
// straight from the statement, value by value. SqliteConnection hands the
// view to selectEachView() functions.
class SqlCipherRowView : public domain::api::ISqlRowView
{
public:
    // The result has run and stands before its first row.
    explicit SqlCipherRowView(SqlCipherResult &result);

    // Moves the result to its next row; false at the end or on a failure.
    bool next();

    int columnCount() const override;
    Storage storage(int column) const override;
    qint64 integer(int column) const override;
    double real(int column) const override;
    QString text(int column) const override;
    std::string_view utf8(int column) const override;
    QVariant value(int column) const override;

private:
    // The statement's value of a column of the current row, or null for a
    // column outside the row.
    sqlite3_value *valueOf(int column) const
    {
        return column == m_foundColumn ? m_foundValue : findValue(column);
    }
    sqlite3_value *findValue(int column) const;

    SqlCipherResult &m_result;
    sqlite3_stmt *const m_statement;
    const int m_columnCount;
    // A conversion asks for its column's storage class, then for the value:
    // the last column found is kept until the row changes.
    mutable int m_foundColumn = -1;
    mutable sqlite3_value *m_foundValue = nullptr;
};

} // namespace quelta::base::connection::databaseconnection
