#include "connection/chamber/modbus/modbustcpadu.h"

#include <QtCore/QtEndian>

namespace ModbusTcpAdu {

namespace {

quint16 readBigEndian16(const QByteArray &data, int offset)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(data.constData()) + offset);
}

} // namespace

QByteArray encode(quint16 transactionId, quint8 unitId, const QModbusPdu &pdu)
{
    const QByteArray data = pdu.data();
    QByteArray adu;
    adu.reserve(HeaderSize + 1 + data.size());
    adu.resize(HeaderSize);
    uchar *header = reinterpret_cast<uchar *>(adu.data());
    qToBigEndian<quint16>(transactionId, header);
    qToBigEndian<quint16>(0, header + 2);
    qToBigEndian<quint16>(quint16(1 + 1 + data.size()), header + 4);
    header[6] = unitId;
    // functionCode() leaves out the exception bit.
    adu.append(char(quint8(pdu.functionCode()) | (pdu.isException() ? 0x80 : 0x00)));
    adu.append(data);
    return adu;
}

ModbusAdu decode(const QByteArray &buffer)
{
    if (buffer.size() < HeaderSize)
        return ModbusAdu::incomplete();

    const quint16 protocolId = readBigEndian16(buffer, 2);
    if (protocolId != 0) {
        return ModbusAdu::invalid(buffer.size(),
                                  QStringLiteral("protocol id %1 is not Modbus").arg(protocolId));
    }
    const int length = readBigEndian16(buffer, 4);
    if (length < 2 || length > MaximumLength)
        return ModbusAdu::invalid(buffer.size(), QStringLiteral("impossible length %1").arg(length));

    const int size = HeaderSize - 1 + length;
    if (buffer.size() < size)
        return ModbusAdu::incomplete();

    const quint16 transactionId = readBigEndian16(buffer, 0);
    const quint8 unitId = quint8(buffer.at(6));
    const QModbusResponse pdu(QModbusPdu::FunctionCode(quint8(buffer.at(HeaderSize))),
                              buffer.mid(HeaderSize + 1, length - 2));
    const int expectedDataSize = QModbusResponse::calculateDataSize(pdu);
    if (expectedDataSize >= 0 && expectedDataSize != pdu.dataSize()) {
        return ModbusAdu::invalid(size, QStringLiteral("PDU of function code %1 holds %2 data bytes, "
                                                       "its own header says %3")
                                            .arg(quint8(buffer.at(HeaderSize)))
                                            .arg(pdu.dataSize())
                                            .arg(expectedDataSize));
    }
    return ModbusAdu::complete(size, unitId, transactionId, pdu);
}

} // namespace ModbusTcpAdu
