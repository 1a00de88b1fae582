#pragma once

#include "connection/chamber/protocol/lineprotocolimpl.h"

#include <QtSerialPort/QSerialPort>

namespace quelta::base::connection::chamberconnection {

// The command protocol of CVC 3000 class vacuum controllers: commands in
// capital letters, parameters after a blank, every command and every answer
// ended by CR LF. The check reads the current pressure.
class VacuubrandProtocolImpl final : public LineProtocolImpl
{
public:
    // The controller's factory setting of its RS-232 interface.
    static constexpr qint32 DefaultBaudRate = QSerialPort::Baud19200;
    static constexpr QSerialPort::DataBits DefaultDataBits = QSerialPort::Data8;
    static constexpr QSerialPort::Parity DefaultParity = QSerialPort::NoParity;
    static constexpr QSerialPort::StopBits DefaultStopBits = QSerialPort::OneStop;
    static constexpr QSerialPort::FlowControl DefaultFlowControl = QSerialPort::NoFlowControl;

    VacuubrandProtocolImpl() = default;

    [[nodiscard]] QString name() const override;
    [[nodiscard]] QByteArray checkRequest() const override;
    // A pressure with its unit, such as "0950 mbar".
    [[nodiscard]] bool isCheckAnswer(const QByteArray &line) const override;
};

} // namespace quelta::base::connection::chamberconnection
