#include "connection/chamber/modbus/modbuschamberconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/core/serialconverter.h"
#include "connection/chamber/core/serialportsettings.h"
#include "connection/chamber/modbus/modbusjobresult.h"
#include "connection/chamber/modbus/modbusrtuovertcpmasterwrapper.h"
#include "connection/chamber/modbus/modbusrtuserialmasterwrapper.h"
#include "connection/chamber/modbus/modbustcpmasterwrapper.h"
#include "connection/chamber/modbus/modbustransactionplan.h"
#include "domain/types/chamberdata.h"

#include <QtSerialBus/QModbusDataUnit>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberData;
using domain::types::ChamberError;
using domain::types::ChamberState;
using domain::types::ControllerAddress;

namespace {

// A Modbus server reached directly, or a serial line behind a converter.
std::optional<quint16> converterPort(int converter)
{
    if (converter == ChamberData::NoConverter)
        return ModbusClientSettings::ModbusTcpPort;
    return SerialConverter::tcpDataPort(converter);
}

} // namespace

std::optional<ModbusClientSettings> ModbusChamberConnection::clientSettings(const ChamberData &chamber,
                                                                            QString *errorString)
{
    QString error;
    std::optional<ModbusClientSettings> settings;
    const QString hostName = chamber.ipAddress().isNull() ? QString() : chamber.ipAddress().toString();

    switch (chamber.protocol()) {
    case ModbusRtuProtocol:
        if (!chamber.comPort().isEmpty()) {
            const SerialPortSettings defaults{ModbusClientSettings::DefaultBaudRate,
                                              ModbusClientSettings::DefaultDataBits,
                                              ModbusClientSettings::DefaultParity,
                                              ModbusClientSettings::DefaultStopBits};
            if (const auto line = SerialPortSettings::fromChamber(chamber, defaults, &error)) {
                settings = ModbusClientSettings::rtuSerial(chamber.comPort());
                settings->setBaudRate(line->baudRate);
                settings->setDataBits(line->dataBits);
                settings->setParity(line->parity);
                settings->setStopBits(line->stopBits);
            }
        } else if (hostName.isEmpty()) {
            error = QStringLiteral("neither a COM port nor an IP address");
        } else if (const std::optional<quint16> port = converterPort(chamber.converter())) {
            settings = ModbusClientSettings::rtuOverTcp(hostName, *port);
        } else {
            error = QStringLiteral("unknown converter %1").arg(chamber.converter());
        }
        break;
    case ModbusRtuOverTcpProtocol:
    case ModbusTcpProtocol:
        if (hostName.isEmpty())
            error = QStringLiteral("no IP address");
        else if (chamber.protocol() == ModbusTcpProtocol)
            settings = ModbusClientSettings::tcp(hostName);
        else
            settings = ModbusClientSettings::rtuOverTcp(hostName);
        break;
    default:
        error = QStringLiteral("connection kind %1 is no Modbus connection").arg(chamber.protocol());
        break;
    }
    if (errorString)
        *errorString = error;
    return settings;
}

ModbusChamberConnection::ModbusChamberConnection(const ChamberData &chamber, QObject *parent)
    : ChamberConnection(parent)
    , m_serverAddress(chamber.modbusAddress())
{
    if (const std::optional<ModbusClientSettings> settings = clientSettings(chamber, &m_configurationError))
        createWrapper(*settings);
}

ModbusChamberConnection::ModbusChamberConnection(const ModbusClientSettings &settings, int serverAddress,
                                                 QObject *parent)
    : ChamberConnection(parent)
    , m_serverAddress(serverAddress)
{
    createWrapper(settings);
}

ModbusChamberConnection::~ModbusChamberConnection()
{
    abortPendingRequests(ChamberError::ReplyAbortedError);
}

void ModbusChamberConnection::setWordOrder(ValueCodec::WordOrder wordOrder)
{
    m_codec = ValueCodec(wordOrder);
}

