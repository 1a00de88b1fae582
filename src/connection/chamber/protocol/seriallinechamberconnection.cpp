#include "connection/chamber/protocol/seriallinechamberconnection.h"

#include "connection/chamber/core/serialportnaming.h"

#include <QtCore/QDebug>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberError;
using domain::types::ChamberState;

namespace {

ChamberError::Error chamberError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return ChamberError::NoError;
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::NotOpenError:
    case QSerialPort::ResourceError:
        return ChamberError::ConnectionError;
    case QSerialPort::ParityError:
    case QSerialPort::FramingError:
    case QSerialPort::BreakConditionError:
    case QSerialPort::ReadError:
        return ChamberError::ReadError;
    case QSerialPort::WriteError:
        return ChamberError::WriteError;
    case QSerialPort::UnsupportedOperationError:
        return ChamberError::ConfigurationError;
    case QSerialPort::TimeoutError:
        return ChamberError::TimeoutError;
    case QSerialPort::UnknownError:
        return ChamberError::UnknownError;
    }
    return ChamberError::UnknownError;
}

} // namespace

QDebug operator<<(QDebug debug, const SerialLineSettings &settings)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "SerialLineSettings(" << settings.portName << ", " << settings.baudRate << ", "
                    << settings.dataBits << ", " << settings.parity << ", " << settings.stopBits << ", "
                    << settings.flowControl << ')';
    return debug;
}

SerialLineChamberConnection::SerialLineChamberConnection(std::unique_ptr<LineProtocolImpl> protocol,
                                                         const SerialLineSettings &settings, QObject *parent)
    : LineChamberConnection(std::move(protocol), parent), m_settings(settings), m_port(new QSerialPort(this))
{
    attachDevice(m_port);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialLineChamberConnection::onErrorOccurred);
}

SerialLineChamberConnection::~SerialLineChamberConnection()
{
    m_port->disconnect(this);
}

void SerialLineChamberConnection::openDevice()
{
    // Resolved at every open: a COM name follows the ports the PC has now.
    m_port->setPortName(SerialPortNaming::resolve(m_settings.portName));
    if (!m_port->open(QIODevice::ReadWrite)) {
        deviceFailed(chamberError(m_port->error()), m_port->errorString());
        return;
    }
    if (!m_port->setBaudRate(m_settings.baudRate) || !m_port->setDataBits(m_settings.dataBits)
        || !m_port->setParity(m_settings.parity) || !m_port->setStopBits(m_settings.stopBits)
        || !m_port->setFlowControl(m_settings.flowControl)) {
        deviceFailed(ChamberError::ConfigurationError, m_port->errorString());
        return;
    }
    m_port->clear();
    deviceOpened();
}

void SerialLineChamberConnection::closeDevice()
{
    m_port->close();
}

QString SerialLineChamberConnection::peerName() const
{
    return m_settings.portName;
}

void SerialLineChamberConnection::onErrorOccurred(QSerialPort::SerialPortError error)
{
    // Errors of open() and of the settings are handled where they happen. A
    // garbled byte or the time-out of a waitFor call leaves the line usable;
    // the request's own time-out covers an answer lost to it.
    if (state() != ChamberState::STATE_CONNECTED || error == QSerialPort::NoError
        || error == QSerialPort::TimeoutError || error == QSerialPort::ParityError
        || error == QSerialPort::FramingError || error == QSerialPort::BreakConditionError) {
        return;
    }
    deviceFailed(chamberError(error), m_port->errorString());
}

} // namespace quelta::base::connection::chamberconnection
