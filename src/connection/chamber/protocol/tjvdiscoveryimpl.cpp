#include "connection/chamber/protocol/tjvdiscoveryimpl.h"

#include "connection/chamber/core/serialconverter.h"

namespace quelta::base::connection::chamberconnection {

namespace {
constexpr char Query[] = {'T', 'J', 'V', '?'};
constexpr char Reply[] = {'T', 'J', 'V', '!'};
constexpr int HeaderSize = 4;
} // namespace

QString TjvDiscoveryImpl::name() const
{
    return QStringLiteral("TJV");
}

quint16 TjvDiscoveryImpl::port() const
{
    return Port;
}

int TjvDiscoveryImpl::converter() const
{
    // The controller sits on the network itself.
    return SerialConverter::None;
}

QByteArray TjvDiscoveryImpl::request() const
{
    return QByteArray(Query, HeaderSize);
}

std::optional<domain::types::MacAddress> TjvDiscoveryImpl::parseAnswer(const QByteArray &datagram) const
{
    if (!datagram.startsWith(QByteArray::fromRawData(Reply, HeaderSize)))
        return std::nullopt;
    return macAddressAt(datagram, HeaderSize);
}

} // namespace quelta::base::connection::chamberconnection
