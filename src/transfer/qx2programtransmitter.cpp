#include "transfer/qx2programtransmitter.h"

#include "transfer/holdingregister.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/core/valuecodec.h"

#include <QtCore/QVector>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ProgramSection;
using domain::types::ProgramTransmittableSection;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;
using domain::types::UnitValue;

namespace {

constexpr quint32 BusyBit = 0x800000;
constexpr int NameLength = 72;
// Written as the section count of a request that loads or deletes a program.
constexpr int AnySectionCount = 100;
// A section's float block: the setpoints of six columns, then their lower,
// then their upper tolerances.
constexpr int AnalogColumns = 6;
constexpr int LowerTolerances = AnalogColumns;
constexpr int UpperTolerances = 2 * AnalogColumns;
constexpr int SectionFloats = 3 * AnalogColumns;
constexpr int DigitalBits = 16;
constexpr int SectionStride = 48;
// Bit 1 of the operating state: the basic state, which a stop writes.
constexpr int BasicState = 0x2;
// Read as a program: the name, then five registers per section.
constexpr int RegistersPerSection = 5;

struct Registers
{
    const ControllerAddress controlWord = holdingRegister("0x3000", QMetaType::UInt);
    const ControllerAddress errorCode = holdingRegister("0x3002", QMetaType::UShort);
    const ControllerAddress sectionCount = holdingRegister("0x3003", QMetaType::UShort);
    const ControllerAddress programNumber = holdingRegister("0x3004", QMetaType::UShort);
    const ControllerAddress name = holdingRegister("0x4300", QMetaType::QString, NameLength);
    const ControllerAddress transitionType = holdingRegister("0x3042", QMetaType::UInt);
    const ControllerAddress duration = holdingRegister("0x3038", QMetaType::UInt);
    const ControllerAddress digital = holdingRegister("0x303C", QMetaType::UShort);
    const ControllerAddress furtherNumbers = holdingRegister("0x303D", QMetaType::UChar, 2);
    const ControllerAddress floats = holdingRegister("0x3014", QMetaType::Float, SectionFloats);
    const ControllerAddress startTime = holdingRegister("0x1140", QMetaType::UShort, 6);
    const ControllerAddress startCleared = holdingRegister("0x1146", QMetaType::UShort);
    const ControllerAddress startProgram = holdingRegister("0x1147", QMetaType::Short);
    const ControllerAddress startSection = holdingRegister("0x1148", QMetaType::Short);
    const ControllerAddress start = holdingRegister("0x1149", QMetaType::UShort);
    const ControllerAddress stop = holdingRegister("0x114A", QMetaType::UShort);
    const ControllerAddress operatingState = holdingRegister("0x1158", QMetaType::UShort);
};

const Registers &registers()
{
    static const Registers table;
    return table;
}

// The register of section s: that of section 0 moved by 48 registers per
// section, its address in lower-case hexadecimal digits.
ControllerAddress ofSection(const ControllerAddress &sectionZero, int section)
{
    ControllerAddress address = sectionZero;
    const int first = ValueCodec::registerAddress(sectionZero).value_or(0) + SectionStride * section;
    address.setAddress(QString::number(first, 16));
    return address;
}

quint32 commandCode(AbstractProgramTransmitter::Command command)
{
    switch (command) {
    case AbstractProgramTransmitter::READ_NAMES:
    case AbstractProgramTransmitter::READ_NAME:
    case AbstractProgramTransmitter::READ:
        return 0x8B0000;
    case AbstractProgramTransmitter::WRITE:
        return 0x8C0000;
    case AbstractProgramTransmitter::DELETE:
        return 0x860000;
    case AbstractProgramTransmitter::INVALID:
    case AbstractProgramTransmitter::START:
    case AbstractProgramTransmitter::STOP:
        break;
    }
    return 0;
}

// The controller's order of the two 16-bit halves, against the connection's.
quint32 exchangedHalves(quint32 value)
{
    return value << 16 | value >> 16;
}

// The float block of a section: each analog setpoint with its tolerances at
// its signal's column, where a read finds it again.
QVector<float> sectionFloats(const AbstractProgramTransmitter::TransmissionData &data, const ProgramSection &section)
{
    QVector<float> floats(SectionFloats, 0.0f);
    const QList<SetpointValue> setpoints = section.setpoints();
    for (const SetpointValue &setpoint : setpoints) {
        const int column = data.analogPositions.value(setpoint.signalId(), AnalogColumns);
        if (data.digitalPositions.contains(setpoint.signalId()) || column >= AnalogColumns)
            continue;
        const ToleranceRange range = setpoint.toleranceRange();
        floats[column] = setpoint.rawValue().toFloat();
        // The controller keeps the lower tolerance as a negative offset
        // and reads it back negated. 0 - x keeps a 0 from turning -0.
        floats[LowerTolerances + column] = 0.0f - range.lower().value().toFloat();
        floats[UpperTolerances + column] = range.upper().value().toFloat();
    }
    return floats;
}

// The setpoints of a section read back, in the order of the signals.
QList<SetpointValue> sectionSetpoints(const QList<ChamberSignal> &chamberSignals, const QVector<float> &floats,
                                      int digital)
{
    QList<SetpointValue> setpoints;
    for (const ChamberSignal &signal : chamberSignals) {
        const ChamberSignal::AddressPointer address = signal.writeManualAddress();
        if (!address)
            continue;
        if (signal.isDigital()) {
            setpoints.append(SetpointValue(signal, QVariant(digital)));
            continue;
        }
        // Columns beyond the six of the float block have no value here.
        const int column = address->number() - 1;
        if (column < 0 || column >= AnalogColumns)
            continue;
        const ToleranceRange range(ToleranceRange::Relative,
                                   UnitValue(signal.unit(), QVariant(-floats.value(LowerTolerances + column))),
                                   UnitValue(signal.unit(), QVariant(floats.value(UpperTolerances + column))));
        setpoints.append(SetpointValue(signal, QVariant(floats.value(column)), range));
    }
    return setpoints;
}

} // namespace

