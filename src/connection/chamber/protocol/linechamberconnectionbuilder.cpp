#include "connection/chamber/protocol/linechamberconnectionbuilder.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/protocol/serialconverter.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "connection/chamber/protocol/tjvlineprotocolimpl.h"
#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"
#include "domain/types/chamberdata.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberData;

namespace {

bool hasIpv4Address(const ChamberData &chamberData)
{
    return chamberData.ipAddress().protocol() == QAbstractSocket::IPv4Protocol;
}

std::unique_ptr<LineChamberConnection> createTjv(const ChamberData &chamberData, QObject *parent)
{
    if (!hasIpv4Address(chamberData)) {
        qCWarning(lcChamberConnection).noquote()
                << "(TJV) No connection for" << chamberData.chamberName() << "- it has no IPv4 address";
        return nullptr;
    }
    return std::make_unique<TcpLineChamberConnection>(std::make_unique<TjvLineProtocolImpl>(),
                                                      chamberData.ipAddress(), TjvLineProtocolImpl::TcpPort, parent);
}

std::unique_ptr<LineChamberConnection> createVacuubrand(const ChamberData &chamberData, QObject *parent)
{
    if (hasIpv4Address(chamberData)) {
        const std::optional<quint16> port = SerialConverter::tcpDataPort(chamberData.converter());
        if (!port) {
            qCWarning(lcChamberConnection).noquote()
                    << "(Vacuubrand) No connection for" << chamberData.chamberName() << "- converter"
                    << chamberData.converter() << "has no known data port";
            return nullptr;
        }
        return std::make_unique<TcpLineChamberConnection>(std::make_unique<VacuubrandProtocolImpl>(),
                                                          chamberData.ipAddress(), *port, parent);
    }

    if (chamberData.comPort().isEmpty()) {
        qCWarning(lcChamberConnection).noquote()
                << "(Vacuubrand) No connection for" << chamberData.chamberName()
                << "- it has neither an IPv4 address nor a COM port";
        return nullptr;
    }
    const std::optional<SerialLineSettings> settings = LineChamberConnectionBuilder::vacuubrandSerialSettings(chamberData);
    if (!settings) {
        qCWarning(lcChamberConnection).noquote()
                << "(Vacuubrand) No connection for" << chamberData.chamberName() << "- invalid serial settings"
                << chamberData.baudRate() << chamberData.dataBits() << chamberData.parity() << chamberData.stopBits();
        return nullptr;
    }
    return std::make_unique<SerialLineChamberConnection>(std::make_unique<VacuubrandProtocolImpl>(), *settings,
                                                         parent);
}

} // namespace

std::unique_ptr<LineChamberConnection> LineChamberConnectionBuilder::create(const ChamberData &chamberData,
                                                                            QObject *parent)
{
    switch (chamberData.protocol()) {
    case TjvProtocol:
        return createTjv(chamberData, parent);
    case VacuubrandProtocol:
        return createVacuubrand(chamberData, parent);
    default:
        qCWarning(lcChamberConnection).noquote() << "No line-protocol connection for connection kind"
                                                 << chamberData.protocol();
        return nullptr;
    }
}

std::optional<SerialLineSettings> LineChamberConnectionBuilder::vacuubrandSerialSettings(const ChamberData &chamberData)
{
    constexpr int Default = ChamberData::DefaultSerialSetting;
    SerialLineSettings settings;
    settings.portName = chamberData.comPort();
    settings.flowControl = VacuubrandProtocolImpl::DefaultFlowControl;

    const int baudRate = chamberData.baudRate();
    if (baudRate == Default)
        settings.baudRate = VacuubrandProtocolImpl::DefaultBaudRate;
    else if (baudRate > 0)
        settings.baudRate = baudRate;
    else
        return std::nullopt;

    const int dataBits = chamberData.dataBits();
    if (dataBits == Default)
        settings.dataBits = VacuubrandProtocolImpl::DefaultDataBits;
    else if (dataBits >= QSerialPort::Data5 && dataBits <= QSerialPort::Data8)
        settings.dataBits = QSerialPort::DataBits(dataBits);
    else
        return std::nullopt;

    switch (chamberData.parity()) {
    case Default:
        settings.parity = VacuubrandProtocolImpl::DefaultParity;
        break;
    case QSerialPort::NoParity:
    case QSerialPort::EvenParity:
    case QSerialPort::OddParity:
    case QSerialPort::SpaceParity:
    case QSerialPort::MarkParity:
        settings.parity = QSerialPort::Parity(chamberData.parity());
        break;
    default:
        return std::nullopt;
    }

    switch (chamberData.stopBits()) {
    case Default:
        settings.stopBits = VacuubrandProtocolImpl::DefaultStopBits;
        break;
    case QSerialPort::OneStop:
    case QSerialPort::OneAndHalfStop:
    case QSerialPort::TwoStop:
        settings.stopBits = QSerialPort::StopBits(chamberData.stopBits());
        break;
    default:
        return std::nullopt;
    }
    return settings;
}

} // namespace quelta::base::connection::chamberconnection
