#include "domain/types/backupsettings.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

BackupSettings::BackupSettings(const QTime &timeOfDay, int interval, int dayOfX, const QString &path,
                               const QString &password)
    : m_timeOfDay(timeOfDay)
    , m_interval(interval)
    , m_dayOfX(dayOfX)
    , m_path(path)
    , m_password(password)
{
}

QDebug operator<<(QDebug debug, const BackupSettings &settings)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "BackupSettings(" << settings.timeOfDay() << ", interval " << settings.interval() << ", day "
                    << settings.dayOfX() << ", " << settings.path() << ')';
    return debug;
}

} // namespace quelta::domain::types
