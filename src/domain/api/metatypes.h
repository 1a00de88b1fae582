#pragma once

#include <QtCore/QMap>
#include <QtCore/QMetaType>
#include <QtCore/QString>

namespace quelta::domain::api {

// Registers the argument types of the interfaces' signals that neither Qt nor
// the domain types register. A queued connection made by signal name, as a
// caller that knows only the interface makes it, finds argument types by name
// and fails for a type that is not registered yet. Call once at start-up,
// next to quelta::domain::types::registerMetaTypes(); calling it again does
// no harm.
inline void registerApiMetaTypes()
{
    // IProgramTransmitter::readProgramNamesFinished
    qRegisterMetaType<QMap<int, QString>>();
}

} // namespace quelta::domain::api
