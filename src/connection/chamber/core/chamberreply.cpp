#include "connection/chamber/core/chamberreply.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtCore/QMetaObject>
#include <QtCore/QMutexLocker>
#include <QtCore/QTimerEvent>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberError;

QSharedPointer<ChamberReply> ChamberReply::create(int itemCount)
{
    return QSharedPointer<ChamberReply>(new ChamberReply(itemCount), &QObject::deleteLater);
}

ChamberReply::ChamberReply(int itemCount, QObject *parent)
    : QObject(parent)
    , m_slots(qMax(0, itemCount))
    , m_timeout(TimeoutPerItem * m_slots.size() + BaseTimeout)
{
    m_timer.start(int(m_timeout.count()), this);
}

ChamberReply::~ChamberReply() = default;

bool ChamberReply::isFinished() const
{
    const QMutexLocker locker(&m_mutex);
    return m_finished;
}

bool ChamberReply::hasAnyError() const
{
    const QMutexLocker locker(&m_mutex);
    for (const Slot &slot : m_slots) {
        if (slot.errorCode != ChamberError::NoError)
            return true;
    }
    return false;
}

int ChamberReply::resultCount() const
{
    const QMutexLocker locker(&m_mutex);
    return m_slots.size();
}

QVariant ChamberReply::result(int index) const
{
    const QMutexLocker locker(&m_mutex);
    if (index < 0 || index >= m_slots.size())
        return QVariant();
    return m_slots.at(index).value;
}

int ChamberReply::errorCode(int index) const
{
    const QMutexLocker locker(&m_mutex);
    if (index < 0 || index >= m_slots.size())
        return ChamberError::UnknownError;
    return m_slots.at(index).errorCode;
}

void ChamberReply::setResult(int index, const QVariant &value)
{
    const QMutexLocker locker(&m_mutex);
    if (!isWritable(index, "result"))
        return;
    Slot &slot = m_slots[index];
    slot.value = value;
    slot.errorCode = ChamberError::NoError;
    slot.isSet = true;
}

void ChamberReply::setError(int index, ChamberError::Error error)
{
    const QMutexLocker locker(&m_mutex);
    if (!isWritable(index, "error"))
        return;
    Slot &slot = m_slots[index];
    slot.value = QVariant();
    slot.errorCode = error;
    slot.isSet = true;
}

void ChamberReply::finish()
{
    const QMutexLocker locker(&m_mutex);
    markFinished();
}

void ChamberReply::finishWithError(ChamberError::Error error)
{
    const QMutexLocker locker(&m_mutex);
    if (m_finished)
        return;
    for (Slot &slot : m_slots) {
        if (!slot.isSet) {
            slot.errorCode = error;
            slot.isSet = true;
        }
    }
    markFinished();
}

std::chrono::milliseconds ChamberReply::timeout() const
{
    return m_timeout;
}

void ChamberReply::setTimeout(std::chrono::milliseconds timeout)
{
    const QMutexLocker locker(&m_mutex);
    m_timeout = timeout;
    if (!m_finished)
        m_timer.start(int(m_timeout.count()), this);
}

void ChamberReply::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    m_timer.stop();
    onTimeout();
}

bool ChamberReply::isWritable(int index, const char *what) const
{
    if (m_finished) {
        qCWarning(lcChamberConnection) << "Ignoring a" << what << "for item" << index
                                       << "of a finished reply";
        return false;
    }
    if (index < 0 || index >= m_slots.size()) {
        qCWarning(lcChamberConnection) << "Ignoring a" << what << "for item" << index << "of a reply of"
                                       << m_slots.size() << "items";
        return false;
    }
    return true;
}

void ChamberReply::markFinished()
{
    if (m_finished)
        return;
    m_finished = true;
    // Emitted from the event loop of the reply's thread, whichever thread
    // completes the reply: a requester connecting after its call returned
    // still sees it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_timer.stop();
            Q_EMIT finished();
        },
        Qt::QueuedConnection);
}

void ChamberReply::onTimeout()
{
    {
        const QMutexLocker locker(&m_mutex);
        if (m_finished)
            return;
    }
    qCWarning(lcChamberConnection) << "Reply of" << resultCount() << "items timed out after"
                                   << m_timeout.count() << "ms";
    finishWithError(ChamberError::TimeoutError);
}

} // namespace quelta::base::connection::chamberconnection
