#include "domain/types/unitvalue.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

UnitValue::UnitValue(int unit, const QVariant &value)
    : m_unit(unit)
    , m_value(value)
{
}

UnitValue::UnitValue(const QString &unitText, const QVariant &value)
    : m_unit(Unit::fromString(unitText))
    , m_value(value)
{
}

QVariant UnitValue::valueIn(int unit) const
{
    bool ok = false;
    const float number = m_value.toFloat(&ok);
    if (!m_value.isValid() || !ok)
        return QVariant();
    return QVariant(Unit::convert(m_unit, unit, number));
}

QVariant UnitValue::differenceIn(int unit) const
{
    bool ok = false;
    const float number = m_value.toFloat(&ok);
    if (!m_value.isValid() || !ok)
        return QVariant();
    return QVariant(Unit::convert(m_unit, unit, number) - Unit::convert(m_unit, unit, 0.0f));
}

QDebug operator<<(QDebug debug, const UnitValue &value)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "UnitValue(" << value.value() << ' ' << Unit::toString(value.unit()) << ')';
    return debug;
}

} // namespace quelta::domain::types
