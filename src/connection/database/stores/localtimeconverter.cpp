#include "connection/database/stores/localtimeconverter.h"

#include "connection/database/core/valueconversions.h"
#include "domain/api/isqlrowview.h"

#include <QtCore/QDate>
#include <QtCore/QString>
#include <QtCore/QTime>

#include <string_view>

namespace quelta::base::connection::databaseconnection {

namespace {

constexpr qint64 MSecsPerSecond = 1000;
constexpr qint64 MSecsPerDay = 24 * 60 * 60 * MSecsPerSecond;
constexpr qint64 QuarterHour = 15 * 60 * MSecsPerSecond;
constexpr qint64 UnixEpochJulianDay = 2440588;
// Moments outside the years 1 to 9999 keep the conversion moment by moment,
// which also keeps the quarter-hour arithmetic far from overflowing.
constexpr qint64 FirstQuickMoment = Q_INT64_C(-62135596800000);
constexpr qint64 LastQuickMoment = Q_INT64_C(253402300799999);

// The length of "yyyy-MM-ddTHH:mm:ss.zzzZ", the form in which the driver
// writes every date-time.
constexpr int IsoUtcLength = 24;

qint64 floorDivide(qint64 dividend, qint64 divisor)
{
    const qint64 quotient = dividend / divisor;
    return quotient * divisor > dividend ? quotient - 1 : quotient;
}

char16_t codeOf(QChar character)
{
    return character.unicode();
}

char16_t codeOf(char character)
{
    return char16_t(static_cast<unsigned char>(character));
}

// The number of the digits at from, or -1 when one of them is not a digit.
template<typename Character>
int digitsAt(const Character *text, int from, int count)
{
    int number = 0;
    for (int index = from; index < from + count; ++index) {
        const char16_t digit = codeOf(text[index]);
        if (digit < u'0' || digit > u'9')
            return -1;
        number = number * 10 + int(digit - u'0');
    }
    return number;
}

// The moment of a text in the driver's form, read as Qt reads an ISO 8601
// date-time in UTC; none for any other text, which Qt then reads. The text
// is given as its characters or as its UTF-8 bytes, which are the same for
// the driver's form.
template<typename Character>
std::optional<qint64> driverTextMSecs(const Character *characters, qsizetype size)
{
    if (size != IsoUtcLength)
        return std::nullopt;
    const auto separatorsAt = [characters](std::initializer_list<std::pair<int, char16_t>> separators) {
        for (const auto &[index, separator] : separators) {
            if (codeOf(characters[index]) != separator)
                return false;
        }
        return true;
    };
    if (!separatorsAt({{4, u'-'}, {7, u'-'}, {10, u'T'}, {13, u':'}, {16, u':'}, {19, u'.'}, {23, u'Z'}}))
        return std::nullopt;
    const int year = digitsAt(characters, 0, 4);
    const int month = digitsAt(characters, 5, 2);
    const int day = digitsAt(characters, 8, 2);
    const int hour = digitsAt(characters, 11, 2);
    const int minute = digitsAt(characters, 14, 2);
    const int second = digitsAt(characters, 17, 2);
    const int msec = digitsAt(characters, 20, 3);
    // Qt reads hour 24 as the end of the day and rejects a leap second; both
    // are left to Qt, like any date that does not exist.
    if (year < 0 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 59 || msec < 0 || !QDate::isValid(year, month, day)) {
        return std::nullopt;
    }
    const qint64 days = QDate(year, month, day).toJulianDay() - UnixEpochJulianDay;
    return days * MSecsPerDay + ((hour * 60 + minute) * 60 + second) * MSecsPerSecond + msec;
}

// The difference between the wall-clock time that toLocalTime() gives for the
// moment and the moment itself, in seconds; none when there is no such time.
std::optional<int> wallClockOffset(qint64 msecsSinceEpoch)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC).toLocalTime();
    if (!local.isValid())
        return std::nullopt;
    const qint64 difference = QDateTime(local.date(), local.time(), Qt::UTC).toMSecsSinceEpoch() - msecsSinceEpoch;
    if (difference % MSecsPerSecond != 0)
        return std::nullopt;
    return int(difference / MSecsPerSecond);
}

} // namespace

QDateTime LocalTimeConverter::toLocal(const QVariant &stored)
{
    if (!isUsable(stored))
        return QDateTime();
    if (stored.userType() == QMetaType::QString) {
        const QString &text = *static_cast<const QString *>(stored.constData());
        if (const std::optional<qint64> msecs = driverTextMSecs(text.constData(), text.size()))
            return fromInstant(*msecs);
    }
    return toLocal(stored.toDateTime());
}

QDateTime LocalTimeConverter::toLocal(const domain::api::ISqlRowView &row, int column)
{
    if (row.storage(column) == domain::api::ISqlRowView::Storage::Text) {
        const std::string_view bytes = row.utf8(column);
        if (const std::optional<qint64> msecs = driverTextMSecs(bytes.data(), qsizetype(bytes.size())))
            return fromInstant(*msecs);
    }
    return toLocal(row.value(column));
}

QDateTime LocalTimeConverter::toLocal(const QDateTime &time)
{
    if (!time.isValid() || time.timeSpec() == Qt::LocalTime)
        return time.toLocalTime();
    return fromInstant(time.toMSecsSinceEpoch());
}

QDateTime LocalTimeConverter::fromInstant(qint64 msecsSinceEpoch)
{
    if (const std::optional<int> offset = steadyOffset(msecsSinceEpoch))
        return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::OffsetFromUTC, *offset);
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch, Qt::UTC).toLocalTime();
}

std::optional<int> LocalTimeConverter::steadyOffset(qint64 msecsSinceEpoch)
{
    if (msecsSinceEpoch < FirstQuickMoment || msecsSinceEpoch > LastQuickMoment)
        return std::nullopt;
    const qint64 quarter = floorDivide(msecsSinceEpoch, QuarterHour);
    if (quarter != m_quarter) {
        // Records come in time order: the end of one quarter hour is the
        // start of the next.
        m_offsetAtStart = m_quarter && quarter == *m_quarter + 1 ? m_offsetAtEnd : wallClockOffset(quarter * QuarterHour);
        m_offsetAtEnd = wallClockOffset((quarter + 1) * QuarterHour);
        m_quarter = quarter;
    }
    if (!m_offsetAtStart || m_offsetAtStart != m_offsetAtEnd)
        return std::nullopt;
    return m_offsetAtStart;
}

} // namespace quelta::base::connection::databaseconnection
