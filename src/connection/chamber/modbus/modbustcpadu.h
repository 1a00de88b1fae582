#pragma once

#include "connection/chamber/modbus/modbusadu.h"

#include <QtCore/QByteArray>

// Modbus TCP framing: the MBAP header (transaction id, protocol id 0, length
// of the unit id and the PDU, unit id; all big-endian) followed by the PDU.
namespace ModbusTcpAdu {

constexpr int HeaderSize = 7;
// The length field counts the unit id and a PDU of at most 253 bytes.
constexpr int MaximumLength = 1 + 253;

QByteArray encode(quint16 transactionId, quint8 unitId, const QModbusPdu &pdu);

// Cuts the ADU at the front of buffer by its length field. A header whose
// protocol id or length is impossible means the stream is out of step: the
// whole buffer is invalid. A well-framed ADU whose PDU disagrees with its
// length is invalid on its own.
ModbusAdu decode(const QByteArray &buffer);

} // namespace ModbusTcpAdu
