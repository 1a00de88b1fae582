#pragma once

#include <QtCore/QString>

namespace quelta::domain::types {

// The unit codes of the system, as stored in the databases, and the
// conversions between them. Codes are plain ints because they come from
// storage; a code outside the table is treated as "no unit".
class Unit
{
public:
    enum Code : int {
        DegreeCelsius = 0,
        DegreeFahrenheit = 1,
        Kelvin = 2,
        RelativeHumidityRF = 3, // "% r.F."
        RelativeHumidityRH = 4, // "% r.H."
        Percent = 5,
        VolumePercent = 6,
        Hectopascal = 7,
        Millibar = 8,
        KiloLux = 9,
        MegaLuxHours = 10,
        WattPerSquareMetre = 11,
        WattHoursPerSquareMetre = 12,
        Bool = 13,
        Volt = 14,
        None = 16
    };

    // The unit's text; empty for Bool, None and codes without a text.
    static QString toString(int unit);
    // The first code, in ascending order, whose text equals the text; None for
    // an empty text or one that names no unit.
    static int fromString(const QString &text);
    // Converts in single precision between the temperature units, between hPa
    // and mbar and between the two relative-humidity units. Any other pair,
    // including a unit with itself, leaves the value unchanged, and so do the
    // largest and the smallest float, which stand for "no limit".
    static float convert(int from, int to, float value);

    Unit() = delete;
};

} // namespace quelta::domain::types
