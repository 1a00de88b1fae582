#pragma once

#include <QtSerialBus/QModbusDataUnit>
#include <QtSerialBus/QModbusPdu>

#include <optional>

// Builds the register requests of the own Modbus clients and checks their
// responses, apart from any framing or socket.
namespace ModbusPduCodec {

// One request may read 125 registers and write 123 (the PDU holds 253 bytes).
constexpr int MaximumReadCount = 125;
constexpr int MaximumWriteCount = 123;

// Read Holding Registers (FC03) or Read Input Registers (FC04); an invalid
// request when unit is of another table, empty, too long or runs past the
// last register address.
QModbusRequest readRequest(const QModbusDataUnit &unit);

// Write Single Register (FC06) for one holding register, Write Multiple
// Registers (FC16) for more; an invalid request otherwise.
QModbusRequest writeRequest(const QModbusDataUnit &unit);

// The data unit that a normal response to request carries: for a read, unit
// with the values received; for a write, unit itself once the server has
// echoed its address and count (and, for FC06, the value). Empty when the
// response does not fit the request, and for an exception response.
std::optional<QModbusDataUnit> decodeResponse(const QModbusRequest &request,
                                              const QModbusDataUnit &unit,
                                              const QModbusResponse &response);

} // namespace ModbusPduCodec
