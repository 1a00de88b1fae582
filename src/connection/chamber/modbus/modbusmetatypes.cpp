#include "connection/chamber/modbus/modbusmetatypes.h"

#include "connection/chamber/modbus/modbusclientsettings.h"
#include "connection/chamber/modbus/modbusjob.h"
#include "connection/chamber/modbus/modbusjobresult.h"

#include <QtCore/QMetaType>
#include <QtSerialBus/QModbusDevice>

namespace quelta::base::connection::chamberconnection {

void registerModbusMetaTypes()
{
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::Error>();
    qRegisterMetaType<ModbusClientSettings>();
    qRegisterMetaType<ModbusJob>();
    qRegisterMetaType<ModbusJobResult>();
}

} // namespace quelta::base::connection::chamberconnection
