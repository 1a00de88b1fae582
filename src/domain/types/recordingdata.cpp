#include "domain/types/recordingdata.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

RecordingData::RecordingData(uint id, const QString &recordingName, int chamberId, uint userId, int secondsInterval,
                             const QDateTime &startTime, const QDateTime &endTime, bool isActive, bool isArchived,
                             const QString &additionalInfo, const QString &freeText, uint automaticallyCreateReport,
                             const QMap<int, ChamberSignal> &recordingSignals, const QList<uint> &metaRecordingIds,
                             bool isStartRecordingAllowed, qint64 numberOfRecordsets)
    : m_id(id)
    , m_recordingName(recordingName)
    , m_chamberId(chamberId)
    , m_userId(userId)
    , m_secondsInterval(secondsInterval)
    , m_startTime(startTime)
    , m_endTime(endTime)
    , m_isActive(isActive)
    , m_isArchived(isArchived)
    , m_additionalInfo(additionalInfo)
    , m_freeText(freeText)
    , m_automaticallyCreateReport(automaticallyCreateReport)
    , m_recordingSignals(recordingSignals)
    , m_metaRecordingIds(metaRecordingIds)
    , m_isStartRecordingAllowed(isStartRecordingAllowed)
    , m_numberOfRecordsets(numberOfRecordsets)
{
}

bool operator==(const RecordingData &lhs, const RecordingData &rhs)
{
    return lhs.m_id == rhs.m_id && lhs.m_recordingName == rhs.m_recordingName && lhs.m_chamberId == rhs.m_chamberId
        && lhs.m_userId == rhs.m_userId && lhs.m_secondsInterval == rhs.m_secondsInterval
        && lhs.m_startTime == rhs.m_startTime && lhs.m_endTime == rhs.m_endTime && lhs.m_isActive == rhs.m_isActive
        && lhs.m_isArchived == rhs.m_isArchived && lhs.m_additionalInfo == rhs.m_additionalInfo
        && lhs.m_freeText == rhs.m_freeText && lhs.m_automaticallyCreateReport == rhs.m_automaticallyCreateReport
        && lhs.m_recordingSignals == rhs.m_recordingSignals && lhs.m_metaRecordingIds == rhs.m_metaRecordingIds
        && lhs.m_isStartRecordingAllowed == rhs.m_isStartRecordingAllowed
        && lhs.m_numberOfRecordsets == rhs.m_numberOfRecordsets;
}

QDebug operator<<(QDebug debug, const RecordingData &recording)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "RecordingData(id " << recording.id() << ", " << recording.recordingName() << ", chamber "
                    << recording.chamberId() << ", every " << recording.secondsInterval() << " s, "
                    << recording.startTime() << " - " << recording.endTime()
                    << (recording.isActive() ? ", active" : "") << ')';
    return debug;
}

} // namespace quelta::domain::types
