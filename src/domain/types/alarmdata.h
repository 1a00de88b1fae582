#pragma once

#include "domain/types/alarmshortdescription.h"

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QVariantList>

class QDebug;

namespace quelta::domain::types {

// One alarm of the alarm centre.
class AlarmData
{
public:
    AlarmData() = default;
    AlarmData(int id, bool isUnsaved, const QDateTime &alarmTimestamp, int alarmType, bool isActive, int alarmStatus,
              uint userId, const QString &alarmName, const AlarmShortDescription &shortDescription,
              const QString &description, int chamberId, const QString &chamberName, const QList<int> &signalIds,
              const QVariantList &additionalData);

    int id() const { return m_id; }
    // Setting the id (as storing the alarm does) clears the unsaved flag.
    void setId(int id)
    {
        m_id = id;
        m_isUnsaved = false;
    }
    // A flag kept beside the id; never stored.
    bool isUnsaved() const { return m_isUnsaved; }
    void setUnsaved(bool unsaved) { m_isUnsaved = unsaved; }
    QDateTime alarmTimestamp() const { return m_alarmTimestamp; }
    void setAlarmTimestamp(const QDateTime &timestamp) { m_alarmTimestamp = timestamp; }
    int alarmType() const { return m_alarmType; }
    void setAlarmType(int type) { m_alarmType = type; }
    bool isActive() const { return m_isActive; }
    void setActive(bool active) { m_isActive = active; }
    int alarmStatus() const { return m_alarmStatus; }
    void setAlarmStatus(int status) { m_alarmStatus = status; }
    // 0 for none.
    uint userId() const { return m_userId; }
    void setUserId(uint userId) { m_userId = userId; }
    QString alarmName() const { return m_alarmName; }
    void setAlarmName(const QString &name) { m_alarmName = name; }
    AlarmShortDescription shortDescription() const { return m_shortDescription; }
    void setShortDescription(const AlarmShortDescription &description) { m_shortDescription = description; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    // -1 for none.
    int chamberId() const { return m_chamberId; }
    void setChamberId(int chamberId) { m_chamberId = chamberId; }
    // Not stored; filled in from the chamber when alarms are listed.
    QString chamberName() const { return m_chamberName; }
    void setChamberName(const QString &name) { m_chamberName = name; }
    QList<int> signalIds() const { return m_signalIds; }
    void setSignalIds(const QList<int> &signalIds) { m_signalIds = signalIds; }
    // Not stored; empty in every alarm read from the database.
    QVariantList additionalData() const { return m_additionalData; }
    void setAdditionalData(const QVariantList &data) { m_additionalData = data; }

    friend bool operator==(const AlarmData &lhs, const AlarmData &rhs);
    friend bool operator!=(const AlarmData &lhs, const AlarmData &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    bool m_isUnsaved = false;
    QDateTime m_alarmTimestamp;
    int m_alarmType = 0;
    bool m_isActive = true;
    int m_alarmStatus = 0;
    uint m_userId = 0;
    QString m_alarmName;
    AlarmShortDescription m_shortDescription;
    QString m_description;
    int m_chamberId = -1;
    QString m_chamberName;
    QList<int> m_signalIds;
    QVariantList m_additionalData;
};

QDebug operator<<(QDebug debug, const AlarmData &alarm);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::AlarmData)
