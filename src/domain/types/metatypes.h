#pragma once

namespace quelta::domain::types {

// Registers every type of this library that travels through queued
// connections or in a QVariant. Call once at start-up, before any thread or
// queued connection carries one of them; calling it again does no harm.
void registerMetaTypes();

} // namespace quelta::domain::types
