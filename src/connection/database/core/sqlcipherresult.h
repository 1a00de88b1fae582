#pragma once

#include "domain/api/isqlbinder.h"

#include <QtCore/QList>
#include <QtCore/QVariant>
#include <QtCore/QVector>
#include <QtSql/QSqlRecord>
#include <QtSql/QSqlResult>

#include <functional>

struct sqlite3;
struct sqlite3_stmt;

namespace quelta::base::connection::databaseconnection {

class SqlCipherDriver;

// One prepared SQLCipher statement behind a QSqlQuery.
//
// Values bind by type: NULL for an invalid or null value, integers (also
// unsigned 64-bit ones) as 64-bit integers, floating point as REAL, byte
// arrays as BLOB, date-times as UTC ISO 8601 text with milliseconds (so that
// text order is time order), dates and times as ISO text, and any other value
// that converts to text as text; other values fail the execution. Values read
// back as qint64, double, QByteArray or QString; SQL NULL reads as a null
// QString, an empty text as an empty, non-null one.
//
// A forward-only query reads each row straight from the statement; any other
// query keeps the rows it has fetched, so that it can move backwards.
//
// Besides QSqlQuery, SqliteConnection drives results directly through the
// public functions below: a prepared statement is kept and run again with new
// values, without QSqlQuery's per-value bookkeeping of placeholder names. The
// result is also the binder of its placeholders, and SqlCipherRowView reads
// its current row in place.
class SqlCipherResult : public QSqlResult, public domain::api::ISqlBinder
{
public:
    using BindFunction = std::function<void(domain::api::ISqlBinder &binder)>;

    explicit SqlCipherResult(const SqlCipherDriver *driver);
    ~SqlCipherResult() override;

    // Prepares a forward-only statement.
    bool prepareStatement(const QString &query);
    // Runs the prepared statement with these values, and with those that the
    // function binds after them; a statement that yields rows is then on its
    // first row, if it has one.
    bool execute(const QVector<QVariant> &values, const BindFunction &bind);
    // Moves to the next row (the first after execute()); false at the end or
    // on a failure, which error() then tells.
    bool nextRow();
    bool yieldsRows() const;
    // Whether the last prepare, run or step failed; error() tells how.
    bool hasFailed() const;
    int columnCount() const;
    // A value of the current row.
    QVariant value(int column) const;
    void bindNull() override;
    void bindInteger(qint64 value) override;
    void bindReal(double value) override;
    void bindText(const QString &text) override;
    void bindDateTime(const QDateTime &dateTime) override;
    void bindVariant(const QVariant &value) override;
    // Every value of the current row, into an existing list: a list that is
    // refilled row after row keeps its storage.
    void readRow(QList<QVariant> *row) const;
    // The id of the row that an INSERT or REPLACE created; invalid otherwise.
    QVariant insertedId() const;
    QSqlError error() const;
    // Ends the current run, so that the statement holds no lock on the file.
    void release();

protected:
    bool prepare(const QString &query) override;
    bool exec() override;
    bool reset(const QString &query) override;

    QVariant data(int field) override;
    bool isNull(int field) override;
    bool fetch(int row) override;
    bool fetchNext() override;
    bool fetchFirst() override;
    bool fetchLast() override;
    int size() override;
    int numRowsAffected() override;
    QVariant lastInsertId() const override;
    QSqlRecord record() const override;
    void detachFromResultSet() override;
    void setLastError(const QSqlError &error) override;

private:
    friend class SqlCipherDriver;
    friend class SqlCipherRowView;

    enum class Step {
        Row,
        Done,
        Failed,
    };

    // Called by the driver when it closes or goes away.
    void finalize();
    void forgetDriver();

    sqlite3 *connection() const;
    bool run(const QVector<QVariant> &values, const BindFunction &bind);
    bool bindValues(const QVector<QVariant> &values, const BindFunction &bind);
    Step step(const char *whatFailed);
    // Parameters count from 1, as in SQLite.
    bool bindParameter(int parameter, const QVariant &value);
    int bindTextAt(int parameter, const QString &text);
    int bindDateTimeAt(int parameter, const QDateTime &dateTime);
    // False, with the error set, unless SQLite bound the value.
    bool checkBinding(int resultCode);
    // The parameter that the binder's next value goes to; false when binding
    // has failed or every parameter is bound.
    bool nextParameter(int *parameter);
    // Binds the binder's next value with bindAt(parameter), which gives
    // SQLite's result code.
    template<typename BindAt>
    void bindNext(BindAt bindAt);
    void failParameterCount();
    // Scrollable queries: steps on, caching each row, until row is cached or
    // no row is left; false when a step fails.
    bool cacheRowsThrough(int row);
    void appendRow();
    void copyRow(QVariant *target) const;
    QVariant columnValue(int column) const;
    bool readsFromStatement() const;
    const QVariant *cachedValue(int field) const;
    void clearError();
    void clearRows();

    const SqlCipherDriver *m_driver;
    sqlite3_stmt *m_statement = nullptr;
    int m_columnCount = 0;
    bool m_isInsert = false;
    bool m_failed = false;

    int m_parameterCount = 0;
    int m_boundParameters = 0;
    bool m_bindingFailed = false;

    bool m_firstRowPending = false;
    bool m_done = false;
    int m_rowsAffected = -1;
    QVariant m_lastInsertId;

    // Scrollable queries: every fetched row. Forward-only queries: the last
    // row, once fetchLast() has stepped past it.
    QVector<QVariant> m_rows;
    int m_cachedRows = 0;
    bool m_rowCopied = false;
};

} // namespace quelta::base::connection::databaseconnection
