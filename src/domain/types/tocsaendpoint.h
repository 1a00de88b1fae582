#pragma once

#include <QtCore/QMetaType>
#include <QtNetwork/QHostAddress>

class QDebug;

namespace quelta::domain::types {

// Where the alarm accessory listens, with a flag that lives only in memory:
// it is never stored and is false in every endpoint read from the settings.
class TocsaEndpoint
{
public:
    TocsaEndpoint() = default;
    TocsaEndpoint(const QHostAddress &address, quint16 port, bool flag);

    QHostAddress address() const { return m_address; }
    void setAddress(const QHostAddress &address) { m_address = address; }
    quint16 port() const { return m_port; }
    void setPort(quint16 port) { m_port = port; }
    bool flag() const { return m_flag; }
    void setFlag(bool flag) { m_flag = flag; }

    friend bool operator==(const TocsaEndpoint &lhs, const TocsaEndpoint &rhs)
    {
        return lhs.m_address == rhs.m_address && lhs.m_port == rhs.m_port && lhs.m_flag == rhs.m_flag;
    }
    friend bool operator!=(const TocsaEndpoint &lhs, const TocsaEndpoint &rhs) { return !(lhs == rhs); }

private:
    QHostAddress m_address;
    quint16 m_port = 0;
    bool m_flag = false;
};

QDebug operator<<(QDebug debug, const TocsaEndpoint &endpoint);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::TocsaEndpoint)
