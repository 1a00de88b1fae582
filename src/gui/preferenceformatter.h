#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/localepreferences.h"
#include "domain/types/recordset.h"
#include "domain/types/setpointvalue.h"
#include "domain/types/unitvalue.h"

#include <QtCore/QDate>
#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QString>
#include <QtCore/QTime>
#include <QtCore/QVariant>

namespace quelta::gui {

// The preferences wherever a user has none of his own: PDF, German with the
// German short time and date formats and decimal point, °C and "% r.F.".
// Built from Qt's locale data on each call.
domain::types::LocalePreferences defaultLocalePreferences();

// Numbers, measured values, dates and times in the form that one set of
// preferences asks for. Only the first set of fields of the preferences is
// read.
namespace PreferenceFormatter {

// The unit in which a value of the unit is shown: temperatures and relative
// humidities in the preferred units, everything else as it is.
int preferredUnit(const domain::types::LocalePreferences &preferences, int unit);

// Values above 100000 in scientific form with every integer digit kept,
// everything else in fixed-point form with the decimal places; the decimal
// point is replaced by the separator. Infinities and NaN read "inf", "-inf"
// and "nan". At most 17 decimal places are written, the most that a double
// can tell apart.
QString formatFloat(float value, QChar decimalSeparator, int decimalPlaces);
QString formatFloat(const domain::types::LocalePreferences &preferences, float value, int decimalPlaces);
// The value in its preferred unit, followed by a blank and the unit's text
// when includeUnit is set; "-" (or "- " and the unit) for an invalid value.
QString formatUnitValue(const domain::types::LocalePreferences &preferences, const domain::types::UnitValue &value,
                        int decimalPlaces, bool includeUnit);

// Day and month names in a date follow the system's locale, as
// QDate::toString() writes them; times are written in the preferred language,
// or in German for a language code that the preferences do not offer.
QString formatDate(const domain::types::LocalePreferences &preferences, const QDate &date);
QString formatTime(const domain::types::LocalePreferences &preferences, const QTime &time);
QString formatTime(const domain::types::LocalePreferences &preferences, const QTime &time, const QString &format);
// A null text for an invalid date-time.
QString formatDateTime(const domain::types::LocalePreferences &preferences, const QDateTime &dateTime);

// Both values and the tolerance range in the preferred unit of the value.
domain::types::SetpointValue toPreferredUnits(const domain::types::LocalePreferences &preferences,
                                              const domain::types::SetpointValue &value);

// The limits of the value's tolerance range in the preferred unit: an
// absolute range gives its limits, a relative one the setpoint plus or minus
// its distances. Invalid for a digital signal, a signal that is no process
// value, a value without range, and a relative range without a valid
// setpoint or distance.
QVariant upperToleranceLimit(const domain::types::LocalePreferences &preferences,
                             const domain::types::ChamberSignal &chamberSignal,
                             const domain::types::SetpointValue &value, const domain::types::SetpointValue &setpoint);
QVariant lowerToleranceLimit(const domain::types::LocalePreferences &preferences,
                             const domain::types::ChamberSignal &chamberSignal,
                             const domain::types::SetpointValue &value, const domain::types::SetpointValue &setpoint);
// The same for the signal's value in a stored record, in the preferred unit
// of the signal; the setpoint of a relative range is the value of the
// signal's setpoint signal among the setpoints.
QVariant upperToleranceLimit(const domain::types::LocalePreferences &preferences,
                             const domain::types::Recordset &recordset, int signalId,
                             const QMap<int, domain::types::ChamberSignal> &signalMap,
                             const QList<domain::types::SetpointValue> &setpoints);
QVariant lowerToleranceLimit(const domain::types::LocalePreferences &preferences,
                             const domain::types::Recordset &recordset, int signalId,
                             const QMap<int, domain::types::ChamberSignal> &signalMap,
                             const QList<domain::types::SetpointValue> &setpoints);

// The id of the signal's setpoint signal; -1 when the signal is not in the
// map or has none.
int setpointSignalIdOf(int signalId, const QMap<int, domain::types::ChamberSignal> &signalMap);
// The first value of the signal; a default value when there is none.
domain::types::SetpointValue setpointValueOf(int signalId, const QList<domain::types::SetpointValue> &values);

// Replaces the characters that file systems refuse: ':' '|' '.' '"' '?' by
// '_', '\\' '/' '%' by '-', and '@' by " at ".
QString sanitizeFileName(const QString &text);

} // namespace PreferenceFormatter

} // namespace quelta::gui
