#include "gui/usermodel.h"

#include "domain/types/userlevel.h"
#include "gui/assignifchanged.h"
#include "gui/usercontrol.h"

namespace quelta::gui {

using domain::types::UserData;

UserModel::UserModel(QObject *parent)
    : UserModel(defaultUser(), parent)
{
}

UserModel::UserModel(const UserData &user, QObject *parent)
    : QObject(parent)
    , m_user(user)
{
}

UserData UserModel::defaultUser()
{
    UserData user;
    user.setUserLevel(static_cast<int>(domain::types::UserLevel::BASIC));
    return user;
}

QString UserModel::userlevelName() const
{
    return domain::types::userLevelName(m_user);
}

QString UserModel::passwordCreation() const
{
    return UserControl::convertDate(m_user.passwordCreationTime());
}

QString UserModel::passwordExpiration() const
{
    return UserControl::convertDate(m_user.passwordExpirationTime());
}

void UserModel::setUserData(const UserData &user)
{
    if (assignIfChanged(m_user, user))
        Q_EMIT signalDataChanged();
}

} // namespace quelta::gui
