#include "domain/types/activityid.h"

#include <QtCore/QDebug>
#include <QtCore/QMetaEnum>

namespace quelta::domain::types {

namespace {

bool isKnownComponent(int component)
{
    return QMetaEnum::fromType<ActivityId::ComponentId>().valueToKey(component) != nullptr;
}

} // namespace

ActivityId::ActivityId(ComponentId componentId, quint16 activity)
{
    if (componentId != INVALID && activity != 0 && isKnownComponent(componentId)) {
        m_componentId = componentId;
        m_activity = activity;
    }
}

QDebug operator<<(QDebug debug, const ActivityId &activity)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ActivityId(" << activity.componentId() << ", " << activity.activity() << ')';
    return debug;
}

} // namespace quelta::domain::types
