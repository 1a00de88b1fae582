#pragma once

#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"

namespace quelta::base::connection::chamberconnection {

// A Modbus RTU client whose frames travel over TCP (QModbusRtuOverTcpClient),
// to a Modbus gateway or a serial-to-Ethernet converter. One client and one
// thread per gateway address and port, shared by every connection to a device
// behind it.
class ModbusRtuOverTcpMasterWrapper : public ModbusMasterWapperMultiClient
{
    Q_OBJECT

public:
    // settings.transport() is RtuOverTcp.
    explicit ModbusRtuOverTcpMasterWrapper(const ModbusClientSettings &settings, QObject *parent = nullptr);
    ~ModbusRtuOverTcpMasterWrapper() override;
};

} // namespace quelta::base::connection::chamberconnection
