#include "domain/types/userdata.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDebug>

namespace quelta::domain::types {

namespace {

constexpr const char *UserLevelContext = "UserLevel";

const char *userLevelSourceText(int level)
{
    switch (level) {
    case static_cast<int>(UserLevel::BASIC):
        return QT_TRANSLATE_NOOP("UserLevel", "Basic");
    case static_cast<int>(UserLevel::ADVANCED):
        return QT_TRANSLATE_NOOP("UserLevel", "Advanced");
    case static_cast<int>(UserLevel::ADMINISTRATOR):
        return QT_TRANSLATE_NOOP("UserLevel", "Administrator");
    case static_cast<int>(UserLevel::SERVICE):
        return QT_TRANSLATE_NOOP("UserLevel", "Service");
    case static_cast<int>(UserLevel::LABORATORY):
        return QT_TRANSLATE_NOOP("UserLevel", "Laboratory");
    case static_cast<int>(UserLevel::SUPERUSER):
        return QT_TRANSLATE_NOOP("UserLevel", "Superuser");
    default:
        return nullptr;
    }
}

} // namespace

UserData::UserData(uint id, const QString &loginName, const QString &mailAddress, const QString &firstName,
                   const QString &lastName, const QByteArray &passwordHash, const QByteArray &passwordSalt,
                   const QDateTime &passwordCreationTime, const QDateTime &passwordExpirationTime,
                   bool passwordIsTemporary, int numberFailedLoginAttempts, bool isBanned, int userLevel,
                   const QSharedPointer<LocalePreferences> &preferences)
    : m_id(id)
    , m_loginName(loginName)
    , m_mailAddress(mailAddress)
    , m_firstName(firstName)
    , m_lastName(lastName)
    , m_passwordHash(passwordHash)
    , m_passwordSalt(passwordSalt)
    , m_passwordCreationTime(passwordCreationTime)
    , m_passwordExpirationTime(passwordExpirationTime)
    , m_passwordIsTemporary(passwordIsTemporary)
    , m_numberFailedLoginAttempts(numberFailedLoginAttempts)
    , m_isBanned(isBanned)
    , m_userLevel(userLevel)
    , m_preferences(preferences)
{
}

bool operator==(const UserData &lhs, const UserData &rhs)
{
    const bool samePreferences = (lhs.m_preferences.isNull() || rhs.m_preferences.isNull())
        ? lhs.m_preferences.isNull() == rhs.m_preferences.isNull()
        : *lhs.m_preferences == *rhs.m_preferences;
    return lhs.m_id == rhs.m_id && lhs.m_loginName == rhs.m_loginName && lhs.m_mailAddress == rhs.m_mailAddress
        && lhs.m_firstName == rhs.m_firstName && lhs.m_lastName == rhs.m_lastName
        && lhs.m_passwordHash == rhs.m_passwordHash && lhs.m_passwordSalt == rhs.m_passwordSalt
        && lhs.m_passwordCreationTime == rhs.m_passwordCreationTime
        && lhs.m_passwordExpirationTime == rhs.m_passwordExpirationTime
        && lhs.m_passwordIsTemporary == rhs.m_passwordIsTemporary
        && lhs.m_numberFailedLoginAttempts == rhs.m_numberFailedLoginAttempts && lhs.m_isBanned == rhs.m_isBanned
        && lhs.m_userLevel == rhs.m_userLevel && samePreferences;
}

QString userLevelName(const UserData &user)
{
    const char *sourceText = userLevelSourceText(user.userLevel());
    if (!sourceText)
        return QString();
    return QCoreApplication::translate(UserLevelContext, sourceText);
}

QDebug operator<<(QDebug debug, const UserData &user)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "UserData(id " << user.id() << ", " << user.loginName() << ", level " << user.userLevel()
                    << (user.isBanned() ? ", banned" : "") << ')';
    return debug;
}

} // namespace quelta::domain::types
