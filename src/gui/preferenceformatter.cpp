#include "gui/preferenceformatter.h"

#include "domain/types/fileformat.h"
#include "domain/types/tolerancerange.h"
#include "domain/types/unit.h"
#include "gui/preferencelanguages.h"

#include <QtCore/QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quelta::gui {

using domain::types::ChamberSignal;
using domain::types::LocalePreferences;
using domain::types::Recordset;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;
using domain::types::Unit;
using domain::types::UnitValue;

namespace {

// Above this, numbers switch to scientific form.
constexpr double ScientificThreshold = 100000.0;
// A double holds at most 17 significant digits; more decimal places only
// pad the text with digits that mean nothing, and an unbounded count from a
// caller would build a text of any size.
constexpr int MaxDecimalPlaces = std::numeric_limits<double>::max_digits10;

struct FileNameReplacement
{
    QChar character;
    QLatin1String replacement;
};

// No replacement holds a replaced character, so the order does not matter.
constexpr FileNameReplacement FileNameReplacements[] = {
    {QChar(u':'), QLatin1String("_")},  {QChar(u'\\'), QLatin1String("-")}, {QChar(u'/'), QLatin1String("-")},
    {QChar(u'%'), QLatin1String("-")},  {QChar(u'@'), QLatin1String(" at ")}, {QChar(u'|'), QLatin1String("_")},
    {QChar(u'.'), QLatin1String("_")},  {QChar(u'"'), QLatin1String("_")},  {QChar(u'?'), QLatin1String("_")},
};

QLocale localeOf(const LocalePreferences &preferences)
{
    return QLocale(localeLanguage(preferences.localization()), QLocale::AnyCountry);
}

bool hasToleranceLimits(const ChamberSignal &chamberSignal)
{
    return !chamberSignal.isDigital() && chamberSignal.signalType() == ChamberSignal::ProcessValue;
}

enum class Side { Lower, Upper };

// The limit of the range on one side, in the unit. A relative range's
// limits are distances from the setpoint.
QVariant toleranceLimit(const ToleranceRange &range, const SetpointValue &setpoint, int unit, Side side)
{
    const UnitValue limit = side == Side::Upper ? range.upper() : range.lower();
    switch (range.type()) {
    case ToleranceRange::Absolute:
        return limit.valueIn(unit);
    case ToleranceRange::Relative: {
        const QVariant setpointValue = setpoint.valueIn(unit);
        const QVariant distance = limit.differenceIn(unit);
        if (!setpointValue.isValid() || !distance.isValid())
            return QVariant();
        const float sign = side == Side::Upper ? 1.0f : -1.0f;
        return QVariant(setpointValue.toFloat() + sign * distance.toFloat());
    }
    default:
        return QVariant();
    }
}

QVariant liveToleranceLimit(const LocalePreferences &preferences, const ChamberSignal &chamberSignal,
                            const SetpointValue &value, const SetpointValue &setpoint, Side side)
{
    if (!hasToleranceLimits(chamberSignal))
        return QVariant();
    const int unit = PreferenceFormatter::preferredUnit(preferences, value.unit());
    return toleranceLimit(value.toleranceRange(), setpoint, unit, side);
}

QVariant recordedToleranceLimit(const LocalePreferences &preferences, const Recordset &recordset, int signalId,
                                const QMap<int, ChamberSignal> &signalMap, const QList<SetpointValue> &setpoints,
                                Side side)
{
    const auto chamberSignal = signalMap.constFind(signalId);
    if (chamberSignal == signalMap.constEnd() || !hasToleranceLimits(*chamberSignal))
        return QVariant();
    const ToleranceRange range = recordset.toleranceRangeOf(signalId);
    const int unit = PreferenceFormatter::preferredUnit(preferences, chamberSignal->unit());
    SetpointValue setpoint;
    if (range.type() == ToleranceRange::Relative) {
        setpoint = PreferenceFormatter::setpointValueOf(PreferenceFormatter::setpointSignalIdOf(signalId, signalMap),
                                                        setpoints);
    }
    return toleranceLimit(range, setpoint, unit, side);
}

} // namespace

LocalePreferences defaultLocalePreferences()
{
    const QLocale german(QLocale::German, QLocale::AnyCountry);
    return LocalePreferences(static_cast<int>(domain::types::FileFormat::PDF), QLocale::German,
                             german.timeFormat(QLocale::ShortFormat), german.dateFormat(QLocale::ShortFormat),
                             german.decimalPoint(), Unit::DegreeCelsius, Unit::RelativeHumidityRF);
}

