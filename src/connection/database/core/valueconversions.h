#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QTime>
#include <QtCore/QVariant>

#include <string_view>

// Reading values out of result rows. SQL NULL arrives as a null text, so a
// value counts as absent when it is invalid or holds an empty or null text;
// each conversion then gives the caller's default. A usable value is
// converted with QVariant's own conversion.
//
// Writing whole records turns absent values into NULL (a null QVariant).

namespace quelta::domain::api {
class ISqlRowView;
}

namespace quelta::base::connection::databaseconnection {

bool isUsable(const QVariant &value);

QVariant valueOr(const QVariant &value, const QVariant &defaultValue);
QString toStringOr(const QVariant &value, const QString &defaultValue);
int toIntOr(const QVariant &value, int defaultValue);
uint toUIntOr(const QVariant &value, uint defaultValue);
// Ids and counts that may not fit 32 bits.
qint64 toInt64Or(const QVariant &value, qint64 defaultValue);
quint64 toUInt64Or(const QVariant &value, quint64 defaultValue);
float toFloatOr(const QVariant &value, float defaultValue);
bool toBoolOr(const QVariant &value, bool defaultValue);
QDateTime toDateTimeOr(const QVariant &value, const QDateTime &defaultValue);
QTime toTimeOr(const QVariant &value, const QTime &defaultValue);
// Date-times are stored in UTC and read back in local time.
QDateTime toLocalDateTimeOr(const QVariant &value, const QDateTime &defaultValue);

// The same conversions of a column of a row read in place, with the same
// results. NULL, integers, texts and reals for float are converted here
// without a QVariant, an integer as QVariant converts a qint64 (cut to the
// narrower type, straight to float, to bool by being non-zero); any other
// value goes through a QVariant.
bool isUsable(const domain::api::ISqlRowView &row, int column);
QString toStringOr(const domain::api::ISqlRowView &row, int column, const QString &defaultValue);
int toIntOr(const domain::api::ISqlRowView &row, int column, int defaultValue);
uint toUIntOr(const domain::api::ISqlRowView &row, int column, uint defaultValue);
qint64 toInt64Or(const domain::api::ISqlRowView &row, int column, qint64 defaultValue);
quint64 toUInt64Or(const domain::api::ISqlRowView &row, int column, quint64 defaultValue);
float toFloatOr(const domain::api::ISqlRowView &row, int column, float defaultValue);
bool toBoolOr(const domain::api::ISqlRowView &row, int column, bool defaultValue);

// Stored UTF-8 bytes as a text, every character kept, a leading U+FEFF too;
// no bytes give an empty, non-null text.
QString textFromUtf8(std::string_view bytes);

// A list of ids bound as values, and a column of ids read back.
QList<QVariant> toVariantList(const QList<int> &ids);
QList<int> toIntList(const QList<QVariant> &values, int defaultValue);

QVariant textOrNull(const QString &text);
// An invalid date-time is NULL, a valid one is written in UTC.
QVariant utcOrNull(const QDateTime &time);

template<typename T>
QVariant valueOrNull(T value, T absent)
{
    return value == absent ? QVariant() : QVariant::fromValue(value);
}

} // namespace quelta::base::connection::databaseconnection
