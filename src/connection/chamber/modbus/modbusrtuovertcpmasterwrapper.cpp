#include "connection/chamber/modbus/modbusrtuovertcpmasterwrapper.h"

namespace quelta::base::connection::chamberconnection {

ModbusRtuOverTcpMasterWrapper::ModbusRtuOverTcpMasterWrapper(const ModbusClientSettings &settings, QObject *parent)
    : ModbusMasterWapperMultiClient(settings, parent)
{
    Q_ASSERT(settings.transport() == ModbusClientSettings::Transport::RtuOverTcp);
}

ModbusRtuOverTcpMasterWrapper::~ModbusRtuOverTcpMasterWrapper() = default;

} // namespace quelta::base::connection::chamberconnection