void ModbusChamberConnection::createWrapper(const ModbusClientSettings &settings)
{
    switch (settings.transport()) {
    case ModbusClientSettings::Transport::Tcp:
        m_wrapper = new ModbusTcpMasterWrapper(settings, this);
        break;
    case ModbusClientSettings::Transport::RtuOverTcp:
        m_wrapper = new ModbusRtuOverTcpMasterWrapper(settings, this);
        break;
    case ModbusClientSettings::Transport::RtuSerial:
        m_wrapper = new ModbusRtuSerialMasterWrapper(settings, this);
        break;
    }
    connect(m_wrapper, &ModbusMasterWapper::stateChanged, this, &ModbusChamberConnection::onWrapperStateChanged);
    connect(m_wrapper, &ModbusMasterWapper::errorOccurred, this, &ModbusChamberConnection::onWrapperErrorOccurred);
    connect(m_wrapper, &ModbusMasterWapper::jobFinished, this, &ModbusChamberConnection::onJobFinished);
}

bool ModbusChamberConnection::connectDevice()
{
    if (!m_wrapper) {
        qCWarning(lcChamberConnection).noquote() << "(Modbus) Cannot connect:" << m_configurationError;
        return false;
    }
    if (state() != ChamberState::STATE_UNCONNECTED) {
        qCWarning(lcChamberConnection).noquote()
            << "(Modbus) Connect ignored, the connection to" << m_wrapper->settings().key() << "is not closed";
        return false;
    }
    m_wrapper->connectDevice();
    return true;
}

void ModbusChamberConnection::disconnectDevice()
{
    if (state() == ChamberState::STATE_UNCONNECTED || state() == ChamberState::STATE_CLOSING)
        return;
    setState(ChamberState::STATE_CLOSING);
    abortPendingRequests(ChamberError::ReplyAbortedError);
    // Reports the unconnected state back at once.
    m_wrapper->disconnectDevice();
}

void ModbusChamberConnection::reset()
{
    abortPendingRequests(ChamberError::ReplyAbortedError);
    if (m_wrapper)
        m_wrapper->cancelJobs();
}

QSharedPointer<domain::api::IChamberReply> ModbusChamberConnection::checkCommunication(
    const ControllerAddress &checkAddress)
{
    return readValue(checkAddress);
}

QSharedPointer<domain::api::IChamberReply> ModbusChamberConnection::readValue(const ControllerAddress &address)
{
    return send(ModbusJob::Kind::Read, {address}, {});
}

QSharedPointer<domain::api::IChamberReply> ModbusChamberConnection::readValues(
    const QList<ControllerAddress> &addresses)
{
    return send(ModbusJob::Kind::Read, addresses, {});
}

QSharedPointer<domain::api::IChamberReply> ModbusChamberConnection::writeValue(const ControllerAddress &address,
                                                                               const QVariant &value)
{
    return send(ModbusJob::Kind::Write, {address}, {value});
}

QSharedPointer<domain::api::IChamberReply> ModbusChamberConnection::writeValues(
    const QList<QPair<ControllerAddress, QVariant>> &values)
{
    QList<ControllerAddress> addresses;
    QVector<QVariant> data;
    addresses.reserve(values.size());
    data.reserve(values.size());
    for (const auto &pair : values) {
        addresses.append(pair.first);
        data.append(pair.second);
    }
    return send(ModbusJob::Kind::Write, addresses, data);
}

