#include "domain/types/programtransmittablesection.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramTransmittableSection::ProgramTransmittableSection(const ProgramSection &section, int reference,
                                                         int repetitions)
    : m_section(section)
    , m_reference(reference)
    , m_repetitions(repetitions)
{
}

QDebug operator<<(QDebug debug, const ProgramTransmittableSection &section)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramTransmittableSection(" << section.section() << ", reference " << section.reference()
                    << ", repetitions " << section.repetitions() << ')';
    return debug;
}

} // namespace quelta::domain::types
