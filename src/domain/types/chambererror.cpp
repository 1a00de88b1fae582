#include "domain/types/chambererror.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ChamberError::ChamberError(Error error, const QString &errorString)
    : m_error(error)
    , m_errorString(errorString)
{
}

QDebug operator<<(QDebug debug, const ChamberError &error)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberError(" << error.error() << ", " << error.errorString() << ')';
    return debug;
}

} // namespace quelta::domain::types