QX2ProgramTransmitter::QX2ProgramTransmitter(QObject *parent)
    : ModbusProgramTransmitter(parent)
    , m_clock(&QDateTime::currentDateTime)
{
}

QX2ProgramTransmitter::~QX2ProgramTransmitter() = default;

bool QX2ProgramTransmitter::readProgramName(int programIndex)
{
    if (refuseWhileBusy() || refuseIndex(programIndex, "Read Program index out of bounds "))
        return false;
    beginCommand(READ_NAME, std::make_unique<TransmissionData>(programIndex - 1),
                 &QX2ProgramTransmitter::prepareReadProgram);
    return true;
}

void QX2ProgramTransmitter::resetLastKnownControllerState()
{
    m_lastKnownControllerState = INVALID;
}

void QX2ProgramTransmitter::setClock(Clock clock)
{
    m_clock = std::move(clock);
}

void QX2ProgramTransmitter::setLastKnownControllerStateResponse()
{
    m_lastKnownControllerState = INVALID;
    Q_EMIT writeOperatingStateFinished();
}

bool QX2ProgramTransmitter::isReadReady(quint32 controlWord) const
{
    return (controlWord & BusyBit) == 0;
}

const ControllerAddress &QX2ProgramTransmitter::controlWordRegister() const
{
    return registers().controlWord;
}

const ControllerAddress &QX2ProgramTransmitter::errorCodeRegister() const
{
    return registers().errorCode;
}

void QX2ProgramTransmitter::resetCommand()
{
    // A start that ended before the operating state came must not start the
    // program with the next one.
    disconnect(m_pendingStart);
    ModbusProgramTransmitter::resetCommand();
}

// Also behind the program list, a name read and a delete, with their command
// codes. A slot that loads no program is empty; the others are named as the
// controller names them.
void QX2ProgramTransmitter::prepareReadProgram()
{
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, transmissionData().programIndex},
                                {r.sectionCount, AnySectionCount},
                                {r.controlWord, commandCode(currentCommand())}}));
}

