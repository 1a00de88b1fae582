#include "loopbackmodbustcpserver.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QSignalSpy>

void loadHoldingRegisters(QModbusServer &server, int unitId, const QVector<quint16> &registers)
{
    constexpr auto Holding = QModbusDataUnit::HoldingRegisters;
    server.setMap({{Holding, QModbusDataUnit(Holding, 0, registers.mid(0, 0xFFFF))}});
    server.setServerAddress(unitId);
}

quint16 listenAt(QModbusTcpServer &server, const QHostAddress &address, quint16 port)
{
    server.setConnectionParameter(QModbusDevice::NetworkAddressParameter, address.toString());
    server.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    if (!server.connectDevice())
        return 0;
    // QModbusTcpServer does not report the port it was given; its listening
    // socket does.
    const auto *listener = server.findChild<QTcpServer *>();
    return listener ? listener->serverPort() : 0;
}

void waitForClientsGone(QModbusTcpServer &server)
{
    while (auto *socket = server.findChild<QTcpSocket *>()) {
        if (!QSignalSpy(socket, &QObject::destroyed).wait(5000))
            break;
    }
}

bool LoopbackModbusTcpServer::start(int unitId, const QVector<quint16> &registers, const QHostAddress &address,
                                    quint16 port)
{
    loadHoldingRegisters(m_server, unitId, registers);
    m_port = listenAt(m_server, address, port);
    return m_port != 0;
}
