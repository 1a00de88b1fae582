#pragma once

#include "transfer/modbusprogramtransmitter.h"

#include <QtCore/QDateTime>

#include <functional>

namespace quelta::base::connection::chamberconnection {

// Transfers the programs of a QX2 controller: 25 named programs of at most 100
// sections, each section up to six analog setpoints with a lower and an upper
// tolerance, sixteen digital setpoints, a duration, a transition type and two
// further numbers.
//
// A program request writes the program number and a command code into the
// control word and ends with the handshake; one request carries a whole
// program. The holding registers:
//
//   0x3000  control word, 32 bits: 0x8B0000 loads a program (and its name),
//           0x8C0000 stores one, 0x860000 deletes one; busy while bit 23 is set
//   0x3002  error code, 0 for success
//   0x3003  number of sections; written 100 when loading or deleting
//   0x3004  program number, 0-based
//   0x4300  program name, 72 Latin-1 characters
//   0x3014 + 48s  section s: 18 floats, the setpoints of columns 0 to 5,
//                 then their lower tolerances (negative), then their upper
//   0x3038 + 48s  section s: duration in seconds, 32 bits
//   0x303C + 48s  section s: digital setpoints, one bit per signal
//   0x303D + 48s  section s: two bytes, the first further number plus 1 and
//                 the second further number
//   0x3042 + 48s  section s: transition type, 32 bits
//
// The controller keeps the duration and the transition type with their 16-bit
// halves the other way round than the connection does. Start and stop go
// through the controller's run registers and are answered by their replies:
//
//   0x1140  start date and time: year, month, day, hour, minute, second
//   0x1146  written 0 with every start
//   0x1147  program number to start, 0-based
//   0x1148  section to start from, written only when one is given
//   0x1149  written 1, last, to start
//   0x114A  written 1 to stop
//   0x1158  operating state: bit 1 set in the basic state; written 2 on a stop
class QX2ProgramTransmitter : public ModbusProgramTransmitter
{
    Q_OBJECT

public:
    enum Qx2OperatingState : quint16 { INVALID = 0, MANUAL = 1, BASIC = 2 };
    Q_ENUM(Qx2OperatingState)

    // Where the start time of a start after a delay comes from.
    using Clock = std::function<QDateTime()>;

    explicit QX2ProgramTransmitter(QObject *parent = nullptr);
    ~QX2ProgramTransmitter() override;

    int generationValue() const override { return 6; }
    int maxStepCount() const override { return 100; }
    int programSlotCount() const override { return 25; }

    // Reads the name of the program from the controller and reports it with
    // the 0-based index.
    bool readProgramName(int programIndex) override;
    void resetLastKnownControllerState() override;

    // The operating state that the last start found on the controller.
    Qx2OperatingState lastKnownControllerState() const { return m_lastKnownControllerState; }
    void setClock(Clock clock);

public Q_SLOTS:
    void setLastKnownControllerStateResponse();

Q_SIGNALS:
    void readOperatingStateFinished();
    void writeOperatingStateFinished();

protected:
    void prepareReadProgram() override;
    void prepareDeleteProgram() override;
    void prepareWriteProgram() override;
    void prepareStartProgram() override;
    void prepareStopProgram() override;
    void resetCommand() override;

    bool isReadReady(quint32 controlWord) const override;
    const domain::types::ControllerAddress &controlWordRegister() const override;
    const domain::types::ControllerAddress &errorCodeRegister() const override;
    void continueCommand(quint32 deviceErrorCode) override;

private:
    // True, after a warning and the end of the command with an error that
    // says so, when the name holds characters the controller cannot store.
    bool refuseUnstorableName(const QString &name);
    void prepareReadCurrentControllerState();
    void readCurrentControllerState(const ChamberReply &reply);
    void sendStartRequest();
    void prepareSetLastKnownControllerState(const ChamberReply &stopReply);
    void readProgramNameFromController();
    void handleProgramName(const ChamberReply &reply);
    void readProgramSectionCount();
    void readProgramData(const ChamberReply &reply);
    void handleProgramData(const ChamberReply &reply);

    Qx2OperatingState m_lastKnownControllerState = INVALID;
    Clock m_clock;
    // The start request waits for the operating state of the running start.
    QMetaObject::Connection m_pendingStart;
};

} // namespace quelta::base::connection::chamberconnection
