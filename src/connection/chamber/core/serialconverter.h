#pragma once

#include <QtCore/QtGlobal>

#include <optional>

namespace quelta::base::connection::chamberconnection {

// The serial-to-Ethernet converters that put a serial device on the network,
// numbered as ChamberData and NetworkConfiguration number them.
class SerialConverter
{
public:
    enum Kind : int {
        None = -1,
        ComServer = 0,
        XPort = 1,
    };

    // The TCP port on which the converter passes bytes to and from its first
    // serial port; none for a number that names no converter.
    [[nodiscard]] static std::optional<quint16> tcpDataPort(int converter);
};

} // namespace quelta::base::connection::chamberconnection
