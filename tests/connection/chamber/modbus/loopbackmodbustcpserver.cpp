#include "loopbackmodbustcpserver.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QSignalSpy>

namespace {

constexpr int WaitMs = 5000;

} // namespace

void loadHoldingRegisters(QModbusServer &server, int unitId, const QVector<quint16> &registers)
{
    const QVector<quint16> values = registers.mid(0, 0xFFFF);
    QModbusDataUnitMap map;
    map.insert(QModbusDataUnit::HoldingRegisters,
               QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, quint16(values.size())));
    server.setMap(map);
    server.setData(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, values));
    server.setServerAddress(unitId);
}

LoopbackModbusTcpServer::~LoopbackModbusTcpServer()
{
    const QList<QTcpSocket *> sockets = m_server.findChildren<QTcpSocket *>();
    for (QTcpSocket *socket : sockets) {
        QSignalSpy destroyed(socket, &QObject::destroyed);
        destroyed.wait(WaitMs);
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
