#pragma once

#include <QtCore/QMetaType>

class QDebug;

namespace quelta::domain::types {

// How far a running program has got. An interpreted program is one that the
// application carries out itself rather than the controller.
class ProgramProgress
{
public:
    ProgramProgress() = default;
    // progress is the done fraction, 0 to 1; the times are in seconds.
    ProgramProgress(bool interpreted, float progress, qint64 elapsedTime, qint64 remainingTime, int elapsedLoop,
                    int remainingLoop, int section, bool paused, bool startedByApplication);

    bool isInterpreted() const { return m_interpreted; }
    void setInterpreted(bool interpreted) { m_interpreted = interpreted; }
    float progress() const { return m_progress; }
    void setProgress(float progress) { m_progress = progress; }
    qint64 elapsedTime() const { return m_elapsedTime; }
    void setElapsedTime(qint64 seconds) { m_elapsedTime = seconds; }
    qint64 remainingTime() const { return m_remainingTime; }
    void setRemainingTime(qint64 seconds) { m_remainingTime = seconds; }
    int elapsedLoop() const { return m_elapsedLoop; }
    void setElapsedLoop(int loop) { m_elapsedLoop = loop; }
    int remainingLoop() const { return m_remainingLoop; }
    void setRemainingLoop(int loop) { m_remainingLoop = loop; }
    int section() const { return m_section; }
    void setSection(int section) { m_section = section; }
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused) { m_paused = paused; }
    bool isStartedByApplication() const { return m_startedByApplication; }
    void setStartedByApplication(bool started) { m_startedByApplication = started; }

    // A program is under way when some time has elapsed or remains.
    bool isValid() const { return m_elapsedTime != 0 || m_remainingTime != 0; }

    friend bool operator==(const ProgramProgress &lhs, const ProgramProgress &rhs)
    {
        return lhs.m_interpreted == rhs.m_interpreted && lhs.m_progress == rhs.m_progress
            && lhs.m_elapsedTime == rhs.m_elapsedTime && lhs.m_remainingTime == rhs.m_remainingTime
            && lhs.m_elapsedLoop == rhs.m_elapsedLoop && lhs.m_remainingLoop == rhs.m_remainingLoop
            && lhs.m_section == rhs.m_section && lhs.m_paused == rhs.m_paused
            && lhs.m_startedByApplication == rhs.m_startedByApplication;
    }
    friend bool operator!=(const ProgramProgress &lhs, const ProgramProgress &rhs) { return !(lhs == rhs); }

private:
    bool m_interpreted = false;
    float m_progress = 0.0f;
    qint64 m_elapsedTime = 0;
    qint64 m_remainingTime = 0;
    int m_elapsedLoop = 0;
    int m_remainingLoop = 0;
    int m_section = 0;
    bool m_paused = false;
    bool m_startedByApplication = false;
};

QDebug operator<<(QDebug debug, const ProgramProgress &progress);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramProgress)
