#pragma once

#include "domain/types/tolerancerange.h"
#include "domain/types/unitvalue.h"

#include <QtCore/QMetaType>
#include <QtCore/QVariant>

#include <optional>
#include <type_traits>

class QDebug;

namespace quelta::domain::types {

class ChamberSignal;

// The value of one signal in a program section or a record: the value, a
// second value in the same unit, and an optional tolerance range of its own.
// A range of type Invalid is never kept.
class SetpointValue
{
public:
    // Signal -1, invalid values, no range.
    SetpointValue() = default;
    SetpointValue(int signalId, float value, float secondValue, int unit,
                  const ToleranceRange &range = ToleranceRange());
    SetpointValue(int signalId, const UnitValue &value, const ToleranceRange &range = ToleranceRange());
    SetpointValue(const ChamberSignal &signal, float value, int unit, const ToleranceRange &range = ToleranceRange());
    // Takes the signal's id and unit. For a signal that is one bit of a
    // register (bit position 0 or more) the raw register value is reduced to
    // that bit as a bool; a raw value that is not an integer gives an invalid
    // value.
    SetpointValue(const ChamberSignal &signal, const QVariant &value, const ToleranceRange &range = ToleranceRange());
    // A switch value with the unit BOOL. Only a real bool selects this
    // constructor: an integer register value goes to the QVariant one above
    // instead of being squeezed into a bool here.
    template<typename Bool, std::enable_if_t<std::is_same_v<Bool, bool>, int> = 0>
    SetpointValue(const ChamberSignal &signal, Bool value, const ToleranceRange &range = ToleranceRange())
        : SetpointValue(signalIdOf(signal), UnitValue(Unit::Bool, QVariant(value)), range)
    {
    }

    int signalId() const { return m_signalId; }
    UnitValue value() const { return m_value; }
    UnitValue secondValue() const { return m_secondValue; }
    QVariant rawValue() const { return m_value.value(); }
    int unit() const { return m_value.unit(); }

    // As UnitValue::valueIn: invalid when there is no value.
    QVariant valueIn(int unit) const;
    // The value or the second value in the unit; 0 when it is invalid.
    float valueAsFloat(int unit) const;
    float secondValueAsFloat(int unit) const;

    bool hasToleranceRange() const { return m_range.has_value(); }
    // A copy of the range, or an Invalid range when there is none.
    ToleranceRange toleranceRange() const;

    friend bool operator==(const SetpointValue &lhs, const SetpointValue &rhs)
    {
        return lhs.m_signalId == rhs.m_signalId && lhs.m_value == rhs.m_value
            && lhs.m_secondValue == rhs.m_secondValue && lhs.m_range == rhs.m_range;
    }
    friend bool operator!=(const SetpointValue &lhs, const SetpointValue &rhs) { return !(lhs == rhs); }

private:
    static int signalIdOf(const ChamberSignal &signal);
    void setRange(const ToleranceRange &range);

    int m_signalId = -1;
    UnitValue m_value;
    UnitValue m_secondValue;
    std::optional<ToleranceRange> m_range;
};

QDebug operator<<(QDebug debug, const SetpointValue &value);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::SetpointValue)
