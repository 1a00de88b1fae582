#pragma once

#include "connection/chamber/protocol/discoveryprotocolimpl.h"

namespace quelta::base::connection::chamberconnection {

// The inventory query of WuT "ComServer" converters on UDP port 8513: any
// datagram asks for the inventory packet, a 10-byte version block, a 22-byte
// network block that starts with the MAC address, and 10 bytes per serial port.
class WutDiscoveryImpl final : public DiscoveryProtocolImpl
{
public:
    static constexpr quint16 Port = 8513;

    WutDiscoveryImpl() = default;

    [[nodiscard]] QString name() const override;
    [[nodiscard]] quint16 port() const override;
    [[nodiscard]] int converter() const override;
    [[nodiscard]] QByteArray request() const override;
    // Only a packet of 10 + 22 + 10 x ports bytes with at least one port: a
    // device without a serial port cannot carry a chamber's line.
    [[nodiscard]] std::optional<domain::types::MacAddress> parseAnswer(const QByteArray &datagram) const override;
};

} // namespace quelta::base::connection::chamberconnection
