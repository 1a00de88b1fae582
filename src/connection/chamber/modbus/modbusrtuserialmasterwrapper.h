#pragma once

#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"

namespace quelta::base::connection::chamberconnection {

// A Modbus RTU client on a serial line: Qt's QModbusRtuSerialMaster, built on the
// worker thread so that its port and timers belong there. One client and one
// thread per serial port, shared by every connection to a device on it.
class ModbusRtuSerialMasterWrapper : public ModbusMasterWapperMultiClient
{
    Q_OBJECT

public:
    // settings.transport() is RtuSerial.
    explicit ModbusRtuSerialMasterWrapper(const ModbusClientSettings &settings, QObject *parent = nullptr);
    ~ModbusRtuSerialMasterWrapper() override;
};

} // namespace quelta::base::connection::chamberconnection
