#pragma once

#include <QtCore/QList>
#include <QtCore/QString>
#include <QtNetwork/QNetworkAddressEntry>
#include <QtNetwork/QNetworkInterface>

class QDebug;

namespace quelta::base::connection::chamberconnection {

// One network interface as the discovery sees it: a name, its flags and its
// addresses. The broadcasters take a list of these, so that the system's
// interfaces are enumerated in one place and tests can hand in their own.
class DiscoveryInterface
{
public:
    DiscoveryInterface() = default;
    DiscoveryInterface(const QString &name, QNetworkInterface::InterfaceFlags flags,
                       const QList<QNetworkAddressEntry> &addressEntries);

    [[nodiscard]] QString name() const { return m_name; }
    [[nodiscard]] QNetworkInterface::InterfaceFlags flags() const { return m_flags; }
    [[nodiscard]] QList<QNetworkAddressEntry> addressEntries() const { return m_addressEntries; }

    // Every interface of this machine, in the order in which the system lists them.
    [[nodiscard]] static QList<DiscoveryInterface> systemInterfaces();

    [[nodiscard]] bool operator==(const DiscoveryInterface &other) const;
    [[nodiscard]] bool operator!=(const DiscoveryInterface &other) const { return !(*this == other); }

private:
    QString m_name;
    QNetworkInterface::InterfaceFlags m_flags;
    QList<QNetworkAddressEntry> m_addressEntries;
};

QDebug operator<<(QDebug debug, const DiscoveryInterface &interface);

} // namespace quelta::base::connection::chamberconnection
