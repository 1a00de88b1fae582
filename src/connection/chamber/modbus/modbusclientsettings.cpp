#include "connection/chamber/modbus/modbusclientsettings.h"

#include <QtCore/QDebug>

namespace quelta::base::connection::chamberconnection {

ModbusClientSettings ModbusClientSettings::tcp(const QString &hostName, quint16 port)
{
    ModbusClientSettings settings;
    settings.m_transport = Transport::Tcp;
    settings.m_hostName = hostName;
    settings.m_port = port;
    return settings;
}

ModbusClientSettings ModbusClientSettings::rtuOverTcp(const QString &hostName, quint16 port)
{
    ModbusClientSettings settings = tcp(hostName, port);
    settings.m_transport = Transport::RtuOverTcp;
    return settings;
}

ModbusClientSettings ModbusClientSettings::rtuSerial(const QString &portName)
{
    ModbusClientSettings settings;
    settings.m_transport = Transport::RtuSerial;
    settings.m_portName = portName;
    return settings;
}

QString ModbusClientSettings::key() const
{
    if (m_transport == Transport::RtuSerial)
        return m_portName;
    return m_hostName + QLatin1Char(':') + QString::number(m_port);
}

bool operator==(const ModbusClientSettings &lhs, const ModbusClientSettings &rhs)
{
    return lhs.m_transport == rhs.m_transport && lhs.m_hostName == rhs.m_hostName && lhs.m_port == rhs.m_port
        && lhs.m_portName == rhs.m_portName && lhs.m_baudRate == rhs.m_baudRate && lhs.m_dataBits == rhs.m_dataBits
        && lhs.m_parity == rhs.m_parity && lhs.m_stopBits == rhs.m_stopBits && lhs.m_timeout == rhs.m_timeout
        && lhs.m_numberOfRetries == rhs.m_numberOfRetries;
}

QDebug operator<<(QDebug debug, const ModbusClientSettings &settings)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "ModbusClientSettings(";
    switch (settings.transport()) {
    case ModbusClientSettings::Transport::Tcp:
        debug << "TCP " << settings.key();
        break;
    case ModbusClientSettings::Transport::RtuOverTcp:
        debug << "RTU over TCP " << settings.key();
        break;
    case ModbusClientSettings::Transport::RtuSerial:
        debug << "RTU " << settings.portName() << ' ' << settings.baudRate() << ' ' << settings.dataBits() << ' '
              << settings.parity() << ' ' << settings.stopBits();
        break;
    }
    debug << ", " << settings.timeout().count() << " ms, " << settings.numberOfRetries() << " retries)";
    return debug;
}

} // namespace quelta::base::connection::chamberconnection
