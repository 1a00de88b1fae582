#include "connection/chamber/core/chamberconnectionlogging.h"

namespace quelta::base::connection::chamberconnection {

Q_LOGGING_CATEGORY(lcChamberConnection, "quelta.ChamberConnection")

} // namespace quelta::base::connection::chamberconnection
