#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iaccessdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IAccessDatabaseConnection;

// The access rights of the configuration database: table activity_access
// lists, per action, the lowest user level that may perform it. The store
// only reads and keeps nothing between calls.
//
// An action that is not listed needs level 0, so every user may perform it.
// Whenever the table's answer cannot be trusted (a statement that fails,
// several rows for one action, a level that is no level) the action needs
// Laboratory instead, as it does before the store is connected: a broken
// table must never open an action to every user. The store emits
// error(UNEXPECTED_RESULT) for several rows and for a value that is no level,
// and for a row of the wrong width in getAllowedActivities().
class SqlAccessDatabaseConnection : public QObject,
                                    public IAccessDatabaseConnection,
                                    public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IAccessDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlAccessDatabaseConnection(QObject *parent = nullptr);
    ~SqlAccessDatabaseConnection() override;

    // Stores the pointer, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection);
    // Whether the table activity_access is there.
    bool initialize() override;

    domain::types::UserLevel getRequiredUserLevel(const domain::types::ActivityId &activity) override;
    QList<domain::types::ActivityId> getAllowedActivities(domain::types::UserLevel level) override;

    // True once the connection is set.
    virtual bool isInitialized() const;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    SqlStoreFrame<SqlAccessDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
