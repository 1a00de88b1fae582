#include "domain/types/programstep.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramStep::ProgramStep(int id, int programId, int startStepId, int endStepId, int numRepetitions)
    : m_id(id)
    , m_programId(programId)
    , m_startStepId(startStepId)
    , m_endStepId(endStepId)
    , m_numRepetitions(numRepetitions)
{
}

QDebug operator<<(QDebug debug, const ProgramStep &step)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramStep(id " << step.id() << ", program " << step.programId() << ", steps "
                    << step.startStepId() << " to " << step.endStepId() << ", " << step.numRepetitions()
                    << " times)";
    return debug;
}

} // namespace quelta::domain::types
