#pragma once

#include "connection/database/core/preparedstatements.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QMutex>
#include <QtCore/QObject>
#include <QtSql/QSqlDatabase>

#include <functional>

namespace quelta::base::connection::databaseconnection {

// ISqlConnection on one named Qt SQL connection of the "QSQLCIPHER" driver.
// open() keys the database and proves the key with a first read, so that a
// wrong key fails there and not at the first store operation. Every failure
// is logged under "quelta.SqliteConnection" and emitted as error().
//
// Threads: the connection keeps its QSqlDatabase handle and may be used from
// several threads (the record-set store's conversion pool reaches it through
// the chamber store). A recursive mutex guards that handle, and with it every
// statement, from the start of each operation to its end. A selectEach() or
// selectEachView() function runs under that mutex: it may use the connection
// again on its own thread, but must not wait for another thread that uses it.
// error() is emitted on the thread of the failing call.
class SqliteConnection : public QObject, public domain::api::ISqlConnection
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::ISqlConnection)

public:
    explicit SqliteConnection(const QString &connectionName, QObject *parent = nullptr);
    ~SqliteConnection() override;

    [[nodiscard]] bool open(const QString &databasePath, const QString &userName,
                            const QString &password, const QString &key,
                            OpenMode mode = OpenMode::OpenExisting) override;
    void close() override;

    [[nodiscard]] QPair<bool, quint64> execute(const domain::api::ISqlQuery &query) override;
    [[nodiscard]] QPair<bool, quint64> executeBound(const domain::api::ISqlQuery &query,
                                                    const BindFunction &bind) override;
    [[nodiscard]] bool executeTransaction(
        const QList<QSharedPointer<domain::api::ISqlQuery>> &queries) override;
    // work runs under the connection's lock, as a selectEach() function does.
    [[nodiscard]] bool executeInTransaction(const std::function<bool()> &work) override;

    QList<Row> select(const domain::api::ISqlQuery &query) override;
    [[nodiscard]] bool selectEach(const domain::api::ISqlQuery &query, const RowFunction &function) override;
    [[nodiscard]] bool selectEachView(const domain::api::ISqlQuery &query, const RowViewFunction &function) override;
    QList<QVariant> selectColumn(const domain::api::ISqlQuery &query) override;
    Row selectRow(const domain::api::ISqlQuery &query) override;
    QVariant selectValue(const domain::api::ISqlQuery &query) override;

    bool tableExists(const QString &table) override;
    int databaseVersion() override;
    void emptyAllTables() override;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error);

private:
    bool run(PreparedStatements::Handle &statement, const domain::api::ISqlQuery &query,
             domain::types::DatabaseConnectionError prepareFailure, const BindFunction &bind = {});
    bool executeSelect(PreparedStatements::Handle &statement, const domain::api::ISqlQuery &query);
    bool finishSelect(const PreparedStatements::Handle &statement,
                      const domain::api::ISqlQuery &query);
    bool executeInternal(const QString &statement);
    // Empties every table but the version table, inside the caller's transaction.
    bool emptyTables();
    // Runs work in one transaction: committed when work succeeds, rolled
    // back when it fails.
    bool inTransaction(const std::function<bool()> &work);
    bool configure(const QString &key);

    const QString m_connectionName;
    mutable QRecursiveMutex m_mutex;
    QSqlDatabase m_database;
    PreparedStatements m_statements;
};

} // namespace quelta::base::connection::databaseconnection
