#include "transfer/zk3programtransmitter.h"

#include "transfer/holdingregister.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QTimer>
#include <QtCore/QVector>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::ControllerAddress;
using domain::types::ProgramSection;
using domain::types::ProgramTransmittableSection;
using domain::types::SetpointValue;

namespace {

constexpr int GenerationValue = 3;
constexpr int MaxStepCount = 20;
constexpr int ProgramSlotCount = 2;
constexpr quint32 ReadyBit = 0x2;
// The floats of 0x03F9 and the bits of 0x0401.
constexpr int AnalogColumns = 3;
constexpr int DigitalBits = 8;
// Section number and last section number of a delete.
constexpr int DeleteMarker = 255;

struct Registers
{
    const ControllerAddress controlWord = holdingRegister("0x03F3", QMetaType::UShort);
    const ControllerAddress errorCode = holdingRegister("0x03F4", QMetaType::UShort);
    const ControllerAddress programNumber = holdingRegister("0x03F5", QMetaType::UChar);
    const ControllerAddress sectionNumber = holdingRegister("0x03F6", QMetaType::UChar);
    const ControllerAddress lastSection = holdingRegister("0x03F7", QMetaType::UChar);
    const ControllerAddress reserved = holdingRegister("0x03F8", QMetaType::UShort);
    const ControllerAddress duration = holdingRegister("0x03FF", QMetaType::UInt);
    const ControllerAddress setpoints = holdingRegister("0x03F9", QMetaType::Float, AnalogColumns);
    const ControllerAddress digital = holdingRegister("0x0401", QMetaType::UChar);
    const ControllerAddress startDelay = holdingRegister("0x0067", QMetaType::UInt);
    const ControllerAddress startProgram = holdingRegister("0x0065", QMetaType::UChar);
    const ControllerAddress runCommand = holdingRegister("0x0046", QMetaType::UShort);
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
        return 32;
    case AbstractProgramTransmitter::STOP:
        return 8;
    case AbstractProgramTransmitter::INVALID:
    case AbstractProgramTransmitter::READ_NAME:
        break;
    }
    return 0;
}

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

ZK3ProgramTransmitter::ZK3ProgramTransmitter(QObject *parent)
    : ModbusProgramTransmitter(parent)
{
}

ZK3ProgramTransmitter::~ZK3ProgramTransmitter() = default;

int ZK3ProgramTransmitter::generationValue() const
{
    return GenerationValue;
}

int ZK3ProgramTransmitter::maxStepCount() const
{
    return MaxStepCount;
}

int ZK3ProgramTransmitter::programSlotCount() const
{
    return ProgramSlotCount;
}

bool ZK3ProgramTransmitter::isReadReady(quint32 controlWord) const
{
    return (controlWord & ReadyBit) != 0;
}

const ControllerAddress &ZK3ProgramTransmitter::controlWordRegister() const
{
    return registers().controlWord;
}

const ControllerAddress &ZK3ProgramTransmitter::errorCodeRegister() const
{
    return registers().errorCode;
}

// Asks for section 0 of each slot in turn: a slot that has none is empty.
void ZK3ProgramTransmitter::prepareReadProgramNames()
{
    if (finishListAfterLastSlot())
        return;
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, transmissionData().programIndex},
                                {r.sectionNumber, 0},
                                {r.reserved, 0},
                                {r.controlWord, commandCode(READ_NAMES)}}));
}

void ZK3ProgramTransmitter::prepareReadProgram()
{
    const TransmissionData &data = transmissionData();
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, data.programIndex},
                                {r.sectionNumber, data.sectionIndex},
                                {r.reserved, 0},
                                {r.controlWord, commandCode(READ)}}));
}

void ZK3ProgramTransmitter::prepareDeleteProgram()
{
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, transmissionData().programIndex},
                                {r.sectionNumber, DeleteMarker},
                                {r.lastSection, DeleteMarker},
                                {r.reserved, 0},
                                {r.controlWord, commandCode(DELETE)}}));
}

void ZK3ProgramTransmitter::prepareWriteProgram()
{
    TransmissionData &data = transmissionData();
    if (finishWriteAfterLastSection() || (data.sectionIndex == 0 && refuseUnplaceableBits(DigitalBits)))
        return;

    const ProgramSection section = data.sections.at(data.sectionIndex).section();
    QVector<float> analog(AnalogColumns, 0.0f);
    uint digital = 0;
    const QList<SetpointValue> setpoints = section.setpoints();
    for (const SetpointValue &setpoint : setpoints) {
        if (data.digitalPositions.contains(setpoint.signalId())) {
            const uint bit = 1U << data.digitalPositions.value(setpoint.signalId());
            digital = setpoint.rawValue().toBool() ? digital | bit : digital & ~bit;
        } else if (const int column = data.analogPositions.value(setpoint.signalId(), AnalogColumns);
                   column < AnalogColumns) {
            analog[column] = setpoint.rawValue().toFloat();
        }
    }

    const Registers &r = registers();
    const bool sent = handshakeAfter(writeValues({{r.programNumber, data.programIndex},
                                                  {r.sectionNumber, data.sectionIndex},
                                                  {r.lastSection, data.sectionIndex},
                                                  {r.reserved, 0},
                                                  {r.setpoints, QVariant::fromValue(analog)},
                                                  {r.digital, digital},
                                                  {r.duration, section.durationInSeconds()},
                                                  {r.controlWord, commandCode(WRITE)}}));
    if (sent)
        ++data.sectionIndex;
}

