#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QVariantList>

class QDebug;

namespace quelta::domain::types {

// One entry of the event log: an untranslated description with its
// arguments, when it happened and who caused it (user 0 for none).
class SystemLogEntry
{
public:
    SystemLogEntry() = default;
    SystemLogEntry(const QDateTime &creationTime, const QString &eventDescription, const QVariantList &arguments,
                   uint userId, const QString &userName);

    QDateTime creationTime() const { return m_creationTime; }
    QString eventDescription() const { return m_eventDescription; }
    QVariantList arguments() const { return m_arguments; }
    uint userId() const { return m_userId; }
    // Filled in when entries are read; not stored with the entry.
    QString userName() const { return m_userName; }

    friend bool operator==(const SystemLogEntry &lhs, const SystemLogEntry &rhs)
    {
        return lhs.m_creationTime == rhs.m_creationTime && lhs.m_eventDescription == rhs.m_eventDescription
            && lhs.m_arguments == rhs.m_arguments && lhs.m_userId == rhs.m_userId
            && lhs.m_userName == rhs.m_userName;
    }
    friend bool operator!=(const SystemLogEntry &lhs, const SystemLogEntry &rhs) { return !(lhs == rhs); }

private:
    QDateTime m_creationTime;
    QString m_eventDescription;
    QVariantList m_arguments;
    uint m_userId = 0;
    QString m_userName;
};

QDebug operator<<(QDebug debug, const SystemLogEntry &entry);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::SystemLogEntry)
