#pragma once

#include "domain/types/fileformat.h"
#include "domain/types/unit.h"

#include <QtCore/QChar>
#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// How a user wants values, dates and times shown. The record carries a second
// set of the fields from the localization to the humidity unit; the
// constructor fills both sets alike, and equality compares both.
class LocalePreferences
{
public:
    LocalePreferences() = default;
    // localization is a QLocale::Language value; the units are unit codes.
    LocalePreferences(int defaultFileFormat, int localization, const QString &timeFormat, const QString &dateFormat,
                      QChar decimalSeparator, int temperatureUnit, int humidityUnit);

    // A FileFormat value.
    int defaultFileFormat() const { return m_defaultFileFormat; }
    void setDefaultFileFormat(int format) { m_defaultFileFormat = format; }
    int localization() const { return m_first.localization; }
    void setLocalization(int language) { m_first.localization = language; }
    QString timeFormat() const { return m_first.timeFormat; }
    void setTimeFormat(const QString &format) { m_first.timeFormat = format; }
    QString dateFormat() const { return m_first.dateFormat; }
    void setDateFormat(const QString &format) { m_first.dateFormat = format; }
    QChar decimalSeparator() const { return m_first.decimalSeparator; }
    void setDecimalSeparator(QChar separator) { m_first.decimalSeparator = separator; }
    int temperatureUnit() const { return m_first.temperatureUnit; }
    void setTemperatureUnit(int unit) { m_first.temperatureUnit = unit; }
    int humidityUnit() const { return m_first.humidityUnit; }
    void setHumidityUnit(int unit) { m_first.humidityUnit = unit; }

    int secondLocalization() const { return m_second.localization; }
    void setSecondLocalization(int language) { m_second.localization = language; }
    QString secondTimeFormat() const { return m_second.timeFormat; }
    void setSecondTimeFormat(const QString &format) { m_second.timeFormat = format; }
    QString secondDateFormat() const { return m_second.dateFormat; }
    void setSecondDateFormat(const QString &format) { m_second.dateFormat = format; }
    QChar secondDecimalSeparator() const { return m_second.decimalSeparator; }
    void setSecondDecimalSeparator(QChar separator) { m_second.decimalSeparator = separator; }
    int secondTemperatureUnit() const { return m_second.temperatureUnit; }
    void setSecondTemperatureUnit(int unit) { m_second.temperatureUnit = unit; }
    int secondHumidityUnit() const { return m_second.humidityUnit; }
    void setSecondHumidityUnit(int unit) { m_second.humidityUnit = unit; }

    friend bool operator==(const LocalePreferences &lhs, const LocalePreferences &rhs)
    {
        return lhs.m_defaultFileFormat == rhs.m_defaultFileFormat && lhs.m_first == rhs.m_first
            && lhs.m_second == rhs.m_second;
    }
    friend bool operator!=(const LocalePreferences &lhs, const LocalePreferences &rhs) { return !(lhs == rhs); }

private:
    struct Fields
    {
        int localization = 0;
        QString timeFormat;
        QString dateFormat;
        QChar decimalSeparator;
        int temperatureUnit = Unit::None;
        int humidityUnit = Unit::None;

        friend bool operator==(const Fields &lhs, const Fields &rhs)
        {
            return lhs.localization == rhs.localization && lhs.timeFormat == rhs.timeFormat
                && lhs.dateFormat == rhs.dateFormat && lhs.decimalSeparator == rhs.decimalSeparator
                && lhs.temperatureUnit == rhs.temperatureUnit && lhs.humidityUnit == rhs.humidityUnit;
        }
    };

    int m_defaultFileFormat = static_cast<int>(FileFormat::PDF);
    Fields m_first;
    Fields m_second;
};

QDebug operator<<(QDebug debug, const LocalePreferences &preferences);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::LocalePreferences)
