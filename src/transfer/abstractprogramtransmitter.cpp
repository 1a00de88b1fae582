#include "transfer/abstractprogramtransmitter.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtCore/QMetaEnum>

#include <algorithm>
#include <limits>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ProgramSection;
using domain::types::ProgramStartOptions;
using domain::types::ProgramTransmittableSection;
using domain::types::SetpointValue;

namespace {

// Signal id to column and to bit position, as a controller lays a section out.
void mapPositions(AbstractProgramTransmitter::TransmissionData &data)
{
    for (const ChamberSignal &signal : qAsConst(data.chamberSignals)) {
        if (signal.isDigital()) {
            if (signal.bitPosition() >= 0)
                data.digitalPositions.insert(signal.id(), signal.bitPosition());
        } else if (const auto address = signal.writeManualAddress(); address && address->number() >= 1) {
            data.analogPositions.insert(signal.id(), address->number() - 1);
        }
    }

    QList<int> columns = data.analogPositions.values();
    std::sort(columns.begin(), columns.end());
    data.analogRunLength = columns.isEmpty() ? 0 : 1;
    while (data.analogRunLength < columns.size()
           && columns.at(data.analogRunLength) == columns.at(data.analogRunLength - 1) + 1) {
        ++data.analogRunLength;
    }
}

} // namespace

AbstractProgramTransmitter::TransmissionData::TransmissionData(int programIndex)
    : programIndex(programIndex)
{
}

AbstractProgramTransmitter::TransmissionData::TransmissionData(int programIndex,
                                                               const ProgramStartOptions &startOptions)
    : programIndex(programIndex)
    , startOptions(startOptions)
{
}

AbstractProgramTransmitter::TransmissionData::TransmissionData(int programIndex,
                                                               const QList<ChamberSignal> &chamberSignals)
    : programIndex(programIndex)
    , chamberSignals(chamberSignals)
{
    mapPositions(*this);
}

AbstractProgramTransmitter::TransmissionData::TransmissionData(const QString &programName, int programIndex,
                                                               const QList<ProgramTransmittableSection> &sections,
                                                               const QList<ChamberSignal> &chamberSignals)
    : programName(programName)
    , programIndex(programIndex)
    , sections(sections)
    , chamberSignals(chamberSignals)
{
    mapPositions(*this);
    const auto column = [this](const SetpointValue &setpoint) {
        return analogPositions.value(setpoint.signalId(), std::numeric_limits<int>::max());
    };
    for (ProgramTransmittableSection &transmittable : this->sections) {
        ProgramSection section = transmittable.section();
        QList<SetpointValue> setpoints = section.setpoints();
        std::stable_sort(setpoints.begin(), setpoints.end(),
                         [&column](const SetpointValue &lhs, const SetpointValue &rhs) {
                             return column(lhs) < column(rhs);
                         });
        section.setSetpoints(setpoints);
        transmittable.setSection(section);
    }
}

std::optional<int> AbstractProgramTransmitter::TransmissionData::signalBeyondBits(int bitCount) const
{
    for (const ProgramTransmittableSection &section : sections) {
        const QList<SetpointValue> setpoints = section.section().setpoints();
        for (const SetpointValue &setpoint : setpoints) {
            if (digitalPositions.value(setpoint.signalId(), -1) >= bitCount)
                return setpoint.signalId();
        }
    }
    return std::nullopt;
}

uint AbstractProgramTransmitter::TransmissionData::digitalWord(const ProgramSection &section) const
{
    uint word = 0;
    const QList<SetpointValue> setpoints = section.setpoints();
    for (const SetpointValue &setpoint : setpoints) {
        if (!digitalPositions.contains(setpoint.signalId()))
            continue;
        const uint bit = 1U << digitalPositions.value(setpoint.signalId());
        word = setpoint.rawValue().toBool() ? word | bit : word & ~bit;
    }
    return word;
}

QVector<float> AbstractProgramTransmitter::TransmissionData::analogColumns(const ProgramSection &section,
                                                                           int columnCount) const
{
    QVector<float> columns(columnCount, 0.0f);
    const QList<SetpointValue> setpoints = section.setpoints();
    for (const SetpointValue &setpoint : setpoints) {
        const int column = analogPositions.value(setpoint.signalId(), columnCount);
        if (!digitalPositions.contains(setpoint.signalId()) && column < columnCount)
            columns[column] = setpoint.rawValue().toFloat();
    }
    return columns;
}

AbstractProgramTransmitter::AbstractProgramTransmitter(QObject *parent)
    : QObject(parent)
{
}

AbstractProgramTransmitter::~AbstractProgramTransmitter() = default;

bool AbstractProgramTransmitter::readProgramNames()
{
    if (refuseWhileBusy())
        return false;
    m_programNames.clear();
    beginCommand(READ_NAMES, std::make_unique<TransmissionData>(),
                 &AbstractProgramTransmitter::prepareReadProgramNames);
    return true;
}

