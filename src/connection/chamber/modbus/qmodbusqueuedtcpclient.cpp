#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"

#include "connection/chamber/modbus/modbustcpadu.h"

QModbusQueuedTcpClient::QModbusQueuedTcpClient(QObject *parent)
    : QModbusOverTcpClientBase(QStringLiteral("(TCP client) "), parent)
{
}

QModbusQueuedTcpClient::~QModbusQueuedTcpClient() = default;

QByteArray QModbusQueuedTcpClient::encodeAdu(const QModbusRequest &request, int serverAddress,
                                             quint16 transactionId) const
{
    return ModbusTcpAdu::encode(transactionId, quint8(serverAddress), request);
}

ModbusAdu QModbusQueuedTcpClient::decodeAdu(const QByteArray &buffer) const
{
    return ModbusTcpAdu::decode(buffer);
}

bool QModbusQueuedTcpClient::isValidServerAddress(int serverAddress) const
{
    // The unit id of Modbus TCP is one byte; 0 and 255 address the device
    // behind the socket itself.
    return serverAddress >= 0 && serverAddress <= 0xFF;
}
