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

LoopbackModbusTcpServer::~LoopbackModbusTcpServer()
{
    while (auto *socket = m_server.findChild<QTcpSocket *>()) {
        if (!QSignalSpy(socket, &QObject::destroyed).wait(5000))
            break;
    }
}

bool LoopbackModbusTcpServer::start(int unitId, const QVector<quint16> &registers)
{
    loadHoldingRegisters(m_server, unitId, registers);
    m_server.setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    m_server.setConnectionParameter(QModbusDevice::NetworkPortParameter, 0);
    return m_server.connectDevice() && port() != 0;
}

quint16 LoopbackModbusTcpServer::port() const
{
    // QModbusTcpServer does not report the port it was given; its listening
    // socket does.
    const auto *listener = m_server.findChild<QTcpServer *>();
    return listener ? listener->serverPort() : 0;
}
