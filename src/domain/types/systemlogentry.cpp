#include "domain/types/systemlogentry.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

SystemLogEntry::SystemLogEntry(const QDateTime &creationTime, const QString &eventDescription,
                               const QVariantList &arguments, uint userId, const QString &userName)
    : m_creationTime(creationTime)
    , m_eventDescription(eventDescription)
    , m_arguments(arguments)
    , m_userId(userId)
    , m_userName(userName)
{
}

QDebug operator<<(QDebug debug, const SystemLogEntry &entry)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SystemLogEntry(" << entry.creationTime() << ", " << entry.eventDescription() << ", "
                    << entry.arguments() << ", user " << entry.userId() << ')';
    return debug;
}

} // namespace quelta::domain::types
