#include "transfer/modbusprogramtransmitter.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"

#include <QtCore/QDateTime>

namespace quelta::base::connection::chamberconnection {

using domain::api::IChamberConnection;
using domain::api::IChamberReply;
using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ProgramSection;
using domain::types::ProgramStartOptions;
using domain::types::ProgramTransmittableSection;
using domain::types::SetpointValue;

namespace {

// A value read back, held within the signal's limits where it has them.
float withinLimits(float value, const ChamberSignal &signal)
{
    if (signal.limitMax() != ChamberSignal::NoUpperLimit && value > signal.limitMax())
        value = signal.limitMax();
    if (signal.limitMin() != ChamberSignal::NoLowerLimit && value < signal.limitMin())
        value = signal.limitMin();
    return value;
}

} // namespace

ModbusProgramTransmitter::ModbusProgramTransmitter(QObject *parent)
    : AbstractProgramTransmitter(parent)
    , m_replyWaiter(new ReplyWaiter(this))
{
}

ModbusProgramTransmitter::~ModbusProgramTransmitter() = default;

bool ModbusProgramTransmitter::setChamberConnection(const QSharedPointer<IChamberConnection> &connection)
{
    m_chamberConnection = connection.dynamicCast<ModbusChamberConnection>();
    return !m_chamberConnection.isNull();
}

bool ModbusProgramTransmitter::readProgramName(int programIndex)
{
    Q_EMIT readProgramNameFinished(programIndex, defaultProgramName(programIndex));
    return true;
}

bool ModbusProgramTransmitter::startProgram(int programIndex, const ProgramStartOptions &options)
{
    if (refuseWhileBusy() || refuseIndex(programIndex, "Start Program index out of bounds "))
        return false;
    beginCommand(START, std::make_unique<TransmissionData>(programIndex - 1, options),
                 &ModbusProgramTransmitter::prepareStartProgram);
    return true;
}

bool ModbusProgramTransmitter::stopProgram()
{
    if (refuseWhileBusy())
        return false;
    beginCommand(STOP, std::make_unique<TransmissionData>(), &ModbusProgramTransmitter::prepareStopProgram);
    return true;
}

QSharedPointer<IChamberReply> ModbusProgramTransmitter::readValue(const ControllerAddress &address)
{
    return hasConnection() ? m_chamberConnection->readValue(address) : nullptr;
}

QSharedPointer<IChamberReply> ModbusProgramTransmitter::readValues(const QList<ControllerAddress> &addresses)
{
    return hasConnection() ? m_chamberConnection->readValues(addresses) : nullptr;
}

QSharedPointer<IChamberReply> ModbusProgramTransmitter::writeValues(
    const QList<QPair<ControllerAddress, QVariant>> &values)
{
    return hasConnection() ? m_chamberConnection->writeValues(values) : nullptr;
}

bool ModbusProgramTransmitter::hasConnection() const
{
    // The factory hands out no transmitter without a connection; a command
    // without one fails as a request that cannot be made.
    if (!m_chamberConnection)
        qCWarning(lcChamberConnection) << "(Modbus) No chamber connection";
    return !m_chamberConnection.isNull();
}

bool ModbusProgramTransmitter::handshakeAfter(const QSharedPointer<IChamberReply> &reply)
{
    return awaitOrEnd(reply, [this](const ChamberReply &finished) { checkStepReply(finished); });
}

bool ModbusProgramTransmitter::startResponseAfter(const QSharedPointer<IChamberReply> &reply)
{
    return awaitOrEnd(reply, [this](const ChamberReply &finished) { handleProgramStartResponse(finished); });
}

bool ModbusProgramTransmitter::stopResponseAfter(const QSharedPointer<IChamberReply> &reply)
{
    return awaitOrEnd(reply, [this](const ChamberReply &finished) { handleProgramStopResponse(finished, false); });
}

bool ModbusProgramTransmitter::stopResponseAfter(const ChamberReply &stopReply,
                                                 const QList<QPair<ControllerAddress, QVariant>> &lastWrites)
{
    const bool stopFailed = !ReplyWaiter::succeeded(stopReply);
    if (stopFailed)
        qCWarning(lcChamberConnection) << "(Modbus) The stop request failed";
    return awaitOrEnd(writeValues(lastWrites), [this, stopFailed](const ChamberReply &finished) {
        handleProgramStopResponse(finished, stopFailed);
    });
}

bool ModbusProgramTransmitter::appendSectionRead(const ChamberReply &reply, ReadBack values)
{
    TransmissionData &data = transmissionData();
    QVector<float> analog = reply.result(0).value<QVector<float>>();
    const uint digital = reply.result(1).toUInt();
    QList<SetpointValue> setpoints;
    for (const ChamberSignal &signal : qAsConst(data.chamberSignals)) {
        if (signal.isDigital() && signal.bitPosition() >= 0) {
            setpoints.append(SetpointValue(signal, QVariant(digital)));
            continue;
        }
        const ChamberSignal::AddressPointer address = signal.writeManualAddress();
        const int column = address ? address->number() - 1 : -1;
        // Columns beyond the controller's floats have no value.
        if (column < 0 || column >= analog.size())
            continue;
        if (values == ReadBack::WithinLimits)
            analog[column] = withinLimits(analog.at(column), signal);
        setpoints.append(SetpointValue(signal, QVariant(analog.at(column))));
    }
    data.sections.append(ProgramTransmittableSection(
        ProgramSection(0, setpoints, reply.result(2).toUInt(), ProgramSection::INVALID, false, QString()), 0, 0));
    if (++data.sectionIndex < data.sectionCount)
        return true;
    finishRead(defaultProgramName(data.programIndex + 1));
    return false;
}

void ModbusProgramTransmitter::endWithDeviceError(quint32 deviceErrorCode)
{
    qCCritical(lcChamberConnection) << "Device sent error" << deviceErrorCode;
    resetThenReportError();
}

void ModbusProgramTransmitter::prepareReadProgramNames()
{
    if (transmissionData().programIndex < programSlotCount()) {
        prepareReadProgram();
        return;
    }
    resetCommand();
    Q_EMIT readProgramNamesFinished(programNames());
}

bool ModbusProgramTransmitter::finishWriteAfterLastSection()
{
    const TransmissionData &data = transmissionData();
    if (data.sectionIndex < data.sections.size())
        return false;
    Q_EMIT writeProgramFinished();
    resetCommand();
    return true;
}

bool ModbusProgramTransmitter::refuseSectionCount(int sectionCount, const char *sections)
{
    if (sectionCount <= maxStepCount())
        return false;
    qCWarning(lcChamberConnection).noquote()
        << QStringLiteral("(Modbus) The controller reports %1 %2, more than the %3 a program holds")
               .arg(sectionCount)
               .arg(QLatin1String(sections))
               .arg(maxStepCount());
    resetThenReportError();
    return true;
}

bool ModbusProgramTransmitter::refuseUnplaceableBits(int bitCount)
{
    const std::optional<int> unplaceable = transmissionData().signalBeyondBits(bitCount);
    if (!unplaceable)
        return false;
    qCWarning(lcChamberConnection) << "(Modbus) Digital signal" << *unplaceable << "has no place in the" << bitCount
                                   << "digital bits of a section; program not written";
    resetThenReportError();
    return true;
}

quint32 ModbusProgramTransmitter::startDelayInSeconds()
{
    ProgramStartOptions &options = transmissionData().startOptions;
    qint64 delay = options.startDelay();
    if (!options.startTime().isNull())
        delay = QDateTime::currentDateTime().secsTo(options.startTime());
    if (delay < 0) {
        qCWarning(lcChamberConnection) << "(Modbus) Start lies" << -delay << "s in the past; starting now";
        delay = 0;
    }
    options.setStartDelay(qint32(delay));
    return quint32(delay);
}

bool ModbusProgramTransmitter::awaitOrEnd(const QSharedPointer<IChamberReply> &reply, ReplyWaiter::Handler handler)
{
    if (awaitStep(reply, std::move(handler)))
        return true;
    resetThenReportError();
    return false;
}

bool ModbusProgramTransmitter::awaitStep(const QSharedPointer<IChamberReply> &reply, ReplyWaiter::Handler handler)
{
    return m_replyWaiter->wait(reply, [this, handler = std::move(handler)](const ChamberReply &finished) {
        if (hasTransmissionData())
            handler(finished);
    });
}

void ModbusProgramTransmitter::checkStepReply(const ChamberReply &reply)
{
    if (reply.hasAnyError())
        reportErrorThenReset(tr("Unable to connect"));
    else
        readControlWord();
}

void ModbusProgramTransmitter::readControlWord()
{
    const auto check = [this](const ChamberReply &reply) { checkForReadReady(reply); };
    if (!awaitStep(readValue(controlWordRegister()), check))
        reportErrorThenReset();
}

void ModbusProgramTransmitter::checkForReadReady(const ChamberReply &reply)
{
    if (!ReplyWaiter::succeeded(reply)) {
        reportErrorThenReset();
        return;
    }
    if (isReadReady(reply.result(0).toUInt()))
        queueStep(&ModbusProgramTransmitter::readErrorCode);
    else
        queueStep(&ModbusProgramTransmitter::readControlWord);
}

void ModbusProgramTransmitter::readErrorCode()
{
    const auto handle = [this](const ChamberReply &reply) { handleErrorCodeResponse(reply); };
    if (!awaitStep(readValue(errorCodeRegister()), handle))
        reportErrorThenReset();
}

void ModbusProgramTransmitter::handleErrorCodeResponse(const ChamberReply &reply)
{
    if (ReplyWaiter::succeeded(reply))
        continueCommand(reply.result(0).toUInt());
    else
        reportErrorThenReset();
}

void ModbusProgramTransmitter::handleProgramStartResponse(const ChamberReply &reply)
{
    if (ReplyWaiter::succeeded(reply))
        Q_EMIT startProgramFinished();
    else
        Q_EMIT error();
    resetCommand();
}

void ModbusProgramTransmitter::handleProgramStopResponse(const ChamberReply &reply, bool stopFailed)
{
    if (ReplyWaiter::succeeded(reply) && !stopFailed)
        Q_EMIT stopProgramFinished();
    else
        Q_EMIT error();
    resetCommand();
}

} // namespace quelta::base::connection::chamberconnection
