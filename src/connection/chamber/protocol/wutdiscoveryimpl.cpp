#include "connection/chamber/protocol/wutdiscoveryimpl.h"

#include "connection/chamber/core/serialconverter.h"

namespace quelta::base::connection::chamberconnection {

namespace {
constexpr int VersionBlockSize = 10;
constexpr int NetworkBlockSize = 22;
constexpr int PortBlockSize = 10;
constexpr int FixedSize = VersionBlockSize + NetworkBlockSize;
// The content of the request does not matter to the converter.
constexpr char Query[] = {'\x00', '\x00', '\x00', '\x00'};
} // namespace

QString WutDiscoveryImpl::name() const
{
    return QStringLiteral("WuT");
}

quint16 WutDiscoveryImpl::port() const
{
    return Port;
}

int WutDiscoveryImpl::converter() const
{
    return SerialConverter::ComServer;
}

QByteArray WutDiscoveryImpl::request() const
{
    return QByteArray(Query, sizeof(Query));
}

std::optional<domain::types::MacAddress> WutDiscoveryImpl::parseAnswer(const QByteArray &datagram) const
{
    const int portBytes = datagram.size() - FixedSize;
    if (portBytes < PortBlockSize || portBytes % PortBlockSize != 0)
        return std::nullopt;
    return macAddressAt(datagram, VersionBlockSize);
}

} // namespace quelta::base::connection::chamberconnection
