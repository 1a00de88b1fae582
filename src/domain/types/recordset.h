#pragma once

#include "domain/types/recordsetcomment.h"
#include "domain/types/setpointvalue.h"
#include "domain/types/tolerancerange.h"

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One record of a recording: the values of its signals at one time.
class Recordset
{
public:
    Recordset() = default;
    Recordset(qint64 id, uint recordingId, const QDateTime &recordTime, const QList<SetpointValue> &values,
              bool isRetrievedFromChamber, const RecordsetComment &comment, int alarmType,
              const QString &cameraImagePath, int chamberMode);

    // -1 for a record that is not stored.
    qint64 id() const { return m_id; }
    void setId(qint64 id) { m_id = id; }
    uint recordingId() const { return m_recordingId; }
    void setRecordingId(uint recordingId) { m_recordingId = recordingId; }
    QDateTime recordTime() const { return m_recordTime; }
    void setRecordTime(const QDateTime &time) { m_recordTime = time; }
    QList<SetpointValue> values() const { return m_values; }
    void setValues(const QList<SetpointValue> &values) { m_values = values; }
    // True for a record read back from the chamber's data log.
    bool isRetrievedFromChamber() const { return m_isRetrievedFromChamber; }
    void setRetrievedFromChamber(bool retrieved) { m_isRetrievedFromChamber = retrieved; }
    RecordsetComment comment() const { return m_comment; }
    void setComment(const RecordsetComment &comment) { m_comment = comment; }
    // 0 for none.
    int alarmType() const { return m_alarmType; }
    void setAlarmType(int type) { m_alarmType = type; }
    QString cameraImagePath() const { return m_cameraImagePath; }
    void setCameraImagePath(const QString &path) { m_cameraImagePath = path; }
    int chamberMode() const { return m_chamberMode; }
    void setChamberMode(int mode) { m_chamberMode = mode; }

    // The range of the first value of the signal; an Invalid range when the
    // record holds no value of it.
    ToleranceRange toleranceRangeOf(int signalId) const;

    friend bool operator==(const Recordset &lhs, const Recordset &rhs);
    friend bool operator!=(const Recordset &lhs, const Recordset &rhs) { return !(lhs == rhs); }

private:
    qint64 m_id = -1;
    uint m_recordingId = 0;
    QDateTime m_recordTime;
    QList<SetpointValue> m_values;
    bool m_isRetrievedFromChamber = false;
    RecordsetComment m_comment;
    int m_alarmType = 0;
    QString m_cameraImagePath;
    int m_chamberMode = 0;
};

QDebug operator<<(QDebug debug, const Recordset &recordset);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::Recordset)
