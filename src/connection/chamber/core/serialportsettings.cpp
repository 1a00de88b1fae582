#include "connection/chamber/core/serialportsettings.h"

#include "domain/types/chamberdata.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberData;

namespace {

std::optional<SerialPortSettings> refuse(const QString &reason, QString *errorString)
{
    if (errorString)
        *errorString = reason;
    return std::nullopt;
}

} // namespace

std::optional<SerialPortSettings> SerialPortSettings::fromChamber(const ChamberData &chamber,
                                                                  const SerialPortSettings &defaults,
                                                                  QString *errorString)
{
    constexpr int Default = ChamberData::DefaultSerialSetting;
    SerialPortSettings settings = defaults;

    if (chamber.baudRate() > 0)
        settings.baudRate = chamber.baudRate();
    else if (chamber.baudRate() != Default)
        return refuse(QStringLiteral("invalid baud rate %1").arg(chamber.baudRate()), errorString);

    switch (chamber.dataBits()) {
    case Default:
        break;
    case QSerialPort::Data5:
    case QSerialPort::Data6:
    case QSerialPort::Data7:
    case QSerialPort::Data8:
        settings.dataBits = QSerialPort::DataBits(chamber.dataBits());
        break;
    default:
        return refuse(QStringLiteral("invalid number of data bits %1").arg(chamber.dataBits()), errorString);
    }

    switch (chamber.parity()) {
    case Default:
        break;
    case QSerialPort::NoParity:
    case QSerialPort::EvenParity:
    case QSerialPort::OddParity:
    case QSerialPort::SpaceParity:
    case QSerialPort::MarkParity:
        settings.parity = QSerialPort::Parity(chamber.parity());
        break;
    default:
        return refuse(QStringLiteral("invalid parity %1").arg(chamber.parity()), errorString);
    }

    switch (chamber.stopBits()) {
    case Default:
        break;
    case QSerialPort::OneStop:
    case QSerialPort::OneAndHalfStop:
    case QSerialPort::TwoStop:
        settings.stopBits = QSerialPort::StopBits(chamber.stopBits());
        break;
    default:
        return refuse(QStringLiteral("invalid number of stop bits %1").arg(chamber.stopBits()), errorString);
    }
    return settings;
}

} // namespace quelta::base::connection::chamberconnection
