#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/localepreferences.h"
#include "domain/types/userdata.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVariant>

namespace quelta::base::connection::databaseconnection {
// Columns of the user and preference tables, defined with the schema vocabulary.
enum class ApplicationUserColumn;
enum class UserPreferencesColumn;
} // namespace quelta::base::connection::databaseconnection

namespace quelta::domain::api {

// The users of the data database: their accounts, display preferences, the
// signals each of them wants to see per chamber and in which order, and
// their configuration texts per recording.
//
// A deleted user whom the event log still names keeps a row with only the
// login name and the level; such a user is missing from the lists but can
// still be read by id or login name. Password hashes and salts are kept as
// they are given; nothing here computes or compares passwords.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED), runs no statement and answers with its empty
// result: false, an empty list, map or text, a null pointer or an invalid
// QVariant.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IUserDatabaseConnection
{
public:
    using ApplicationUserColumn = base::connection::databaseconnection::ApplicationUserColumn;
    using UserPreferencesColumn = base::connection::databaseconnection::UserPreferencesColumn;

    virtual ~IUserDatabaseConnection() = default;

    // The users that are not deleted, each with its preferences.
    virtual QList<QSharedPointer<types::UserData>> getUsers() = 0;
    virtual QSharedPointer<types::UserData> getUser(uint userId) = 0;
    // The user who holds the login name; a deleted user only when no other
    // user holds it. Null, with error(UNEXPECTED_RESULT), when several do.
    virtual QSharedPointer<types::UserData> getUserByLoginName(const QString &loginName) = 0;
    // Null when the user has none; absent values read as the German defaults.
    virtual QSharedPointer<types::LocalePreferences> getUserPreferences(uint userId) = 0;
    virtual QStringList getLoginNames() = 0;
    virtual QString getLoginName(uint userId) = 0;
    // One signal per stored preference, in the user's order; a signal that the
    // catalogue does not know is a default record.
    virtual QList<types::ChamberSignal> getVisibleSignals(uint userId, int chamberId) = 0;
    // Replaces the user's list for the chamber; an empty list clears it.
    virtual bool setSignalVisibilityPreferences(uint userId, int chamberId, const QList<int> &signalIds) = 0;
    virtual QVariant getUserValue(uint userId, ApplicationUserColumn column) = 0;
    virtual QVariant getUserPreferenceValue(uint userId, UserPreferencesColumn column) = 0;
    // On success the record's id is the new row's, and its preferences, if
    // any, are stored under that id.
    virtual bool addUser(types::UserData &user) = 0;
    virtual void addUserPreferences(uint userId, const types::LocalePreferences &preferences) = 0;
    // Writes every field but the id, then the preferences if the record has any.
    virtual void updateUser(types::UserData &user) = 0;
    virtual void setUserPreferences(uint userId, const types::LocalePreferences &preferences) = 0;
    virtual void setUserValue(uint userId, ApplicationUserColumn column, const QVariant &value) = 0;
    // Removes the preferences, and the user too unless the event log names
    // him: then only the login name and level stay, marked deleted.
    virtual bool deleteUser(uint userId) = 0;
    // Adds a signal without a place in the user's order.
    virtual void addSignalVisibilityPreference(uint userId, int chamberId, int signalId) = 0;
    virtual void removeSignalVisibilityPreference(uint userId, int chamberId, int signalId) = 0;
    // The user's configuration text per recording id.
    virtual QMap<int, QString> getRecordingConfig(uint userId) = 0;
    virtual bool setRecordingConfig(uint userId, int recordingId, const QString &config) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IUserDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IUserDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IUserDatabaseConnection, "domain::api::IUserDatabaseConnection")
