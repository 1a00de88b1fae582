#include "transfer/qx1programtransmitter.h"

#include "transfer/holdingregister.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QVector>

#include <chrono>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ProgramSection;
using domain::types::ProgramStartOptions;
using domain::types::ProgramTransmittableSection;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;
using domain::types::Unit;
using domain::types::UnitValue;
using namespace std::chrono_literals;

namespace {

constexpr quint32 ReadyBit = 0x2;
constexpr int DigitalBits = 8;
// The controller takes at most three analog columns per section.
constexpr int WrittenColumns = 3;
// Column, section and last section of a delete.
constexpr int DeleteMarker = 255;
// The "%" value of a column that has its setpoint but no "%" signal.
constexpr float FullPercent = 100.0f;
// The mode register's values around a stop.
constexpr quint16 BasicMode = 0x1000;
constexpr quint16 ClearedMode = 0;
// The controller needs this long in the basic mode before it takes the stop;
// a coarse timer could fire early.
constexpr std::chrono::milliseconds BasicModeSettling = 500ms;

// The four floats of one column.
enum ColumnFloat { Setpoint, PercentValue, LowerTolerance, UpperTolerance, ColumnFloats };

struct Registers
{
    const ControllerAddress controlWord = holdingRegister("0x1A00", QMetaType::UShort);
    const ControllerAddress errorCode = holdingRegister("0x1A01", QMetaType::UShort);
    const ControllerAddress programNumber = holdingRegister("0x1A02", QMetaType::UShort);
    const ControllerAddress column = holdingRegister("0x1A03", QMetaType::UChar);
    const ControllerAddress sectionNumber = holdingRegister("0x1A04", QMetaType::UChar);
    const ControllerAddress lastSection = holdingRegister("0x1A05", QMetaType::UChar);
    const ControllerAddress reserved = holdingRegister("0x1A06", QMetaType::UChar);
    const ControllerAddress startTransitionType = holdingRegister("0x1559", QMetaType::UChar);
    const ControllerAddress duration = holdingRegister("0x1A0F", QMetaType::UInt);
    const ControllerAddress digital = holdingRegister("0x1A11", QMetaType::UChar);
    const ControllerAddress secondFurtherNumber = holdingRegister("0x1A12", QMetaType::UChar);
    const ControllerAddress firstFurtherNumber = holdingRegister("0x1A13", QMetaType::UChar);
    const ControllerAddress columnFloats = holdingRegister("0x1A07", QMetaType::Float, ColumnFloats);
    const ControllerAddress startDelay = holdingRegister("0x1A25", QMetaType::UInt);
    const ControllerAddress startSection = holdingRegister("0x1A24", QMetaType::UShort);
    const ControllerAddress startProgram = holdingRegister("0x1A23", QMetaType::UShort);
    const ControllerAddress mode = holdingRegister("0x1A22", QMetaType::UShort);
};

const Registers &registers()
{
    static const Registers table;
    return table;
}

quint16 commandCode(AbstractProgramTransmitter::Command command)
{
    switch (command) {
    case AbstractProgramTransmitter::READ_NAMES:
    case AbstractProgramTransmitter::READ:
        return 1;
    case AbstractProgramTransmitter::WRITE:
    case AbstractProgramTransmitter::DELETE:
        return 5;
    case AbstractProgramTransmitter::START:
        return 0x0400;
    case AbstractProgramTransmitter::STOP:
        return 0x0800;
    case AbstractProgramTransmitter::INVALID:
    case AbstractProgramTransmitter::READ_NAME:
        break;
    }
    return 0;
}

// The column of one section as the controller takes it.
QVector<float> columnFloats(const AbstractProgramTransmitter::TransmissionData &data, const ProgramSection &section,
                            int columnSignal)
{
    QVector<float> floats(ColumnFloats, 0.0f);
    bool hasPercent = false;
    const QList<SetpointValue> setpoints = section.setpoints();
    for (const SetpointValue &setpoint : setpoints) {
        if (data.digitalPositions.contains(setpoint.signalId()))
            continue;
        if (setpoint.signalId() == columnSignal) {
            const ToleranceRange range = setpoint.toleranceRange();
            floats[Setpoint] = setpoint.rawValue().toFloat();
            // The controller keeps the lower tolerance as a negative offset
            // and reads it back negated. 0 - x keeps a 0 from turning -0.
            floats[LowerTolerance] = 0.0f - range.lower().value().toFloat();
            floats[UpperTolerance] = range.upper().value().toFloat();
            if (!hasPercent)
                floats[PercentValue] = FullPercent;
        } else if (setpoint.unit() == Unit::Percent) {
            floats[PercentValue] = setpoint.rawValue().toFloat();
            hasPercent = true;
        }
    }
    return floats;
}

} // namespace

