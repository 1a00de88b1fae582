#include "transfer/replywaiter.h"

#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QTimer>

#include <utility>

namespace quelta::base::connection::chamberconnection {

ReplyWaiter::ReplyWaiter(QObject *parent)
    : QObject(parent)
{
}

ReplyWaiter::~ReplyWaiter() = default;

bool ReplyWaiter::wait(const QSharedPointer<domain::api::IChamberReply> &reply, Handler handler)
{
    cancel();
    m_reply = reply.dynamicCast<ChamberReply>();
    if (!m_reply)
        return false;
    m_handler = std::move(handler);
    connect(m_reply.data(), &ChamberReply::finished, this, &ReplyWaiter::deliver);
    // A reply may have announced its end before anyone listened.
    if (m_reply->isFinished())
        QTimer::singleShot(0, this, &ReplyWaiter::deliver);
    return true;
}

bool ReplyWaiter::succeeded(const ChamberReply &reply)
{
    return !reply.hasAnyError() && reply.resultCount() >= 1;
}

void ReplyWaiter::cancel()
{
    if (m_reply)
        disconnect(m_reply.data(), nullptr, this, nullptr);
    m_reply.reset();
    m_handler = nullptr;
}

void ReplyWaiter::deliver()
{
    // Both the signal and the timer may arrive for one reply; the timer of an
    // earlier wait may arrive during a later one, whose reply runs on.
    if (!m_reply || !m_reply->isFinished())
        return;
    const QSharedPointer<ChamberReply> reply = m_reply;
    const Handler handler = std::move(m_handler);
    cancel();
    // The handler may start the next wait, or end the owner of this waiter.
    handler(*reply);
}

} // namespace quelta::base::connection::chamberconnection
