#include "domain/types/tolerancerange.h"

#include <QtCore/QDebug>

#include <cmath>
#include <optional>

namespace quelta::domain::types {

namespace {

// A number in the given unit, or nothing when the value cannot be read as one.
std::optional<float> numberIn(const UnitValue &value, int unit)
{
    const QVariant converted = value.valueIn(unit);
    if (!converted.isValid())
        return std::nullopt;
    const float number = converted.toFloat();
    if (std::isnan(number))
        return std::nullopt;
    return number;
}

std::optional<float> limitOf(const UnitValue &limit)
{
    return numberIn(limit, limit.unit());
}

} // namespace

ToleranceRange::ToleranceRange(int type, const UnitValue &lower, const UnitValue &upper)
    : m_type(type)
    , m_lower(lower)
    , m_upper(upper)
{
}

int ToleranceRange::check(const UnitValue &value, const UnitValue &setpoint) const
{
    if (!isValid())
        return Undetermined;

    std::optional<float> lowerLimit = limitOf(m_lower);
    std::optional<float> upperLimit = limitOf(m_upper);
    const std::optional<float> valueForLower = numberIn(value, m_lower.unit());
    const std::optional<float> valueForUpper = numberIn(value, m_upper.unit());
    if (!lowerLimit || !upperLimit || !valueForLower || !valueForUpper)
        return Undetermined;

    if (m_type == Relative) {
        const std::optional<float> setpointForLower = numberIn(setpoint, m_lower.unit());
        const std::optional<float> setpointForUpper = numberIn(setpoint, m_upper.unit());
        if (!setpointForLower || !setpointForUpper)
            return Undetermined;
        lowerLimit = *setpointForLower - *lowerLimit;
        upperLimit = *setpointForUpper + *upperLimit;
    }

    if (*valueForLower < *lowerLimit)
        return Below;
    if (*valueForUpper > *upperLimit)
        return Above;
    return Inside;
}

bool ToleranceRange::isViolation(const UnitValue &value, const UnitValue &setpoint) const
{
    const int result = check(value, setpoint);
    return result == Below || result == Above;
}

void ToleranceRange::convertTo(int unit)
{
    if (m_type == Relative) {
        m_lower = UnitValue(unit, m_lower.differenceIn(unit));
        m_upper = UnitValue(unit, m_upper.differenceIn(unit));
    } else {
        m_lower = UnitValue(unit, m_lower.valueIn(unit));
        m_upper = UnitValue(unit, m_upper.valueIn(unit));
    }
}

QDebug operator<<(QDebug debug, const ToleranceRange &range)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ToleranceRange(type " << range.type() << ", " << range.lower() << ", " << range.upper()
                    << ')';
    return debug;
}

} // namespace quelta::domain::types
