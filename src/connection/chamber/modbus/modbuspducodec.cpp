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

// The request data as QModbusPdu's variadic constructor writes it (words
// big-endian, then the byte count and the values of FC16), without the
// QDataStream and QBuffer that it builds for every request.
QByteArray requestData(quint16 address, quint16 word, const QVector<quint16> &values = {})
{
    const bool hasValues = !values.isEmpty();
    QByteArray data(4 + (hasValues ? 1 + 2 * values.size() : 0), Qt::Uninitialized);
    auto *bytes = reinterpret_cast<uchar *>(data.data());
    qToBigEndian<quint16>(address, bytes);
    qToBigEndian<quint16>(word, bytes + 2);
    if (hasValues) {
        bytes[4] = uchar(2 * values.size());
        for (int i = 0; i < values.size(); ++i)
            qToBigEndian<quint16>(values.at(i), bytes + 5 + 2 * i);
    }
    return data;
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
        return QModbusRequest(QModbusPdu::ReadHoldingRegisters,
                              requestData(quint16(unit.startAddress()), quint16(count)));
    case QModbusDataUnit::InputRegisters:
        return QModbusRequest(QModbusPdu::ReadInputRegisters,
                              requestData(quint16(unit.startAddress()), quint16(count)));
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
        return QModbusRequest(QModbusPdu::WriteSingleRegister,
                              requestData(quint16(unit.startAddress()), unit.value(0)));
    }
    QVector<quint16> values = unit.values();
    values.resize(count);
    return QModbusRequest(QModbusPdu::WriteMultipleRegisters,
                          requestData(quint16(unit.startAddress()), quint16(count), values));
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
