#pragma once

#include "domain/types/programsection.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>

class QDebug;

namespace quelta::domain::types {

// A program section as a controller stores it: the section and the two
// further numbers that the controller keeps with it, the reference and the
// repetitions.
class ProgramTransmittableSection
{
public:
    ProgramTransmittableSection() = default;
    ProgramTransmittableSection(const ProgramSection &section, int reference, int repetitions);

    ProgramSection section() const { return m_section; }
    void setSection(const ProgramSection &section) { m_section = section; }
    int reference() const { return m_reference; }
    void setReference(int reference) { m_reference = reference; }
    int repetitions() const { return m_repetitions; }
    void setRepetitions(int repetitions) { m_repetitions = repetitions; }

    friend bool operator==(const ProgramTransmittableSection &lhs, const ProgramTransmittableSection &rhs)
    {
        return lhs.m_section == rhs.m_section && lhs.m_reference == rhs.m_reference
            && lhs.m_repetitions == rhs.m_repetitions;
    }
    friend bool operator!=(const ProgramTransmittableSection &lhs, const ProgramTransmittableSection &rhs)
    {
        return !(lhs == rhs);
    }

private:
    ProgramSection m_section;
    int m_reference = 0;
    int m_repetitions = 0;
};

QDebug operator<<(QDebug debug, const ProgramTransmittableSection &section);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramTransmittableSection)
