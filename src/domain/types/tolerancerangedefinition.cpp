#include "domain/types/tolerancerangedefinition.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ToleranceRangeDefinition::ToleranceRangeDefinition(const QString &name, int setPoint, int processValue,
                                                   const ToleranceRange &range, int delay1, int delay2)
    : m_name(name)
    , m_setPoint(setPoint)
    , m_processValue(processValue)
    , m_range(range)
    , m_delay1(delay1)
    , m_delay2(delay2)
{
}

QDebug operator<<(QDebug debug, const ToleranceRangeDefinition &definition)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ToleranceRangeDefinition(" << definition.name() << ", set point " << definition.setPoint()
                    << ", process value " << definition.processValue() << ", " << definition.range() << ", delays "
                    << definition.delay1() << '/' << definition.delay2() << ')';
    return debug;
}

} // namespace quelta::domain::types