QX1ProgramTransmitter::QX1ProgramTransmitter(QObject *parent)
    : ModbusProgramTransmitter(parent)
{
}

QX1ProgramTransmitter::~QX1ProgramTransmitter() = default;

bool QX1ProgramTransmitter::readProgramName(int programIndex)
{
    Q_EMIT readProgramNameFinished(programIndex + 1, defaultProgramName(programIndex + 1));
    return true;
}

bool QX1ProgramTransmitter::isReadReady(quint32 controlWord) const
{
    return (controlWord & ReadyBit) != 0;
}

const ControllerAddress &QX1ProgramTransmitter::controlWordRegister() const
{
    return registers().controlWord;
}

const ControllerAddress &QX1ProgramTransmitter::errorCodeRegister() const
{
    return registers().errorCode;
}

// Also behind the program list, which asks for column 0 of section 0 of
// each slot: a slot that has none is empty.
void QX1ProgramTransmitter::prepareReadProgram()
{
    const TransmissionData &data = transmissionData();
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, data.programIndex},
                                {r.column, data.signalIndex},
                                {r.sectionNumber, data.sectionIndex},
                                {r.reserved, 0},
                                {r.controlWord, commandCode(currentCommand())}}));
}

void QX1ProgramTransmitter::prepareDeleteProgram()
{
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, transmissionData().programIndex},
                                {r.column, DeleteMarker},
                                {r.sectionNumber, DeleteMarker},
                                {r.lastSection, DeleteMarker},
                                {r.reserved, 0},
                                {r.controlWord, commandCode(DELETE)}}));
}

// One request per section and analog column, columns first.
void QX1ProgramTransmitter::prepareWriteProgram()
{
    TransmissionData &data = transmissionData();
    const bool first = data.sectionIndex == 0 && data.signalIndex == 0;
    if (finishWriteAfterLastSection() || (first && refuseUnplaceableBits(DigitalBits)))
        return;
    if (data.signalIndex >= data.analogRunLength || data.signalIndex >= WrittenColumns) {
        ++data.sectionIndex;
        data.signalIndex = 0;
        queueStep(&QX1ProgramTransmitter::prepareWriteProgram);
        return;
    }
    const int columnSignal = data.analogPositions.key(data.signalIndex, -1);
    if (columnSignal == -1) {
        qCWarning(lcChamberConnection) << "(Modbus) No signal for analog column" << data.signalIndex;
        resetThenReportError(QStringLiteral("Invalid data"));
        return;
    }

    const ProgramTransmittableSection &transmittable = data.sections.at(data.sectionIndex);
    const ProgramSection section = transmittable.section();
    const Registers &r = registers();
    const bool sent = handshakeAfter(writeValues({{r.programNumber, data.programIndex},
                                                  {r.column, data.signalIndex},
                                                  {r.sectionNumber, data.sectionIndex},
                                                  {r.lastSection, data.sectionIndex},
                                                  {r.reserved, 0},
                                                  {r.columnFloats, QVariant::fromValue(
                                                                       columnFloats(data, section, columnSignal))},
                                                  {r.digital, data.digitalWord(section)},
                                                  {r.duration, quint32(section.durationInSeconds())},
                                                  {r.firstFurtherNumber, transmittable.reference()},
                                                  {r.secondFurtherNumber, transmittable.repetitions()},
                                                  {r.controlWord, commandCode(WRITE)}}));
    if (sent)
        ++data.signalIndex;
}

void QX1ProgramTransmitter::prepareStartProgram()
{
    const quint32 delay = startDelayInSeconds();
    ProgramStartOptions &options = transmissionData().startOptions;
    if (options.startTransitionType() == -1)
        options.setStartTransitionType(0);

    const Registers &r = registers();
    QList<QPair<ControllerAddress, QVariant>> writes;
    if (options.startSection() >= 0)
        writes.append({r.startSection, options.startSection()});
    writes.append({r.startTransitionType, options.startTransitionType()});
    writes.append({r.startDelay, delay});
    writes.append({r.startProgram, transmissionData().programIndex});
    writes.append({r.mode, commandCode(START)});
    startResponseAfter(writeValues(writes));
}

void QX1ProgramTransmitter::prepareStopProgram()
{
    finishedAfter(writeValues({{registers().mode, BasicMode}}), this, &QX1ProgramTransmitter::handleSetBasicMode);
}

void QX1ProgramTransmitter::handleSetBasicMode(const ChamberReply &reply)
{
    if (reply.hasAnyError()) {
        reportErrorThenReset();
        return;
    }
    queueStep(&QX1ProgramTransmitter::sendFinalStopProgram, BasicModeSettling);
}