bool AbstractProgramTransmitter::readProgram(int programIndex, const QList<ChamberSignal> &chamberSignals)
{
    if (refuseWhileBusy() || refuseIndex(programIndex, "Read Program index out of bounds "))
        return false;
    beginCommand(READ, std::make_unique<TransmissionData>(programIndex - 1, chamberSignals),
                 &AbstractProgramTransmitter::prepareReadProgram);
    return true;
}

bool AbstractProgramTransmitter::writeProgram(int programIndex, const QString &programName,
                                              const QList<ProgramTransmittableSection> &sections,
                                              const QList<ChamberSignal> &chamberSignals)
{
    if (refuseWhileBusy() || refuseIndex(programIndex, "Write Program index out of bounds "))
        return false;
    if (sections.size() > maxStepCount()) {
        qCWarning(lcChamberConnection) << "Maximum number of steps exceeded";
        Q_EMIT error(tr("Maximum number of steps exceeded: only %1 steps are supported").arg(maxStepCount()));
        return false;
    }
    beginCommand(WRITE,
                 std::make_unique<TransmissionData>(programName, programIndex - 1, sections, chamberSignals),
                 &AbstractProgramTransmitter::prepareWriteProgram);
    return true;
}

bool AbstractProgramTransmitter::deleteProgram(int programIndex)
{
    if (refuseWhileBusy() || refuseIndex(programIndex, " Delete Program index out of bounds "))
        return false;
    beginCommand(DELETE, std::make_unique<TransmissionData>(programIndex - 1),
                 &AbstractProgramTransmitter::prepareDeleteProgram);
    return true;
}

QString AbstractProgramTransmitter::commandText(Command command)
{
    switch (command) {
    case INVALID:
        break;
    case READ_NAMES:
        return tr("Read program list from chamber");
    case READ_NAME:
        return tr("Resolve program name on chamber");
    case READ:
        return tr("Read program from chamber");
    case WRITE:
        return tr("Write program on chamber");
    case DELETE:
        return tr("Delete program from chamber");
    case START:
        return tr("Start program on chamber");
    case STOP:
        return tr("Stop program on chamber");
    }
    return QString();
}

QString AbstractProgramTransmitter::defaultProgramName(int number)
{
    return tr("Program %1").arg(number);
}

void AbstractProgramTransmitter::resetCommand()
{
    m_currentCommand = INVALID;
    m_transmissionData.reset();
}

bool AbstractProgramTransmitter::refuseWhileBusy()
{
    if (m_currentCommand == INVALID)
        return false;
    qCWarning(lcChamberConnection).noquote()
        << "Already executing command" << QMetaEnum::fromType<Command>().valueToKey(m_currentCommand);
    reportDeviceBusy();
    return true;
}

bool AbstractProgramTransmitter::refuseIndex(int programIndex, const char *logPrefix)
{
    if (programIndex >= 1 && programIndex <= programSlotCount())
        return false;
    qCWarning(lcChamberConnection).noquote().nospace() << logPrefix << programIndex;
    reportIndexOutOfBounds(programIndex);
    return true;
}

bool AbstractProgramTransmitter::hasTransmissionData()
{
    if (m_transmissionData)
        return true;
    qCCritical(lcChamberConnection) << "No current transmission data";
    resetThenReportError();
    return false;
}

AbstractProgramTransmitter::TransmissionData &AbstractProgramTransmitter::transmissionData() const
{
    Q_ASSERT(m_transmissionData);
    return *m_transmissionData;
}

void AbstractProgramTransmitter::listSlotName(const QString &name)
{
    TransmissionData &data = transmissionData();
    m_programNames.insert(data.programIndex + 1, name);
    ++data.programIndex;
    queueStep(&AbstractProgramTransmitter::prepareReadProgramNames);
}

void AbstractProgramTransmitter::finishRead(const QString &programName)
{
    Q_EMIT readProgramFinished(programName, transmissionData().sections);
    resetCommand();
}

void AbstractProgramTransmitter::reportIndexOutOfBounds(int programIndex)
{
    Q_EMIT error(tr("Program index out of bounds: %1 not in [1, %2]").arg(programIndex).arg(programSlotCount()));
}

void AbstractProgramTransmitter::reportDeviceBusy()
{
    Q_EMIT error(tr("Device busy: '%1'").arg(commandText(m_currentCommand)));
}

void AbstractProgramTransmitter::resetThenReportError(const QString &errorMessage)
{
    resetCommand();
    Q_EMIT error(errorMessage);
}

void AbstractProgramTransmitter::reportErrorThenReset(const QString &errorMessage)
{
    Q_EMIT error(errorMessage);
    resetCommand();
}

} // namespace quelta::base::connection::chamberconnection
