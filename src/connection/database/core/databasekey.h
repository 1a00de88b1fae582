#pragma once

#include <QtCore/QLatin1String>

namespace quelta::base::connection::databaseconnection {

// The SQLCipher key of the configuration database and of program files:
// 32 lowercase hexadecimal digits, sent as the passphrase of "PRAGMA key".
inline constexpr QLatin1String DatabaseKey("3e9a07c1d5b8f2a46c0d9e1b7a5f3c28");

} // namespace quelta::base::connection::databaseconnection
