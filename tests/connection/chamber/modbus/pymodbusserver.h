#pragma once

#include <QtCore/QProcess>
#include <QtCore/QVector>

// Debian's pymodbus as an independent Modbus server in a process of its own
// (tests/peers/pymodbus_server.py): on 127.0.0.1 at a free port or on a
// serial line. One unit's holding registers from startAddress start as words.
class PymodbusServer
{
public:
    enum class Framing { Tcp, Rtu };

    ~PymodbusServer();

    // Each waits until the server listens or has opened the device.
    bool startTcp(Framing framing, int unitId, int startAddress, const QVector<quint16> &words);
    bool startSerial(const QString &device, int unitId, int startAddress, const QVector<quint16> &words);
    quint16 port() const { return m_port; }

private:
    // Runs the server with arguments and returns its first line of output.
    QByteArray run(QStringList arguments, int unitId, int startAddress, const QVector<quint16> &words);

    QProcess m_process;
    quint16 m_port = 0;
};
