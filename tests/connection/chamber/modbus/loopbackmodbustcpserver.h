#pragma once

#include <QtCore/QVector>
#include <QtNetwork/QHostAddress>
#include <QtSerialBus/QModbusTcpServer>

// Makes a Qt Modbus server serve one unit whose holding registers, from
// register 0, start as the given words; at most 0xFFFF of them, as many as the
// Qt servers hold.
void loadHoldingRegisters(QModbusServer &server, int unitId, const QVector<quint16> &registers);

// Starts a Qt Modbus TCP server at the address and port, 0 for a free one,
// and returns the port that it listens at; 0 when it did not start.
quint16 listenAt(QModbusTcpServer &server, const QHostAddress &address, quint16 port);
// The same at a free port of 127.0.0.1.
inline quint16 listenOnLoopback(QModbusTcpServer &server)
{
    return listenAt(server, QHostAddress::LocalHost, 0);
}
// Waits until the server has deleted the socket of every client, which is
// when it frees the connection's receive buffer. Qt 5.15's server frees that
// buffer from a slot on the socket's destroyed() that has the server as its
// context, so its own destruction drops the slot before it deletes the
// sockets: a client socket still there then, even one whose peer has closed
// when the server has not yet read the close, leaks its buffer.
void waitForClientsGone(QModbusTcpServer &server);

// Qt's QModbusTcpServer for one unit whose holding registers start as the
// given words (see loadHoldingRegisters()), at a free port of 127.0.0.1
// unless told another address and port. It waits for its clients to be gone
// before it goes.
class LoopbackModbusTcpServer
{
public:
    ~LoopbackModbusTcpServer() { waitForClientsGone(m_server); }

    bool start(int unitId, const QVector<quint16> &registers,
               const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 port() const { return m_port; }
    QModbusTcpServer &server() { return m_server; }

private:
    QModbusTcpServer m_server;
    quint16 m_port = 0;
};
