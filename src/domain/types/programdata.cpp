#include "domain/types/programdata.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramData::ProgramData(int id, const QString &programName, int userId, const QString &infoText, int programType,
                         bool edited, const ChamberTypeData &chamberType)
    : m_id(id)
    , m_programName(programName)
    , m_userId(userId)
    , m_infoText(infoText)
    , m_programType(programType)
    , m_edited(edited)
    , m_chamberType(chamberType)
{
}

QDebug operator<<(QDebug debug, const ProgramData &program)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramData(id " << program.id() << ", " << program.programName() << ", type "
                    << program.programType() << ", " << program.chamberType().key()
                    << (program.isEdited() ? ", edited" : "") << ')';
    return debug;
}

} // namespace quelta::domain::types
