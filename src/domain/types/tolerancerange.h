#pragma once

#include "domain/types/unitvalue.h"

#include <QtCore/QMetaType>

class QDebug;

namespace quelta::domain::types {

// A tolerance band around a value. An absolute band holds its limits; a
// relative band holds two distances, below and above the set point. The
// default range (Invalid) stands for "no tolerance".
class ToleranceRange
{
public:
    enum Type : int {
        Invalid = 0,
        Absolute = 1,
        Relative = 2
    };

    enum CheckResult : int {
        Inside = 0,
        Undetermined = 1,
        Below = 2,
        Above = 3
    };

    ToleranceRange() = default;
    ToleranceRange(int type, const UnitValue &lower, const UnitValue &upper);

    int type() const { return m_type; }
    UnitValue lower() const { return m_lower; }
    UnitValue upper() const { return m_upper; }
    bool isValid() const { return m_type == Absolute || m_type == Relative; }

    // Where the value lies against the band, limits included. Undetermined
    // for an invalid range, value or limit, and for a relative band without a
    // valid set point. The value and the set point are converted into the
    // units of the limits before they are compared.
    int check(const UnitValue &value, const UnitValue &setpoint = UnitValue()) const;
    // True when check() gives Below or Above.
    bool isViolation(const UnitValue &value, const UnitValue &setpoint = UnitValue()) const;

    // Converts both limits into the unit: the limits of an absolute band as
    // values, the distances of a relative band as differences.
    void convertTo(int unit);

    friend bool operator==(const ToleranceRange &lhs, const ToleranceRange &rhs)
    {
        return lhs.m_type == rhs.m_type && lhs.m_lower == rhs.m_lower && lhs.m_upper == rhs.m_upper;
    }
    friend bool operator!=(const ToleranceRange &lhs, const ToleranceRange &rhs) { return !(lhs == rhs); }

private:
    int m_type = Invalid;
    UnitValue m_lower;
    UnitValue m_upper;
};

QDebug operator<<(QDebug debug, const ToleranceRange &range);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ToleranceRange)
