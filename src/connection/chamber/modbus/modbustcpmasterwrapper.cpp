#include "connection/chamber/modbus/modbustcpmasterwrapper.h"

#include "connection/chamber/modbus/modbusmasterthread.h"

namespace quelta::base::connection::chamberconnection {

ModbusTcpMasterWrapper::ModbusTcpMasterWrapper(const ModbusClientSettings &settings, QObject *parent)
    : ModbusMasterWapper(QSharedPointer<ModbusMasterThread>::create(settings), parent)
{
    Q_ASSERT(settings.transport() == ModbusClientSettings::Transport::Tcp);
}

ModbusTcpMasterWrapper::~ModbusTcpMasterWrapper() = default;

} // namespace quelta::base::connection::chamberconnection
