#include "connection/chamber/protocol/protocollogging.h"

namespace quelta::base::connection::chamberconnection {
Q_LOGGING_CATEGORY(lcChamberConnection, "quelta.ChamberConnection")
}
