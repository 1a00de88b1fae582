#include "domain/types/recordsetcomment.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

RecordsetComment::RecordsetComment(const QDateTime &creationTime, uint userId, qint64 recordsetId,
                                   const QString &commentText)
    : m_creationTime(creationTime)
    , m_userId(userId)
    , m_recordsetId(recordsetId)
    , m_commentText(commentText)
{
}

QDebug operator<<(QDebug debug, const RecordsetComment &comment)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "RecordsetComment(record set " << comment.recordsetId() << ", user " << comment.userId() << ", "
                    << comment.creationTime() << ", " << comment.commentText() << ')';
    return debug;
}

} // namespace quelta::domain::types
