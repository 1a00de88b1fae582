#pragma once

namespace quelta::base::connection::chamberconnection {

// Registers the types of this library that travel through queued
// connections, among them QSharedPointer<ChamberReply> under its full name.
// Call once at start-up, next to quelta::domain::types::registerMetaTypes();
// calling it again does no harm.
void registerChamberConnectionMetaTypes();

} // namespace quelta::base::connection::chamberconnection
