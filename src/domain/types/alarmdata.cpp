#include "domain/types/alarmdata.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

AlarmData::AlarmData(int id, bool isUnsaved, const QDateTime &alarmTimestamp, int alarmType, bool isActive,
                     int alarmStatus, uint userId, const QString &alarmName,
                     const AlarmShortDescription &shortDescription, const QString &description, int chamberId,
                     const QString &chamberName, const QList<int> &signalIds, const QVariantList &additionalData)
    : m_id(id)
    , m_isUnsaved(isUnsaved)
    , m_alarmTimestamp(alarmTimestamp)
    , m_alarmType(alarmType)
    , m_isActive(isActive)
    , m_alarmStatus(alarmStatus)
    , m_userId(userId)
    , m_alarmName(alarmName)
    , m_shortDescription(shortDescription)
    , m_description(description)
    , m_chamberId(chamberId)
    , m_chamberName(chamberName)
    , m_signalIds(signalIds)
    , m_additionalData(additionalData)
{
}

bool operator==(const AlarmData &lhs, const AlarmData &rhs)
{
    return lhs.m_id == rhs.m_id && lhs.m_isUnsaved == rhs.m_isUnsaved && lhs.m_alarmTimestamp == rhs.m_alarmTimestamp
        && lhs.m_alarmType == rhs.m_alarmType && lhs.m_isActive == rhs.m_isActive
        && lhs.m_alarmStatus == rhs.m_alarmStatus && lhs.m_userId == rhs.m_userId
        && lhs.m_alarmName == rhs.m_alarmName && lhs.m_shortDescription == rhs.m_shortDescription
        && lhs.m_description == rhs.m_description && lhs.m_chamberId == rhs.m_chamberId
        && lhs.m_chamberName == rhs.m_chamberName && lhs.m_signalIds == rhs.m_signalIds
        && lhs.m_additionalData == rhs.m_additionalData;
}

QDebug operator<<(QDebug debug, const AlarmData &alarm)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "AlarmData(id " << alarm.id() << ", " << alarm.alarmName() << ", type " << alarm.alarmType()
                    << ", " << alarm.alarmTimestamp() << ", chamber " << alarm.chamberId() << ", signals "
                    << alarm.signalIds() << ')';
    return debug;
}

} // namespace quelta::domain::types
