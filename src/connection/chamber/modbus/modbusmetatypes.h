#pragma once

namespace quelta::base::connection::chamberconnection {

// Registers the types that the Modbus wrappers and their worker threads pass
// through queued connections. Call once at start-up, next to
// registerChamberConnectionMetaTypes(); calling it again does no harm.
void registerModbusMetaTypes();

} // namespace quelta::base::connection::chamberconnection
