#pragma once

#include <QtCore/QVector>
#include <QtSerialBus/QModbusTcpServer>

// Makes a Qt Modbus server serve one unit whose holding registers, from
// register 0, start as the given words; at most 0xFFFF of them, as many as the
// Qt servers hold.
void loadHoldingRegisters(QModbusServer &server, int unitId, const QVector<quint16> &registers);

// Starts a Qt Modbus TCP server on 127.0.0.1 at a free port and returns the
// port; 0 when it did not start.
quint16 listenOnLoopback(QModbusTcpServer &server);
// Waits until the server has deleted the socket of every client, which is
// when it frees the connection's receive buffer.
void waitForClientsGone(QModbusTcpServer &server);

// Qt's QModbusTcpServer on 127.0.0.1 at a free port, for one unit whose
// holding registers start as the given words (see loadHoldingRegisters()).
class LoopbackModbusTcpServer
{
public:
    ~LoopbackModbusTcpServer() { waitForClientsGone(m_server); }

    bool start(int unitId, const QVector<quint16> &registers);
    quint16 port() const { return m_port; }
    QModbusTcpServer &server() { return m_server; }

private:
    QModbusTcpServer m_server;
    quint16 m_port = 0;
};
