#include "connection/chamber/protocol/linechamberconnectionbuilder.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/serialportsettings.h"
#include "connection/chamber/core/serialconverter.h"
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

quint16 mappedPort(const LineChamberConnectionBuilder::TcpPortMap &tcpPort, quint16 devicePort)
{
    return tcpPort ? tcpPort(devicePort) : devicePort;
}

std::unique_ptr<LineChamberConnection> createTjv(const ChamberData &chamberData, QObject *parent,
                                                 const LineChamberConnectionBuilder::TcpPortMap &tcpPort)
{
    if (!hasIpv4Address(chamberData)) {
        qCWarning(lcChamberConnection).noquote()
                << "(TJV) No connection for" << chamberData.chamberName() << "- it has no IPv4 address";
        return nullptr;
    }
    return std::make_unique<TcpLineChamberConnection>(std::make_unique<TjvLineProtocolImpl>(),
                                                      chamberData.ipAddress(),
                                                      mappedPort(tcpPort, TjvLineProtocolImpl::TcpPort), parent);
}

std::unique_ptr<LineChamberConnection> createVacuubrand(const ChamberData &chamberData, QObject *parent,
                                                        const LineChamberConnectionBuilder::TcpPortMap &tcpPort)
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
                                                          chamberData.ipAddress(), mappedPort(tcpPort, *port),
                                                          parent);
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
                                                                            QObject *parent,
                                                                            const TcpPortMap &tcpPort)
{
    switch (chamberData.protocol()) {
    case TjvProtocol:
        return createTjv(chamberData, parent, tcpPort);
    case VacuubrandProtocol:
        return createVacuubrand(chamberData, parent, tcpPort);
    default:
        qCWarning(lcChamberConnection).noquote() << "No line-protocol connection for connection kind"
                                                 << chamberData.protocol();
        return nullptr;
    }
}

std::optional<SerialLineSettings> LineChamberConnectionBuilder::vacuubrandSerialSettings(const ChamberData &chamberData)
{
    const SerialPortSettings defaults{VacuubrandProtocolImpl::DefaultBaudRate, VacuubrandProtocolImpl::DefaultDataBits,
                                      VacuubrandProtocolImpl::DefaultParity, VacuubrandProtocolImpl::DefaultStopBits};
    const std::optional<SerialPortSettings> line = SerialPortSettings::fromChamber(chamberData, defaults);
    if (!line)
        return std::nullopt;
    SerialLineSettings settings;
    settings.portName = chamberData.comPort();
    settings.baudRate = line->baudRate;
    settings.dataBits = line->dataBits;
    settings.parity = line->parity;
    settings.stopBits = line->stopBits;
    settings.flowControl = VacuubrandProtocolImpl::DefaultFlowControl;
    return settings;
}

} // namespace quelta::base::connection::chamberconnection
