#pragma once

#include "transfer/modbusprogramtransmitter.h"

namespace quelta::base::connection::chamberconnection {

// Transfers the programs of a ZK3 controller: two programs of at most 20
// sections, each section three analog setpoints, eight digital setpoints and
// a duration.
//
// Every request goes to holding registers of the chamber's server address
// and, but for start and stop, ends with a command code in the control word
// and the handshake:
//
//   0x03F3  control word: the command code; bit 1 set when ready
//   0x03F4  error code, 0 for success
//   0x03F5  program number, 0-based
//   0x03F6  section number, 0-based (255 in a delete)
//   0x03F7  number of the last section (255 in a delete)
//   0x03F8  written 0 with every program request
//   0x03F9  three floats: the section's analog setpoints by column
//   0x03FF  the section's duration in seconds, 32 bits
//   0x0401  the section's digital setpoints, one bit per signal
//   0x0067  start delay in seconds, 32 bits
//   0x0065  program number to start, 1-based
//   0x0046  run command: 32 starts, 8 stops
//
// Command codes: 1 reads a section (and so tells whether a program slot
// holds one), 5 writes or, with 255 as section numbers, deletes. One section
// moves per request.
class ZK3ProgramTransmitter : public ModbusProgramTransmitter
{
    Q_OBJECT

public:
    explicit ZK3ProgramTransmitter(QObject *parent = nullptr);
    ~ZK3ProgramTransmitter() override;

    int generationValue() const override { return 3; }
    int maxStepCount() const override { return 20; }
    int programSlotCount() const override { return 2; }

protected:
    void prepareReadProgram() override;
    void prepareDeleteProgram() override;
    void prepareWriteProgram() override;
    void prepareStartProgram() override;
    void prepareStopProgram() override;

    bool isReadReady(quint32 controlWord) const override;
    const domain::types::ControllerAddress &controlWordRegister() const override;
    const domain::types::ControllerAddress &errorCodeRegister() const override;
    void continueCommand(quint32 deviceErrorCode) override;

private:
    void readProgramSectionCount();
    void readProgramData(const ChamberReply &reply);
    void handleProgramData(const ChamberReply &reply);
};

} // namespace quelta::base::connection::chamberconnection
