#pragma once

#include "connection/chamber/protocol/linechamberconnection.h"

#include <functional>
#include <memory>
#include <optional>

namespace quelta::domain::types {
class ChamberData;
}

namespace quelta::base::connection::chamberconnection {

struct SerialLineSettings;

// Builds the line-protocol connection that a chamber record calls for:
//  - kind 4, the TJV line protocol: TCP to the record's IP address;
//  - kind 5, the vacuum controller protocol: TCP to the data port of the
//    record's converter when an IP address is set, otherwise the record's COM
//    port with its serial settings, where -1 stands for the controller's
//    factory setting.
class LineChamberConnectionBuilder
{
public:
    static constexpr int TjvProtocol = 4;
    static constexpr int VacuubrandProtocol = 5;

    // Gives the TCP port to connect to for the port at which the device or
    // its converter listens.
    using TcpPortMap = std::function<quint16(quint16 devicePort)>;

    // Null, with a warning in the log, when the record names another kind or
    // lacks what its kind needs (address, COM port, converter, valid settings).
    // Without a tcpPort map a TCP connection goes to the device's own port.
    [[nodiscard]] static std::unique_ptr<LineChamberConnection> create(const domain::types::ChamberData &chamberData,
                                                                       QObject *parent = nullptr,
                                                                       const TcpPortMap &tcpPort = {});

    // The vacuum controller's serial settings for a record; none when one of
    // them is neither -1 nor a value the port can take. Data bits, parity and
    // stop bits are numbered as QSerialPort numbers them.
    [[nodiscard]] static std::optional<SerialLineSettings> vacuubrandSerialSettings(
            const domain::types::ChamberData &chamberData);
};

} // namespace quelta::base::connection::chamberconnection
