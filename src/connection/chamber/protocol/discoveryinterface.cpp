#include "connection/chamber/protocol/discoveryinterface.h"

#include <QtCore/QDebug>

namespace quelta::base::connection::chamberconnection {

DiscoveryInterface::DiscoveryInterface(const QString &name, QNetworkInterface::InterfaceFlags flags,
                                       const QList<QNetworkAddressEntry> &addressEntries)
    : m_name(name), m_flags(flags), m_addressEntries(addressEntries)
{
}

QList<DiscoveryInterface> DiscoveryInterface::systemInterfaces()
{
    QList<DiscoveryInterface> interfaces;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    interfaces.reserve(all.size());
    for (const QNetworkInterface &networkInterface : all) {
        interfaces.append(DiscoveryInterface(networkInterface.name(), networkInterface.flags(),
                                             networkInterface.addressEntries()));
    }
    return interfaces;
}

bool DiscoveryInterface::operator==(const DiscoveryInterface &other) const
{
    return m_name == other.m_name && m_flags == other.m_flags
            && m_addressEntries == other.m_addressEntries;
}

QDebug operator<<(QDebug debug, const DiscoveryInterface &interface)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "DiscoveryInterface(" << interface.name() << ", " << interface.flags();
    const QList<QNetworkAddressEntry> entries = interface.addressEntries();
    for (const QNetworkAddressEntry &entry : entries)
        debug << ", " << entry.ip().toString() << '/' << entry.prefixLength();
    debug << ')';
    return debug;
}

} // namespace quelta::base::connection::chamberconnection
