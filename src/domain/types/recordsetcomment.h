#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// A user's comment on one record of a recording. The default comment is
// empty: invalid time, user 0, record set -1.
class RecordsetComment
{
public:
    RecordsetComment() = default;
    RecordsetComment(const QDateTime &creationTime, uint userId, qint64 recordsetId, const QString &commentText);

    QDateTime creationTime() const { return m_creationTime; }
    void setCreationTime(const QDateTime &time) { m_creationTime = time; }
    uint userId() const { return m_userId; }
    void setUserId(uint userId) { m_userId = userId; }
    qint64 recordsetId() const { return m_recordsetId; }
    void setRecordsetId(qint64 id) { m_recordsetId = id; }
    QString commentText() const { return m_commentText; }
    void setCommentText(const QString &text) { m_commentText = text; }

    friend bool operator==(const RecordsetComment &lhs, const RecordsetComment &rhs)
    {
        return lhs.m_creationTime == rhs.m_creationTime && lhs.m_userId == rhs.m_userId
            && lhs.m_recordsetId == rhs.m_recordsetId && lhs.m_commentText == rhs.m_commentText;
    }
    friend bool operator!=(const RecordsetComment &lhs, const RecordsetComment &rhs) { return !(lhs == rhs); }

private:
    QDateTime m_creationTime;
    uint m_userId = 0;
    qint64 m_recordsetId = -1;
    QString m_commentText;
};

QDebug operator<<(QDebug debug, const RecordsetComment &comment);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::RecordsetComment)
