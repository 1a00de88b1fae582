#pragma once

#include "connection/chamber/protocol/discoveryprotocolimpl.h"

namespace quelta::base::connection::chamberconnection {

// The device-server query of XPort converters on UDP port 30718: the request
// is 00 00 00 F6; the answer starts with 00 00 00 F7 and is followed by 16
// bytes of firmware information, 4 bytes of device information and the MAC
// address in bytes 24 to 29.
class XPortDiscoveryImpl final : public DiscoveryProtocolImpl
{
public:
    static constexpr quint16 Port = 30718;

    XPortDiscoveryImpl() = default;

    [[nodiscard]] QString name() const override;
    [[nodiscard]] quint16 port() const override;
    [[nodiscard]] int converter() const override;
    [[nodiscard]] QByteArray request() const override;
    [[nodiscard]] std::optional<domain::types::MacAddress> parseAnswer(const QByteArray &datagram) const override;
};

} // namespace quelta::base::connection::chamberconnection
