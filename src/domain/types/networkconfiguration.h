#pragma once

#include "domain/types/macaddress.h"

#include <QtCore/QMetaType>
#include <QtNetwork/QHostAddress>

class QDebug;

namespace quelta::domain::types {

// One answer to a discovery broadcast: who answered, with which hardware
// address, and through which kind of converter (-1 when entered by hand).
class NetworkConfiguration
{
public:
    NetworkConfiguration() = default;
    NetworkConfiguration(const QHostAddress &address, const MacAddress &macAddress, int converter);

    QHostAddress address() const { return m_address; }
    void setAddress(const QHostAddress &address) { m_address = address; }
    MacAddress macAddress() const { return m_macAddress; }
    void setMacAddress(const MacAddress &macAddress) { m_macAddress = macAddress; }
    int converter() const { return m_converter; }
    void setConverter(int converter) { m_converter = converter; }

    friend bool operator==(const NetworkConfiguration &lhs, const NetworkConfiguration &rhs)
    {
        return lhs.m_address == rhs.m_address && lhs.m_macAddress == rhs.m_macAddress
            && lhs.m_converter == rhs.m_converter;
    }
    friend bool operator!=(const NetworkConfiguration &lhs, const NetworkConfiguration &rhs) { return !(lhs == rhs); }

private:
    QHostAddress m_address;
    MacAddress m_macAddress;
    int m_converter = -1;
};

QDebug operator<<(QDebug debug, const NetworkConfiguration &configuration);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::NetworkConfiguration)
