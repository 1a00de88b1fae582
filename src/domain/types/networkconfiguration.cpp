#include "domain/types/networkconfiguration.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

NetworkConfiguration::NetworkConfiguration(const QHostAddress &address, const MacAddress &macAddress, int converter)
    : m_address(address)
    , m_macAddress(macAddress)
    , m_converter(converter)
{
}

QDebug operator<<(QDebug debug, const NetworkConfiguration &configuration)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "NetworkConfiguration(" << configuration.address().toString() << ", "
                    << configuration.macAddress().toString() << ", converter " << configuration.converter() << ')';
    return debug;
}

} // namespace quelta::domain::types