void QX2ProgramTransmitter::prepareDeleteProgram()
{
    prepareReadProgram();
}

void QX2ProgramTransmitter::prepareWriteProgram()
{
    const TransmissionData &data = transmissionData();
    const QString name = data.programName.left(NameLength);
    if (refuseUnstorableName(name) || refuseUnplaceableBits(DigitalBits))
        return;
    const Registers &r = registers();
    QList<QPair<ControllerAddress, QVariant>> writes{
        {r.programNumber, data.programIndex}, {r.sectionCount, data.sections.size()}, {r.name, name}};
    for (int s = 0; s < data.sections.size(); ++s) {
        const ProgramTransmittableSection &transmittable = data.sections.at(s);
        const ProgramSection section = transmittable.section();
        const QVector<uchar> furtherNumbers{uchar(transmittable.reference() + 1), uchar(transmittable.repetitions())};
        writes.append({ofSection(r.duration, s), exchangedHalves(quint32(section.durationInSeconds()))});
        writes.append({ofSection(r.transitionType, s), exchangedHalves(quint32(section.transitionType()))});
        writes.append({ofSection(r.furtherNumbers, s), QVariant::fromValue(furtherNumbers)});
        writes.append({ofSection(r.floats, s), QVariant::fromValue(sectionFloats(data, section))});
        writes.append({ofSection(r.digital, s), data.digitalWord(section)});
    }
    writes.append({r.controlWord, commandCode(WRITE)});
    handshakeAfter(writeValues(writes));
}

// The controller stores a name as Latin-1 text; a name that its register
// cannot hold is refused before anything is sent, by the codec that would
// encode it.
bool QX2ProgramTransmitter::refuseUnstorableName(const QString &name)
{
    if (ValueCodec().encode(registers().name, name))
        return false;
    qCWarning(lcChamberConnection).noquote() << "(Modbus) Program name" << name
                                             << "is no Latin-1 text; program not written";
    resetThenReportError(tr("The program name '%1' holds characters that the controller cannot store").arg(name));
    return true;
}

// The start request goes out once the operating state has been read; the
// end of the command disarms it.
void QX2ProgramTransmitter::prepareStartProgram()
{
    m_pendingStart = connect(this, &QX2ProgramTransmitter::readOperatingStateFinished, this,
                             &QX2ProgramTransmitter::sendStartRequest);
    prepareReadCurrentControllerState();
}

void QX2ProgramTransmitter::prepareReadCurrentControllerState()
{
    resultAfter(readValue(registers().operatingState), this, &QX2ProgramTransmitter::readCurrentControllerState);
}

void QX2ProgramTransmitter::readCurrentControllerState(const ChamberReply &reply)
{
    m_lastKnownControllerState = (reply.result(0).toInt() & BasicState) != 0 ? BASIC : MANUAL;
    Q_EMIT readOperatingStateFinished();
}

void QX2ProgramTransmitter::sendStartRequest()
{
    TransmissionData &data = transmissionData();
    if (data.startOptions.startTime().isNull())
        data.startOptions.setStartTime(m_clock().addSecs(data.startOptions.startDelay()));
    const QDate date = data.startOptions.startTime().date();
    const QTime time = data.startOptions.startTime().time();
    const QVector<quint16> startTime{quint16(date.year()), quint16(date.month()),  quint16(date.day()),
                                     quint16(time.hour()), quint16(time.minute()), quint16(time.second())};

    const Registers &r = registers();
    QList<QPair<ControllerAddress, QVariant>> writes;
    if (data.startOptions.startSection() >= 0)
        writes.append({r.startSection, data.startOptions.startSection()});
    writes.append({r.startCleared, 0});
    writes.append({r.startProgram, data.programIndex});
    writes.append({r.startTime, QVariant::fromValue(startTime)});
    writes.append({r.start, 1});
    startResponseAfter(writeValues(writes));
}

