#pragma once

#include <QtCore/QDateTime>
#include <QtCore/QVariant>

#include <optional>

namespace quelta::domain::api {
class ISqlRowView;
}

namespace quelta::base::connection::databaseconnection {

// Turns the UTC moments of many records into local time without a call into
// the C library per record. QDateTime::toLocalTime() asks the C library
// (tzset(), mktime()) every time, which re-reads the zone under a lock that
// every thread of the process shares, so a pool of converter threads would
// queue on it. Time zones change their offset on the quarter hour, so the
// offset is looked up at the start of each quarter hour, the way
// toLocalTime() finds it; when the next quarter hour starts with the same
// offset, every moment in between is built from its milliseconds and that
// offset. A quarter hour in which the offset changes is converted moment by
// moment with toLocalTime().
//
// A converted moment carries a fixed offset from UTC (Qt::OffsetFromUTC, or
// Qt::UTC where the offset is 0) instead of Qt::LocalTime: the same instant
// and the same wall-clock time as toLocalTime() gives, also in the repeated
// hour after a daylight-saving change. A moment already in local time stays
// as it is.
//
// One converter serves one thread: it keeps the quarter hour it saw last.
// A change of the system's time zone reaches converters made after it.
class LocalTimeConverter
{
public:
    // A stored date-time in local time, or an invalid one when the value is
    // absent (NULL or empty).
    QDateTime toLocal(const QVariant &stored);
    // The same of a column of a row read in place; the driver's form is read
    // from the text's bytes, any other value as toLocal(value()).
    QDateTime toLocal(const domain::api::ISqlRowView &row, int column);
    QDateTime toLocal(const QDateTime &time);

private:
    QDateTime fromInstant(qint64 msecsSinceEpoch);
    // The offset of the quarter hour of the moment, when it holds for the
    // whole quarter hour.
    std::optional<int> steadyOffset(qint64 msecsSinceEpoch);

    std::optional<qint64> m_quarter;
    std::optional<int> m_offsetAtStart;
    std::optional<int> m_offsetAtEnd;
};

} // namespace quelta::base::connection::databaseconnection
