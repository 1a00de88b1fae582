#pragma once

#include "transfer/modbusprogramtransmitter.h"

namespace quelta::base::connection::chamberconnection {

// Transfers the programs of a QX1 controller: 25 programs of at most 98
// sections, kept without names. A section holds per analog column a setpoint
// with a lower and an upper tolerance, the value of the "%" signals, eight
// digital setpoints, a duration and two further numbers.
//
// One request moves one analog column of one section and ends with a command
// code in the control word and the handshake. The holding registers:
//
//   0x1A00  control word: 1 reads, 5 writes or (with 255 as section numbers)
//           deletes; ready when bit 1 is set
//   0x1A01  error code, 0 for success
//   0x1A02  program number, 0-based
//   0x1A03  analog column, 0-based
//   0x1A04  section number, 0-based
//   0x1A05  number of the last section
//   0x1A06  written 0 with every program request
//   0x1A07  four floats: the column's setpoint, the "%" value, the lower
//           tolerance (negative) and the upper tolerance
//   0x1A0F  the section's duration in seconds, 32 bits
//   0x1A11  the section's digital setpoints, one bit per signal
//   0x1A12  second further number
//   0x1A13  first further number
//
// Start and stop go through the mode register 0x1A22 and are answered by their
// replies: a start writes its start section (0x1A24, when given), transition
// type (0x1559), delay in seconds (0x1A25, 32 bits) and 0-based program
// (0x1A23), then 0x0400; a stop selects the basic mode (0x1000), waits 500 ms
// for the controller to take it, stops (0x0800) and clears the register.
class QX1ProgramTransmitter : public ModbusProgramTransmitter
{
    Q_OBJECT

public:
    explicit QX1ProgramTransmitter(QObject *parent = nullptr);
    ~QX1ProgramTransmitter() override;

    int generationValue() const override { return 3; }
    int maxStepCount() const override { return 98; }
    int programSlotCount() const override { return 25; }

    // Names the program after its 1-based number, index + 1, at once.
    bool readProgramName(int programIndex) override;

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
    void handleSetBasicMode(const ChamberReply &reply);
    void sendFinalStopProgram();
    void sendSetGrundstellung(const ChamberReply &stopReply);
    void readProgramSectionCount();
    void readProgramData(const ChamberReply &reply);
    void handleProgramData(const ChamberReply &reply);
};

} // namespace quelta::base::connection::chamberconnection
