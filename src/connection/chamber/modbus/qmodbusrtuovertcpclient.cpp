#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include "connection/chamber/modbus/modbusrtuadu.h"

QModbusRtuOverTcpClient::QModbusRtuOverTcpClient(QObject *parent)
    : QModbusOverTcpClientBase(QStringLiteral("(RTU over TCP client) "), parent)
{
}

QModbusRtuOverTcpClient::~QModbusRtuOverTcpClient() = default;

QByteArray QModbusRtuOverTcpClient::encodeAdu(const QModbusRequest &request, int serverAddress,
                                              quint16 transactionId) const
{
    Q_UNUSED(transactionId)
    return ModbusRtuAdu::encode(quint8(serverAddress), request);
}

ModbusAdu QModbusRtuOverTcpClient::decodeAdu(const QByteArray &buffer) const
{
    return ModbusRtuAdu::decode(buffer);
}

bool QModbusRtuOverTcpClient::isValidServerAddress(int serverAddress) const
{
    return serverAddress >= MinimumServerAddress && serverAddress <= MaximumServerAddress;
}
