#pragma once

#include "transfer/abstractprogramtransmitter.h"
#include "transfer/replywaiter.h"

#include "domain/types/controlleraddress.h"

#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>
#include <QtCore/QVariant>

namespace quelta::domain::api {
class IChamberConnection;
class IChamberReply;
}

namespace quelta::base::connection::chamberconnection {

class ChamberReply;
class ModbusChamberConnection;

// The base of the program transmitters of the Modbus controller generations.
//
// A generation's program step writes its registers, the command word last,
// and hands the reply to handshakeAfter(). The handshake then polls the
// control word until isReadReady() says the controller is done, reads the
// error code and passes it to continueCommand(), which picks the next step.
// The poll has no interval and no limit of its own: each cycle is one read,
// and only a failed read (the reply's time-out among them) ends it. Start and
// stop requests are answered by their reply alone, without a handshake.
//
// The handshake ends a command with its error signal first and resetCommand()
// after it, so a receiver connected directly still sees the command running;
// the generations' own steps reset first.
class ModbusProgramTransmitter : public AbstractProgramTransmitter
{
    Q_OBJECT

public:
    ~ModbusProgramTransmitter() override;

    // Keeps connection when it is a Modbus chamber connection; otherwise keeps
    // none and returns false. Replaces the connection kept before.
    bool setChamberConnection(const QSharedPointer<domain::api::IChamberConnection> &connection);

    // Names the program after its index at once, without asking the
    // controller and whatever command runs.
    bool readProgramName(int programIndex) override;
    bool startProgram(int programIndex, const domain::types::ProgramStartOptions &options) override;
    bool stopProgram() override;

protected:
    explicit ModbusProgramTransmitter(QObject *parent = nullptr);

    // Asks for each slot in turn as a read of its program does, until every
    // slot has been asked for; continueCommand() names the slot.
    void prepareReadProgramNames() override;

    virtual bool isReadReady(quint32 controlWord) const = 0;
    virtual const domain::types::ControllerAddress &controlWordRegister() const = 0;
    virtual const domain::types::ControllerAddress &errorCodeRegister() const = 0;
    // The next step of the running command after a handshake; a device error
    // code other than 0 reports a failed request.
    virtual void continueCommand(quint32 deviceErrorCode) = 0;
    virtual void prepareStartProgram() = 0;
    virtual void prepareStopProgram() = 0;

    // Requests through the chamber connection; null when none can be made.
    QSharedPointer<domain::api::IChamberReply> readValue(const domain::types::ControllerAddress &address);
    QSharedPointer<domain::api::IChamberReply> readValues(const QList<domain::types::ControllerAddress> &addresses);
    QSharedPointer<domain::api::IChamberReply> writeValues(
        const QList<QPair<domain::types::ControllerAddress, QVariant>> &values);

    // Each waits for the reply of a request just made and returns true; for a
    // request that could not be made it ends the command with resetCommand()
    // and error "Unknown Error" and returns false.
    bool handshakeAfter(const QSharedPointer<domain::api::IChamberReply> &reply);
    bool startResponseAfter(const QSharedPointer<domain::api::IChamberReply> &reply);
    bool stopResponseAfter(const QSharedPointer<domain::api::IChamberReply> &reply);
    // A stop of several writes ends with the reply of its last writes, which
    // go out whatever became of the stop request itself; when that failed,
    // the stop fails even when the last writes succeed.
    bool stopResponseAfter(const ChamberReply &stopReply,
                           const QList<QPair<domain::types::ControllerAddress, QVariant>> &lastWrites);
    // Hands the finished reply to onFinished whatever its outcome.
    template<typename T>
    bool finishedAfter(const QSharedPointer<domain::api::IChamberReply> &reply, T *receiver,
                       void (T::*onFinished)(const ChamberReply &))
    {
        return awaitOrEnd(reply, [receiver, onFinished](const ChamberReply &finished) {
            (receiver->*onFinished)(finished);
        });
    }
    // Hands a reply with at least one result and no error to onResult; any
    // other reply ends the command like a request that could not be made.
    template<typename T>
    bool resultAfter(const QSharedPointer<domain::api::IChamberReply> &reply, T *receiver,
                     void (T::*onResult)(const ChamberReply &))
    {
        return awaitOrEnd(reply, [this, receiver, onResult](const ChamberReply &finished) {
            if (ReplyWaiter::succeeded(finished))
                (receiver->*onResult)(finished);
            else
                resetThenReportError();
        });
    }

    // How a section's analog set-points are taken from the controller.
    enum class ReadBack { AsRead, WithinLimits };
    // READ from a controller that answers one section per request with its
    // analog set-points by column, its digital word and its duration, in
    // that order: appends the section, each digital signal with the word and
    // each other signal with the float of its column, and ends the READ after
    // the last section. True while sections remain.
    bool appendSectionRead(const ChamberReply &reply, ReadBack values = ReadBack::AsRead);

    // Logs "Device sent error" and ends the command with "Unknown Error".
    void endWithDeviceError(quint32 deviceErrorCode);

    // WRITE: true, after reporting the write and resetting, once every
    // section has gone out.
    bool finishWriteAfterLastSection();
    // True, after a warning that calls them sections and the end of the
    // command with "Unknown Error", when the controller reports more
    // sections than a program holds (255 after a delete would read 256).
    bool refuseSectionCount(int sectionCount, const char *sections = "sections");
    // True, after a warning and the end of the command with "Unknown Error",
    // when a digital signal of the program lies beyond the controller's
    // bitCount bits. Asked before the first request, so that no part of the
    // program replaces the one on the controller.
    bool refuseUnplaceableBits(int bitCount);
    // START: the delay in seconds, from now to the start time where one is
    // given, kept in the start options. A delay below 0 is sent as 0 with a
    // warning: its 32-bit pattern would start the program 136 years later.
    quint32 startDelayInSeconds();

private:
    bool hasConnection() const;
    bool awaitOrEnd(const QSharedPointer<domain::api::IChamberReply> &reply, ReplyWaiter::Handler handler);
    // Waits for the reply of a request just made and hands it to handler
    // through hasTransmissionData(); false when no request was made.
    bool awaitStep(const QSharedPointer<domain::api::IChamberReply> &reply, ReplyWaiter::Handler handler);

    void checkStepReply(const ChamberReply &reply);
    void readControlWord();
    void checkForReadReady(const ChamberReply &reply);
    void readErrorCode();
    void handleErrorCodeResponse(const ChamberReply &reply);
    void handleProgramStartResponse(const ChamberReply &reply);
    void handleProgramStopResponse(const ChamberReply &reply, bool stopFailed);

    QSharedPointer<ModbusChamberConnection> m_chamberConnection;
    ReplyWaiter *const m_replyWaiter;
};

} // namespace quelta::base::connection::chamberconnection
