#pragma once

#include "connection/chamber/core/chamberconnection.h"
#include "connection/chamber/protocol/lineframerimpl.h"
#include "connection/chamber/protocol/lineprotocolimpl.h"

#include <QtCore/QQueue>
#include <QtCore/QSharedPointer>

#include <chrono>
#include <memory>

class QIODevice;
class QTimer;

namespace quelta::base::connection::chamberconnection {

class ChamberReply;

// A chamber connection that speaks a line protocol over a byte stream. It has
// one queue and one request in flight: a request is written from a zero-delay
// timer, and when no acceptable answer line comes within the reply time-out it
// is written again after the repeat interval, at most MaximumWrites times in
// all; then its reply ends with a time-out. Subclasses provide the stream.
//
// The line protocols carry the communication check only: reading and writing
// values is refused with a null reply.
class LineChamberConnection : public ChamberConnection
{
    Q_OBJECT

public:
    static constexpr int MaximumWrites = 4;
    static constexpr std::chrono::milliseconds DefaultReplyTimeout{1000};
    static constexpr std::chrono::milliseconds DefaultRepeatInterval{2};
    static constexpr std::chrono::milliseconds MinimumReplyTimeout{10};

    ~LineChamberConnection() override;

    [[nodiscard]] const LineProtocolImpl &protocol() const { return *m_protocol; }

    [[nodiscard]] std::chrono::milliseconds replyTimeout() const { return m_replyTimeout; }
    // Values below MinimumReplyTimeout are raised to it.
    void setReplyTimeout(std::chrono::milliseconds timeout);
    [[nodiscard]] std::chrono::milliseconds repeatInterval() const { return m_repeatInterval; }
    // Negative values count as zero.
    void setRepeatInterval(std::chrono::milliseconds interval);

    [[nodiscard]] bool connectDevice() override;
    void disconnectDevice() override;
    // Ends every queued request with an abort and drops buffered input; the
    // connection stays open.
    void reset() override;

    // Sends the protocol's fixed check request; checkAddress is not used. The
    // reply holds the answer line as a QString.
    QSharedPointer<domain::api::IChamberReply> checkCommunication(
            const domain::types::ControllerAddress &checkAddress) override;
    QSharedPointer<domain::api::IChamberReply> readValue(const domain::types::ControllerAddress &address) override;
    QSharedPointer<domain::api::IChamberReply> readValues(
            const QList<domain::types::ControllerAddress> &addresses) override;
    QSharedPointer<domain::api::IChamberReply> writeValue(const domain::types::ControllerAddress &address,
                                                          const QVariant &value) override;
    QSharedPointer<domain::api::IChamberReply> writeValues(
            const QList<QPair<domain::types::ControllerAddress, QVariant>> &values) override;

protected:
    LineChamberConnection(std::unique_ptr<LineProtocolImpl> protocol, QObject *parent);

    // Called once by the subclass's constructor with the stream it owns.
    void attachDevice(QIODevice *device);

    // Opens the stream; called from the event loop after connectDevice() has
    // returned. The subclass answers with deviceOpened() or deviceFailed(),
    // inside this call or later.
    virtual void openDevice() = 0;
    // Closes the stream at once; no signal of the stream may reach
    // deviceFailed() for this close.
    virtual void closeDevice() = 0;
    // The peer as log lines name it: "10.0.0.5:8000", "/dev/ttyUSB0".
    [[nodiscard]] virtual QString peerName() const = 0;

    void deviceOpened();
    // The stream failed to open, or failed or closed while open.
    void deviceFailed(domain::types::ChamberError::Error error, const QString &errorString);

private:
    enum class Stage {
        Idle,
        WaitingToWrite,
        Writing,
        WaitingForReply,
    };

    struct Request
    {
        QSharedPointer<ChamberReply> reply;
        QByteArray frame;
        int writes = 0;
    };

    [[nodiscard]] QString prefix() const;
    QSharedPointer<domain::api::IChamberReply> refuse(const char *operation);
    void onOpenTimeout();
    void scheduleWrite(std::chrono::milliseconds delay);
    void onWriteTimeout();
    void onBytesWritten(qint64 bytes);
    void onReplyTimeout();
    void onReadyRead();
    void finishCurrent(const QVariant &result, domain::types::ChamberError::Error error, const QString &reason);
    void abortAll(const QString &reason);

    std::unique_ptr<LineProtocolImpl> const m_protocol;
    QIODevice *m_device = nullptr;
    QTimer *const m_openTimer;
    QTimer *const m_writeTimer;
    QTimer *const m_replyTimer;
    LineFramerImpl m_framer;
    QQueue<Request> m_queue;
    Stage m_stage = Stage::Idle;
    qint64 m_bytesToWrite = 0;
    std::chrono::milliseconds m_replyTimeout = DefaultReplyTimeout;
    std::chrono::milliseconds m_repeatInterval = DefaultRepeatInterval;
};

} // namespace quelta::base::connection::chamberconnection
