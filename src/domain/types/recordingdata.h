#pragma once

#include "domain/types/chambersignal.h"

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One recording of a chamber's values. -1 in the chamber id and the interval
// and 0 in the user id mean "none"; null times are unset.
class RecordingData
{
public:
    RecordingData() = default;
    RecordingData(uint id, const QString &recordingName, int chamberId, uint userId, int secondsInterval,
                  const QDateTime &startTime, const QDateTime &endTime, bool isActive, bool isArchived,
                  const QString &additionalInfo, const QString &freeText, uint automaticallyCreateReport,
                  const QMap<int, ChamberSignal> &recordingSignals, const QList<uint> &metaRecordingIds,
                  bool isStartRecordingAllowed, qint64 numberOfRecordsets);

    uint id() const { return m_id; }
    void setId(uint id) { m_id = id; }
    QString recordingName() const { return m_recordingName; }
    void setRecordingName(const QString &name) { m_recordingName = name; }
    int chamberId() const { return m_chamberId; }
    void setChamberId(int chamberId) { m_chamberId = chamberId; }
    uint userId() const { return m_userId; }
    void setUserId(uint userId) { m_userId = userId; }
    int secondsInterval() const { return m_secondsInterval; }
    void setSecondsInterval(int seconds) { m_secondsInterval = seconds; }
    QDateTime startTime() const { return m_startTime; }
    void setStartTime(const QDateTime &time) { m_startTime = time; }
    QDateTime endTime() const { return m_endTime; }
    void setEndTime(const QDateTime &time) { m_endTime = time; }
    bool isActive() const { return m_isActive; }
    void setActive(bool active) { m_isActive = active; }
    bool isArchived() const { return m_isArchived; }
    void setArchived(bool archived) { m_isArchived = archived; }
    QString additionalInfo() const { return m_additionalInfo; }
    void setAdditionalInfo(const QString &info) { m_additionalInfo = info; }
    QString freeText() const { return m_freeText; }
    void setFreeText(const QString &text) { m_freeText = text; }
    uint automaticallyCreateReport() const { return m_automaticallyCreateReport; }
    void setAutomaticallyCreateReport(uint value) { m_automaticallyCreateReport = value; }
    // The recorded signals by id.
    QMap<int, ChamberSignal> recordingSignals() const { return m_recordingSignals; }
    void setRecordingSignals(const QMap<int, ChamberSignal> &signalMap) { m_recordingSignals = signalMap; }
    // The recordings that a meta recording groups.
    QList<uint> metaRecordingIds() const { return m_metaRecordingIds; }
    void setMetaRecordingIds(const QList<uint> &ids) { m_metaRecordingIds = ids; }
    bool isStartRecordingAllowed() const { return m_isStartRecordingAllowed; }
    void setStartRecordingAllowed(bool allowed) { m_isStartRecordingAllowed = allowed; }
    qint64 numberOfRecordsets() const { return m_numberOfRecordsets; }
    void setNumberOfRecordsets(qint64 count) { m_numberOfRecordsets = count; }

    friend bool operator==(const RecordingData &lhs, const RecordingData &rhs);
    friend bool operator!=(const RecordingData &lhs, const RecordingData &rhs) { return !(lhs == rhs); }

private:
    uint m_id = 0;
    QString m_recordingName;
    int m_chamberId = -1;
    uint m_userId = 0;
    int m_secondsInterval = -1;
    QDateTime m_startTime;
    QDateTime m_endTime;
    bool m_isActive = false;
    bool m_isArchived = false;
    QString m_additionalInfo;
    QString m_freeText;
    uint m_automaticallyCreateReport = 0;
    QMap<int, ChamberSignal> m_recordingSignals;
    QList<uint> m_metaRecordingIds;
    bool m_isStartRecordingAllowed = true;
    qint64 m_numberOfRecordsets = -1;
};

QDebug operator<<(QDebug debug, const RecordingData &recording);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::RecordingData)
