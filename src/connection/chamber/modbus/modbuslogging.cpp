#include "connection/chamber/modbus/modbuslogging.h"

Q_LOGGING_CATEGORY(lcModbus, "qt.modbus")
Q_LOGGING_CATEGORY(lcModbusLowLevel, "qt.modbus.lowlevel")
