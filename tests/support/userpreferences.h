#pragma once

#include "domain/types/localepreferences.h"
#include "domain/types/unit.h"

#include <QtCore/QLocale>

namespace quelta::test {

// A user's preferences that differ from the defaults in every field the
// screens show: English, US formats, decimal point, °F and "% r.H.".
inline domain::types::LocalePreferences englishPreferences()
{
    return domain::types::LocalePreferences(1, QLocale::English, QStringLiteral("h:mm AP"), QStringLiteral("M/d/yy"),
                                            QLatin1Char('.'), domain::types::Unit::DegreeFahrenheit,
                                            domain::types::Unit::RelativeHumidityRH);
}

} // namespace quelta::test
