#pragma once

#include "domain/types/unit.h"

#include <QtCore/QLocale>

#include <algorithm>
#include <iterator>

namespace quelta::gui {

// One of the languages that the display preferences offer, with the units
// and the decimal separator that choosing it sets.
struct PreferenceLanguage
{
    QLocale::Language language;
    const char16_t *name;
    int temperatureUnit;
    int humidityUnit;
    char16_t decimalSeparator;
};

// In the order of the settings screens' language list.
inline constexpr PreferenceLanguage PreferenceLanguages[] = {
    {QLocale::English, u"English", domain::types::Unit::DegreeFahrenheit, domain::types::Unit::RelativeHumidityRH,
     u'.'},
    {QLocale::French, u"Français", domain::types::Unit::DegreeCelsius, domain::types::Unit::RelativeHumidityRH, u'.'},
    {QLocale::German, u"Deutsch", domain::types::Unit::DegreeCelsius, domain::types::Unit::RelativeHumidityRF, u','},
    {QLocale::Italian, u"Italiano", domain::types::Unit::DegreeCelsius, domain::types::Unit::RelativeHumidityRH, u'.'},
    {QLocale::Spanish, u"Español", domain::types::Unit::DegreeCelsius, domain::types::Unit::RelativeHumidityRH, u'.'},
};

// The language to build a QLocale from for a stored language code: the code
// when it is one of the languages above, German (that of the default
// preferences) for any other. QLocale takes any number unchecked and reads
// outside its tables for one it does not know.
inline QLocale::Language localeLanguage(int code)
{
    const bool offered = std::any_of(std::cbegin(PreferenceLanguages), std::cend(PreferenceLanguages),
                                     [code](const PreferenceLanguage &entry) { return entry.language == code; });
    return offered ? QLocale::Language(code) : QLocale::German;
}

} // namespace quelta::gui
