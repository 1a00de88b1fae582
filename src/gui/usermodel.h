#pragma once

#include "domain/types/userdata.h"

#include <QtCore/QObject>
#include <QtCore/QString>

namespace quelta::gui {

// One user of the user administration, read-only for QML. The record is
// replaced as a whole; dates are shown in the current user's date format.
class UserModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int userId READ userId NOTIFY signalDataChanged)
    Q_PROPERTY(QString username READ username NOTIFY signalDataChanged)
    Q_PROPERTY(QString mailAddress READ mailAddress NOTIFY signalDataChanged)
    Q_PROPERTY(QString userlevelName READ userlevelName NOTIFY signalDataChanged)
    Q_PROPERTY(int userlevel READ userlevel NOTIFY signalDataChanged)
    Q_PROPERTY(QString passwordCreation READ passwordCreation NOTIFY signalDataChanged)
    Q_PROPERTY(QString passwordExpiration READ passwordExpiration NOTIFY signalDataChanged)
    Q_PROPERTY(bool isBanned READ isBanned NOTIFY signalDataChanged)

public:
    // A basic user without id, names or preferences.
    explicit UserModel(QObject *parent = nullptr);
    explicit UserModel(const domain::types::UserData &user, QObject *parent = nullptr);

    // The record a model starts from when it is given none.
    static domain::types::UserData defaultUser();

    int userId() const { return static_cast<int>(m_user.id()); }
    QString username() const { return m_user.loginName(); }
    QString mailAddress() const { return m_user.mailAddress(); }
    // Empty for a level outside 1 to 6.
    QString userlevelName() const;
    int userlevel() const { return m_user.userLevel(); }
    QString passwordCreation() const;
    QString passwordExpiration() const;
    bool isBanned() const { return m_user.isBanned(); }

    const domain::types::UserData &userData() const { return m_user; }
    void setUserData(const domain::types::UserData &user);

Q_SIGNALS:
    void signalDataChanged();

private:
    domain::types::UserData m_user;
};

} // namespace quelta::gui
