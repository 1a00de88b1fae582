#include "connection/chamber/core/metatypes.h"

#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QMetaType>

namespace quelta::base::connection::chamberconnection {

void registerChamberConnectionMetaTypes()
{
    qRegisterMetaType<QSharedPointer<ChamberReply>>(
        "QSharedPointer<quelta::base::connection::chamberconnection::ChamberReply>");
}

} // namespace quelta::base::connection::chamberconnection
