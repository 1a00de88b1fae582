#pragma once

#include "connection/chamber/modbus/modbusadu.h"

#include <QtCore/QByteArray>

// Modbus RTU framing: server address, PDU, CRC-16 (low byte first). Carried
// over a TCP stream there are no silent intervals, so a frame ends where the
// PDU's own size says it does.
namespace ModbusRtuAdu {

// Address, function code and the one data byte that every response has.
constexpr int MinimumSize = 3;
constexpr int CrcSize = 2;
// A PDU holds at most 253 bytes, its function code included.
constexpr int MaximumDataSize = 252;

// CRC-16/MODBUS: polynomial 0xA001 (reflected 0x8005), initial value 0xFFFF.
quint16 crc16(const QByteArray &data);

QByteArray encode(quint8 serverAddress, const QModbusPdu &pdu);

// Cuts the frame at the front of buffer. RTU cannot find the start of the
// next frame after a fault, so an unknown function code, an impossible size
// or a CRC mismatch make the whole buffer invalid.
ModbusAdu decode(const QByteArray &buffer);

} // namespace ModbusRtuAdu
