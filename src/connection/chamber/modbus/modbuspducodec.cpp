#include "connection/chamber/modbus/modbuspducodec.h"

#include <QtCore/QtEndian>

namespace ModbusPduCodec {

namespace {

constexpr int AddressSpace = 0x10000;

bool fitsAddressSpace(const QModbusDataUnit &unit, int maximumCount)
{
    const int count = int(unit.valueCount());
    return unit.startAddress() >= 0 && count >= 1 && count <= maximumCount
        && unit.startAddress() + count <= AddressSpace
        && unit.values().size() >= count;
}

quint16 wordAt(const QByteArray &data, int offset)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(data.constData()) + offset);
}

} // namespace

QModbusRequest readRequest(const QModbusDataUnit &unit)
{
    const int count = int(unit.valueCount());
    if (unit.startAddress() < 0 || count < 1 || count > MaximumReadCount
        || unit.startAddress() + count > AddressSpace) {
        return QModbusRequest();
    }
    switch (unit.registerType()) {
    case QModbusDataUnit::HoldingRegisters:
        return QModbusRequest(QModbusPdu::ReadHoldingRegisters, quint16(unit.startAddress()),
                              quint16(count));
    case QModbusDataUnit::InputRegisters:
        return QModbusRequest(QModbusPdu::ReadInputRegisters, quint16(unit.startAddress()),
                              quint16(count));
    case QModbusDataUnit::Invalid:
    case QModbusDataUnit::DiscreteInputs:
    case QModbusDataUnit::Coils:
        break;
    }
    return QModbusRequest();
}

QModbusRequest writeRequest(const QModbusDataUnit &unit)
{
    if (unit.registerType() != QModbusDataUnit::HoldingRegisters
        || !fitsAddressSpace(unit, MaximumWriteCount)) {
        return QModbusRequest();
    }
    const int count = int(unit.valueCount());
    if (count == 1) {
        return QModbusRequest(QModbusPdu::WriteSingleRegister, quint16(unit.startAddress()),
                              unit.value(0));
    }
    QVector<quint16> values = unit.values();
    values.resize(count);
    return QModbusRequest(QModbusPdu::WriteMultipleRegisters, quint16(unit.startAddress()),
                          quint16(count), quint8(2 * count), values);
}

std::optional<QModbusDataUnit> decodeResponse(const QModbusRequest &request,
                                              const QModbusDataUnit &unit,
                                              const QModbusResponse &response)
{
    if (response.isException() || response.functionCode() != request.functionCode())
        return std::nullopt;

    const QByteArray data = response.data();
    switch (request.functionCode()) {
    case QModbusPdu::ReadHoldingRegisters:
    case QModbusPdu::ReadInputRegisters: {
        const int count = int(unit.valueCount());
        if (data.size() != 1 + 2 * count || quint8(data.at(0)) != 2 * count)
            return std::nullopt;
        QVector<quint16> values(count);
        for (int i = 0; i < count; ++i)
            values[i] = wordAt(data, 1 + 2 * i);
        QModbusDataUnit result = unit;
        result.setValues(values);
        return result;
    }
    case QModbusPdu::WriteSingleRegister:
        // The server echoes the request's address and value.
        if (data != request.data())
            return std::nullopt;
        return unit;
    case QModbusPdu::WriteMultipleRegisters:
        // The server echoes the request's address and register count.
        if (data.size() != 4 || wordAt(data, 0) != wordAt(request.data(), 0)
            || wordAt(data, 2) != wordAt(request.data(), 2)) {
            return std::nullopt;
        }
        return unit;
    default:
        return std::nullopt;
    }
}

} // namespace ModbusPduCodec
