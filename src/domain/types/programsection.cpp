#include "domain/types/programsection.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramSection::ProgramSection(int id, const QList<SetpointValue> &setpoints, qint64 durationInSeconds,
                               TransitionType transitionType, bool breakpoint, const QString &programEventMessage)
    : m_id(id)
    , m_setpoints(setpoints)
    , m_durationInSeconds(durationInSeconds)
    , m_transitionType(transitionType)
    , m_breakpoint(breakpoint)
    , m_programEventMessage(programEventMessage)
{
}

QDebug operator<<(QDebug debug, const ProgramSection &section)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramSection(id " << section.id() << ", " << section.durationInSeconds() << " s, "
                    << section.transitionType() << (section.hasBreakpoint() ? ", breakpoint, " : ", ")
                    << section.setpoints() << ')';
    return debug;
}

} // namespace quelta::domain::types
