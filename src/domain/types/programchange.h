#pragma once

#include "domain/types/programdata.h"
#include "domain/types/programsection.h"

#include <QtCore/QMetaType>
#include <QtCore/QVariant>

class QDebug;

namespace quelta::domain::types {

// One step of a program: a section, or a call of another program.
class ProgramChange
{
public:
    enum StepType : int {
        NoStep = 0,
        SectionStep = 1,
        SubProgramStep = 2
    };

    ProgramChange() = default;
    // A section step.
    ProgramChange(int id, int programId, const ProgramSection &section, int orderNumber);
    // A sub-program step.
    ProgramChange(int id, int programId, const ProgramData &subProgram, int orderNumber);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    int programId() const { return m_programId; }
    void setProgramId(int programId) { m_programId = programId; }
    // A ProgramSection for a section step, a ProgramData for a sub-program.
    QVariant content() const { return m_content; }
    int stepType() const { return m_stepType; }
    int orderNumber() const { return m_orderNumber; }
    void setOrderNumber(int orderNumber) { m_orderNumber = orderNumber; }

    // The content as what it is; a default record for the other kind of step.
    ProgramSection section() const { return m_content.value<ProgramSection>(); }
    ProgramData subProgram() const { return m_content.value<ProgramData>(); }

    friend bool operator==(const ProgramChange &lhs, const ProgramChange &rhs);
    friend bool operator!=(const ProgramChange &lhs, const ProgramChange &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    int m_programId = -1;
    QVariant m_content;
    int m_stepType = NoStep;
    int m_orderNumber = 0;
};

QDebug operator<<(QDebug debug, const ProgramChange &change);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramChange)
