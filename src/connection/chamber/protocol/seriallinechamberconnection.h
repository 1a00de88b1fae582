#pragma once

#include "connection/chamber/protocol/linechamberconnection.h"

#include <QtSerialPort/QSerialPort>

namespace quelta::base::connection::chamberconnection {

// The line settings of one serial port.
struct SerialLineSettings
{
    // A COM name as chamber records hold it ("COM3"), or a device path.
    QString portName;
    qint32 baudRate = QSerialPort::Baud9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    QSerialPort::FlowControl flowControl = QSerialPort::NoFlowControl;

    friend bool operator==(const SerialLineSettings &lhs, const SerialLineSettings &rhs)
    {
        return lhs.portName == rhs.portName && lhs.baudRate == rhs.baudRate && lhs.dataBits == rhs.dataBits
                && lhs.parity == rhs.parity && lhs.stopBits == rhs.stopBits && lhs.flowControl == rhs.flowControl;
    }
    friend bool operator!=(const SerialLineSettings &lhs, const SerialLineSettings &rhs) { return !(lhs == rhs); }
};

QDebug operator<<(QDebug debug, const SerialLineSettings &settings);

// A line protocol over a serial port.
class SerialLineChamberConnection final : public LineChamberConnection
{
    Q_OBJECT

public:
    SerialLineChamberConnection(std::unique_ptr<LineProtocolImpl> protocol, const SerialLineSettings &settings,
                                QObject *parent = nullptr);
    ~SerialLineChamberConnection() override;

    [[nodiscard]] SerialLineSettings settings() const { return m_settings; }

protected:
    void openDevice() override;
    void closeDevice() override;
    [[nodiscard]] QString peerName() const override;

private:
    void onErrorOccurred(QSerialPort::SerialPortError error);

    const SerialLineSettings m_settings;
    QSerialPort *const m_port;
};

} // namespace quelta::base::connection::chamberconnection
