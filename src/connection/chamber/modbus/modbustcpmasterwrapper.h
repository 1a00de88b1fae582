#pragma once

#include "connection/chamber/modbus/modbusmasterwapper.h"

namespace quelta::base::connection::chamberconnection {

// A Modbus TCP client (QModbusQueuedTcpClient) on a worker thread of its
// own: one client and one thread per connection.
class ModbusTcpMasterWrapper : public ModbusMasterWapper
{
    Q_OBJECT

public:
    // settings.transport() is Tcp.
    explicit ModbusTcpMasterWrapper(const ModbusClientSettings &settings, QObject *parent = nullptr);
    ~ModbusTcpMasterWrapper() override;
};

} // namespace quelta::base::connection::chamberconnection
