#pragma once

#include <QtCore/QString>
#include <QtCore/QVariant>

namespace quelta::gui::ApplicationSettings {

inline const QString ConfigDatabasePathKey = QStringLiteral("General/ConfigDatabasePath");
inline const QString ChamberImageDirectoryKey = QStringLiteral("General/ChamberImageDirectory");
inline const QString LocalImageDirectoryKey = QStringLiteral("General/LocalImageDirectory");

// The text of the key in the program's INI file; invalid when the file or
// the key is missing. The file is found relative to the working directory,
// not to the executable. A value that holds no text, such as a damaged one,
// is logged with its key and reads as an empty text, which no caller takes
// for a usable path.
QVariant value(const QString &key);

} // namespace quelta::gui::ApplicationSettings
