#pragma once

#include <QtSerialBus/QModbusTcpServer>

class QModbusDevice;

// Qt's own Modbus TCP server on 127.0.0.1 at a free port, in the test's
// process, with holding registers from 0.
class QtModbusServer
{
public:
    bool start(int serverAddress, int registerCount);
    quint16 port() const;
    QModbusTcpServer &server() { return m_server; }

    // Disconnects client and waits until the server has let go of the
    // connection: it frees a connection's receive buffer only once it has
    // deleted the connection's socket, so a test does this before the server
    // goes.
    bool disconnect(QModbusDevice &client);

private:
    QModbusTcpServer m_server;
};
