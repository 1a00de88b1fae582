#pragma once

#include <QtCore/QString>
#include <QtSerialPort/QSerialPort>

#include <optional>

namespace quelta::domain::types {
class ChamberData;
} // namespace quelta::domain::types

namespace quelta::base::connection::chamberconnection {

// Baud rate, data bits, parity and stop bits of a serial line.
struct SerialPortSettings
{
    qint32 baudRate = QSerialPort::Baud9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    // The settings of a chamber record, where -1 stands for the value in
    // defaults; data bits, parity and stop bits are numbered as QSerialPort
    // numbers them. None, with the reason in errorString, when a setting is
    // neither -1 nor a value that a serial port takes.
    [[nodiscard]] static std::optional<SerialPortSettings> fromChamber(const domain::types::ChamberData &chamber,
                                                                       const SerialPortSettings &defaults,
                                                                       QString *errorString = nullptr);
};

} // namespace quelta::base::connection::chamberconnection
