#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtSerialPort/QSerialPort>

#include <chrono>

class QDebug;

namespace quelta::base::connection::chamberconnection {

// Where a Modbus client reaches its server and how long it waits for it. The
// worker thread that owns the client gets a copy; nothing in it points back
// to the GUI thread.
class ModbusClientSettings
{
public:
    enum class Transport { Tcp, RtuOverTcp, RtuSerial };

    // Modbus TCP servers and Modbus gateways listen here.
    static constexpr quint16 ModbusTcpPort = 502;

    // The serial line of Modbus RTU as the Modbus serial line standard sets it by
    // default: 19200 baud, 8 data bits, even parity, one stop bit.
    static constexpr qint32 DefaultBaudRate = 19200;
    static constexpr QSerialPort::DataBits DefaultDataBits = QSerialPort::Data8;
    static constexpr QSerialPort::Parity DefaultParity = QSerialPort::EvenParity;
    static constexpr QSerialPort::StopBits DefaultStopBits = QSerialPort::OneStop;

    // Each send waits this long for its answer, and a silent server gets the
    // request this many more times.
    static constexpr std::chrono::milliseconds DefaultTimeout{1000};
    static constexpr int DefaultNumberOfRetries = 3;

    ModbusClientSettings() = default;

    static ModbusClientSettings tcp(const QString &hostName, quint16 port = ModbusTcpPort);
    static ModbusClientSettings rtuOverTcp(const QString &hostName, quint16 port = ModbusTcpPort);
    static ModbusClientSettings rtuSerial(const QString &portName);

    Transport transport() const { return m_transport; }
    // Host and port of the TCP transports.
    QString hostName() const { return m_hostName; }
    quint16 port() const { return m_port; }

    // The serial port of RtuSerial: a COM name, looked up among the PC's
    // ports when the line is opened, or a device path, opened as it is.
    QString portName() const { return m_portName; }
    qint32 baudRate() const { return m_baudRate; }
    void setBaudRate(qint32 baudRate) { m_baudRate = baudRate; }
    QSerialPort::DataBits dataBits() const { return m_dataBits; }
    void setDataBits(QSerialPort::DataBits dataBits) { m_dataBits = dataBits; }
    QSerialPort::Parity parity() const { return m_parity; }
    void setParity(QSerialPort::Parity parity) { m_parity = parity; }
    QSerialPort::StopBits stopBits() const { return m_stopBits; }
    void setStopBits(QSerialPort::StopBits stopBits) { m_stopBits = stopBits; }

    std::chrono::milliseconds timeout() const { return m_timeout; }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    int numberOfRetries() const { return m_numberOfRetries; }
    void setNumberOfRetries(int number) { m_numberOfRetries = number; }

    // The name of the line or gateway that one shared client serves: the
    // serial port name, or "host:port" for RTU over TCP and Modbus TCP.
    QString key() const;

    friend bool operator==(const ModbusClientSettings &lhs, const ModbusClientSettings &rhs);
    friend bool operator!=(const ModbusClientSettings &lhs, const ModbusClientSettings &rhs) { return !(lhs == rhs); }

private:
    Transport m_transport = Transport::Tcp;
    QString m_hostName;
    quint16 m_port = 0;
    QString m_portName;
    qint32 m_baudRate = DefaultBaudRate;
    QSerialPort::DataBits m_dataBits = DefaultDataBits;
    QSerialPort::Parity m_parity = DefaultParity;
    QSerialPort::StopBits m_stopBits = DefaultStopBits;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
    int m_numberOfRetries = DefaultNumberOfRetries;
};

QDebug operator<<(QDebug debug, const ModbusClientSettings &settings);

} // namespace quelta::base::connection::chamberconnection

Q_DECLARE_METATYPE(quelta::base::connection::chamberconnection::ModbusClientSettings)
