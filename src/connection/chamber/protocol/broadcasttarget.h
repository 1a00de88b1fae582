#pragma once

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtNetwork/QHostAddress>

class QDebug;

namespace quelta::base::connection::chamberconnection {

class DiscoveryInterface;

// Where one discovery request goes: from one local address of an IPv4 subnet
// to that subnet's broadcast address.
class BroadcastTarget
{
public:
    BroadcastTarget() = default;
    BroadcastTarget(const QString &interfaceName, const QHostAddress &localAddress,
                    const QHostAddress &broadcastAddress);

    [[nodiscard]] QString interfaceName() const { return m_interfaceName; }
    [[nodiscard]] QHostAddress localAddress() const { return m_localAddress; }
    [[nodiscard]] QHostAddress broadcastAddress() const { return m_broadcastAddress; }

    // One target per distinct IPv4 subnet of the interfaces that are up, can
    // broadcast and are not loopbacks; a subnet is reached from the first of
    // its addresses in interface order, so a device answers each search once
    // even when two interfaces share its network.
    [[nodiscard]] static QList<BroadcastTarget> fromInterfaces(const QList<DiscoveryInterface> &interfaces);

    [[nodiscard]] bool operator==(const BroadcastTarget &other) const;
    [[nodiscard]] bool operator!=(const BroadcastTarget &other) const { return !(*this == other); }

private:
    QString m_interfaceName;
    QHostAddress m_localAddress;
    QHostAddress m_broadcastAddress;
};

QDebug operator<<(QDebug debug, const BroadcastTarget &target);

} // namespace quelta::base::connection::chamberconnection
