#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QObject>

namespace quelta::domain::types {

// The state of a chamber connection, numbered as QModbusDevice::State so that
// Modbus connections can pass their device state on unchanged.
class ChamberState
{
    Q_GADGET

public:
    enum State : int {
        STATE_UNCONNECTED = 0,
        STATE_CONNECTING = 1,
        STATE_CONNECTED = 2,
        STATE_CLOSING = 3
    };
    Q_ENUM(State)
};

} // namespace quelta::domain::types
