#pragma once

#include "domain/types/activityid.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/userlevel.h"

#include <QtCore/QList>
#include <QtCore/QObject>

namespace quelta::domain::api {

// The access rights of the configuration database: the lowest user level
// that may perform each action.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IAccessDatabaseConnection
{
public:
    virtual ~IAccessDatabaseConnection() = default;

    // 0 for an action that is not listed, so that every user may perform it.
    // Whenever the answer cannot be trusted (no connection yet, a failing
    // statement, several rows for the action, a value that is no level) the
    // answer is Laboratory, which only the highest levels pass.
    virtual types::UserLevel getRequiredUserLevel(const types::ActivityId &activity) = 0;
    // The valid actions that the level may perform; empty before the store is
    // connected.
    virtual QList<types::ActivityId> getAllowedActivities(types::UserLevel level) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IAccessDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IAccessDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IAccessDatabaseConnection, "domain::api::IAccessDatabaseConnection")
