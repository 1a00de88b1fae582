#include "connection/chamber/modbus/modbusrtuserialmasterwrapper.h"

namespace quelta::base::connection::chamberconnection {

ModbusRtuSerialMasterWrapper::ModbusRtuSerialMasterWrapper(const ModbusClientSettings &settings, QObject *parent)
    : ModbusMasterWapperMultiClient(settings, parent)
{
    Q_ASSERT(settings.transport() == ModbusClientSettings::Transport::RtuSerial);
}

ModbusRtuSerialMasterWrapper::~ModbusRtuSerialMasterWrapper() = default;

} // namespace quelta::base::connection::chamberconnection
