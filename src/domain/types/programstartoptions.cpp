#include "domain/types/programstartoptions.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ProgramStartOptions::ProgramStartOptions(const QDateTime &startTime, qint32 startDelay, qint32 startSection,
                                         qint32 startTransitionType, qint32 fourthValue, qint32 fifthValue,
                                         qint32 sixthValue)
    : m_startTime(startTime)
    , m_startDelay(startDelay)
    , m_startSection(startSection)
    , m_startTransitionType(startTransitionType)
    , m_fourthValue(fourthValue)
    , m_fifthValue(fifthValue)
    , m_sixthValue(sixthValue)
{
}

QDebug operator<<(QDebug debug, const ProgramStartOptions &options)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ProgramStartOptions(" << options.startTime() << ", delay " << options.startDelay()
                    << ", section " << options.startSection() << ", transition " << options.startTransitionType()
                    << ", " << options.fourthValue() << ", " << options.fifthValue() << ", " << options.sixthValue()
                    << ')';
    return debug;
}

} // namespace quelta::domain::types
