#pragma once

#include "domain/types/localepreferences.h"
#include "domain/types/smtpconfiguration.h"
#include "domain/types/unitvalue.h"
#include "domain/types/userdata.h"
#include "gui/smtpconfigurationitem.h"
#include "gui/usermodel.h"
#include "gui/userpreferenceitem.h"

#include <QtCore/QDate>
#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QLocale>
#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QStringList>
#include <QtCore/QTime>
#include <QtCore/QVariant>
#include <QtQml/QQmlListProperty>

namespace quelta::gui {

// The users, the current user and the display, access-control and mail
// settings as the screens see them. The owning application fills it through
// the setters; QML reads the properties and calls the conversions.
//
// There is one instance per process, made by singletonProvider() and owned by
// its parent. The conversions and preferredUnit() are static: they apply the
// current user's preferences of that instance, or defaultLocalePreferences()
// when there is no instance or its current user has no preferences.
class UserControl : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QQmlListProperty<quelta::gui::UserModel> userModel READ userModel NOTIFY signalUserModelChanged)
    Q_PROPERTY(QStringList userLevels READ userLevels NOTIFY signalUserLevelsChanged)
    Q_PROPERTY(int currentUserId READ currentUserId NOTIFY signalCurrentUserChanged)
    Q_PROPERTY(int passwordValidityPeriod READ passwordValidityPeriod NOTIFY signalPasswordValidityPeriodChanged)
    Q_PROPERTY(int screenLockTimeout READ screenLockTimeout NOTIFY signalScreenLockTimeoutChanged)
    Q_PROPERTY(int maxNumberLoginFails READ maxNumberLoginFails NOTIFY signalMaxNumberLoginFails)
    Q_PROPERTY(bool accessControlActive READ isAccessControlActive NOTIFY signalAccessControlActiveStateChanged)
    // The spelling is the one the screens bind to.
    Q_PROPERTY(bool acceccControlEnabled READ isAcceccControlEnabled NOTIFY acceccControlEnabledChanged)
    Q_PROPERTY(bool passwordIsTemporary READ passwordIsTemporary NOTIFY signalCurrentUserChanged)
    Q_PROPERTY(QString mailAddress READ mailAddress NOTIFY signalCurrentUserChanged)
    Q_PROPERTY(quelta::gui::UserPreferenceItem *currentUserPreferences READ currentUserPreferences CONSTANT)
    Q_PROPERTY(quelta::gui::UserPreferenceItem *generalUserPreferences READ generalUserPreferences CONSTANT)
    Q_PROPERTY(quelta::gui::SmtpConfigurationItem *smtpConfiguration READ smtpConfiguration CONSTANT)

