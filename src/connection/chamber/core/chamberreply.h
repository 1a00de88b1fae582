#pragma once

#include "domain/api/ichamberreply.h"
#include "domain/types/chambererror.h"

#include <QtCore/QBasicTimer>
#include <QtCore/QObject>
#include <QtCore/QRecursiveMutex>
#include <QtCore/QSharedPointer>
#include <QtCore/QVariant>
#include <QtCore/QVector>

#include <chrono>

namespace quelta::base::connection::chamberconnection {

// The result of one request to a chamber: one slot per requested item, each
// holding a value or an error code numbered as QModbusDevice::Error. A slot
// that was never set reads as UnknownError ("result not set").
//
// The transport fills the slots and calls finish(), from any thread; the
// results are guarded by a mutex and frozen from then on. finished() is
// emitted exactly once, on the reply's thread and always from its event
// loop, never inside the call that created or completed the reply, so a
// requester that connects after the call returned cannot miss it.
//
// A reply that is not finished within timeout() finishes by itself, its
// unset slots with TimeoutError.
class ChamberReply : public QObject, public domain::api::IChamberReply
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberReply)

public:
    static constexpr std::chrono::milliseconds TimeoutPerItem{10000};
    static constexpr std::chrono::milliseconds BaseTimeout{50000};

    // A reply shared between requester and transport; the last owner's
    // release deletes it on its own thread.
    static QSharedPointer<ChamberReply> create(int itemCount);

    explicit ChamberReply(int itemCount, QObject *parent = nullptr);
    ~ChamberReply() override;

    bool isFinished() const override;
    bool hasAnyError() const override;
    int resultCount() const override;
    QVariant result(int index) const override;
    int errorCode(int index) const override;

    // The value of a slot, which clears its error.
    void setResult(int index, const QVariant &value);
    void setError(int index, domain::types::ChamberError::Error error);
    void finish();
    // Gives every slot not set yet the error, then finishes.
    void finishWithError(domain::types::ChamberError::Error error);

    // TimeoutPerItem for each item plus BaseTimeout, unless set otherwise.
    // Call on the reply's thread; setting it restarts the time-out.
    std::chrono::milliseconds timeout() const;
    void setTimeout(std::chrono::milliseconds timeout);

Q_SIGNALS:
    void finished();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    struct Slot
    {
        QVariant value;
        int errorCode = domain::types::ChamberError::UnknownError;
        bool isSet = false;
    };

    bool isWritable(int index, const char *what) const;
    void markFinished();
    void onTimeout();

    mutable QRecursiveMutex m_mutex;
    QVector<Slot> m_slots;
    bool m_finished = false;
    // A basic timer rather than a QTimer: every request makes a reply, and a
    // child object with a connection for each was a good part of its cost.
    QBasicTimer m_timer;
    std::chrono::milliseconds m_timeout;
};

} // namespace quelta::base::connection::chamberconnection

Q_DECLARE_METATYPE(QSharedPointer<quelta::base::connection::chamberconnection::ChamberReply>)
