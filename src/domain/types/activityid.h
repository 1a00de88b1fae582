#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QObject>

class QDebug;

namespace quelta::domain::types {

// Identifies an action for the access rights and the event log: a component
// and an activity number within it.
class ActivityId
{
    Q_GADGET

public:
    // Int-sized on purpose: GUI is 255, which an 8-bit enum would turn
    // negative on its way through QVariant.
    enum ComponentId : int {
        INVALID = 0,
        CHAMBER_MANAGEMENT = 1,
        COMPONENT_2 = 2,
        COMPONENT_3 = 3,
        COMPONENT_4 = 4,
        COMPONENT_5 = 5,
        COMPONENT_6 = 6,
        COMPONENT_7 = 7,
        COMPONENT_8 = 8,
        COMPONENT_9 = 9,
        COMPONENT_10 = 10,
        COMPONENT_11 = 11,
        COMPONENT_12 = 12,
        ALARM_CENTER_MANAGEMENT = 13,
        GUI = 255
    };
    Q_ENUM(ComponentId)

    ActivityId() = default;
    // Clears both parts when the component is not one of ComponentId or the
    // activity lies outside the component's range (1 to 65535).
    ActivityId(ComponentId componentId, quint16 activity);

    ComponentId componentId() const { return m_componentId; }
    quint16 activity() const { return m_activity; }
    bool isValid() const { return m_componentId != INVALID && m_activity != 0; }

    friend bool operator==(const ActivityId &lhs, const ActivityId &rhs)
    {
        return lhs.m_componentId == rhs.m_componentId && lhs.m_activity == rhs.m_activity;
    }
    friend bool operator!=(const ActivityId &lhs, const ActivityId &rhs) { return !(lhs == rhs); }

private:
    ComponentId m_componentId = INVALID;
    quint16 m_activity = 0;
};

QDebug operator<<(QDebug debug, const ActivityId &activity);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ActivityId)
