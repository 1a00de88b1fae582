#include "connection/chamber/modbus/timer.h"

#include <QtCore/QTimerEvent>

#include <limits>

Timer::Timer(QObject *parent)
    : QObject(parent)
{
}

Timer::~Timer() = default;

int Timer::start(std::chrono::milliseconds interval)
{
    // Ids wrap after 2^31 periods; by then no queued timeout of an old
    // period can still be waiting.
    m_lastTimerId = m_lastTimerId == std::numeric_limits<int>::max() ? 1 : m_lastTimerId + 1;
    m_timerId = m_lastTimerId;
    m_timer.start(int(interval.count()), Qt::PreciseTimer, this);
    return m_timerId;
}

void Timer::stop()
{
    m_timer.stop();
    m_timerId = 0;
}

bool Timer::isActive() const
{
    return m_timer.isActive();
}

int Timer::timerId() const
{
    return m_timerId;
}

void Timer::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timer.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    const int finishedId = m_timerId;
    stop();
    Q_EMIT timeout(finishedId);
}
