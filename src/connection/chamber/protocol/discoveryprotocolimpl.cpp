#include "connection/chamber/protocol/discoveryprotocolimpl.h"

namespace quelta::base::connection::chamberconnection {

DiscoveryProtocolImpl::~DiscoveryProtocolImpl() = default;

std::optional<domain::types::MacAddress> DiscoveryProtocolImpl::macAddressAt(const QByteArray &datagram, int offset)
{
    if (offset < 0 || datagram.size() - offset < MacAddressSize)
        return std::nullopt;

    const QByteArray bytes = datagram.mid(offset, MacAddressSize);
    // The lowest bit of the first byte marks a group (multicast or broadcast) address.
    if ((quint8(bytes.at(0)) & 0x01) != 0 || bytes == QByteArray(MacAddressSize, '\0'))
        return std::nullopt;
    return domain::types::MacAddress(bytes);
}

} // namespace quelta::base::connection::chamberconnection
