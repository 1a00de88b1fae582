#include "domain/types/recordset.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

Recordset::Recordset(qint64 id, uint recordingId, const QDateTime &recordTime, const QList<SetpointValue> &values,
                     bool isRetrievedFromChamber, const RecordsetComment &comment, int alarmType,
                     const QString &cameraImagePath, int chamberMode)
    : m_id(id)
    , m_recordingId(recordingId)
    , m_recordTime(recordTime)
    , m_values(values)
    , m_isRetrievedFromChamber(isRetrievedFromChamber)
    , m_comment(comment)
    , m_alarmType(alarmType)
    , m_cameraImagePath(cameraImagePath)
    , m_chamberMode(chamberMode)
{
}

ToleranceRange Recordset::toleranceRangeOf(int signalId) const
{
    for (const SetpointValue &value : m_values) {
        if (value.signalId() == signalId)
            return value.toleranceRange();
    }
    return ToleranceRange();
}

bool operator==(const Recordset &lhs, const Recordset &rhs)
{
    return lhs.m_id == rhs.m_id && lhs.m_recordingId == rhs.m_recordingId && lhs.m_recordTime == rhs.m_recordTime
        && lhs.m_values == rhs.m_values && lhs.m_isRetrievedFromChamber == rhs.m_isRetrievedFromChamber
        && lhs.m_comment == rhs.m_comment && lhs.m_alarmType == rhs.m_alarmType
        && lhs.m_cameraImagePath == rhs.m_cameraImagePath && lhs.m_chamberMode == rhs.m_chamberMode;
}

QDebug operator<<(QDebug debug, const Recordset &recordset)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "Recordset(id " << recordset.id() << ", recording " << recordset.recordingId() << ", "
                    << recordset.recordTime() << ", " << recordset.values() << ')';
    return debug;
}

} // namespace quelta::domain::types
