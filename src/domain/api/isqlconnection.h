#pragma once

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QVariant>

#include <functional>

namespace quelta::domain::api {

class ISqlQuery;

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

    virtual ~ISqlConnection() = default;

    // The user name and password are not read; the key decrypts the file.
    [[nodiscard]] virtual bool open(const QString &databasePath, const QString &userName,
                                    const QString &password, const QString &key,
                                    OpenMode mode = OpenMode::OpenExisting) = 0;
    virtual void close() = 0;

    // Success, and the id of the row that the statement inserted (0 when none).
    [[nodiscard]] virtual QPair<bool, quint64> execute(const ISqlQuery &query) = 0;
    // All statements or none: the first failure (or a null entry) rolls back.
    [[nodiscard]] virtual bool executeTransaction(const QList<QSharedPointer<ISqlQuery>> &queries) = 0;

    virtual QList<Row> select(const ISqlQuery &query) = 0;
    virtual void selectEach(const ISqlQuery &query, const RowFunction &function) = 0;
    virtual QList<QVariant> selectColumn(const ISqlQuery &query) = 0;
    virtual Row selectRow(const ISqlQuery &query) = 0;
    virtual QVariant selectValue(const ISqlQuery &query) = 0;

    virtual bool tableExists(const QString &table) = 0;
    virtual int databaseVersion() = 0;
    virtual void emptyAllTables() = 0;

protected:
    ISqlConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(ISqlConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ISqlConnection, "domain::api::ISqlConnection")
