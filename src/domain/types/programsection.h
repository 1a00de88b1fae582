#pragma once

#include "domain/types/setpointvalue.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QObject>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One section of a program: setpoints that the chamber reaches by a ramp or
// a jump and holds for a duration.
class ProgramSection
{
    Q_GADGET

public:
    enum TransitionType : int {
        INVALID = -1,
        RAMP = 0,
        JUMP = 1
    };
    Q_ENUM(TransitionType)

    ProgramSection() = default;
    ProgramSection(int id, const QList<SetpointValue> &setpoints, qint64 durationInSeconds,
                   TransitionType transitionType, bool breakpoint, const QString &programEventMessage);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QList<SetpointValue> setpoints() const { return m_setpoints; }
    void setSetpoints(const QList<SetpointValue> &setpoints) { m_setpoints = setpoints; }
    qint64 durationInSeconds() const { return m_durationInSeconds; }
    void setDurationInSeconds(qint64 seconds) { m_durationInSeconds = seconds; }
    TransitionType transitionType() const { return m_transitionType; }
    void setTransitionType(TransitionType type) { m_transitionType = type; }
    bool hasBreakpoint() const { return m_breakpoint; }
    void setBreakpoint(bool breakpoint) { m_breakpoint = breakpoint; }
    QString programEventMessage() const { return m_programEventMessage; }
    void setProgramEventMessage(const QString &message) { m_programEventMessage = message; }

    friend bool operator==(const ProgramSection &lhs, const ProgramSection &rhs)
    {
        return lhs.m_id == rhs.m_id && lhs.m_setpoints == rhs.m_setpoints
            && lhs.m_durationInSeconds == rhs.m_durationInSeconds && lhs.m_transitionType == rhs.m_transitionType
            && lhs.m_breakpoint == rhs.m_breakpoint && lhs.m_programEventMessage == rhs.m_programEventMessage;
    }
    friend bool operator!=(const ProgramSection &lhs, const ProgramSection &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    QList<SetpointValue> m_setpoints;
    qint64 m_durationInSeconds = 0;
    TransitionType m_transitionType = INVALID;
    bool m_breakpoint = false;
    QString m_programEventMessage;
};

QDebug operator<<(QDebug debug, const ProgramSection &section);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramSection)
