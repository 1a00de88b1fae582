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

} // namespace quelta::base::connection::databaseconnection
