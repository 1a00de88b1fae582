#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iprotocoldatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/iuserdatabaseconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IUserDatabaseConnection;

// The store of the users in the data database: accounts (application_user),
// display preferences (user_preferences, one row per user), the signals each
// user shows per chamber in his own order
// (user_has_chamber_signal_visibility_preference, numbered by position from
// 1) and his configuration text per recording (user_recording_config, keyed
// by user and recording). It asks the configuration store for the signals'
// definitions and the event-log store whether a user has entries; it keeps
// nothing between calls.
//
// A user whom the event log names cannot lose his row: deleting him clears
// everything but his login name and level and marks him is_deleted. The
// lists leave such users out. A login name that was freed this way may be
// given to a new user; looking the name up then finds the new user.
//
// Every operation is guarded: before setConnections() has given it the
// connection and both stores it emits error(NOT_INITIALIZED), runs no
// statement and gives its empty result. Statements that fail are reported by
// the connection; the store then gives its empty result as well. The store
// itself emits error(UNEXPECTED_RESULT) for a row of the wrong width and for
// a login name that several users hold, and error(EXECUTION_FAILED) with no
// signals when getVisibleSignals() cannot read the signals' definitions.
//
// With foldAdvancedIntoBasic, users stored at level Advanced read as Basic;
// what is stored does not change.
class SqlUserDatabaseConnection : public QObject,
                                  public IUserDatabaseConnection,
                                  public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IUserDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlUserDatabaseConnection(bool foldAdvancedIntoBasic, QObject *parent = nullptr);
    ~SqlUserDatabaseConnection() override;

    // Stores every pointer, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection,
                                domain::api::IConfigurationDatabaseConnection *configuration,
                                domain::api::IProtocolDatabaseConnection *eventLog);
    // Whether the user and preference tables are there.
    bool initialize() override;

    QList<QSharedPointer<domain::types::UserData>> getUsers() override;
    QSharedPointer<domain::types::UserData> getUser(uint userId) override;
    QSharedPointer<domain::types::UserData> getUserByLoginName(const QString &loginName) override;
    QSharedPointer<domain::types::LocalePreferences> getUserPreferences(uint userId) override;
    QStringList getLoginNames() override;
    QString getLoginName(uint userId) override;
    QList<domain::types::ChamberSignal> getVisibleSignals(uint userId, int chamberId) override;
    bool setSignalVisibilityPreferences(uint userId, int chamberId, const QList<int> &signalIds) override;
    QVariant getUserValue(uint userId, ApplicationUserColumn column) override;
    QVariant getUserPreferenceValue(uint userId, UserPreferencesColumn column) override;
    bool addUser(domain::types::UserData &user) override;
    void addUserPreferences(uint userId, const domain::types::LocalePreferences &preferences) override;
    void updateUser(domain::types::UserData &user) override;
    void setUserPreferences(uint userId, const domain::types::LocalePreferences &preferences) override;
    void setUserValue(uint userId, ApplicationUserColumn column, const QVariant &value) override;
    bool deleteUser(uint userId) override;
    void addSignalVisibilityPreference(uint userId, int chamberId, int signalId) override;
    void removeSignalVisibilityPreference(uint userId, int chamberId, int signalId) override;
    QMap<int, QString> getRecordingConfig(uint userId) override;
    bool setRecordingConfig(uint userId, int recordingId, const QString &config) override;

    // True once the connection and both stores are set.
    virtual bool isInitialized() const;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Row = domain::api::ISqlConnection::Row;

    // The user's signal ids for the chamber, in his order when ordered.
    QList<int> getSignalVisibilityIds(uint userId, int chamberId, bool ordered);
    // Null for an empty row; null after error(UNEXPECTED_RESULT) for a row
    // that does not hold exactly width values.
    QSharedPointer<domain::types::UserData> userFromRow(const Row &row, int width);
    // Inserts the user's preference row; replace overwrites one that exists.
    void writePreferences(uint userId, const domain::types::LocalePreferences &preferences, bool replace);

    domain::api::IConfigurationDatabaseConnection *configuration() const;
    domain::api::IProtocolDatabaseConnection *eventLog() const;

    const bool m_foldAdvancedIntoBasic;
    SqlStoreFrame<SqlUserDatabaseConnection, domain::api::IConfigurationDatabaseConnection,
                  domain::api::IProtocolDatabaseConnection>
        m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
