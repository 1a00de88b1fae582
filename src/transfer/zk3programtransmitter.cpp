#include "transfer/zk3programtransmitter.h"

#include "transfer/holdingregister.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QVector>

namespace quelta::base::connection::chamberconnection {

using domain::types::ControllerAddress;
using domain::types::ProgramSection;

namespace {

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

} // namespace

ZK3ProgramTransmitter::ZK3ProgramTransmitter(QObject *parent)
    : ModbusProgramTransmitter(parent)
{
}

ZK3ProgramTransmitter::~ZK3ProgramTransmitter() = default;

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

// Also behind the program list, which asks for section 0 of each slot: a
// slot that has none is empty.
void ZK3ProgramTransmitter::prepareReadProgram()
{
    const TransmissionData &data = transmissionData();
    const Registers &r = registers();
    handshakeAfter(writeValues({{r.programNumber, data.programIndex},
                                {r.sectionNumber, data.sectionIndex},
                                {r.reserved, 0},
                                {r.controlWord, commandCode(currentCommand())}}));
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
    const QVector<float> analog = data.analogColumns(section, AnalogColumns);
    const Registers &r = registers();
    const bool sent = handshakeAfter(writeValues({{r.programNumber, data.programIndex},
                                                  {r.sectionNumber, data.sectionIndex},
                                                  {r.lastSection, data.sectionIndex},
                                                  {r.reserved, 0},
                                                  {r.setpoints, QVariant::fromValue(analog)},
                                                  {r.digital, data.digitalWord(section)},
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
            queueStep(&ZK3ProgramTransmitter::readProgramSectionCount);
            return;
        }
        break;
    case WRITE:
        if (deviceErrorCode == 0) {
            queueStep(&ZK3ProgramTransmitter::prepareWriteProgram);
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
    if (appendSectionRead(reply, ReadBack::WithinLimits))
        queueStep(&ZK3ProgramTransmitter::prepareReadProgram);
}

} // namespace quelta::base::connection::chamberconnection
