#pragma once

#include <QtCore/QMetaType>
#include <QtNetwork/QHostAddress>

class QDebug;

namespace quelta::domain::types {

// Where the system's own network service listens.
class QueltaEndpoint
{
public:
    QueltaEndpoint() = default;
    QueltaEndpoint(const QHostAddress &address, quint16 port);

    QHostAddress address() const { return m_address; }
    void setAddress(const QHostAddress &address) { m_address = address; }
    quint16 port() const { return m_port; }
    void setPort(quint16 port) { m_port = port; }

    friend bool operator==(const QueltaEndpoint &lhs, const QueltaEndpoint &rhs)
    {
        return lhs.m_address == rhs.m_address && lhs.m_port == rhs.m_port;
    }
    friend bool operator!=(const QueltaEndpoint &lhs, const QueltaEndpoint &rhs) { return !(lhs == rhs); }

private:
    QHostAddress m_address;
    quint16 m_port = 0;
};

QDebug operator<<(QDebug debug, const QueltaEndpoint &endpoint);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::QueltaEndpoint)
