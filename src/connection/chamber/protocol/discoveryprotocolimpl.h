#pragma once

#include "domain/types/macaddress.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>
#include <QtCore/QtGlobal>

#include <optional>

namespace quelta::base::connection::chamberconnection {

// One kind of UDP discovery: the request that a broadcaster sends to a port
// and how an answer names the device's MAC address. Pure code: nothing here
// touches a socket, so every parser can be fed arbitrary bytes.
class DiscoveryProtocolImpl
{
public:
    virtual ~DiscoveryProtocolImpl();

    // Used in log lines, e.g. "XPort".
    [[nodiscard]] virtual QString name() const = 0;
    [[nodiscard]] virtual quint16 port() const = 0;
    // The converter that an answer stands for, numbered as NetworkConfiguration numbers it.
    [[nodiscard]] virtual int converter() const = 0;
    [[nodiscard]] virtual QByteArray request() const = 0;
    // The MAC address of the device that sent the datagram; none for anything
    // that is not a complete answer of this kind.
    [[nodiscard]] virtual std::optional<domain::types::MacAddress> parseAnswer(const QByteArray &datagram) const = 0;

protected:
    DiscoveryProtocolImpl() = default;

    static constexpr int MacAddressSize = 6;

    // The six bytes at offset as a MAC address; none when they do not fit or
    // do not name a single device (all zero, or a group address).
    [[nodiscard]] static std::optional<domain::types::MacAddress> macAddressAt(const QByteArray &datagram, int offset);

private:
    Q_DISABLE_COPY_MOVE(DiscoveryProtocolImpl)
};

} // namespace quelta::base::connection::chamberconnection
