#pragma once

#include "connection/chamber/modbus/qmodbusovertcpclientbase.h"

// A Modbus RTU client whose frames (server address, PDU, CRC-16) travel over
// a TCP connection, as to a serial-to-Ethernet converter that passes the
// bytes to an RTU bus unchanged. One request is on the wire at a time.
class QModbusRtuOverTcpClient : public QModbusOverTcpClientBase
{
    Q_OBJECT

public:
    // RTU server addresses; 0 is a broadcast, which no server answers.
    static constexpr int MinimumServerAddress = 1;
    static constexpr int MaximumServerAddress = 247;

    explicit QModbusRtuOverTcpClient(QObject *parent = nullptr);
    ~QModbusRtuOverTcpClient() override;

protected:
    QByteArray encodeAdu(const QModbusRequest &request, int serverAddress,
                         quint16 transactionId) const override;
    ModbusAdu decodeAdu(const QByteArray &buffer) const override;
    bool isValidServerAddress(int serverAddress) const override;
};
