#include "connection/chamber/protocol/xportdiscoveryimpl.h"

#include "connection/chamber/core/serialconverter.h"

namespace quelta::base::connection::chamberconnection {

namespace {
constexpr char Query[] = {'\x00', '\x00', '\x00', '\xf6'};
constexpr char Reply[] = {'\x00', '\x00', '\x00', '\xf7'};
constexpr int HeaderSize = 4;
constexpr int MacAddressOffset = HeaderSize + 16 + 4;
} // namespace

QString XPortDiscoveryImpl::name() const
{
    return QStringLiteral("XPort");
}

quint16 XPortDiscoveryImpl::port() const
{
    return Port;
}

int XPortDiscoveryImpl::converter() const
{
    return SerialConverter::XPort;
}

QByteArray XPortDiscoveryImpl::request() const
{
    return QByteArray(Query, HeaderSize);
}

std::optional<domain::types::MacAddress> XPortDiscoveryImpl::parseAnswer(const QByteArray &datagram) const
{
    if (!datagram.startsWith(QByteArray::fromRawData(Reply, HeaderSize)))
        return std::nullopt;
    return macAddressAt(datagram, MacAddressOffset);
}

} // namespace quelta::base::connection::chamberconnection
