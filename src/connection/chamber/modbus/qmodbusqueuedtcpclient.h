#pragma once

#include "connection/chamber/modbus/qmodbusovertcpclientbase.h"

// A Modbus TCP client (MBAP framing) that sends one request at a time and
// queues the others, for servers and gateways that cannot take a second
// request before the first is answered.
class QModbusQueuedTcpClient : public QModbusOverTcpClientBase
{
    Q_OBJECT

public:
    explicit QModbusQueuedTcpClient(QObject *parent = nullptr);
    ~QModbusQueuedTcpClient() override;

protected:
    QByteArray encodeAdu(const QModbusRequest &request, int serverAddress,
                         quint16 transactionId) const override;
    ModbusAdu decodeAdu(const QByteArray &buffer) const override;
    bool isValidServerAddress(int serverAddress) const override;
};
