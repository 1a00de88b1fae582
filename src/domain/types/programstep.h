#pragma once

#include <QtCore/QMetaType>

class QDebug;

namespace quelta::domain::types {

// A loop over a run of steps of a program, repeated numRepetitions times.
class ProgramStep
{
public:
    ProgramStep() = default;
    ProgramStep(int id, int programId, int startStepId, int endStepId, int numRepetitions);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    int programId() const { return m_programId; }
    void setProgramId(int programId) { m_programId = programId; }
    int startStepId() const { return m_startStepId; }
    void setStartStepId(int stepId) { m_startStepId = stepId; }
    int endStepId() const { return m_endStepId; }
    void setEndStepId(int stepId) { m_endStepId = stepId; }
    int numRepetitions() const { return m_numRepetitions; }
    void setNumRepetitions(int repetitions) { m_numRepetitions = repetitions; }

    friend bool operator==(const ProgramStep &lhs, const ProgramStep &rhs)
    {
        return lhs.m_id == rhs.m_id && lhs.m_programId == rhs.m_programId && lhs.m_startStepId == rhs.m_startStepId
            && lhs.m_endStepId == rhs.m_endStepId && lhs.m_numRepetitions == rhs.m_numRepetitions;
    }
    friend bool operator!=(const ProgramStep &lhs, const ProgramStep &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    int m_programId = -1;
    int m_startStepId = -1;
    int m_endStepId = -1;
    int m_numRepetitions = 0;
};

QDebug operator<<(QDebug debug, const ProgramStep &step);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramStep)
