#pragma once

#include <QtCore/QMetaType>

namespace quelta::domain::types {

// The user levels of the access rights, lowest first. 0 stands for "no
// level" where a store finds none.
enum class UserLevel : int {
    BASIC = 1,
    ADVANCED = 2,
    ADMINISTRATOR = 3,
    SERVICE = 4,
    LABORATORY = 5,
    SUPERUSER = 6
};

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::UserLevel)
