#include "connection/chamber/core/serialconverter.h"

namespace quelta::base::connection::chamberconnection {

namespace {
// Factory settings of the converters' first serial channel.
constexpr quint16 ComServerDataPort = 8000;
constexpr quint16 XPortDataPort = 10001;
} // namespace

std::optional<quint16> SerialConverter::tcpDataPort(int converter)
{
    switch (converter) {
    case ComServer:
        return ComServerDataPort;
    case XPort:
        return XPortDataPort;
    default:
        return std::nullopt;
    }
}

} // namespace quelta::base::connection::chamberconnection
