#include "domain/types/chambertypekey.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ChamberTypeKey::ChamberTypeKey(quint64 chamberTypeId, quint64 additionalInfoId)
    : m_chamberTypeId(chamberTypeId)
    , m_additionalInfoId(additionalInfoId)
{
}

QDebug operator<<(QDebug debug, const ChamberTypeKey &key)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberTypeKey(" << key.chamberTypeId() << ", " << key.additionalInfoId() << ')';
    return debug;
}

} // namespace quelta::domain::types
