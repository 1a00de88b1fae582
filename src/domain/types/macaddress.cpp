#include "domain/types/macaddress.h"

#include <QtCore/QDebug>
#include <QtCore/QStringList>

namespace quelta::domain::types {

namespace {

// One group is one byte: one or two hexadecimal digits and nothing else
// (no sign, no "0x", no blanks).
bool parseGroup(const QString &group, char *byte)
{
    if (group.isEmpty() || group.size() > 2)
        return false;
    int value = 0;
    for (const QChar c : group) {
        int nibble = -1;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            nibble = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            nibble = c.unicode() - 'a' + 10;
        else if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
            nibble = c.unicode() - 'A' + 10;
        if (nibble < 0)
            return false;
        value = value * 16 + nibble;
    }
    *byte = static_cast<char>(value);
    return true;
}

} // namespace

MacAddress::MacAddress(const QByteArray &bytes)
{
    if (bytes.size() == Size)
        m_bytes = bytes;
}

MacAddress MacAddress::fromString(const QString &text)
{
    // An empty group (a doubled or an outer separator) is refused below,
    // with either separator.
    QStringList groups = text.split(QLatin1Char('-'));
    if (groups.size() != Size)
        groups = text.split(QLatin1Char(':'));
    if (groups.size() != Size)
        return {};

    QByteArray bytes(Size, '\0');
    for (int i = 0; i < Size; ++i) {
        if (!parseGroup(groups.at(i), bytes.data() + i))
            return {};
    }
    return MacAddress(bytes);
}

QString MacAddress::toString() const
{
    return QString::fromLatin1(m_bytes.toHex(':'));
}

QDebug operator<<(QDebug debug, const MacAddress &address)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "MacAddress(" << address.toString() << ')';
    return debug;
}

} // namespace quelta::domain::types
