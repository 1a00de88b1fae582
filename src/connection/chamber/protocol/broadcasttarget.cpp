#include "connection/chamber/protocol/broadcasttarget.h"

#include "connection/chamber/protocol/discoveryinterface.h"

#include <QtCore/QDebug>
#include <QtCore/QPair>
#include <QtCore/QSet>

namespace quelta::base::connection::chamberconnection {

namespace {
// A /31 holds two hosts and no broadcast address, a /32 one host.
constexpr int LongestBroadcastPrefix = 30;
} // namespace

BroadcastTarget::BroadcastTarget(const QString &interfaceName, const QHostAddress &localAddress,
                                 const QHostAddress &broadcastAddress)
    : m_interfaceName(interfaceName), m_localAddress(localAddress), m_broadcastAddress(broadcastAddress)
{
}

QList<BroadcastTarget> BroadcastTarget::fromInterfaces(const QList<DiscoveryInterface> &interfaces)
{
    QList<BroadcastTarget> targets;
    QSet<QPair<quint32, int>> subnets;
    for (const DiscoveryInterface &networkInterface : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = networkInterface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::CanBroadcast)
            || flags.testFlag(QNetworkInterface::IsLoopBack)) {
            continue;
        }

        const QList<QNetworkAddressEntry> entries = networkInterface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress ip = entry.ip();
            const int prefixLength = entry.prefixLength();
            if (ip.protocol() != QAbstractSocket::IPv4Protocol || ip.isLoopback() || prefixLength < 0
                || prefixLength > LongestBroadcastPrefix) {
                continue;
            }

            const quint32 mask = prefixLength == 0 ? 0u : ~quint32(0) << (32 - prefixLength);
            const QPair<quint32, int> subnet(ip.toIPv4Address() & mask, prefixLength);
            if (subnets.contains(subnet))
                continue;
            subnets.insert(subnet);

            QHostAddress broadcast = entry.broadcast();
            if (broadcast.protocol() != QAbstractSocket::IPv4Protocol)
                broadcast = QHostAddress(ip.toIPv4Address() | ~mask);
            targets.append(BroadcastTarget(networkInterface.name(), ip, broadcast));
        }
    }
    return targets;
}

bool BroadcastTarget::operator==(const BroadcastTarget &other) const
{
    return m_interfaceName == other.m_interfaceName && m_localAddress == other.m_localAddress
            && m_broadcastAddress == other.m_broadcastAddress;
}

QDebug operator<<(QDebug debug, const BroadcastTarget &target)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "BroadcastTarget(" << target.interfaceName() << ", "
                    << target.localAddress().toString() << " -> " << target.broadcastAddress().toString()
                    << ')';
    return debug;
}

} // namespace quelta::base::connection::chamberconnection
