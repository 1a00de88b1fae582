#include "domain/types/tocsaendpoint.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

TocsaEndpoint::TocsaEndpoint(const QHostAddress &address, quint16 port, bool flag)
    : m_address(address)
    , m_port(port)
    , m_flag(flag)
{
}

QDebug operator<<(QDebug debug, const TocsaEndpoint &endpoint)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "TocsaEndpoint(" << endpoint.address().toString() << ':' << endpoint.port()
                    << (endpoint.flag() ? ", flag" : "") << ')';
    return debug;
}

} // namespace quelta::domain::types
