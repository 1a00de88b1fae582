#pragma once

#include <QtCore/QLoggingCategory>

// The categories of Qt's own Modbus classes, so that one logging rule covers
// Qt's clients and ours: "qt.modbus" for requests, replies and errors,
// "qt.modbus.lowlevel" for the bytes on the wire.
Q_DECLARE_LOGGING_CATEGORY(lcModbus)
Q_DECLARE_LOGGING_CATEGORY(lcModbusLowLevel)
