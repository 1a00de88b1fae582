#pragma once

#include "connection/chamber/protocol/linechamberconnection.h"

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

    // Null, with a warning in the log, when the record names another kind or
    // lacks what its kind needs (address, COM port, converter, valid settings).
    [[nodiscard]] static std::unique_ptr<LineChamberConnection> create(const domain::types::ChamberData &chamberData,
                                                                       QObject *parent = nullptr);

    // The vacuum controller's serial settings for a record; none when one of
    // them is neither -1 nor a value the port can take. Data bits, parity and
    // stop bits are numbered as QSerialPort numbers them.
    [[nodiscard]] static std::optional<SerialLineSettings> vacuubrandSerialSettings(
            const domain::types::ChamberData &chamberData);
};

} // namespace quelta::base::connection::chamberconnection
