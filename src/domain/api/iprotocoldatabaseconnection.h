#pragma once

#include "domain/types/databaseconnectionerror.h"
#include "domain/types/systemlogentry.h"

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QPair>

namespace quelta::domain::api {

// The event log of the data database: what happened, when, and which user
// caused it.
//
// A time range is a pair (from, to); a null date-time leaves that bound open.
// Entries are read with their user's login name, oldest first; an entry
// without a user is stored but never read back.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED) and answers with its empty result.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IProtocolDatabaseConnection
{
public:
    virtual ~IProtocolDatabaseConnection() = default;

    virtual void addLogEntry(const types::SystemLogEntry &entry) = 0;
    // The entries of users at or below the level; level 0 reads all users.
    virtual QList<types::SystemLogEntry> getLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                       int userLevel) = 0;
    virtual QList<types::SystemLogEntry> getUserLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                           const unsigned int &userId) = 0;
    // True when the user has at least one entry.
    virtual bool getLogEntryCount(const unsigned int &userId) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IProtocolDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IProtocolDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IProtocolDatabaseConnection, "domain::api::IProtocolDatabaseConnection")
