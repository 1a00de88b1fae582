#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// A hardware address of six bytes, or no address at all.
class MacAddress
{
public:
    static constexpr int Size = 6;

    MacAddress() = default;
    // Takes exactly six bytes; anything else gives an empty address.
    explicit MacAddress(const QByteArray &bytes);

    // Reads six hexadecimal groups separated by "-" or ":" ("aa-bb-cc-dd-ee-0f",
    // "AA:BB:CC:DD:EE:0F"); any other text gives an empty address.
    static MacAddress fromString(const QString &text);
    // Six lower-case two-digit groups joined by ":"; empty for an empty address.
    QString toString() const;

    bool isEmpty() const { return m_bytes.isEmpty(); }
    QByteArray bytes() const { return m_bytes; }

    friend bool operator==(const MacAddress &lhs, const MacAddress &rhs) { return lhs.m_bytes == rhs.m_bytes; }
    friend bool operator!=(const MacAddress &lhs, const MacAddress &rhs) { return !(lhs == rhs); }

private:
    QByteArray m_bytes;
};

QDebug operator<<(QDebug debug, const MacAddress &address);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::MacAddress)
