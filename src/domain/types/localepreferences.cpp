#include "domain/types/localepreferences.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

LocalePreferences::LocalePreferences(int defaultFileFormat, int localization, const QString &timeFormat,
                                     const QString &dateFormat, QChar decimalSeparator, int temperatureUnit,
                                     int humidityUnit)
    : m_defaultFileFormat(defaultFileFormat)
    , m_first{localization, timeFormat, dateFormat, decimalSeparator, temperatureUnit, humidityUnit}
    , m_second(m_first)
{
}

QDebug operator<<(QDebug debug, const LocalePreferences &preferences)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "LocalePreferences(format " << preferences.defaultFileFormat() << ", language "
                    << preferences.localization() << ", " << preferences.timeFormat() << ", "
                    << preferences.dateFormat() << ", " << preferences.decimalSeparator() << ", "
                    << Unit::toString(preferences.temperatureUnit()) << ", "
                    << Unit::toString(preferences.humidityUnit()) << ')';
    return debug;
}

} // namespace quelta::domain::types
