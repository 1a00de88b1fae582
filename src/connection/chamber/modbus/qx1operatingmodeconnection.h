#pragma once

#include "connection/chamber/modbus/registeroperatingmodeconnection.h"

namespace quelta::base::connection::chamberconnection {

// The operating mode of a QX1 controller: selected by writing the mode
// register 0x1A22 (0x1000 basic, 0x0800 manual, 0x0400 automatic). The
// controller cannot report the mode it is in: the register also takes the
// program start and stop codes, so what it holds names no mode.
class Qx1OperatingModeConnection : public RegisterOperatingModeConnection
{
    Q_OBJECT

public:
    static constexpr quint16 BasicModeValue = 0x1000;
    static constexpr quint16 ManualModeValue = 0x0800;
    static constexpr quint16 AutoModeValue = 0x0400;

    explicit Qx1OperatingModeConnection(const QSharedPointer<domain::api::IChamberConnection> &connection,
                                        QObject *parent = nullptr);

    // Always null: the controller cannot report its mode.
    QSharedPointer<domain::api::IChamberReply> readOperatingMode() override;
};

} // namespace quelta::base::connection::chamberconnection