// The operating state is written back whatever became of the stop request.
void QX2ProgramTransmitter::prepareStopProgram()
{
    finishedAfter(writeValues({{registers().stop, 1}}), this,
                  &QX2ProgramTransmitter::prepareSetLastKnownControllerState);
}

void QX2ProgramTransmitter::prepareSetLastKnownControllerState(const ChamberReply &stopReply)
{
    m_lastKnownControllerState = INVALID;
    stopResponseAfter(stopReply, {{registers().operatingState, BasicState}});
}

void QX2ProgramTransmitter::continueCommand(quint32 deviceErrorCode)
{
    if (currentCommand() == READ_NAMES && deviceErrorCode != 0) {
        listSlotName(emptyProgramName);
        return;
    }
    if (deviceErrorCode != 0) {
        endWithDeviceError(deviceErrorCode);
        return;
    }
    switch (currentCommand()) {
    case READ_NAMES:
    case READ_NAME:
        queueStep(&QX2ProgramTransmitter::readProgramNameFromController);
        return;
    case READ:
        queueStep(&QX2ProgramTransmitter::readProgramSectionCount);
        return;
    case WRITE:
        Q_EMIT writeProgramFinished();
        resetCommand();
        return;
    case DELETE:
        resetCommand();
        Q_EMIT deleteProgramFinished();
        return;
    case AbstractProgramTransmitter::INVALID:
    case START:
    case STOP:
        break;
    }
    endWithDeviceError(deviceErrorCode);
}

void QX2ProgramTransmitter::readProgramNameFromController()
{
    resultAfter(readValue(registers().name), this, &QX2ProgramTransmitter::handleProgramName);
}

void QX2ProgramTransmitter::handleProgramName(const ChamberReply &reply)
{
    const QString name = reply.result(0).toString();
    if (currentCommand() == READ_NAMES) {
        listSlotName(name);
    } else {
        Q_EMIT readProgramNameFinished(transmissionData().programIndex, name);
        resetCommand();
    }
}

void QX2ProgramTransmitter::readProgramSectionCount()
{
    resultAfter(readValue(registers().sectionCount), this, &QX2ProgramTransmitter::readProgramData);
}

void QX2ProgramTransmitter::readProgramData(const ChamberReply &reply)
{
    const int sectionCount = int(reply.result(0).toUInt());
    // From section 100 on the blocks would run into the name.
    if (refuseSectionCount(sectionCount))
        return;
    const Registers &r = registers();
    QList<ControllerAddress> addresses{r.name};
    for (int s = 0; s < sectionCount; ++s) {
        addresses << ofSection(r.floats, s) << ofSection(r.transitionType, s) << ofSection(r.duration, s)
                  << ofSection(r.furtherNumbers, s) << ofSection(r.digital, s);
    }
    resultAfter(readValues(addresses), this, &QX2ProgramTransmitter::handleProgramData);
}

void QX2ProgramTransmitter::handleProgramData(const ChamberReply &reply)
{
    TransmissionData &data = transmissionData();
    for (int k = 1; k + RegistersPerSection <= reply.resultCount(); k += RegistersPerSection) {
        const QList<SetpointValue> setpoints = sectionSetpoints(
            data.chamberSignals, reply.result(k).value<QVector<float>>(), int(reply.result(k + 4).toUInt() & 0xFFFF));
        const auto transition = ProgramSection::TransitionType(qint32(exchangedHalves(reply.result(k + 1).toUInt())));
        const qint32 duration = qint32(exchangedHalves(reply.result(k + 2).toUInt()));
        const QVector<uchar> furtherNumbers = reply.result(k + 3).value<QVector<uchar>>();
        const ProgramSection section(0, setpoints, duration, transition, false, QString());
        data.sections.append(
            ProgramTransmittableSection(section, furtherNumbers.value(0) - 1, furtherNumbers.value(1)));
    }
    finishRead(reply.result(0).toString());
}

} // namespace quelta::base::connection::chamberconnection
