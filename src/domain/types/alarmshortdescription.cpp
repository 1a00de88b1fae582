#include "domain/types/alarmshortdescription.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

AlarmShortDescription::AlarmShortDescription(const QString &text, const QVariantList &arguments)
    : m_text(text)
    , m_arguments(arguments)
{
}

QDebug operator<<(QDebug debug, const AlarmShortDescription &description)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "AlarmShortDescription(" << description.text() << ", " << description.arguments() << ')';
    return debug;
}

} // namespace quelta::domain::types
