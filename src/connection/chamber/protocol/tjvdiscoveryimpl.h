#pragma once

#include "connection/chamber/protocol/discoveryprotocolimpl.h"

namespace quelta::base::connection::chamberconnection {

// The discovery of TJV controllers on UDP port 9001: the request is the four
// ASCII bytes "TJV?"; a controller answers "TJV!" followed by its six-byte MAC
// address. Bytes after the MAC address are left for later fields and ignored.
// Everything the program assumes about this exchange lives in this class.
class TjvDiscoveryImpl final : public DiscoveryProtocolImpl
{
public:
    static constexpr quint16 Port = 9001;

    TjvDiscoveryImpl() = default;

    [[nodiscard]] QString name() const override;
    [[nodiscard]] quint16 port() const override;
    [[nodiscard]] int converter() const override;
    [[nodiscard]] QByteArray request() const override;
    [[nodiscard]] std::optional<domain::types::MacAddress> parseAnswer(const QByteArray &datagram) const override;
};

} // namespace quelta::base::connection::chamberconnection
