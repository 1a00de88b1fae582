#pragma once

#include <QtCore/QFile>
#include <QtCore/QSettings>
#include <QtCore/QString>
#include <QtCore/QTextStream>
#include <QtCore/QVariant>

namespace quelta::gui::ApplicationSettings {

inline const QString ConfigDatabasePathKey = QStringLiteral("General/ConfigDatabasePath");
inline const QString ChamberImageDirectoryKey = QStringLiteral("General/ChamberImageDirectory");
inline const QString LocalImageDirectoryKey = QStringLiteral("General/LocalImageDirectory");

// The text after the "=" of the last line of key "Group/name" in the INI
// file, as it was written. QSettings writes the group General as
// "[%General]".
inline QString writtenText(const QString &fileName, const QString &key)
{
    const QString group = key.section(QLatin1Char('/'), 0, 0);
    const QString name = key.section(QLatin1Char('/'), 1);
    const QString groupSection =
        group.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0 ? QLatin1Char('%') + group : group;

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    QString section;
    QString text;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && section == groupSection && line.left(equals).trimmed() == name)
            text = line.mid(equals + 1).trimmed();
    }
    return text;
}

// The value of the key in the program's INI file; invalid when the file or
// the key is missing. The file is found relative to the working directory,
// not to the executable.
//
// QSettings reads a value with a comma outside quotes as a list of its parts
// and drops the blanks around the commas, so that a path such as
// "C:/Daten/Versuch, alt/configuration.sqlite3" would read as no text at
// all. Such a value is read back from its line as the text that was written.
inline QVariant value(const QString &key)
{
    const QString fileName = QStringLiteral("../QUELTA4.ini");
    QSettings settings(fileName, QSettings::IniFormat);
    settings.setIniCodec("UTF-8");
    const QVariant value = settings.value(key);
    if (value.userType() == QMetaType::QStringList)
        return writtenText(fileName, key);
    return value;
}

} // namespace quelta::gui::ApplicationSettings
