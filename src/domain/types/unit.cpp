#include "domain/types/unit.h"

#include <limits>

namespace quelta::domain::types {

namespace {

// The factor 5/9 as the stored conversions have always written it.
constexpr float FiveNinths = 0.5555556f;
constexpr float CelsiusToKelvin = 273.15f;
constexpr float FahrenheitToRankine = 459.67f;

// Signal limits store the largest floats for "no limit"; converted, they
// would overflow to infinity or turn into an ordinary number.
bool isNoLimit(float value)
{
    return value == std::numeric_limits<float>::max() || value == std::numeric_limits<float>::lowest();
}

bool isTemperature(int unit)
{
    return unit == Unit::DegreeCelsius || unit == Unit::DegreeFahrenheit || unit == Unit::Kelvin;
}

float toCelsius(int from, float value)
{
    switch (from) {
    case Unit::DegreeFahrenheit:
        return (value - 32.0f) * FiveNinths;
    case Unit::Kelvin:
        return value - CelsiusToKelvin;
    default:
        return value;
    }
}

float convertTemperature(int from, int to, float value)
{
    if (from == Unit::DegreeFahrenheit && to == Unit::Kelvin)
        return (value + FahrenheitToRankine) * FiveNinths;

    const float celsius = toCelsius(from, value);
    switch (to) {
    case Unit::DegreeFahrenheit:
        return celsius * 1.8f + 32.0f;
    case Unit::Kelvin:
        return celsius + CelsiusToKelvin;
    default:
        return celsius;
    }
}

} // namespace

QString Unit::toString(int unit)
{
    switch (unit) {
    case DegreeCelsius:
        return QStringLiteral("°C");
    case DegreeFahrenheit:
        return QStringLiteral("°F");
    case Kelvin:
        return QStringLiteral("K");
    case RelativeHumidityRF:
        return QStringLiteral("% r.F.");
    case RelativeHumidityRH:
        return QStringLiteral("% r.H.");
    case Percent:
        return QStringLiteral("%");
    case VolumePercent:
        return QStringLiteral("Vol.-%");
    case Hectopascal:
        return QStringLiteral("hPa");
    case Millibar:
        return QStringLiteral("mbar");
    case KiloLux:
        return QStringLiteral("kLUX");
    case MegaLuxHours:
        return QStringLiteral("Mluxh");
    case WattPerSquareMetre:
        return QStringLiteral("W/m²");
    case WattHoursPerSquareMetre:
        return QStringLiteral("Wh/m²");
    case Volt:
        return QStringLiteral("V");
    default:
        return QString();
    }
}

int Unit::fromString(const QString &text)
{
    if (text.isEmpty())
        return None;
    for (int unit = DegreeCelsius; unit < None; ++unit) {
        if (toString(unit) == text)
            return unit;
    }
    return None;
}

float Unit::convert(int from, int to, float value)
{
    if (from == to || isNoLimit(value))
        return value;
    if (isTemperature(from) && isTemperature(to))
        return convertTemperature(from, to, value);
    // 1 hPa is 1 mbar, and "% r.F." and "% r.H." name the same quantity, so
    // those pairs keep the number; pairs of different quantities cannot be
    // converted and keep it too.
    return value;
}

} // namespace quelta::domain::types
