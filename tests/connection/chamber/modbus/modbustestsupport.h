#pragma once

#include <QtCore/QVector>
#include <QtSerialBus/QModbusDataUnit>

class QModbusOverTcpClientBase;
class QModbusReply;

// Steps that every client test takes.
namespace ModbusTestSupport {

constexpr int WaitMs = 5000;

// Connects client to 127.0.0.1:port and waits until it is connected or has
// given up.
bool connectClient(QModbusOverTcpClientBase &client, quint16 port);
bool waitFinished(QModbusReply *reply);

QModbusDataUnit holdingRead(int start, int count);
QModbusDataUnit holdingWrite(int start, const QVector<quint16> &values);

} // namespace ModbusTestSupport
