#include "connection/database/core/valueconversions.h"

#include "domain/api/isqlrowview.h"

#include <algorithm>

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

namespace {

// A column's value as T: NULL is the default, an integer is cut as QVariant
// cuts a qint64, anything else goes through the QVariant conversion.
template<typename T>
T integerOr(const ISqlRowView &row, int column, T defaultValue, T (*fromVariant)(const QVariant &, T))
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        return static_cast<T>(row.integer(column));
    default:
        return fromVariant(row.value(column), defaultValue);
    }
}

} // namespace

bool isUsable(const ISqlRowView &row, int column)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return false;
    case Storage::Text:
        return !row.utf8(column).empty();
    default:
        return true;
    }
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
    return integerOr(row, column, defaultValue, toIntOr);
}

uint toUIntOr(const ISqlRowView &row, int column, uint defaultValue)
{
    return integerOr(row, column, defaultValue, toUIntOr);
}

qint64 toInt64Or(const ISqlRowView &row, int column, qint64 defaultValue)
{
    return integerOr(row, column, defaultValue, toInt64Or);
}

quint64 toUInt64Or(const ISqlRowView &row, int column, quint64 defaultValue)
{
    return integerOr(row, column, defaultValue, toUInt64Or);
}

float toFloatOr(const ISqlRowView &row, int column, float defaultValue)
{
    switch (row.storage(column)) {
    case Storage::Null:
        return defaultValue;
    case Storage::Integer:
        // Straight to float, as QVariant converts a qint64: through double,
        // an integer beyond 2^53 would be rounded twice.
        return float(row.integer(column));
    case Storage::Real:
        return float(row.real(column));
    default:
        return toFloatOr(row.value(column), defaultValue);
    }
}

bool toBoolOr(const ISqlRowView &row, int column, bool defaultValue)
{
    return integerOr(row, column, defaultValue, toBoolOr);
}

QString textFromUtf8(std::string_view bytes)
{
    if (bytes.empty())
        return QStringLiteral("");
    // Nearly every text is ASCII, which Latin-1 decodes alike and faster.
    const bool ascii = std::all_of(bytes.cbegin(), bytes.cend(), [](char character) { return (character & 0x80) == 0; });
    if (ascii)
        return QString::fromLatin1(bytes.data(), int(bytes.size()));
    // QString::fromUtf8() drops a leading U+FEFF as a byte-order mark; in a
    // stored text it is a character like any other.
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    int leadingMarks = 0;
    while (bytes.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0) {
        bytes.remove_prefix(ByteOrderMark.size());
        ++leadingMarks;
    }
    const QString rest = QString::fromUtf8(bytes.data(), int(bytes.size()));
    return leadingMarks == 0 ? rest : QString(leadingMarks, QChar::ByteOrderMark) + rest;
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
