#include "connection/database/core/valueconversions.h"

namespace quelta::base::connection::databaseconnection {

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
