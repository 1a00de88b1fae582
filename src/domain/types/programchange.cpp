#include "domain/types/programchange.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramChange::ProgramChange(int id, int programId, const ProgramSection &section, int orderNumber)
    : m_id(id)
    , m_programId(programId)
    , m_content(QVariant::fromValue(section))
    , m_stepType(SectionStep)
    , m_orderNumber(orderNumber)
{
}

ProgramChange::ProgramChange(int id, int programId, const ProgramData &subProgram, int orderNumber)
    : m_id(id)
    , m_programId(programId)
    , m_content(QVariant::fromValue(subProgram))
    , m_stepType(SubProgramStep)
    , m_orderNumber(orderNumber)
{
}

bool operator==(const ProgramChange &lhs, const ProgramChange &rhs)
{
    if (lhs.m_id != rhs.m_id || lhs.m_programId != rhs.m_programId || lhs.m_stepType != rhs.m_stepType
        || lhs.m_orderNumber != rhs.m_orderNumber) {
        return false;
    }
    // QVariant cannot compare our records itself, so the content is compared
    // as what the step type says it holds.
    switch (lhs.m_stepType) {
    case ProgramChange::SectionStep:
        return lhs.section() == rhs.section();
    case ProgramChange::SubProgramStep:
        return lhs.subProgram() == rhs.subProgram();
    default:
        return lhs.m_content.isValid() == rhs.m_content.isValid();
    }
}

QDebug operator<<(QDebug debug, const ProgramChange &change)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramChange(id " << change.id() << ", program " << change.programId() << ", order "
                    << change.orderNumber() << ", ";
    if (change.stepType() == ProgramChange::SectionStep)
        debug << change.section();
    else if (change.stepType() == ProgramChange::SubProgramStep)
        debug << change.subProgram();
    else
        debug << "no step";
    debug << ')';
    return debug;
}

} // namespace quelta::domain::types
