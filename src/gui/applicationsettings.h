#pragma once

#include <QtCore/QSettings>
#include <QtCore/QString>
#include <QtCore/QVariant>

namespace quelta::gui::ApplicationSettings {

inline const QString ConfigDatabasePathKey = QStringLiteral("General/ConfigDatabasePath");
inline const QString ChamberImageDirectoryKey = QStringLiteral("General/ChamberImageDirectory");
inline const QString LocalImageDirectoryKey = QStringLiteral("General/LocalImageDirectory");

// The value of the key in the program's INI file; invalid when the file or
// the key is missing. The file is found relative to the working directory,
// not to the executable.
inline QVariant value(const QString &key)
{
    QSettings settings(QStringLiteral("../QUELTA4.ini"), QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    return settings.value(key);
}

} // namespace quelta::gui::ApplicationSettings
