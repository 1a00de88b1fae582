#pragma once

#include "domain/types/localepreferences.h"
#include "domain/types/userlevel.h"

#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QMetaType>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One user of the larger application. Copies share the preferences.
class UserData
{
public:
    UserData() = default;
    UserData(uint id, const QString &loginName, const QString &mailAddress, const QString &firstName,
             const QString &lastName, const QByteArray &passwordHash, const QByteArray &passwordSalt,
             const QDateTime &passwordCreationTime, const QDateTime &passwordExpirationTime, bool passwordIsTemporary,
             int numberFailedLoginAttempts, bool isBanned, int userLevel,
             const QSharedPointer<LocalePreferences> &preferences);

    uint id() const { return m_id; }
    void setId(uint id) { m_id = id; }
    QString loginName() const { return m_loginName; }
    void setLoginName(const QString &name) { m_loginName = name; }
    QString mailAddress() const { return m_mailAddress; }
    void setMailAddress(const QString &address) { m_mailAddress = address; }
    QString firstName() const { return m_firstName; }
    void setFirstName(const QString &name) { m_firstName = name; }
    QString lastName() const { return m_lastName; }
    void setLastName(const QString &name) { m_lastName = name; }
    QByteArray passwordHash() const { return m_passwordHash; }
    void setPasswordHash(const QByteArray &hash) { m_passwordHash = hash; }
    QByteArray passwordSalt() const { return m_passwordSalt; }
    void setPasswordSalt(const QByteArray &salt) { m_passwordSalt = salt; }
    QDateTime passwordCreationTime() const { return m_passwordCreationTime; }
    void setPasswordCreationTime(const QDateTime &time) { m_passwordCreationTime = time; }
    QDateTime passwordExpirationTime() const { return m_passwordExpirationTime; }
    void setPasswordExpirationTime(const QDateTime &time) { m_passwordExpirationTime = time; }
    bool passwordIsTemporary() const { return m_passwordIsTemporary; }
    void setPasswordIsTemporary(bool temporary) { m_passwordIsTemporary = temporary; }
    // -1 when unknown.
    int numberFailedLoginAttempts() const { return m_numberFailedLoginAttempts; }
    void setNumberFailedLoginAttempts(int attempts) { m_numberFailedLoginAttempts = attempts; }
    bool isBanned() const { return m_isBanned; }
    void setBanned(bool banned) { m_isBanned = banned; }
    // A UserLevel value.
    int userLevel() const { return m_userLevel; }
    void setUserLevel(int level) { m_userLevel = level; }
    // Null when the user has no preferences of his own.
    QSharedPointer<LocalePreferences> preferences() const { return m_preferences; }
    void setPreferences(const QSharedPointer<LocalePreferences> &preferences) { m_preferences = preferences; }

    // Compares every field, the preferences by content.
    friend bool operator==(const UserData &lhs, const UserData &rhs);
    friend bool operator!=(const UserData &lhs, const UserData &rhs) { return !(lhs == rhs); }

private:
    uint m_id = 0;
    QString m_loginName;
    QString m_mailAddress;
    QString m_firstName;
    QString m_lastName;
    QByteArray m_passwordHash;
    QByteArray m_passwordSalt;
    QDateTime m_passwordCreationTime;
    QDateTime m_passwordExpirationTime;
    bool m_passwordIsTemporary = false;
    int m_numberFailedLoginAttempts = -1;
    bool m_isBanned = false;
    int m_userLevel = 0;
    QSharedPointer<LocalePreferences> m_preferences;
};

// The translated name of the user's level; empty for a level outside 1 to 6.
QString userLevelName(const UserData &user);

// Never prints the password hash or salt.
QDebug operator<<(QDebug debug, const UserData &user);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::UserData)
