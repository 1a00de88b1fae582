#include "connection/chamber/modbus/modbusrtuadu.h"

namespace ModbusRtuAdu {

quint16 crc16(const QByteArray &data)
{
    quint16 crc = 0xFFFF;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray encode(quint8 serverAddress, const QModbusPdu &pdu)
{
    QByteArray adu;
    adu.reserve(1 + 1 + pdu.dataSize() + CrcSize);
    adu.append(char(serverAddress));
    // functionCode() leaves out the exception bit.
    adu.append(char(quint8(pdu.functionCode()) | (pdu.isException() ? 0x80 : 0x00)));
    adu.append(pdu.data());
    const quint16 crc = crc16(adu);
    adu.append(char(crc & 0xFF));
    adu.append(char(crc >> 8));
    return adu;
}

ModbusAdu decode(const QByteArray &buffer)
{
    if (buffer.size() < MinimumSize)
        return ModbusAdu::incomplete();

    const quint8 functionCode = quint8(buffer.at(1));
    const int dataSize = QModbusResponse::calculateDataSize(
        QModbusResponse(QModbusPdu::FunctionCode(functionCode), buffer.mid(2, 1)));
    if (dataSize < 1 || dataSize > MaximumDataSize) {
        return ModbusAdu::invalid(buffer.size(),
                                  QStringLiteral("function code %1 gives no usable frame size")
                                      .arg(functionCode));
    }
    const int size = 2 + dataSize + CrcSize;
    if (buffer.size() < size)
        return ModbusAdu::incomplete();

    const quint16 received = quint16(quint8(buffer.at(size - 2)) | quint8(buffer.at(size - 1)) << 8);
    const quint16 computed = crc16(buffer.left(size - CrcSize));
    if (received != computed) {
        return ModbusAdu::invalid(buffer.size(), QStringLiteral("CRC %1 does not match the computed %2")
                                                     .arg(received, 4, 16, QLatin1Char('0'))
                                                     .arg(computed, 4, 16, QLatin1Char('0')));
    }
    return ModbusAdu::complete(size, quint8(buffer.at(0)), std::nullopt,
                               QModbusResponse(QModbusPdu::FunctionCode(functionCode),
                                               buffer.mid(2, dataSize)));
}

} // namespace ModbusRtuAdu