void ZK3ProgramTransmitter::prepareStartProgram()
{
    const Registers &r = registers();
    startResponseAfter(writeValues({{r.startDelay, startDelayInSeconds()},
                                    {r.startProgram, transmissionData().programIndex + 1},
                                    {r.runCommand, commandCode(START)}}));
}

void ZK3ProgramTransmitter::prepareStopProgram()
{
    stopResponseAfter(writeValues({{registers().runCommand, commandCode(STOP)}}));
}

void ZK3ProgramTransmitter::continueCommand(quint32 deviceErrorCode)
{
    switch (currentCommand()) {
    case READ_NAMES:
        listSlotName(deviceErrorCode != 0 ? emptyProgramName
                                          : defaultProgramName(transmissionData().programIndex + 1));
        return;
    case READ:
        if (deviceErrorCode == 0) {
            QTimer::singleShot(0, this, &ZK3ProgramTransmitter::readProgramSectionCount);
            return;
        }
        break;
    case WRITE:
        if (deviceErrorCode == 0) {
            QTimer::singleShot(0, this, &ZK3ProgramTransmitter::prepareWriteProgram);
            return;
        }
        break;
    case DELETE:
        // The controller answers the delete of an empty slot with an error,
        // which leaves the slot as empty as a delete would.
        if (deviceErrorCode != 0)
            qCWarning(lcChamberConnection) << "(Modbus) Delete answered with error code" << deviceErrorCode;
        resetCommand();
        Q_EMIT deleteProgramFinished();
        return;
    case INVALID:
    case READ_NAME:
    case START:
    case STOP:
        break;
    }
    endWithDeviceError(deviceErrorCode);
}

void ZK3ProgramTransmitter::readProgramSectionCount()
{
    resultAfter(readValue(registers().lastSection), this, &ZK3ProgramTransmitter::readProgramData);
}

void ZK3ProgramTransmitter::readProgramData(const ChamberReply &reply)
{
    TransmissionData &data = transmissionData();
    data.sectionCount = int(reply.result(0).toUInt()) + 1;
    if (refuseSectionCount(data.sectionCount))
        return;
    const Registers &r = registers();
    resultAfter(readValues({r.setpoints, r.digital, r.duration}), this, &ZK3ProgramTransmitter::handleProgramData);
}

void ZK3ProgramTransmitter::handleProgramData(const ChamberReply &reply)
{
    TransmissionData &data = transmissionData();
    if (data.sectionIndex >= data.sections.size()) {
        data.sections.append(ProgramTransmittableSection(
            ProgramSection(0, {}, 0, ProgramSection::INVALID, false, QString()), 0, 0));
    }
    QVector<float> analog = reply.result(0).value<QVector<float>>();
    const uint digital = reply.result(1).toUInt();

    ProgramSection section = data.sections.at(data.sectionIndex).section();
    QList<SetpointValue> setpoints = section.setpoints();
    for (const ChamberSignal &signal : qAsConst(data.chamberSignals)) {
        if (signal.isDigital() && signal.bitPosition() >= 0) {
            setpoints.append(SetpointValue(signal, QVariant(digital)));
            continue;
        }
        const ChamberSignal::AddressPointer address = signal.writeManualAddress();
        const int column = address ? address->number() - 1 : -1;
        // Columns beyond the three floats have no value on this controller.
        if (column < 0 || column >= analog.size())
            continue;
        analog[column] = withinLimits(analog.at(column), signal);
        setpoints.append(SetpointValue(signal, QVariant(analog.at(column))));
    }
    section.setSetpoints(setpoints);
    section.setDurationInSeconds(reply.result(2).toUInt());
    data.sections[data.sectionIndex].setSection(section);

    if (++data.sectionIndex >= data.sectionCount) {
        finishRead(defaultProgramName(data.programIndex + 1));
    } else {
        QTimer::singleShot(0, this, &ZK3ProgramTransmitter::prepareReadProgram);
    }
}

} // namespace quelta::base::connection::chamberconnection
