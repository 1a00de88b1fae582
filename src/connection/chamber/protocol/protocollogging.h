#pragma once

#include <QtCore/QLoggingCategory>

namespace quelta::base::connection::chamberconnection {
Q_DECLARE_LOGGING_CATEGORY(lcChamberConnection)
}
