#include "connection/chamber/chamberconnectionfactory.h"

#include "connection/chamber/core/chamberconnection.h"
#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/qx1operatingmodeconnection.h"
#include "connection/chamber/modbus/qx2operatingmodeconnection.h"
#include "connection/chamber/protocol/chamberbroadcaster.h"
#include "connection/chamber/protocol/discoveryinterface.h"
#include "connection/chamber/protocol/linechamberconnectionbuilder.h"
#include "connection/chamber/protocol/tjvdiscoveryimpl.h"
#include "connection/chamber/protocol/wutdiscoveryimpl.h"
#include "connection/chamber/protocol/xportdiscoveryimpl.h"
#include "domain/types/chambertypedata.h"
#include "transfer/qx1programtransmitter.h"
#include "transfer/qx2dataloggerreader.h"
#include "transfer/qx2programtransmitter.h"
#include "transfer/tjvdataloggerreader.h"
#include "transfer/tjvftpconnection.h"
#include "transfer/tjvprogramtransmitter.h"
#include "transfer/zk3programtransmitter.h"
#include "transfer/zk4dataloggerreader.h"
#include "transfer/zk4programtransmitter.h"

#include <QtCore/QThread>
#include <QtCore/QTimer>

namespace quelta::base::connection::chamberconnection {

using domain::api::IChamberConnection;
using domain::api::IChamberOperatingModeConnection;
using domain::api::IDataLoggerReader;
using domain::api::IProgramTransmitter;
using domain::types::ActivationState;
using domain::types::ChamberData;
using domain::types::ChamberState;
using domain::types::ChamberTypeData;
using domain::types::ControllerAddress;
using domain::types::NetworkConfiguration;

namespace {

const QString TjvController = QStringLiteral("TJV");
const QString Qx1Controller = QStringLiteral("QX1");
const QString Qx2Controller = QStringLiteral("QX2");
const QString Zk3Controller = QStringLiteral("ZK3");
const QString Zk4Controller = QStringLiteral("ZK4");

QString notProgrammable(const ChamberTypeData &chamberType)
{
    return QStringLiteral("Chamber type %1 is not programmble").arg(chamberType.displayName());
}

// Like the connections, without parent and deleted from the event loop: the
// last reference may go in a receiver of the object's own signal.
template<typename T>
QSharedPointer<T> createShared()
{
    return QSharedPointer<T>(new T, &QObject::deleteLater);
}

QSharedPointer<ModbusProgramTransmitter> createModbusProgramTransmitter(const QString &controller)
{
    if (controller == Qx1Controller)
        return createShared<QX1ProgramTransmitter>();
    if (controller == Qx2Controller)
        return createShared<QX2ProgramTransmitter>();
    if (controller == Zk3Controller)
        return createShared<ZK3ProgramTransmitter>();
    if (controller == Zk4Controller)
        return createShared<ZK4ProgramTransmitter>();
    return {};
}

QSharedPointer<ModbusDataLoggerReader> createModbusDataLoggerReader(const QString &controller)
{
    if (controller == Qx2Controller)
        return createShared<QX2DataLoggerReader>();
    if (controller == Zk4Controller)
        return createShared<ZK4DataLoggerReader>();
    return {};
}

} // namespace

ChamberConnectionFactory::ChamberConnectionFactory(QObject *parent)
    : QObject(parent)
{
    // The first receiver, so that every later one finds the check cleaned up.
    connect(this, &ChamberConnectionFactory::communicationCheckFinished, this,
            &ChamberConnectionFactory::cleanUpCheck);
}

ChamberConnectionFactory::~ChamberConnectionFactory()
{
    // The workers of the TJV readers go with the thread, on it; a read that
    // runs there ends in its reader's error().
    if (m_dataLoggerThread) {
        m_dataLoggerThread->quit();
        m_dataLoggerThread->wait();
    }
}

void ChamberConnectionFactory::setConnectionTimeouts(const ConnectionTimeouts &timeouts)
{
    m_timeouts = timeouts;
}

quint16 ChamberConnectionFactory::tcpPort(quint16 devicePort) const
{
    return devicePort;
}

std::unique_ptr<ChamberConnection> ChamberConnectionFactory::buildConnection(const ChamberData &chamber) const
{
    switch (chamber.protocol()) {
    case ModbusChamberConnection::ModbusRtuProtocol:
    case ModbusChamberConnection::ModbusRtuOverTcpProtocol:
    case ModbusChamberConnection::ModbusTcpProtocol: {
        QString why;
        const std::optional<ModbusClientSettings> road = ModbusChamberConnection::clientSettings(chamber, &why);
        if (!road) {
            qCWarning(lcChamberConnection).noquote()
                << "(Modbus) No connection for" << chamber.chamberName() << "-" << why;
            return nullptr;
        }
        ModbusClientSettings settings = *road;
        if (settings.transport() == ModbusClientSettings::Transport::Tcp)
            settings = ModbusClientSettings::tcp(road->hostName(), tcpPort(road->port()));
        else if (settings.transport() == ModbusClientSettings::Transport::RtuOverTcp)
            settings = ModbusClientSettings::rtuOverTcp(road->hostName(), tcpPort(road->port()));
        settings.setTimeout(m_timeouts.modbusResponseTimeout);
        settings.setNumberOfRetries(m_timeouts.modbusRetries);
        return std::make_unique<ModbusChamberConnection>(settings, chamber.modbusAddress());
    }
    case LineChamberConnectionBuilder::TjvProtocol:
    case LineChamberConnectionBuilder::VacuubrandProtocol: {
        std::unique_ptr<LineChamberConnection> connection = LineChamberConnectionBuilder::create(
            chamber, nullptr, [this](quint16 devicePort) { return tcpPort(devicePort); });
        if (connection) {
            connection->setReplyTimeout(m_timeouts.lineReplyTimeout);
            connection->setRepeatInterval(m_timeouts.lineRepeatInterval);
        }
        return connection;
    }
    default:
        qCWarning(lcChamberConnection).noquote()
            << "No connection for" << chamber.chamberName() << "- connection kind" << chamber.protocol()
            << "is not supported";
        return nullptr;
    }
}

QSharedPointer<IChamberConnection> ChamberConnectionFactory::createChamberConnection(const ChamberData &chamber)
{
    std::unique_ptr<ChamberConnection> connection = buildConnection(chamber);
    if (!connection)
        return {};
    return QSharedPointer<ChamberConnection>(connection.release(), &QObject::deleteLater);
}

QSharedPointer<IDataLoggerReader> ChamberConnectionFactory::createDataLoggerReader(
    const ChamberData &chamber, const ChamberTypeData &chamberType,
    const QSharedPointer<IChamberConnection> &connection)
{
    if (!chamberType.hasReadableDataStorage()) {
        qCInfo(lcChamberConnection).noquote() << notProgrammable(chamberType);
        return {};
    }
    const QString controller = chamberType.controller();
    if (controller == TjvController && !chamber.ipAddress().isNull())
        return createTjvDataLoggerReader(chamber.ipAddress());
    if (const QSharedPointer<ModbusDataLoggerReader> reader = createModbusDataLoggerReader(controller)) {
        if (reader->setChamberConnection(connection))
            return reader;
        qCCritical(lcChamberConnection) << "No valid chamber connection";
        return {};
    }
    qCInfo(lcChamberConnection).noquote()
        << QStringLiteral("Controller '%1' does not support data logger reading").arg(controller);
    return {};
}

QSharedPointer<IProgramTransmitter> ChamberConnectionFactory::createProgramTransmitter(
    const ChamberData &chamber, const ChamberTypeData &chamberType,
    const QSharedPointer<IChamberConnection> &connection)
{
    if (!chamberType.hasTimeProgram()) {
        qCInfo(lcChamberConnection).noquote() << notProgrammable(chamberType);
        return {};
    }
    const QString controller = chamberType.controller();
    if (controller == TjvController && !chamber.ipAddress().isNull())
        return createTjvProgramTransmitter(chamber.ipAddress());
    if (const QSharedPointer<ModbusProgramTransmitter> transmitter = createModbusProgramTransmitter(controller)) {
        if (transmitter->setChamberConnection(connection))
            return transmitter;
        qCCritical(lcChamberConnection) << "No valid chamber connection";
        return {};
    }
    qCInfo(lcChamberConnection).noquote()
        << QStringLiteral("Controller '%1' does not support program transmission").arg(controller);
    return {};
}

QSharedPointer<IProgramTransmitter> ChamberConnectionFactory::createTjvProgramTransmitter(
    const QHostAddress &address) const
{
    const QSharedPointer<TjvProgramTransmitter> transmitter = createShared<TjvProgramTransmitter>();
    const QSharedPointer<TjvFtpConnection> ftpConnection(
        new TjvFtpConnection(address, tcpPort(TjvFtpConnection::FtpPort)), &QObject::deleteLater);
    if (transmitter->setFtpConnection(ftpConnection))
        return transmitter;
    qCCritical(lcChamberConnection) << "No valid FTP connection";
    return {};
}

QSharedPointer<IDataLoggerReader> ChamberConnectionFactory::createTjvDataLoggerReader(const QHostAddress &address)
{
    // Made on the data-log thread, from values only: the factory may be gone
    // by the first read.
    const quint16 port = tcpPort(TjvFtpConnection::FtpPort);
    const auto createFtpConnection = [address, port] {
        return QSharedPointer<TjvFtpConnection>::create(address, port);
    };
    return QSharedPointer<TjvDataLoggerReader>(new TjvDataLoggerReader(createFtpConnection, dataLoggerThread()),
                                               &QObject::deleteLater);
}

QPointer<QThread> ChamberConnectionFactory::dataLoggerThread()
{
    if (!m_dataLoggerThread) {
        m_dataLoggerThread = new QThread(this);
        m_dataLoggerThread->setObjectName(QStringLiteral("TJV data log"));
        m_dataLoggerThread->start();
    }
    return m_dataLoggerThread;
}

QSharedPointer<IChamberOperatingModeConnection> ChamberConnectionFactory::createOperatingModeConnection(
    const ChamberData &chamber, const ChamberTypeData &chamberType,
    const QSharedPointer<IChamberConnection> &connection)
{
    if (!connection) {
        qCWarning(lcChamberConnection).noquote()
            << "No operating-mode connection for" << chamber.chamberName() << "without a chamber connection";
        return {};
    }
    if (chamberType.controller() == Qx1Controller)
        return QSharedPointer<Qx1OperatingModeConnection>(new Qx1OperatingModeConnection(connection),
                                                          &QObject::deleteLater);
    if (chamberType.controller() == Qx2Controller)
        return QSharedPointer<Qx2OperatingModeConnection>(new Qx2OperatingModeConnection(connection),
                                                          &QObject::deleteLater);
    qCInfo(lcChamberConnection).noquote()
        << QStringLiteral("Controller '%1' does not support operating mode switching").arg(chamberType.controller());
    return {};
}

QList<QSerialPortInfo> ChamberConnectionFactory::availablePorts() const
{
    return QSerialPortInfo::availablePorts();
}

bool ChamberConnectionFactory::startChamberBroadcast(int msecs)
{
    const QList<DiscoveryInterface> interfaces = DiscoveryInterface::systemInterfaces();
    std::unique_ptr<DiscoveryProtocolImpl> protocols[] = {std::make_unique<TjvDiscoveryImpl>(),
                                                          std::make_unique<XPortDiscoveryImpl>(),
                                                          std::make_unique<WutDiscoveryImpl>()};
    QList<QPointer<ChamberBroadcaster>> broadcasters;
    for (std::unique_ptr<DiscoveryProtocolImpl> &protocol : protocols) {
        auto *broadcaster = new ChamberBroadcaster(std::move(protocol), this);
        connect(broadcaster, &ChamberBroadcaster::networkChamberFound, this,
                [this](const NetworkConfiguration &networkConfiguration) {
                    Q_EMIT networkChamberFound(networkConfiguration, QPrivateSignal());
                });
        broadcasters.append(broadcaster);
        broadcaster->start(interfaces);
    }
    qCInfo(lcChamberConnection).noquote() << "Chamber broadcast started for" << msecs << "ms";

    // Each search ends its own broadcasters, so that an overlapping search
    // keeps listening for its whole duration. A coarse timer, Qt's choice
    // from 2000 ms on, may fire up to 5 % early and lose the last answers.
    QTimer::singleShot(std::max(msecs, 0), Qt::PreciseTimer, this, [this, broadcasters] {
        for (const QPointer<ChamberBroadcaster> &broadcaster : broadcasters) {
            if (broadcaster)
                broadcaster->finish();
        }
        qCInfo(lcChamberConnection) << "Chamber broadcast finished";
        Q_EMIT chamberBroadcastFinished(QPrivateSignal());
    });
    return true;
}

bool ChamberConnectionFactory::checkCommunication(const ChamberData &chamberData,
                                                  const ControllerAddress &checkAddress)
{
    if (chamberData.protocol() == ChamberData::ProtocolUndetermined) {
        qCInfo(lcChamberConnection).noquote()
            << "Communication check of" << chamberData.chamberName() << "refused: its connection kind is open";
        return false;
    }
    if (m_checkedChamber) {
        qCInfo(lcChamberConnection).noquote()
            << "Communication check of" << chamberData.chamberName() << "refused: the check of"
            << m_checkedChamber->chamberName() << "is not over";
        return false;
    }
    std::unique_ptr<ChamberConnection> connection = buildConnection(chamberData);
    if (!connection) {
        qCInfo(lcChamberConnection).noquote()
            << "Communication check of" << chamberData.chamberName() << "refused: no connection can be built";
        return false;
    }

    m_checkedChamber = chamberData;
    m_checkAddress = checkAddress;
    m_checkRunning = true;
    m_checkConnection = connection.release();
    m_checkConnection->setParent(this);
    connect(m_checkConnection, &ChamberConnection::stateChanged, this,
            &ChamberConnectionFactory::onCheckConnectionStateChanged);
    if (!m_checkConnection->connectDevice()) {
        qCInfo(lcChamberConnection).noquote()
            << "Communication check of" << chamberData.chamberName() << "refused: the connection cannot be opened";
        delete std::exchange(m_checkConnection, nullptr);
        m_checkRunning = false;
        m_checkedChamber.reset();
        m_checkAddress = ControllerAddress();
        return false;
    }
    qCInfo(lcChamberConnection).noquote() << "Communication check of" << chamberData.chamberName() << "started";
    return true;
}

void ChamberConnectionFactory::stopCheckCommunication()
{
    if (!m_checkRunning)
        return;
    qCInfo(lcChamberConnection).noquote()
        << "Communication check of" << m_checkedChamber->chamberName() << "stopped";
    finishCheck(ActivationState::STATE_UNDEFINED);
}

void ChamberConnectionFactory::onCheckConnectionStateChanged(ChamberState::State state)
{
    switch (state) {
    case ChamberState::STATE_CONNECTED: {
        if (m_checkReply)
            return;
        m_checkReply = m_checkConnection->checkCommunication(m_checkAddress);
        auto *reply = dynamic_cast<ChamberReply *>(m_checkReply.data());
        if (!reply || reply->isFinished()) {
            qCInfo(lcChamberConnection).noquote()
                << "Communication check of" << m_checkedChamber->chamberName() << "failed: no check request";
            finishCheck(ActivationState::STATE_INACTIVE);
            return;
        }
        connect(reply, &ChamberReply::finished, this, &ChamberConnectionFactory::handleCheckResponse);
        return;
    }
    case ChamberState::STATE_UNCONNECTED:
        qCInfo(lcChamberConnection).noquote()
            << "Communication check of" << m_checkedChamber->chamberName()
            << "failed: the connection could not be opened or was lost";
        finishCheck(ActivationState::STATE_INACTIVE);
        return;
    case ChamberState::STATE_CONNECTING:
    case ChamberState::STATE_CLOSING:
        return;
    }
}

void ChamberConnectionFactory::handleCheckResponse()
{
    const bool answered = !m_checkReply->hasAnyError() && m_checkReply->resultCount() > 0;
    if (!answered) {
        qCInfo(lcChamberConnection).noquote()
            << "Communication check of" << m_checkedChamber->chamberName() << "failed: error"
            << m_checkReply->errorCode(0);
    }
    finishCheck(answered ? ActivationState::STATE_ACTIVE : ActivationState::STATE_INACTIVE);
}

void ChamberConnectionFactory::finishCheck(ActivationState::State state)
{
    if (!m_checkRunning)
        return;
    m_checkRunning = false;
    qCInfo(lcChamberConnection).noquote()
        << "Communication check of" << m_checkedChamber->chamberName() << "finished:" << state;
    Q_EMIT communicationCheckFinished(*m_checkedChamber, state, QPrivateSignal());
}

void ChamberConnectionFactory::cleanUpCheck()
{
    if (auto *reply = dynamic_cast<ChamberReply *>(m_checkReply.data()))
        disconnect(reply, nullptr, this, nullptr);
    m_checkReply.reset();
    m_checkAddress = ControllerAddress();

    if (ChamberConnection *connection = std::exchange(m_checkConnection, nullptr)) {
        disconnect(connection, nullptr, this, nullptr);
        connection->disconnectDevice();
        // It may be emitting the state change that ended the check.
        connection->deleteLater();
    }

    // Receivers of communicationCheckFinished hold a reference to the record
    // until they return.
    QTimer::singleShot(0, this, [this] { m_checkedChamber.reset(); });
}

} // namespace quelta::base::connection::chamberconnection