QSharedPointer<domain::api::IChamberReply> ModbusChamberConnection::send(ModbusJob::Kind kind,
                                                                         const QList<ControllerAddress> &addresses,
                                                                         const QVector<QVariant> &values)
{
    const bool write = kind == ModbusJob::Kind::Write;
    const char *const what = write ? "write" : "read";
    if (addresses.isEmpty()) {
        qCWarning(lcChamberConnection) << "(Modbus) Refusing to" << what << "an empty list of registers";
        return {};
    }

    QVector<ModbusTransactionPlan::Span> items;
    QVector<quint16> registers;
    items.reserve(addresses.size());
    for (int i = 0; i < addresses.size(); ++i) {
        const ControllerAddress &address = addresses.at(i);
        const std::optional<quint16> start = ValueCodec::registerAddress(address);
        const int count = ValueCodec::registerCount(address);
        if (!start || count == 0) {
            qCWarning(lcChamberConnection).noquote().nospace()
                << "(Modbus) Refusing to " << what << " item " << i << ", which has no register form: " << address;
            return {};
        }
        items.append({*start, count});
        if (write) {
            QString why;
            const std::optional<QVector<quint16>> encoded = m_codec.encode(address, values.at(i), &why);
            if (!encoded) {
                qCWarning(lcChamberConnection).noquote().nospace()
                    << "(Modbus) Refusing to write item " << i << " to " << address << ": " << why;
                return {};
            }
            registers += *encoded;
        }
    }

    const QSharedPointer<ChamberReply> reply = ChamberReply::create(addresses.size());
    if (state() != ChamberState::STATE_CONNECTED) {
        qCWarning(lcChamberConnection) << "(Modbus) Cannot" << what << addresses.size()
                                       << "items, the connection is not connected";
        reply->finishWithError(ChamberError::ConnectionError);
        return reply;
    }

    const ModbusTransactionPlan plan(items, write ? ModbusTransactionPlan::MaxWriteRegisters
                                                  : ModbusTransactionPlan::MaxReadRegisters);
    QVector<QModbusDataUnit> transactions;
    int offset = 0;
    const QVector<ModbusTransactionPlan::Span> spans = plan.transactions();
    for (const ModbusTransactionPlan::Span &span : spans) {
        if (write)
            transactions.append(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, span.start,
                                                registers.mid(offset, span.count)));
        else
            transactions.append(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, span.start, quint16(span.count)));
        offset += span.count;
    }

    const quint64 jobId = m_wrapper->sendJob(ModbusJob(kind, m_serverAddress, transactions));
    if (jobId == 0) {
        // The client's worker has been stopped as the application ends.
        reply->finishWithError(ChamberError::ConnectionError);
        return reply;
    }
    m_pending.insert(jobId, PendingRequest{reply, kind, addresses, values, m_codec});
    return reply;
}

void ModbusChamberConnection::abortPendingRequests(ChamberError::Error error)
{
    const QHash<quint64, PendingRequest> pending = std::exchange(m_pending, {});
    for (const PendingRequest &request : pending)
        request.reply->finishWithError(error);
}

void ModbusChamberConnection::onWrapperStateChanged(QModbusDevice::State state)
{
    // ChamberState numbers its states as QModbusDevice does.
    setState(ChamberState::State(state));
}

void ModbusChamberConnection::onWrapperErrorOccurred(QModbusDevice::Error error, const QString &errorString)
{
    // ChamberError numbers its codes as QModbusDevice does.
    Q_EMIT errorOccured(ChamberError(ChamberError::Error(error), errorString));
}

void ModbusChamberConnection::onJobFinished(quint64 jobId, const ModbusJobResult &result)
{
    const PendingRequest request = m_pending.take(jobId);
    if (!request.reply || request.reply->isFinished())
        return;

    const QVector<quint16> registers = result.registers();
    const auto failure = result.error() == QModbusDevice::NoError ? ChamberError::UnknownError
                                                                  : ChamberError::Error(result.error());
    int offset = 0;
    for (int i = 0; i < request.addresses.size(); ++i) {
        const ControllerAddress &address = request.addresses.at(i);
        const int count = ValueCodec::registerCount(address);
        if (offset + count > registers.size()) {
            request.reply->setError(i, failure);
        } else if (request.kind == ModbusJob::Kind::Write) {
            request.reply->setResult(i, request.values.at(i));
        } else {
            const QVariant value = request.codec.decode(address, registers.mid(offset, count));
            if (value.isValid())
                request.reply->setResult(i, value);
            else
                request.reply->setError(i, ChamberError::ProtocolError);
        }
        offset += count;
    }
    request.reply->finish();
}

} // namespace quelta::base::connection::chamberconnection