void QX1ProgramTransmitter::sendFinalStopProgram()
{
    finishedAfter(writeValues({{registers().mode, commandCode(STOP)}}), this,
                  &QX1ProgramTransmitter::sendSetGrundstellung);
}

// The mode register is cleared whatever became of the stop.
void QX1ProgramTransmitter::sendSetGrundstellung(const ChamberReply &stopReply)
{
    stopResponseAfter(stopReply, {{registers().mode, ClearedMode}});
}

void QX1ProgramTransmitter::continueCommand(quint32 deviceErrorCode)
{
    TransmissionData &data = transmissionData();
    switch (currentCommand()) {
    case READ_NAMES:
        listSlotName(deviceErrorCode != 0 ? emptyProgramName : defaultProgramName(data.programIndex + 1));
        return;
    case READ:
        if (deviceErrorCode == 0) {
            queueStep(&QX1ProgramTransmitter::readProgramSectionCount);
            return;
        }
        // The first column that section 0 lacks tells how many the program
        // has.
        if (data.sectionIndex == 0) {
            data.analogRunLength = data.signalIndex;
            data.signalIndex = 0;
            data.sectionIndex = 1;
            if (data.sectionIndex < data.sectionCount)
                queueStep(&QX1ProgramTransmitter::prepareReadProgram);
            else
                finishRead(defaultProgramName(data.programIndex + 1));
            return;
        }
        break;
    case WRITE:
        if (deviceErrorCode == 0) {
            queueStep(&QX1ProgramTransmitter::prepareWriteProgram);
            return;
        }
        break;
    case DELETE:
        if (deviceErrorCode == 0) {
            resetCommand();
            Q_EMIT deleteProgramFinished();
            return;
        }
        break;
    case INVALID:
    case READ_NAME:
    case START:
    case STOP:
        break;
    }
    endWithDeviceError(deviceErrorCode);
}

void QX1ProgramTransmitter::readProgramSectionCount()
{
    resultAfter(readValue(registers().lastSection), this, &QX1ProgramTransmitter::readProgramData);
}

void QX1ProgramTransmitter::readProgramData(const ChamberReply &reply)
{
    TransmissionData &data = transmissionData();
    data.sectionCount = int(reply.result(0).toUInt()) + 1;
    if (refuseSectionCount(data.sectionCount))
        return;
    const Registers &r = registers();
    resultAfter(readValues({r.columnFloats, r.duration, r.firstFurtherNumber, r.secondFurtherNumber, r.digital}), this,
                &QX1ProgramTransmitter::handleProgramData);
}

void QX1ProgramTransmitter::handleProgramData(const ChamberReply &reply)
{
    TransmissionData &data = transmissionData();
    // The section's first column brings what the section holds once.
    const bool firstRead = data.sectionIndex >= data.sections.size();
    if (firstRead) {
        data.sections.append(ProgramTransmittableSection(
            ProgramSection(0, {}, 0, ProgramSection::RAMP, false, QString()), reply.result(2).toInt(),
            reply.result(3).toInt()));
    }
    const QVector<float> floats = reply.result(0).value<QVector<float>>();
    const int digital = int(reply.result(4).toUInt() & 0xFF);

    ProgramSection section = data.sections.at(data.sectionIndex).section();
    QList<SetpointValue> setpoints = section.setpoints();
    for (const ChamberSignal &signal : qAsConst(data.chamberSignals)) {
        const ChamberSignal::AddressPointer address = signal.writeManualAddress();
        if (!address)
            continue;
        if (signal.isDigital()) {
            if (firstRead)
                setpoints.append(SetpointValue(signal, QVariant(digital)));
        } else if (address->number() == data.signalIndex + 1) {
            const ToleranceRange range(ToleranceRange::Relative,
                                       UnitValue(signal.unit(), QVariant(-floats.value(LowerTolerance))),
                                       UnitValue(signal.unit(), QVariant(floats.value(UpperTolerance))));
            setpoints.append(SetpointValue(signal, QVariant(floats.value(Setpoint)), range));
        } else if (signal.unit() == Unit::Percent && firstRead) {
            setpoints.append(SetpointValue(signal, QVariant(floats.value(PercentValue))));
        }
    }
    section.setSetpoints(setpoints);
    section.setDurationInSeconds(reply.result(1).toInt());
    data.sections[data.sectionIndex].setSection(section);

    if (++data.signalIndex >= data.analogRunLength) {
        data.signalIndex = 0;
        ++data.sectionIndex;
    }
    if (data.sectionIndex < data.sectionCount)
        queueStep(&QX1ProgramTransmitter::prepareReadProgram);
    else
        finishRead(defaultProgramName(data.programIndex + 1));
}

} // namespace quelta::base::connection::chamberconnection
