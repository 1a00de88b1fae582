#include "domain/types/smtpconfiguration.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

SmtpConfiguration::SmtpConfiguration(const QString &hostName, quint16 port, int connectionType,
                                     const QString &userName, const QString &password, const QString &senderAddress)
    : m_first{hostName, port, connectionType, userName, password, senderAddress}
    , m_second(m_first)
{
}

QDebug operator<<(QDebug debug, const SmtpConfiguration &configuration)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "SmtpConfiguration(" << configuration.hostName() << ':' << configuration.port() << ", type "
                    << configuration.connectionType() << ", user " << configuration.userName() << ", sender "
                    << configuration.senderAddress() << ')';
    return debug;
}

} // namespace quelta::domain::types
