#pragma once

#include <QtCore/QObject>
#include <QtCore/QProcess>
#include <QtCore/QVector>

// Debian's pymodbus as an independent Modbus RTU server on a serial line
// (tests/peers/pymodbus_serial_server.py), in a process of its own.
class PymodbusSerialServer : public QObject
{
    Q_OBJECT

public:
    explicit PymodbusSerialServer(QObject *parent = nullptr);
    ~PymodbusSerialServer() override;

    // Opens device for one unit whose holding registers from startAddress
    // hold words; waits until the device is open.
    bool start(const QString &device, int unitId, int startAddress, const QVector<quint16> &words);
    // What the process printed on stderr, to explain a failed start.
    QString errors();

private:
    QProcess m_process;
};
