#include "connection/database/core/valueconversions.h"

#include "domain/api/isqlrowview.h"

namespace quelta::base::connection::databaseconnection {

using domain::api::ISqlRowView;
using Storage = ISqlRowView::Storage;

bool isUsable(const QVariant &value)
{
    if (!value.isValid())
        return false;
    if (value.userType() == QMetaType::QString)
        return !value.toString().isEmpty();
    return true;
}

QVariant valueOr(const QVariant &value, const QVariant &defaultValue)
{
    return isUsable(value) ? value : defaultValue;
}

QString toStringOr(const QVariant &value, const QString &defaultValue)
{
    return isUsable(value) ? value.toString() : defaultValue;
}

int toIntOr(const QVariant &value, int defaultValue)
{
    return isUsable(value) ? value.toInt() : defaultValue;
}

uint toUIntOr(const QVariant &value, uint defaultValue)
{
    return isUsable(value) ? value.toUInt() : defaultValue;
}

qint64 toInt64Or(const QVariant &value, qint64 defaultValue)
{
    return isUsable(value) ? value.toLongLong() : defaultValue;
}

quint64 toUInt64Or(const QVariant &value, quint64 defaultValue)
{
    return isUsable(value) ? value.toULongLong() : defaultValue;
}

float toFloatOr(const QVariant &value, float defaultValue)
{
    return isUsable(value) ? value.toFloat() : defaultValue;
}

bool toBoolOr(const QVariant &value, bool defaultValue)
{
    return isUsable(value) ? value.toBool() : defaultValue;
}

QDateTime toDateTimeOr(const QVariant &value, const QDateTime &defaultValue)
{
    return isUsable(value) ? value.toDateTime() : defaultValue;
}

QTime toTimeOr(const QVariant &value, const QTime &defaultValue)
{
    return isUsable(value) ? value.toTime() : defaultValue;
}

QDateTime toLocalDateTimeOr(const QVariant &value, const QDateTime &defaultValue)
{
    return isUsable(value) ? value.toDateTime().toLocalTime() : defaultValue;
}

QString toStringOr(const ISqlRowView &row, int column, const QString &defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Text: {
        const QString text = row.text(column);
        return text.isEmpty() ? defaultValue : text;
    }
    default:
        return toStringOr(row.value(column), defaultValue);
    }
}

int toIntOr(const ISqlRowView &row, int column, int defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        return int(row.integer(column));
    default:
        return toIntOr(row.value(column), defaultValue);
    }
}

qint64 toInt64Or(const ISqlRowView &row, int column, qint64 defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        return row.integer(column);
    default:
        return toInt64Or(row.value(column), defaultValue);
    }
}

quint64 toUInt64Or(const ISqlRowView &row, int column, quint64 defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        return quint64(row.integer(column));
    default:
        return toUInt64Or(row.value(column), defaultValue);
    }
}

float toFloatOr(const ISqlRowView &row, int column, float defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        return float(double(row.integer(column)));
    case Storage::Real:
        return float(row.real(column));
    default:
        return toFloatOr(row.value(column), defaultValue);
    }
}

bool toBoolOr(const ISqlRowView &row, int column, bool defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        return row.integer(column) != 0;
    default:
        return toBoolOr(row.value(column), defaultValue);
    }
}

QList<QVariant> toVariantList(const QList<int> &ids)
{
    QList<QVariant> values;
    values.reserve(ids.size());
    for (const int id : ids)
        values.append(id);
    return values;
}

QList<int> toIntList(const QList<QVariant> &values, int defaultValue)
{
    QList<int> ids;
    ids.reserve(values.size());
    for (const QVariant &value : values)
        ids.append(toIntOr(value, defaultValue));
    return ids;
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant utcOrNull(const QDateTime &time)
{
    return time.isValid() ? QVariant(time.toUTC()) : QVariant();
}

} // namespace quelta::base::connection::databaseconnection
