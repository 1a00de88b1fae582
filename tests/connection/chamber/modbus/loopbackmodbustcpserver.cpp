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

quint16 listenOnLoopback(QModbusTcpServer &server)
{
    server.setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    server.setConnectionParameter(QModbusDevice::NetworkPortParameter, 0);
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

bool LoopbackModbusTcpServer::start(int unitId, const QVector<quint16> &registers)
{
    loadHoldingRegisters(m_server, unitId, registers);
    m_port = listenOnLoopback(m_server);
    return m_port != 0;
}
