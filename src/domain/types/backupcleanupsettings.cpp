#include "domain/types/backupcleanupsettings.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

BackupCleanupSettings::BackupCleanupSettings(KeepStrategy strategy, int keepCount)
    : m_strategy(strategy)
    , m_keepCount(keepCount)
{
}

QDebug operator<<(QDebug debug, const BackupCleanupSettings &settings)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "BackupCleanupSettings(" << settings.strategy() << ", " << settings.keepCount() << ')';
    return debug;
}

} // namespace quelta::domain::types
