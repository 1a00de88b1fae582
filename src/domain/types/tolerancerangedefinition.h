#pragma once

#include "domain/types/tolerancerange.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// A tolerance range of the catalogue: it ties a set-point signal and a
// process-value signal of a chamber type to a band and to two alarm delays
// (the first in seconds, the second in minutes).
class ToleranceRangeDefinition
{
public:
    ToleranceRangeDefinition() = default;
    ToleranceRangeDefinition(const QString &name, int setPoint, int processValue, const ToleranceRange &range,
                             int delay1, int delay2);

    QString name() const { return m_name; }
    int setPoint() const { return m_setPoint; }
    int processValue() const { return m_processValue; }
    ToleranceRange range() const { return m_range; }
    int delay1() const { return m_delay1; }
    int delay2() const { return m_delay2; }

    friend bool operator==(const ToleranceRangeDefinition &lhs, const ToleranceRangeDefinition &rhs)
    {
        return lhs.m_name == rhs.m_name && lhs.m_setPoint == rhs.m_setPoint
            && lhs.m_processValue == rhs.m_processValue && lhs.m_range == rhs.m_range
            && lhs.m_delay1 == rhs.m_delay1 && lhs.m_delay2 == rhs.m_delay2;
    }
    friend bool operator!=(const ToleranceRangeDefinition &lhs, const ToleranceRangeDefinition &rhs)
    {
        return !(lhs == rhs);
    }

private:
    QString m_name;
    int m_setPoint = -1;
    int m_processValue = -1;
    ToleranceRange m_range;
    int m_delay1 = 0;
    int m_delay2 = 0;
};

QDebug operator<<(QDebug debug, const ToleranceRangeDefinition &definition);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ToleranceRangeDefinition)
