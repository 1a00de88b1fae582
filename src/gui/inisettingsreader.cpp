#include "gui/inisettingsreader.h"

#include <QtCore/QFile>
#include <QtCore/QTextCodec>
#include <QtCore/QUrl>
#include <QtCore/QtEndian>

#include <optional>

namespace quelta::gui {

namespace {

using Value = IniSettingsReader::Value;
using State = IniSettingsReader::State;

// QSettings compares the keys of INI files without case on Windows only.
QString comparableKey(const QString &key)
{
#ifdef Q_OS_WIN
    return key.toLower();
#else
    return key;
#endif
}

bool isBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

bool isLineEnd(char ch)
{
    return ch == '\n' || ch == '\r';
}

// CRLF and LFCR end one line, as either character does alone.
bool endsLineTogether(char first, char second)
{
    return isLineEnd(first) && isLineEnd(second) && first != second;
}

int skipBlanks(const QByteArray &data, int from, int to)
{
    while (from < to && isBlank(data.at(from)))
        ++from;
    return from;
}

struct IniLine
{
    int start = 0;
    int length = 0;
    int equals = -1; // the first "=" outside quotes
};

int skipBlanksAndLineEnds(const QByteArray &data, int from)
{
    while (from < data.size() && (isBlank(data.at(from)) || isLineEnd(data.at(from))))
        ++from;
    return from;
}

// The next line from position on, position then standing behind it; false
// when only blank lines and comments remain. A line end within quotes or
// behind a backslash belongs to the line; a ";" outside quotes ends it, and
// one at its start makes the rest of it a comment.
bool readLine(const QByteArray &data, int &position, IniLine &line)
{
    const int size = data.size();
    bool inQuotes = false;
    line.equals = -1;
    line.start = skipBlanksAndLineEnds(data, position);

    int i = line.start;
    while (i < size) {
        const char ch = data.at(i++);
        if (ch == '=') {
            if (!inQuotes && line.equals == -1)
                line.equals = i - 1;
        } else if (isLineEnd(ch)) {
            if (!inQuotes) {
                --i;
                break;
            }
        } else if (ch == '\\') {
            if (i < size) {
                const char escaped = data.at(i++);
                if (i < size && endsLineTogether(escaped, data.at(i)))
                    ++i;
            }
        } else if (ch == '"') {
            inQuotes = !inQuotes;
        } else if (ch == ';') {
            if (i == line.start + 1) {
                while (i < size && !isLineEnd(data.at(i)))
                    ++i;
                i = skipBlanksAndLineEnds(data, i);
                line.start = i;
            } else if (!inQuotes) {
                --i;
                break;
            }
        }
    }
    position = i;
    line.length = i - line.start;
    return line.length > 0;
}

// A key or section name: "\" stands for "/", "%XX" and "%UXXXX" for the
// character of that hexadecimal code; every other byte is a Latin-1
// character.
QString unescapedKey(const QByteArray &data, int from, int to)
{
    QString key;
    int i = from;
    while (i < to) {
        const char ch = data.at(i);
        if (ch == '\\') {
            key += QLatin1Char('/');
            ++i;
            continue;
        }
        if (ch != '%' || i == to - 1) {
            key += QLatin1Char(ch);
            ++i;
            continue;
        }
        const bool wide = data.at(i + 1) == 'U';
        const int first = wide ? i + 2 : i + 1;
        const int digits = wide ? 4 : 2;
        bool ok = false;
        const int code = first + digits <= to ? data.mid(first, digits).toInt(&ok, 16) : 0;
        if (!ok) {
            key += QLatin1Char('%');
            ++i;
            continue;
        }
        key += QChar(code);
        i = first + digits;
    }
    return key;
}

// The prefix that a section gives its keys: none for "[General]", "General/"
// for "[%General]" (spelt as written), else the unescaped name and "/". The
// whole name is compared, a NUL byte in it included.
QString sectionPrefix(const QByteArray &header)
{
    const QByteArray name = header.trimmed();
    if (name.compare("general", Qt::CaseInsensitive) == 0)
        return {};
    if (name.compare("%general", Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(name.mid(1)) + QLatin1Char('/');
    return unescapedKey(name, 0, name.size()) + QLatin1Char('/');
}

char escapedCharacter(char ch)
{
    switch (ch) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    case '"':
    case '?':
    case '\'':
    case '\\':
        return ch;
    default:
        return 0;
    }
}

// -1 when ch is no digit of the base (8 or 16).
int digitValue(char ch, int base)
{
    const int value = (ch >= '0' && ch <= '9') ? ch - '0'
        : (ch >= 'a' && ch <= 'f')             ? ch - 'a' + 10
        : (ch >= 'A' && ch <= 'F')             ? ch - 'A' + 10
                                               : -1;
    return value < base ? value : -1;
}

// The character of the code whose digits begin at i; like QSettings, it
// keeps the code's lowest 16 bits however many digits follow.
int appendCharacterCode(const QByteArray &data, int i, int to, int base, QString &text)
{
    quint32 code = 0;
    for (int digit; i < to && (digit = digitValue(data.at(i), base)) >= 0; ++i)
        code = code * quint32(base) + quint32(digit);
    text += QChar(ushort(code & 0xffff));
    return i;
}

// The escape whose character stands at i, behind the backslash; returns
// where the text goes on. A backslash before a line end continues the
// value on the next line; one before any other character drops it.
int appendEscape(const QByteArray &data, int i, int to, QString &text)
{
    if (i >= to)
        return i;
    const char ch = data.at(i++);
    if (const char escaped = escapedCharacter(ch)) {
        text += QLatin1Char(escaped);
    } else if (ch == 'x') {
        if (i < to && digitValue(data.at(i), 16) >= 0)
            return appendCharacterCode(data, i, to, 16, text);
    } else if (digitValue(ch, 8) >= 0) {
        return appendCharacterCode(data, i - 1, to, 8, text);
    } else if (isLineEnd(ch)) {
        if (i < to && endsLineTogether(ch, data.at(i)))
            ++i;
    }
    return i;
}

void chopTrailingBlanks(QString &text, int limit)
{
    int end = text.size();
    while (end > limit && (text.at(end - 1) == QLatin1Char(' ') || text.at(end - 1) == QLatin1Char('\t')))
        --end;
    text.truncate(end);
}

// The value between from and to as QSettings reads a value, except that a
// comma outside quotes is text too. Blanks before the value, behind a
// closing quote and, unless the value holds a quote, at its end are no
// part of it; blanks that an escape gives always are.
QString unescapedValue(const QByteArray &data, int from, int to)
{
    QTextCodec *const utf8 = QTextCodec::codecForName("UTF-8");
    QString text;
    bool inQuotes = false;
    bool quoted = false;
    int choppable = 0; // where blanks at the end may begin
    int i = skipBlanks(data, from, to);
    while (i < to) {
        const char ch = data.at(i);
        if (ch == '\\') {
            i = appendEscape(data, i + 1, to, text);
            choppable = text.size();
        } else if (ch == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            ++i;
            if (!inQuotes) {
                i = skipBlanks(data, i, to);
                choppable = text.size();
            }
        } else {
            // Decoded in the pieces in which QSettings decodes it.
            int end = i + 1;
            while (end < to && data.at(end) != '\\' && data.at(end) != '"' && data.at(end) != ',')
                ++end;
            text += utf8->toUnicode(data.constData() + i, end - i);
            i = end;
        }
    }
    if (!quoted)
        chopTrailingBlanks(text, choppable);
    return text;
}

// The arguments of "@Rect(1 2 3 4)" and its kin as QSettings counts them.
int argumentCount(const QString &text, int openingParenthesis)
{
    const QStringRef arguments = text.midRef(openingParenthesis + 1);
    return arguments.count(QLatin1Char(' ')) + arguments.count(QLatin1Char(')'));
}

// The block of a byte array or string in a data stream that begins at
// position: its length (0xffffffff for a null one), then its bytes. None
// when the stream ends before the block does.
std::optional<QByteArray> readBlock(const QByteArray &stream, int position)
{
    if (stream.size() - position < 4)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(stream.constData() + position);
    if (length == 0xffffffff)
        return QByteArray();
    if (quint32(stream.size() - position - 4) < length)
        return std::nullopt;
    return stream.mid(position + 4, int(length));
}

QString fromUtf16BigEndian(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() / 2);
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(qFromBigEndian<quint16>(bytes.constData() + i));
    return text;
}

Value textValue(const QString &text)
{
    return {State::Text, text};
}

// In QDataStream's format of Qt 4.0, the number of a type that the stream
// names before its value.
constexpr quint32 NamedType = 127;

// The text of a value that QSettings wrote as "@Variant(...)": a QVariant
// in QDataStream's format of Qt 4.0, its type's number (or NamedType and
// the type's name, looked up as QVariant looks it up) and then its value.
// Only a string, a byte array and a URL are read.
Value variantValue(const QByteArray &stream)
{
    if (stream.size() < 4)
        return {State::NotText, {}};
    quint32 type = qFromBigEndian<quint32>(stream.constData());
    int position = 4;
    if (type == NamedType) {
        const std::optional<QByteArray> name = readBlock(stream, position);
        if (!name)
            return {State::NotText, {}};
        type = quint32(QMetaType::type(name->constData()));
        position += 4 + name->size();
    }
    if (type == QMetaType::UnknownType)
        return {};
    const std::optional<QByteArray> block = readBlock(stream, position);
    if (!block)
        return {State::NotText, {}};
    switch (type) {
    case QMetaType::QString:
        if (block->size() % 2 != 0)
            return {State::NotText, {}};
        return textValue(fromUtf16BigEndian(*block));
    case QMetaType::QByteArray:
        return textValue(QString::fromUtf8(*block));
    case QMetaType::QUrl:
        return textValue(QUrl(QString::fromLatin1(*block)).toString());
    default:
        return {State::NotText, {}};
    }
}

// The value as QSettings reads the text of a value, "@" at its start
// marking the type of a value that is no string.
Value typedValue(const QString &text)
{
    const auto startsWith = [&text](const char *prefix) { return text.startsWith(QLatin1String(prefix)); };
    if (startsWith("@") && text.endsWith(QLatin1Char(')'))) {
        if (startsWith("@ByteArray("))
            return textValue(QString::fromUtf8(text.mid(11, text.size() - 12).toLatin1()));
        if (startsWith("@String("))
            return textValue(text.mid(8, text.size() - 9));
        if (startsWith("@Variant("))
            return variantValue(text.mid(9).toLatin1());
        if (startsWith("@DateTime(") || (startsWith("@Rect(") && argumentCount(text, 5) == 4)
            || (startsWith("@Size(") && argumentCount(text, 5) == 2)
            || (startsWith("@Point(") && argumentCount(text, 6) == 2))
            return {State::NotText, {}};
        if (text == QLatin1String("@Invalid()"))
            return {};
    }
    if (startsWith("@@"))
        return textValue(text.mid(1));
    return textValue(text);
}

// The section from which QSettings reads a key: for a key with a group the
// last section in the order of keys whose prefix leads the key, unless that
// is the one of the keys without a group; for one without, that one.
QMap<QString, QByteArray>::const_iterator sectionOf(const QMap<QString, QByteArray> &sections, const QString &key)
{
    if (!key.contains(QLatin1Char('/')))
        return sections.constFind(QString());
    auto section = sections.upperBound(key);
    if (section == sections.constBegin())
        return sections.constEnd();
    --section;
    if (section.key().isEmpty() || !key.startsWith(section.key()))
        return sections.constEnd();
    return section;
}

} // namespace

IniSettingsReader IniSettingsReader::fromFile(const QString &fileName)
{
    QFile file(fileName);
    return IniSettingsReader(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
}

IniSettingsReader::IniSettingsReader(const QByteArray &content)
{
    // The keys without a group take the lines from the file's start, a byte
    // order mark included.
    QString prefix;
    int sectionStart = 0;
    const auto appendSection = [this, &content, &prefix, &sectionStart](int end) {
        QByteArray &lines = m_sections[comparableKey(prefix)];
        if (!lines.isEmpty())
            lines.append('\n');
        lines += content.mid(sectionStart, end - sectionStart);
    };

    int position = content.startsWith("\xef\xbb\xbf") ? 3 : 0;
    IniLine line;
    while (readLine(content, position, line)) {
        if (content.at(line.start) != '[')
            continue;
        appendSection(line.start);
        int nameEnd = content.indexOf(']', line.start);
        if (nameEnd == -1 || nameEnd >= line.start + line.length)
            nameEnd = line.start + line.length;
        prefix = sectionPrefix(content.mid(line.start + 1, nameEnd - line.start - 1));
        sectionStart = position;
    }
    appendSection(content.size());
}

IniSettingsReader::Value IniSettingsReader::value(const QString &key) const
{
    const QString wanted = comparableKey(key);
    const auto section = sectionOf(m_sections, wanted);
    if (section == m_sections.constEnd())
        return {};

    const QByteArray &lines = section.value();
    std::optional<QString> text;
    int position = 0;
    IniLine line;
    while (readLine(lines, position, line)) {
        if (line.equals == -1)
            continue;
        int keyEnd = line.equals;
        while (keyEnd > line.start && isBlank(lines.at(keyEnd - 1)))
            --keyEnd;
        if (comparableKey(section.key() + unescapedKey(lines, line.start, keyEnd)) == wanted)
            text = unescapedValue(lines, line.equals + 1, line.start + line.length);
    }
    return text ? typedValue(*text) : Value();
}

} // namespace quelta::gui
