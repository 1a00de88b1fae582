#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QMap>
#include <QtCore/QString>

namespace quelta::gui {

// Reads texts from a settings file in QSettings' INI format by the rules
// with which QSettings reads it: a UTF-8 byte order mark; lines that end at
// LF, CR or CRLF; a backslash before a line end continuing the line; blanks
// around keys and values; comments from a ";" outside quotes; sections,
// "[General]" standing for keys without a group and "[%General]" for the
// group General, each name compared whole, a NUL byte in it included, and
// merged when a section recurs; keys with "\" for "/" and "%XX" or "%UXXXX"
// escapes; quotes, within which a line end or a ";" is text; the backslash
// escapes of C; and the last line of a key counting. Like QSettings, it
// looks for a key with a group only in the last section in the order of
// names that does not come after the key, and only when that section's name
// leads the key.
//
// A value is read as one text: a comma outside quotes, where QSettings
// splits the value into a list, stays in it with the blanks around it, so
// that a path such as "C:/Daten/Versuch, alt/configuration.sqlite3" reads
// as written. A value that QSettings stores with a type reads as the text
// that QSettings reads when that type holds a text (a string, byte array or
// URL): "@String(...)", the form in which QSettings writes a text that
// holds a NUL character, reads as the text within, and "@@" at the start
// stands for "@". The stream of a value of another type is never decoded:
// QSettings may ask for gigabytes to decode a damaged one and abort the
// program.
class IniSettingsReader
{
public:
    enum class State {
        Missing, // no such key, or "@Invalid()", which QSettings reads as no value
        Text,
        NotText, // a value of a type that holds no text, or a damaged one
    };
    struct Value
    {
        State state = State::Missing;
        QString text;
    };

    // A file that is missing or cannot be read holds no keys, as it does
    // for QSettings.
    static IniSettingsReader fromFile(const QString &fileName);
    explicit IniSettingsReader(const QByteArray &content);

    // The value of a key such as "General/ConfigDatabasePath".
    Value value(const QString &key) const;

private:
    // Each section's lines by its name ("" for the keys without a group,
    // "General/" for "[%General]"), in QSettings' order of keys.
    QMap<QString, QByteArray> m_sections;
};

} // namespace quelta::gui
