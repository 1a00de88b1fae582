#pragma once

#include "domain/types/unit.h"

#include <QtCore/QMetaType>
#include <QtCore/QVariant>

class QDebug;

namespace quelta::domain::types {

// A value with its unit code. The default has no unit and an invalid value.
class UnitValue
{
public:
    UnitValue() = default;
    UnitValue(int unit, const QVariant &value);
    // Looks the unit up with Unit::fromString.
    UnitValue(const QString &unitText, const QVariant &value);

    int unit() const { return m_unit; }
    QVariant value() const { return m_value; }
    bool isValid() const { return m_value.isValid(); }

    // The value converted into the unit, as a float; invalid when the value is
    // invalid or not a number.
    QVariant valueIn(int unit) const;
    // The value converted as a difference (converted value minus converted
    // zero), as a float; invalid when the value is invalid or not a number.
    QVariant differenceIn(int unit) const;

    friend bool operator==(const UnitValue &lhs, const UnitValue &rhs)
    {
        return lhs.m_unit == rhs.m_unit && lhs.m_value == rhs.m_value;
    }
    friend bool operator!=(const UnitValue &lhs, const UnitValue &rhs) { return !(lhs == rhs); }

private:
    int m_unit = Unit::None;
    QVariant m_value;
};

QDebug operator<<(QDebug debug, const UnitValue &value);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::UnitValue)
