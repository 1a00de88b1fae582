#include "transfer/zk4programtransmitter.h"

#include "transfer/holdingregister.h"

#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QTimer>
#include <QtCore/QVector>

namespace quelta::base::connection::chamberconnection {

using domain::types::ControllerAddress;
using domain::types::ProgramSection;

namespace {

constexpr quint32 BusyBit = 0x80;
constexpr quint16 ReadCommand = 0x81;
constexpr quint16 WriteCommand = 0x82;
constexpr quint16 DeleteCommand = 0x83;
// The floats and the bits of a step.
constexpr int AnalogColumns = 4;
constexpr int DigitalBits = 16;
// Step k starts 12 registers after step k - 1: eight of floats, two of
// duration, the digital word and one that the controller keeps to itself.
constexpr quint16 StepStride = 12;
constexpr quint16 FirstStepSetpoints = 0xAC0B;
constexpr quint16 FirstStepDuration = 0xAC13;
constexpr quint16 FirstStepDigital = 0xAC15;

struct Registers
{
    const ControllerAddress controlWord = holdingRegister(0xAC00, QMetaType::UShort);
    const ControllerAddress errorCode = holdingRegister(0xAC01, QMetaType::UShort);
    const ControllerAddress cleared1 = holdingRegister(0xAC02, QMetaType::UShort);
    const ControllerAddress cleared2 = holdingRegister(0xAC06, QMetaType::UShort);
    const ControllerAddress cleared3 = holdingRegister(0xAC07, QMetaType::UShort);
    const ControllerAddress stepCount = holdingRegister(0xAC08, QMetaType::UShort);
    const ControllerAddress start = holdingRegister(0xAA04, QMetaType::UShort);
    const ControllerAddress stop = holdingRegister(0xAA05, QMetaType::UShort);
};

const Registers &registers()
{
    static const Registers table;
    return table;
}

struct StepRegisters
{
    ControllerAddress setpoints;
    ControllerAddress duration;
    ControllerAddress digital;
};

StepRegisters stepRegisters(int step)
{
    return {holdingRegister(FirstStepSetpoints + StepStride * step, QMetaType::Float, AnalogColumns),
            holdingRegister(FirstStepDuration + StepStride * step, QMetaType::UInt),
            holdingRegister(FirstStepDigital + StepStride * step, QMetaType::UShort)};
}

} // namespace

ZK4ProgramTransmitter::ZK4ProgramTransmitter(QObject *parent)
    : ModbusProgramTransmitter(parent)
{
}

ZK4ProgramTransmitter::~ZK4ProgramTransmitter() = default;

bool ZK4ProgramTransmitter::isReadReady(quint32 controlWord) const
{
    return (controlWord & BusyBit) == 0;
}

const ControllerAddress &ZK4ProgramTransmitter::controlWordRegister() const
{
    return registers().controlWord;
}

const ControllerAddress &ZK4ProgramTransmitter::errorCodeRegister() const
{
    return registers().errorCode;
}

// Also behind the program list: the one program's name comes from loading
// it; it is there when it has a step.
void ZK4ProgramTransmitter::prepareReadProgram()
{
    handshakeAfter(writeValues({{registers().controlWord, ReadCommand}}));
}

void ZK4ProgramTransmitter::prepareDeleteProgram()
{
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.cleared1, 0}, {r.controlWord, DeleteCommand}}));
}

void ZK4ProgramTransmitter::prepareWriteProgram()
{
    if (finishWriteAfterLastSection() || refuseUnplaceableBits(DigitalBits))
        return;
    TransmissionData &data = transmissionData();

    const Registers &r = registers();
    QList<QPair<ControllerAddress, QVariant>> writes{
        {r.cleared1, 0}, {r.cleared2, 0}, {r.cleared3, 0}, {r.stepCount, data.sections.size()}};
    for (int k = 0; k < data.sections.size(); ++k) {
        const ProgramSection section = data.sections.at(k).section();
        const StepRegisters step = stepRegisters(k);
        writes.append({step.setpoints, QVariant::fromValue(data.analogColumns(section, AnalogColumns))});
        writes.append({step.duration, quint32(section.durationInSeconds())});
        writes.append({step.digital, data.digitalWord(section)});
    }
    writes.append({r.controlWord, WriteCommand});
    data.sectionIndex = data.sections.size();
    handshakeAfter(writeValues(writes));
}

void ZK4ProgramTransmitter::prepareStartProgram()
{
    startResponseAfter(writeValues({{registers().start, 1}}));
}

void ZK4ProgramTransmitter::prepareStopProgram()
{
    stopResponseAfter(writeValues({{registers().stop, 1}}));
}

void ZK4ProgramTransmitter::continueCommand(quint32 deviceErrorCode)
{
    if (deviceErrorCode != 0) {
        endWithDeviceError(deviceErrorCode);
        return;
    }
    switch (currentCommand()) {
    case READ_NAMES:
    case READ:
        queueStep(&ZK4ProgramTransmitter::readProgramSectionCount);
        return;
    case WRITE:
        queueStep(&ZK4ProgramTransmitter::prepareWriteProgram);
        return;
    case DELETE:
        // Reported on the next turn, with the transmitter already idle.
        resetCommand();
        QTimer::singleShot(0, this, [this] { Q_EMIT deleteProgramFinished(); });
        return;
    case INVALID:
    case READ_NAME:
    case START:
    case STOP:
        break;
    }
    endWithDeviceError(deviceErrorCode);
}

void ZK4ProgramTransmitter::readProgramSectionCount()
{
    resultAfter(readValue(registers().stepCount), this, &ZK4ProgramTransmitter::readProgramData);
}

void ZK4ProgramTransmitter::readProgramData(const ChamberReply &reply)
{
    TransmissionData &data = transmissionData();
    data.sectionCount = int(reply.result(0).toUInt());
    if (currentCommand() == READ_NAMES) {
        // Not translated: the controller's one program has this fixed name.
        const QMap<int, QString> names{
            {1, data.sectionCount >= 1 ? QStringLiteral("Program 1") : emptyProgramName}};
        Q_EMIT readProgramNamesFinished(names);
        resetCommand();
        return;
    }
    // Steps beyond the 30 have no registers.
    if (!refuseSectionCount(data.sectionCount, "steps"))
        readProgramStep();
}

void ZK4ProgramTransmitter::readProgramStep()
{
    const StepRegisters step = stepRegisters(transmissionData().sectionIndex);
    resultAfter(readValues({step.setpoints, step.digital, step.duration}), this,
                &ZK4ProgramTransmitter::handleProgramData);
}

// A count of 0 still gives step 0.
void ZK4ProgramTransmitter::handleProgramData(const ChamberReply &reply)
{
    if (appendSectionRead(reply))
        queueStep(&ZK4ProgramTransmitter::readProgramStep);
}

} // namespace quelta::base::connection::chamberconnection
