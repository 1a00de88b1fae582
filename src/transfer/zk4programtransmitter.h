#pragma once

#include "transfer/modbusprogramtransmitter.h"

namespace quelta::base::connection::chamberconnection {

// Transfers the one program of a ZK4 controller: at most 30 steps, each step
// four analog setpoints, sixteen digital setpoints and a duration.
//
// The program lies in a fixed block of holding registers; a command code in
// the control word tells the controller to load (0x81), store (0x82) or
// delete (0x83) it, and the handshake confirms it:
//
//   0xAC00  control word: the command code; bit 7 set while busy
//   0xAC01  error code, 0 for success
//   0xAC02  written 0 with a write and a delete
//   0xAC06  written 0 with a write
//   0xAC07  written 0 with a write
//   0xAC08  number of steps
//   0xAC0B + 12k  step k: four floats, its analog setpoints by column
//   0xAC13 + 12k  step k: its duration in seconds, 32 bits
//   0xAC15 + 12k  step k: its digital setpoints, one bit per signal
//   0xAA04  written 1 to start the program
//   0xAA05  written 1 to stop it
//
// A write sends the whole program in one request; a read loads it with one
// handshake and then reads one step per request.
class ZK4ProgramTransmitter : public ModbusProgramTransmitter
{
    Q_OBJECT

public:
    explicit ZK4ProgramTransmitter(QObject *parent = nullptr);
    ~ZK4ProgramTransmitter() override;

    int generationValue() const override { return 4; }
    int maxStepCount() const override { return 30; }
    int programSlotCount() const override { return 1; }

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
    void readProgramStep();
};

} // namespace quelta::base::connection::chamberconnection