public:
    static constexpr int DefaultDecimalPlaces = 2;

    // withoutAdvancedLevel drops "Advanced" from the levels that may be
    // assigned.
    explicit UserControl(bool withoutAdvancedLevel, QObject *parent = nullptr);
    ~UserControl() override;

    // The instance; made with the arguments when there is none.
    static QPointer<UserControl> singletonProvider(bool withoutAdvancedLevel, QObject *parent);
    static QPointer<UserControl> instance();

    // The users other than "service" and "root".
    QQmlListProperty<UserModel> userModel();
    // The levels that may be assigned, lowest first.
    QStringList userLevels() const;
    int currentUserId() const { return static_cast<int>(m_currentUser.id()); }
    int passwordValidityPeriod() const { return m_passwordValidityPeriod; }
    int screenLockTimeout() const { return m_screenLockTimeout; }
    int maxNumberLoginFails() const { return m_maxNumberLoginFails; }
    bool isAccessControlActive() const { return m_accessControlActive; }
    bool isAcceccControlEnabled() const { return m_acceccControlEnabled; }
    bool passwordIsTemporary() const { return m_currentUser.passwordIsTemporary(); }
    QString mailAddress() const;
    UserPreferenceItem *currentUserPreferences() const { return m_currentUserPreferenceItem; }
    UserPreferenceItem *generalUserPreferences() const { return m_generalUserPreferenceItem; }
    SmtpConfigurationItem *smtpConfiguration() const { return m_smtpConfigurationItem; }

    // The text with "," replaced by "."; still a text.
    Q_INVOKABLE static QVariant convertNumber(const QString &valueString);
    Q_INVOKABLE static QString convert(float value, int decimalPlaces = DefaultDecimalPlaces);
    Q_INVOKABLE static QString convert(const quelta::domain::types::UnitValue &value,
                                       int decimalPlaces = DefaultDecimalPlaces, bool includeUnit = true);
    Q_INVOKABLE static QString convert(const QDateTime &dateTime);
    Q_INVOKABLE static QString convertDate(const QDateTime &dateTime);
    Q_INVOKABLE static QString convertDate(const QDate &date);
    Q_INVOKABLE static QString convertTime(const QDateTime &dateTime, const QString &timeFormat);
    Q_INVOKABLE static QString convertTime(const QDateTime &dateTime);
    Q_INVOKABLE static QString convertTime(const QTime &time);
    // A duration as days, hours, minutes and seconds: "001:01:01:01".
    Q_INVOKABLE static QString convertTime(int seconds);
    // The position of the level in userLevels; -1 for a level below 1.
    Q_INVOKABLE int indexOfUserLevel(int userLevel) const;

    // The unit in which the current user wants to see values of the unit.
    static int preferredUnit(int unit);

    void setCurrentUser(const domain::types::UserData &user);
    // Changes the current user's preferences in place, so that every holder
    // of the user's record sees them.
    void setCurrentUserPreferences(const domain::types::LocalePreferences &preferences);
    void setGeneralUserPreferences(const domain::types::LocalePreferences &preferences);
    void setSmtpConfiguration(const domain::types::SmtpSettings &settings);
    void setPasswordValidityPeriod(int period);
    void setScreenLockTimeout(int timeout);
    void setMaxNumberLoginFails(int count);
    void setAccessControlActive(bool active);
    void setAcceccControlEnabled(bool enabled);
    void setLaboratoryLevelEnabled(bool enabled);

    void addUser(const domain::types::UserData &user);
    void removeUser(uint userId);
    QPointer<UserModel> findUser(uint userId) const;
    // Updates the user's model; of the current user only the mail address is
    // taken over.
    void updateUser(const domain::types::UserData &user);

    int currentUserLevel() const { return m_currentUser.userLevel(); }
    // German for a language that the preferences do not offer.
    QLocale::Language currentLanguage() const;

Q_SIGNALS:
    void signalUserModelChanged();
    void signalUserLevelsChanged();
    void signalPasswordValidityPeriodChanged();
    void signalScreenLockTimeoutChanged();
    void signalAccessControlActiveStateChanged();
    void acceccControlEnabledChanged();
    void signalLanguageChanged();
    void signalCurrentUserChanged();
    void signalMaxNumberLoginFails();

private:
    static domain::types::LocalePreferences preferencesInForce();
    QList<UserModel *> visibleUsers() const;

    domain::types::UserData m_currentUser;
    domain::types::LocalePreferences m_generalPreferences;
    QPointer<UserPreferenceItem> m_currentUserPreferenceItem;
    QPointer<UserPreferenceItem> m_generalUserPreferenceItem;
    QPointer<SmtpConfigurationItem> m_smtpConfigurationItem;
    // Owned; the destructor deletes the models still in the list.
    QList<UserModel *> m_users;
    int m_passwordValidityPeriod = 0;
    int m_screenLockTimeout = 0;
    bool m_accessControlActive = true;
    bool m_acceccControlEnabled = false;
    int m_maxNumberLoginFails = 0;
    const bool m_withoutAdvancedLevel;
    bool m_laboratoryLevelEnabled = false;
};

} // namespace quelta::gui
