#include "modbustestsupport.h"

#include "connection/chamber/modbus/qmodbusovertcpclientbase.h"

#include <QtTest/QSignalSpy>

namespace ModbusTestSupport {

bool connectClient(QModbusOverTcpClientBase &client, quint16 port)
{
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    QSignalSpy stateSpy(&client, &QModbusDevice::stateChanged);
    if (!client.connectDevice())
        return false;
    while (client.state() == QModbusDevice::ConnectingState) {
        if (!stateSpy.wait(WaitMs))
            return false;
    }
    return client.state() == QModbusDevice::ConnectedState;
}

bool waitFinished(QModbusReply *reply)
{
    if (reply->isFinished())
        return true;
    QSignalSpy spy(reply, &QModbusReply::finished);
    return spy.wait(WaitMs);
}

QModbusDataUnit holdingRead(int start, int count)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, quint16(count));
}

QModbusDataUnit holdingWrite(int start, const QVector<quint16> &values)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, values);
}

} // namespace ModbusTestSupport
