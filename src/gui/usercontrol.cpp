#include "gui/usercontrol.h"

#include "domain/types/userlevel.h"
#include "gui/assignifchanged.h"
#include "gui/preferenceformatter.h"
#include "gui/preferencelanguages.h"
#include "gui/readonlylistproperty.h"

#include <QtCore/QCoreApplication>
#include <QtQml/QQmlEngine>

#include <algorithm>
#include <iterator>

namespace quelta::gui {

using domain::types::LocalePreferences;
using domain::types::SmtpSettings;
using domain::types::UnitValue;
using domain::types::UserData;
using domain::types::UserLevel;

namespace {

QPointer<UserControl> s_instance;

constexpr int SecondsPerDay = 86400;

// The names of the accounts that the user administration never shows.
bool isHiddenUser(const UserModel *model)
{
    const QString name = model->username();
    return name == QLatin1String("service") || name == QLatin1String("root");
}

QString levelName(UserLevel level)
{
    UserData user;
    user.setUserLevel(static_cast<int>(level));
    return domain::types::userLevelName(user);
}

// Documents read the users through a list whose element type QML must know.
// Runs when the application object is made.
void registerTypes()
{
    qmlRegisterAnonymousType<UserModel>("UserControl", 1);
}
Q_COREAPP_STARTUP_FUNCTION(registerTypes)

} // namespace

UserControl::UserControl(bool withoutAdvancedLevel, QObject *parent)
    : QObject(parent)
    , m_currentUser(UserModel::defaultUser())
    , m_generalPreferences(defaultLocalePreferences())
    , m_currentUserPreferenceItem(new UserPreferenceItem(defaultLocalePreferences(), this))
    , m_generalUserPreferenceItem(new UserPreferenceItem(defaultLocalePreferences(), this))
    , m_smtpConfigurationItem(new SmtpConfigurationItem(this))
    , m_withoutAdvancedLevel(withoutAdvancedLevel)
{
}

UserControl::~UserControl()
{
    qDeleteAll(m_users);
}

QPointer<UserControl> UserControl::singletonProvider(bool withoutAdvancedLevel, QObject *parent)
{
    if (!s_instance)
        s_instance = new UserControl(withoutAdvancedLevel, parent);
    return s_instance;
}

QPointer<UserControl> UserControl::instance()
{
    return s_instance;
}

QQmlListProperty<UserModel> UserControl::userModel()
{
    return readOnlyListProperty<&UserControl::visibleUsers>(this);
}

QList<UserModel *> UserControl::visibleUsers() const
{
    QList<UserModel *> visible;
    std::copy_if(m_users.cbegin(), m_users.cend(), std::back_inserter(visible),
                 [](const UserModel *model) { return !isHiddenUser(model); });
    return visible;
}

QStringList UserControl::userLevels() const
{
    QStringList levels{levelName(UserLevel::BASIC)};
    if (!m_withoutAdvancedLevel)
        levels.append(levelName(UserLevel::ADVANCED));
    levels.append(levelName(UserLevel::ADMINISTRATOR));
    if (m_laboratoryLevelEnabled)
        levels.append(levelName(UserLevel::LABORATORY));
    return levels;
}

QString UserControl::mailAddress() const
{
    const QString address = m_currentUser.mailAddress();
    return address.isNull() ? QLatin1String("") : address;
}

QVariant UserControl::convertNumber(const QString &valueString)
{
    return QVariant(QString(valueString).replace(QLatin1Char(','), QLatin1Char('.')));
}

QString UserControl::convert(float value, int decimalPlaces)
{
    return PreferenceFormatter::formatFloat(preferencesInForce(), value, decimalPlaces);
}

QString UserControl::convert(const UnitValue &value, int decimalPlaces, bool includeUnit)
{
    return PreferenceFormatter::formatUnitValue(preferencesInForce(), value, decimalPlaces, includeUnit);
}

QString UserControl::convert(const QDateTime &dateTime)
{
    return PreferenceFormatter::formatDateTime(preferencesInForce(), dateTime);
}

QString UserControl::convertDate(const QDateTime &dateTime)
{
    return convertDate(dateTime.date());
}

QString UserControl::convertDate(const QDate &date)
{
    return PreferenceFormatter::formatDate(preferencesInForce(), date);
}

QString UserControl::convertTime(const QDateTime &dateTime, const QString &timeFormat)
{
    return PreferenceFormatter::formatTime(preferencesInForce(), dateTime.time(), timeFormat);
}

QString UserControl::convertTime(const QDateTime &dateTime)
{
    return convertTime(dateTime.time());
}

QString UserControl::convertTime(const QTime &time)
{
    return PreferenceFormatter::formatTime(preferencesInForce(), time);
}

QString UserControl::convertTime(int seconds)
{
    const int duration = std::max(seconds, 0);
    const QTime timeOfDay = QTime(0, 0).addSecs(duration % SecondsPerDay);
    const QChar zero(QLatin1Char('0'));
    return QStringLiteral("%1:%2:%3:%4")
        .arg(duration / SecondsPerDay, 3, 10, zero)
        .arg(timeOfDay.hour(), 2, 10, zero)
        .arg(timeOfDay.minute(), 2, 10, zero)
        .arg(timeOfDay.second(), 2, 10, zero);
}

int UserControl::indexOfUserLevel(int userLevel) const
{
    // Levels start at 1. Nothing below has a position, and the arithmetic
    // below would overflow for the smallest int, which QML may pass.
    if (userLevel < 1)
        return -1;
    const int position = userLevels().indexOf(levelName(UserLevel(userLevel)));
    if (position >= 0)
        return position;
    // A level that may not be assigned has no position; the screens have
    // always been given this number for it.
    if (m_withoutAdvancedLevel && userLevel > 1)
        return userLevel - 2;
    return userLevel - 1;
}

int UserControl::preferredUnit(int unit)
{
    return PreferenceFormatter::preferredUnit(preferencesInForce(), unit);
}

LocalePreferences UserControl::preferencesInForce()
{
    if (s_instance && s_instance->m_currentUser.preferences())
        return *s_instance->m_currentUser.preferences();
    return defaultLocalePreferences();
}

void UserControl::setCurrentUser(const UserData &user)
{
    if (!assignIfChanged(m_currentUser, user))
        return;
    if (m_currentUserPreferenceItem)
        m_currentUserPreferenceItem->setPreferences(user.preferences() ? *user.preferences()
                                                                       : defaultLocalePreferences());
    Q_EMIT signalLanguageChanged();
    Q_EMIT signalCurrentUserChanged();
}

void UserControl::setCurrentUserPreferences(const LocalePreferences &preferences)
{
    if (m_currentUser.preferences())
        *m_currentUser.preferences() = preferences;
    else
        m_currentUser.setPreferences(QSharedPointer<LocalePreferences>::create(preferences));
    if (m_currentUserPreferenceItem)
        m_currentUserPreferenceItem->setPreferences(preferences);
    Q_EMIT signalLanguageChanged();
}

void UserControl::setGeneralUserPreferences(const LocalePreferences &preferences)
{
    m_generalPreferences = preferences;
    if (m_generalUserPreferenceItem)
        m_generalUserPreferenceItem->setPreferences(preferences);
    Q_EMIT signalLanguageChanged();
}

void UserControl::setSmtpConfiguration(const SmtpSettings &settings)
{
    if (m_smtpConfigurationItem)
        m_smtpConfigurationItem->setConfiguration(settings);
}

void UserControl::setPasswordValidityPeriod(int period)
{
    if (assignIfChanged(m_passwordValidityPeriod, period))
        Q_EMIT signalPasswordValidityPeriodChanged();
}

void UserControl::setScreenLockTimeout(int timeout)
{
    if (assignIfChanged(m_screenLockTimeout, timeout))
        Q_EMIT signalScreenLockTimeoutChanged();
}

void UserControl::setMaxNumberLoginFails(int count)
{
    if (assignIfChanged(m_maxNumberLoginFails, count))
        Q_EMIT signalMaxNumberLoginFails();
}

void UserControl::setAccessControlActive(bool active)
{
    if (assignIfChanged(m_accessControlActive, active))
        Q_EMIT signalAccessControlActiveStateChanged();
}

void UserControl::setAcceccControlEnabled(bool enabled)
{
    if (assignIfChanged(m_acceccControlEnabled, enabled))
        Q_EMIT acceccControlEnabledChanged();
}

void UserControl::setLaboratoryLevelEnabled(bool enabled)
{
    if (assignIfChanged(m_laboratoryLevelEnabled, enabled))
        Q_EMIT signalUserLevelsChanged();
}

void UserControl::addUser(const UserData &user)
{
    m_users.append(new UserModel(user));
    Q_EMIT signalUserModelChanged();
}

void UserControl::removeUser(uint userId)
{
    const auto model = std::find_if(m_users.begin(), m_users.end(), [userId](const UserModel *candidate) {
        return candidate->userData().id() == userId;
    });
    if (model == m_users.end())
        return;
    UserModel *removed = *model;
    m_users.erase(model);
    Q_EMIT signalUserModelChanged();
    // QML may still hold the model until the list is read again.
    removed->deleteLater();
}

QPointer<UserModel> UserControl::findUser(uint userId) const
{
    for (UserModel *model : m_users) {
        if (model->userData().id() == userId)
            return model;
    }
    return nullptr;
}

void UserControl::updateUser(const UserData &user)
{
    if (user.id() == m_currentUser.id()) {
        m_currentUser.setMailAddress(user.mailAddress());
        Q_EMIT signalCurrentUserChanged();
    }
    if (const QPointer<UserModel> model = findUser(user.id()))
        model->setUserData(user);
}

QLocale::Language UserControl::currentLanguage() const
{
    const QSharedPointer<LocalePreferences> preferences = m_currentUser.preferences();
    if (m_currentUser.id() == 0 || !preferences)
        return localeLanguage(m_generalPreferences.localization());
    return localeLanguage(preferences->localization());
}

} // namespace quelta::gui
