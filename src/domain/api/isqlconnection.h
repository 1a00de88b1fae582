#pragma once

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QVariant>

#include <functional>

namespace quelta::domain::api {

class ISqlBinder;
class ISqlQuery;
class ISqlRowView;

// An open connection to one SQLite database. Stores hold a plain pointer to
// it and never own, open or close it. The implementing QObject reports its
// own failures through its signal error(DatabaseConnectionError).
class ISqlConnection
{
public:
    // Whether open() may create a missing database file. Only code that
    // writes a new file on purpose (program export, test fixtures) asks for it.
    enum class OpenMode {
        OpenExisting,
        CreateIfMissing,
    };

    using Row = QList<QVariant>;
    using RowFunction = std::function<void(const Row &row, int rowIndex)>;
    using RowViewFunction = std::function<void(const ISqlRowView &row, int rowIndex)>;
    using BindFunction = std::function<void(ISqlBinder &binder)>;

    virtual ~ISqlConnection() = default;

    // The user name and password are not read; the key decrypts the file.
    [[nodiscard]] virtual bool open(const QString &databasePath, const QString &userName,
                                    const QString &password, const QString &key,
                                    OpenMode mode = OpenMode::OpenExisting) = 0;
    virtual void close() = 0;

    // Success, and the id of the row that the statement inserted (0 when none).
    [[nodiscard]] virtual QPair<bool, quint64> execute(const ISqlQuery &query) = 0;
    // As execute(), with the query's own values bound first and the function
    // binding the placeholders after them, without a QVariant each. More or
    // fewer values than placeholders fail the execution, as in execute().
    [[nodiscard]] virtual QPair<bool, quint64> executeBound(const ISqlQuery &query, const BindFunction &bind) = 0;
    // All statements or none: the first failure (or a null entry) rolls back.
    [[nodiscard]] virtual bool executeTransaction(const QList<QSharedPointer<ISqlQuery>> &queries) = 0;
    // Runs work in one transaction, for statements that need what an earlier
    // one gave (such as the id of a row it inserted): what work runs on this
    // connection is committed when it returns true and rolled back when it
    // returns false. work must not begin a transaction of its own.
    [[nodiscard]] virtual bool executeInTransaction(const std::function<bool()> &work) = 0;

    // Rows hold their values in select-list order; SQL NULL arrives as a
    // valid, null text. A failure gives no rows.
    virtual QList<Row> select(const ISqlQuery &query) = 0;
    // Calls the function once per row, in result order, without keeping the
    // rows, and tells whether the statement ran to its end. A statement that
    // fails to start calls it for no row; one that fails while stepping (an
    // interrupt, a damaged page) has already called it for the rows before
    // and returns false as well: those rows are not the whole result, and a
    // caller treats them as the failed read that select() gives as no rows.
    [[nodiscard]] virtual bool selectEach(const ISqlQuery &query, const RowFunction &function) = 0;
    // As selectEach(), each row read in place through a view: no value is
    // copied out of the statement unless the function reads it.
    [[nodiscard]] virtual bool selectEachView(const ISqlQuery &query, const RowViewFunction &function) = 0;
    // The one column of every row; more columns give an empty list.
    virtual QList<QVariant> selectColumn(const ISqlQuery &query) = 0;
    // The one row, or an empty list for none; more rows give an empty list.
    virtual Row selectRow(const ISqlQuery &query) = 0;
    // The one value, or an invalid QVariant for no row; more rows or columns
    // give an invalid QVariant.
    virtual QVariant selectValue(const ISqlQuery &query) = 0;

    // Whether a table of exactly that name (case-sensitive) exists.
    virtual bool tableExists(const QString &table) = 0;
    // The "version" of table "database_version_info", 0 without that table.
    virtual int databaseVersion() = 0;
    // Deletes every row of every table except "database_version_info", in one
    // transaction, and compacts the file.
    virtual void emptyAllTables() = 0;

protected:
    ISqlConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(ISqlConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ISqlConnection, "domain::api::ISqlConnection")
