#pragma once

#include "connection/chamber/protocol/lineprotocolimpl.h"

namespace quelta::base::connection::chamberconnection {

// The TJV controllers' line protocol over TCP, as far as the communication
// check needs it: an identification request, answered by one printable line.
// Everything the program assumes about this protocol lives in this class.
class TjvLineProtocolImpl final : public LineProtocolImpl
{
public:
    // The controller serves its line protocol on the port of its discovery.
    static constexpr quint16 TcpPort = 9001;

    TjvLineProtocolImpl() = default;

    [[nodiscard]] QString name() const override;
    [[nodiscard]] QByteArray checkRequest() const override;
    [[nodiscard]] bool isCheckAnswer(const QByteArray &line) const override;
};

} // namespace quelta::base::connection::chamberconnection
