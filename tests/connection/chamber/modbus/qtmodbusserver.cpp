#include "qtmodbusserver.h"

#include "modbustestsupport.h"

#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QSignalSpy>

bool QtModbusServer::start(int serverAddress, int registerCount)
{
    qRegisterMetaType<QTcpSocket *>();
    QModbusDataUnitMap map;
    map.insert(QModbusDataUnit::HoldingRegisters,
               ModbusTestSupport::holdingRead(0, registerCount));
    m_server.setMap(map);
    m_server.setServerAddress(serverAddress);
    m_server.setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    m_server.setConnectionParameter(QModbusDevice::NetworkPortParameter, 0);
    return m_server.connectDevice() && port() != 0;
}

quint16 QtModbusServer::port() const
{
    // QModbusTcpServer does not report the port it was given; its listening
    // socket does.
    const auto *listener = m_server.findChild<QTcpServer *>();
    return listener ? listener->serverPort() : 0;
}

bool QtModbusServer::disconnect(QModbusDevice &client)
{
    QSignalSpy gone(&m_server, &QModbusTcpServer::modbusClientDisconnected);
    client.disconnectDevice();
    if (!gone.wait(ModbusTestSupport::WaitMs))
        return false;
    QSignalSpy deleted(gone.first().first().value<QTcpSocket *>(), &QObject::destroyed);
    return deleted.wait(ModbusTestSupport::WaitMs);
}
