#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QString>
#include <QtCore/QTime>
#include <QtCore/QVariant>

// Reading values out of result rows. SQL NULL arrives as a null text, so a
// value counts as absent when it is invalid or holds an empty or null text;
// each conversion then gives the caller's default. A usable value is
// converted with QVariant's own conversion.

namespace quelta::base::connection::databaseconnection {

bool isUsable(const QVariant &value);

QVariant valueOr(const QVariant &value, const QVariant &defaultValue);
QString toStringOr(const QVariant &value, const QString &defaultValue);
int toIntOr(const QVariant &value, int defaultValue);
uint toUIntOr(const QVariant &value, uint defaultValue);
float toFloatOr(const QVariant &value, float defaultValue);
bool toBoolOr(const QVariant &value, bool defaultValue);
QDateTime toDateTimeOr(const QVariant &value, const QDateTime &defaultValue);
QTime toTimeOr(const QVariant &value, const QTime &defaultValue);

} // namespace quelta::base::connection::databaseconnection
