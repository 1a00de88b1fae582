#include "domain/types/queltaendpoint.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

QueltaEndpoint::QueltaEndpoint(const QHostAddress &address, quint16 port)
    : m_address(address)
    , m_port(port)
{
}

QDebug operator<<(QDebug debug, const QueltaEndpoint &endpoint)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "QueltaEndpoint(" << endpoint.address().toString() << ':' << endpoint.port() << ')';
    return debug;
}

} // namespace quelta::domain::types
