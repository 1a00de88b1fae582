#include "domain/types/setpointvalue.h"

#include "domain/types/chambersignal.h"

#include <QtCore/QDebug>

#include <limits>

namespace quelta::domain::types {

namespace {

// The bit of an integer register value as a bool, or an invalid value when
// the raw value is not an integer (a text, say). Unsigned register words and
// bools are integers too.
QVariant bitOf(const QVariant &raw, int bitPosition)
{
    bool ok = false;
    const qulonglong word = raw.toULongLong(&ok);
    if (!ok)
        return QVariant();
    if (bitPosition >= std::numeric_limits<qulonglong>::digits)
        return QVariant(false);
    return QVariant(((word >> bitPosition) & 1U) != 0);
}

} // namespace

SetpointValue::SetpointValue(int signalId, float value, float secondValue, int unit, const ToleranceRange &range)
    : m_signalId(signalId)
    , m_value(unit, QVariant(value))
    , m_secondValue(unit, QVariant(secondValue))
{
    setRange(range);
}

SetpointValue::SetpointValue(int signalId, const UnitValue &value, const ToleranceRange &range)
    : m_signalId(signalId)
    , m_value(value)
    , m_secondValue(value.unit(), QVariant())
{
    setRange(range);
}

SetpointValue::SetpointValue(const ChamberSignal &signal, float value, int unit, const ToleranceRange &range)
    : SetpointValue(signal.id(), UnitValue(unit, QVariant(value)), range)
{
}

SetpointValue::SetpointValue(const ChamberSignal &signal, const QVariant &value, const ToleranceRange &range)
    : SetpointValue(signal.id(),
                    UnitValue(signal.unit(),
                              value.isValid() && signal.bitPosition() >= 0 ? bitOf(value, signal.bitPosition())
                                                                           : value),
                    range)
{
}

int SetpointValue::signalIdOf(const ChamberSignal &signal)
{
    return signal.id();
}

void SetpointValue::setRange(const ToleranceRange &range)
{
    if (range.type() != ToleranceRange::Invalid)
        m_range = range;
}

QVariant SetpointValue::valueIn(int unit) const
{
    return m_value.valueIn(unit);
}

float SetpointValue::valueAsFloat(int unit) const
{
    return m_value.valueIn(unit).toFloat();
}

float SetpointValue::secondValueAsFloat(int unit) const
{
    return m_secondValue.valueIn(unit).toFloat();
}

ToleranceRange SetpointValue::toleranceRange() const
{
    return m_range.value_or(ToleranceRange());
}

QDebug operator<<(QDebug debug, const SetpointValue &value)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SetpointValue(signal " << value.signalId() << ", " << value.value() << ", "
                    << value.secondValue();
    if (value.hasToleranceRange())
        debug << ", " << value.toleranceRange();
    debug << ')';
    return debug;
}

} // namespace quelta::domain::types
