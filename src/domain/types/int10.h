#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QtGlobal>

class QDebug;

namespace quelta::domain::types {

// The value of one signed 16-bit register whose descriptor names the value
// type Int10. It is a type of its own so that a descriptor can tell it apart
// from a plain short; the codec that fills it decides what the number means.
class Int10
{
public:
    constexpr Int10() = default;
    constexpr explicit Int10(qint16 value)
        : m_value(value)
    {
    }

    constexpr qint16 value() const { return m_value; }

    friend constexpr bool operator==(Int10 lhs, Int10 rhs) { return lhs.m_value == rhs.m_value; }
    friend constexpr bool operator!=(Int10 lhs, Int10 rhs) { return lhs.m_value != rhs.m_value; }

private:
    qint16 m_value = 0;
};

QDebug operator<<(QDebug debug, Int10 value);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::Int10)
