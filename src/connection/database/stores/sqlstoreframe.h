#pragma once

#include "connection/database/stores/failedreadwatch.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/isqlquery.h"
#include "domain/api/isqlrowview.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>

#include <initializer_list>
#include <optional>
#include <tuple>

namespace quelta::base::connection::databaseconnection {

// What a store's initialize() does when one of its required tables is
// missing: report it with error(MISSING_TABLE), or only answer false.
enum class MissingTableReport {
    EmitError,
    Silent,
};

// What every SQL store shares: the connection it runs on, the other stores it
// needs, its readiness test, the guard at the start of each operation, the
// table check of initialize() and the width check of result rows. A store
// holds one frame as a member and keeps its own class shape:
//
//     using domain::api::IRoomDatabaseConnection;
//
//     class SqlRoomDatabaseConnection : public QObject,
//                                       public IRoomDatabaseConnection,
//                                       public domain::api::IInitializing
//     {
//         Q_OBJECT
//         Q_INTERFACES(...)
//     public:
//         bool setConnections(domain::api::ISqlConnection *connection)
//         {
//             m_frame.setConnections(connection);
//             return isInitialized();
//         }
//         virtual bool isInitialized() const { return m_frame.isComplete(); }
//         bool initialize() override
//         {
//             return m_frame.checkTables({tableNameRoom()}, MissingTableReport::EmitError);
//         }
//         QList<RoomData> getRooms() override
//         {
//             if (!m_frame.ensureReady())
//                 return {};
//             ...
//         }
//     Q_SIGNALS:
//         void error(quelta::domain::types::DatabaseConnectionError error) override;
//     private:
//         SqlStoreFrame<SqlRoomDatabaseConnection> m_frame{this};
//     };
//
// The store interface is named bare in the base list, so that a cast by its
// bare name answers as well as one by its interface id.
//
// A store that logs defines its own logging category in its .cpp, named
// "quelta." followed by the class name, and logs there only at the warning
// level.
//
// The frame neither owns nor opens anything it points to: the facade owns the
// connection and the stores. Store is the class that holds the frame; it must
// have a public isInitialized() and the signal error(DatabaseConnectionError).
template<typename Store, typename... Dependencies>
class SqlStoreFrame
{
public:
    using Row = domain::api::ISqlConnection::Row;

    explicit SqlStoreFrame(Store *store)
        : m_store(store)
    {
    }

    // Stores every pointer as given, null included, replacing what was
    // stored before.
    void setConnections(domain::api::ISqlConnection *connection, Dependencies *...dependencies)
    {
        m_connection = connection;
        m_dependencies = std::make_tuple(dependencies...);
    }

    // True when the connection and every dependency are set.
    bool isComplete() const
    {
        const auto allSet = [](auto *...dependencies) { return ((dependencies != nullptr) && ...); };
        return m_connection != nullptr && std::apply(allSet, m_dependencies);
    }

    domain::api::ISqlConnection *connection() const { return m_connection; }

    template<typename Dependency>
    Dependency *dependency() const
    {
        return std::get<Dependency *>(m_dependencies);
    }

    // The guard at the start of every operation: true when the store is
    // ready; otherwise reports error(NOT_INITIALIZED) and the operation must
    // return its empty result without running any statement.
    [[nodiscard]] bool ensureReady() const
    {
        if (m_store->isInitialized())
            return true;
        reportError(domain::types::NOT_INITIALIZED);
        return false;
    }

    // The table check of initialize(): asks for the tables in the given
    // order and stops at the first that is missing.
    [[nodiscard]] bool checkTables(std::initializer_list<QString> tables, MissingTableReport report) const
    {
        if (!ensureReady())
            return false;
        for (const QString &table : tables) {
            if (!m_connection->tableExists(table)) {
                if (report == MissingTableReport::EmitError)
                    reportError(domain::types::MISSING_TABLE);
                return false;
            }
        }
        return true;
    }

    void reportError(domain::types::DatabaseConnectionError error) const { Q_EMIT m_store->error(error); }

    // Runs a read row by row; false, after error(EXECUTION_FAILED) besides
    // the connection's own report, when it did not run to its end: the rows
    // it gave are then not the answer.
    [[nodiscard]] bool readEach(const domain::api::ISqlQuery &query,
                                const domain::api::ISqlConnection::RowViewFunction &function) const
    {
        if (m_connection->selectEachView(query, function))
            return true;
        reportError(domain::types::EXECUTION_FAILED);
        return false;
    }

    // Runs the operation and gives its result; none, after
    // error(EXECUTION_FAILED), when one of the reporters (the stores it asks,
    // the connection it reads through) reported a failed read meanwhile: such
    // a read gives what no row gives, which the operation would take for the
    // database's answer.
    template<typename Operation, typename... Reporters>
    auto unlessReadsFail(Operation operation, Reporters *...reporters) const -> std::optional<decltype(operation())>
    {
        const FailedReadWatch watch(reporters...);
        auto result = operation();
        if (!watch.hasFailed())
            return result;
        reportError(domain::types::EXECUTION_FAILED);
        return std::nullopt;
    }

    // Runs one statement and tells whether it succeeded; the connection
    // reports a failure itself.
    bool execute(const domain::api::ISqlQuery &query) const { return m_connection->execute(query).first; }

    // Runs the statements one after the other and stops at the first that
    // fails: for statements inside a transaction that the caller holds
    // (ISqlConnection::executeInTransaction()), which rolls back on false.
    bool executeEach(const QList<QSharedPointer<domain::api::ISqlQuery>> &statements) const
    {
        for (const QSharedPointer<domain::api::ISqlQuery> &statement : statements) {
            if (!execute(*statement))
                return false;
        }
        return true;
    }

    // The width check of a result row: false, after error(UNEXPECTED_RESULT),
    // when the row does not hold exactly width values.
    [[nodiscard]] bool hasWidth(const Row &row, int width) const { return isWidth(row.size(), width); }
    [[nodiscard]] bool hasWidth(const domain::api::ISqlRowView &row, int width) const
    {
        return isWidth(row.columnCount(), width);
    }

    // The rows of that width; every other row is reported as above and left out.
    QList<Row> rowsOfWidth(const QList<Row> &rows, int width) const
    {
        QList<Row> fitting;
        fitting.reserve(rows.size());
        for (const Row &row : rows) {
            if (hasWidth(row, width))
                fitting.append(row);
        }
        return fitting;
    }

private:
    bool isWidth(int columnCount, int width) const
    {
        if (columnCount == width)
            return true;
        reportError(domain::types::UNEXPECTED_RESULT);
        return false;
    }

    Store *const m_store;
    domain::api::ISqlConnection *m_connection = nullptr;
    std::tuple<Dependencies *...> m_dependencies{};
};

} // namespace quelta::base::connection::databaseconnection