namespace PreferenceFormatter {

int preferredUnit(const LocalePreferences &preferences, int unit)
{
    switch (unit) {
    case Unit::DegreeCelsius:
    case Unit::DegreeFahrenheit:
    case Unit::Kelvin:
        return preferences.temperatureUnit();
    case Unit::RelativeHumidityRF:
    case Unit::RelativeHumidityRH:
        return preferences.humidityUnit();
    default:
        return unit;
    }
}

QString formatFloat(float value, QChar decimalSeparator, int decimalPlaces)
{
    const double number = value;
    // The logarithm of an infinity does not fit the precision; infinities
    // and NaN take the fixed-point form, which writes them as words.
    QString text = std::isfinite(number) && number > ScientificThreshold
        ? QString::number(number, 'e', static_cast<int>(std::floor(std::log10(number))))
        : QString::number(number, 'f', std::min(decimalPlaces, MaxDecimalPlaces));
    return text.replace(QLatin1Char('.'), decimalSeparator);
}

QString formatFloat(const LocalePreferences &preferences, float value, int decimalPlaces)
{
    return formatFloat(value, preferences.decimalSeparator(), decimalPlaces);
}

QString formatUnitValue(const LocalePreferences &preferences, const UnitValue &value, int decimalPlaces,
                        bool includeUnit)
{
    const int unit = preferredUnit(preferences, value.unit());
    const QVariant converted = value.valueIn(unit);
    if (!converted.isValid())
        return includeUnit ? QStringLiteral("- %1").arg(Unit::toString(unit)) : QStringLiteral("-");
    const QString number = formatFloat(preferences, converted.toFloat(), decimalPlaces);
    return includeUnit ? QStringLiteral("%1 %2").arg(number, Unit::toString(unit)) : number;
}

QString formatDate(const LocalePreferences &preferences, const QDate &date)
{
    return date.toString(preferences.dateFormat());
}

QString formatTime(const LocalePreferences &preferences, const QTime &time)
{
    return formatTime(preferences, time, preferences.timeFormat());
}

QString formatTime(const LocalePreferences &preferences, const QTime &time, const QString &format)
{
    return localeOf(preferences).toString(time, format);
}

QString formatDateTime(const LocalePreferences &preferences, const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return QString();
    return QStringLiteral("%1 %2").arg(formatDate(preferences, dateTime.date()),
                                       formatTime(preferences, dateTime.time()));
}

SetpointValue toPreferredUnits(const LocalePreferences &preferences, const SetpointValue &value)
{
    const int unit = preferredUnit(preferences, value.unit());
    ToleranceRange range = value.toleranceRange();
    range.convertTo(unit);
    return SetpointValue(value.signalId(), value.valueAsFloat(unit), value.secondValueAsFloat(unit), unit, range);
}

QVariant upperToleranceLimit(const LocalePreferences &preferences, const ChamberSignal &chamberSignal,
                             const SetpointValue &value, const SetpointValue &setpoint)
{
    return liveToleranceLimit(preferences, chamberSignal, value, setpoint, Side::Upper);
}

QVariant lowerToleranceLimit(const LocalePreferences &preferences, const ChamberSignal &chamberSignal,
                             const SetpointValue &value, const SetpointValue &setpoint)
{
    return liveToleranceLimit(preferences, chamberSignal, value, setpoint, Side::Lower);
}

QVariant upperToleranceLimit(const LocalePreferences &preferences, const Recordset &recordset, int signalId,
                             const QMap<int, ChamberSignal> &signalMap, const QList<SetpointValue> &setpoints)
{
    return recordedToleranceLimit(preferences, recordset, signalId, signalMap, setpoints, Side::Upper);
}

QVariant lowerToleranceLimit(const LocalePreferences &preferences, const Recordset &recordset, int signalId,
                             const QMap<int, ChamberSignal> &signalMap, const QList<SetpointValue> &setpoints)
{
    return recordedToleranceLimit(preferences, recordset, signalId, signalMap, setpoints, Side::Lower);
}

int setpointSignalIdOf(int signalId, const QMap<int, ChamberSignal> &signalMap)
{
    const auto chamberSignal = signalMap.constFind(signalId);
    if (chamberSignal == signalMap.constEnd() || !chamberSignal->setPointSignal())
        return -1;
    return chamberSignal->setPointSignal()->id();
}

SetpointValue setpointValueOf(int signalId, const QList<SetpointValue> &values)
{
    for (const SetpointValue &value : values) {
        if (value.signalId() == signalId)
            return value;
    }
    return SetpointValue();
}

QString sanitizeFileName(const QString &text)
{
    QString result = text;
    for (const FileNameReplacement &entry : FileNameReplacements)
        result.replace(entry.character, entry.replacement);
    return result;
}

} // namespace PreferenceFormatter

} // namespace quelta::gui
