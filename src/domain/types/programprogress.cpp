#include "domain/types/programprogress.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramProgress::ProgramProgress(bool interpreted, float progress, qint64 elapsedTime, qint64 remainingTime,
                                 int elapsedLoop, int remainingLoop, int section, bool paused,
                                 bool startedByApplication)
    : m_interpreted(interpreted)
    , m_progress(progress)
    , m_elapsedTime(elapsedTime)
    , m_remainingTime(remainingTime)
    , m_elapsedLoop(elapsedLoop)
    , m_remainingLoop(remainingLoop)
    , m_section(section)
    , m_paused(paused)
    , m_startedByApplication(startedByApplication)
{
}

QDebug operator<<(QDebug debug, const ProgramProgress &progress)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramProgress(" << (progress.isInterpreted() ? "interpreted, " : "controller, ")
                    << progress.progress() << ", " << progress.elapsedTime() << " s + " << progress.remainingTime()
                    << " s, loop " << progress.elapsedLoop() << '/' << progress.remainingLoop() << ", section "
                    << progress.section() << (progress.isPaused() ? ", paused" : "") << ')';
    return debug;
}

} // namespace quelta::domain::types
