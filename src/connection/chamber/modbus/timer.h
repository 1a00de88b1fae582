#pragma once

#include <QtCore/QBasicTimer>
#include <QtCore/QObject>

#include <chrono>

// A single-shot timer whose timeout() names the period it ends. Every start()
// hands out a new id, so a receiver can tell the timeout of the current
// request from one that was already queued when the request changed.
class Timer : public QObject
{
    Q_OBJECT

public:
    explicit Timer(QObject *parent = nullptr);
    ~Timer() override;

    // Starts a new period (stopping a running one) and returns its id, which
    // is never 0 and never repeats while the timer exists.
    int start(std::chrono::milliseconds interval);
    void stop();

    bool isActive() const;
    // The id of the running period, 0 when the timer is stopped.
    int timerId() const;

Q_SIGNALS:
    void timeout(int timerId);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    QBasicTimer m_timer;
    int m_timerId = 0;
    int m_lastTimerId = 0;
};
