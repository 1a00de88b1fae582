#pragma once

#include <QtCore/QLoggingCategory>

namespace quelta::base::connection::chamberconnection {

// "quelta.ChamberConnection": the one category of all chamber communication
// and transfer code.
Q_DECLARE_LOGGING_CATEGORY(lcChamberConnection)

} // namespace quelta::base::connection::chamberconnection
