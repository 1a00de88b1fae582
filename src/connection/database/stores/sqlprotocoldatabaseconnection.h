#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprotocoldatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

class SqlQuery;

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IProtocolDatabaseConnection;

// The store of the event log in the data database: one row per event with
// its time (stored in UTC), its user, a description and up to ten
// description arguments. Entries are read joined with their user, so an
// entry without a user is stored but never read back; a deleted user's name
// is marked " (deleted)". Nothing is cached.
//
// Failures: error(NOT_INITIALIZED) before setConnections() has given it a
// connection; a missing table only makes initialize() false. Statements that
// fail are reported by the connection.
class SqlProtocolDatabaseConnection : public QObject,
                                      public IProtocolDatabaseConnection,
                                      public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IProtocolDatabaseConnection quelta::domain::api::IInitializing)

public:
    // With foldAdvancedIntoBasic, a reader at the Basic level also sees the
    // entries of Advanced users.
    explicit SqlProtocolDatabaseConnection(bool foldAdvancedIntoBasic, QObject *parent = nullptr);
    ~SqlProtocolDatabaseConnection() override;

    // Stores the connection, null included, and returns isInitialized().
    bool setConnections(domain::api::ISqlConnection *connection);
    // True once a connection is set.
    bool isInitialized() const;
    // Whether the log table is there.
    bool initialize() override;

    // More than ten arguments are logged; the first ten are stored with the
    // full count.
    void addLogEntry(const domain::types::SystemLogEntry &entry) override;
    QList<domain::types::SystemLogEntry> getLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                       int userLevel) override;
    QList<domain::types::SystemLogEntry> getUserLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                           const unsigned int &userId) override;
    bool getLogEntryCount(const unsigned int &userId) override;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    // Runs a query built on logQuery(), oldest entry first.
    QList<domain::types::SystemLogEntry> queryLogEntries(SqlQuery &query);
    domain::types::SystemLogEntry entryFromRow(const domain::api::ISqlConnection::Row &row) const;

    const bool m_foldAdvancedIntoBasic;
    SqlStoreFrame<SqlProtocolDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
