#pragma once

#include <QtCore/QObject>
#include <QtCore/QSharedPointer>

#include <functional>

namespace quelta::domain::api {
class IChamberReply;
}

namespace quelta::base::connection::chamberconnection {

class ChamberReply;

// Waits for one reply at a time on behalf of a transfer object and hands the
// finished reply to a handler, so that no handler needs sender().
//
// The handler runs exactly once per wait, from the event loop, and only for a
// finished reply: also when the reply finished, and even announced it, before
// wait() was called. The waiter holds the reply until then. A new wait or
// cancel() drops the wait that runs; destroying the waiter drops it as well.
class ReplyWaiter : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(const ChamberReply &reply)>;

    explicit ReplyWaiter(QObject *parent = nullptr);
    ~ReplyWaiter() override;

    // False, and the handler is never called, when reply is null or no
    // ChamberReply: no request was made.
    [[nodiscard]] bool wait(const QSharedPointer<domain::api::IChamberReply> &reply, Handler handler);
    template<typename T>
    [[nodiscard]] bool wait(const QSharedPointer<domain::api::IChamberReply> &reply, T *receiver,
                            void (T::*handler)(const ChamberReply &))
    {
        return wait(reply, [receiver, handler](const ChamberReply &finished) { (receiver->*handler)(finished); });
    }

    bool isWaiting() const { return !m_reply.isNull(); }

    // What the transfer steps take as a successful reply: no error and at
    // least one result.
    static bool succeeded(const ChamberReply &reply);
    void cancel();

private:
    void deliver();

    QSharedPointer<ChamberReply> m_reply;
    Handler m_handler;
};

} // namespace quelta::base::connection::chamberconnection
