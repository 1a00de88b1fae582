#pragma once

#include <QtCore/QObject>
#include <QtCore/QProcess>
#include <QtCore/QStringList>

// Debian's pymodbus as an independent Modbus server in a process of its own
// (tests/peers/pymodbus_server.py), listening on 127.0.0.1 at a free port.
class PymodbusServer : public QObject
{
    Q_OBJECT

public:
    enum class Framing { Tcp, Rtu };

    explicit PymodbusServer(QObject *parent = nullptr);
    ~PymodbusServer() override;

    // Starts the server for one unit whose holding registers from
    // startAddress hold words; waits until it listens.
    bool start(Framing framing, int unitId, int startAddress, const QVector<quint16> &words);
    quint16 port() const { return m_port; }
    // What the process printed on stderr, to explain a failed start.
    QString errors();

private:
    QProcess m_process;
    quint16 m_port = 0;
};
