#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QMetaType>
#include <QtCore/QtGlobal>

class QDebug;

namespace quelta::domain::types {

// How a program on a controller is to start: at a time, or after a delay in
// seconds; from a section (-1 from the first); with a transition type (-1 for
// the controller's default). Three more values are carried for controllers
// that need them.
class ProgramStartOptions
{
public:
    ProgramStartOptions() = default;
    ProgramStartOptions(const QDateTime &startTime, qint32 startDelay, qint32 startSection,
                        qint32 startTransitionType, qint32 fourthValue, qint32 fifthValue, qint32 sixthValue);

    // Null when the program starts after startDelay.
    QDateTime startTime() const { return m_startTime; }
    void setStartTime(const QDateTime &time) { m_startTime = time; }
    qint32 startDelay() const { return m_startDelay; }
    void setStartDelay(qint32 seconds) { m_startDelay = seconds; }
    qint32 startSection() const { return m_startSection; }
    void setStartSection(qint32 section) { m_startSection = section; }
    qint32 startTransitionType() const { return m_startTransitionType; }
    void setStartTransitionType(qint32 type) { m_startTransitionType = type; }
    qint32 fourthValue() const { return m_fourthValue; }
    void setFourthValue(qint32 value) { m_fourthValue = value; }
    qint32 fifthValue() const { return m_fifthValue; }
    void setFifthValue(qint32 value) { m_fifthValue = value; }
    qint32 sixthValue() const { return m_sixthValue; }
    void setSixthValue(qint32 value) { m_sixthValue = value; }

    friend bool operator==(const ProgramStartOptions &lhs, const ProgramStartOptions &rhs)
    {
        return lhs.m_startTime == rhs.m_startTime && lhs.m_startDelay == rhs.m_startDelay
            && lhs.m_startSection == rhs.m_startSection && lhs.m_startTransitionType == rhs.m_startTransitionType
            && lhs.m_fourthValue == rhs.m_fourthValue && lhs.m_fifthValue == rhs.m_fifthValue
            && lhs.m_sixthValue == rhs.m_sixthValue;
    }
    friend bool operator!=(const ProgramStartOptions &lhs, const ProgramStartOptions &rhs) { return !(lhs == rhs); }

private:
    QDateTime m_startTime;
    qint32 m_startDelay = 0;
    qint32 m_startSection = -1;
    qint32 m_startTransitionType = -1;
    qint32 m_fourthValue = 0;
    qint32 m_fifthValue = 0;
    qint32 m_sixthValue = 0;
};

QDebug operator<<(QDebug debug, const ProgramStartOptions &options);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ProgramStartOptions)
