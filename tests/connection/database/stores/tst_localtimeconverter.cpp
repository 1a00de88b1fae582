#include "connection/database/stores/localtimeconverter.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/valueconversions.h"
#include "support/pinnedtimezone.h"
#include "support/sqltext.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <algorithm>
#include <memory>
#include <vector>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlConnection;
using quelta::domain::api::ISqlRowView;
using quelta::test::PinnedTimeZone;
using quelta::test::SqlText;

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute = 0, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

// The same instant and the same wall-clock time, or both invalid.
bool isSameLocalTime(const QDateTime &converted, const QDateTime &expected)
{
    if (!converted.isValid() || !expected.isValid())
        return converted.isValid() == expected.isValid();
    return converted.toMSecsSinceEpoch() == expected.toMSecsSinceEpoch() && converted.date() == expected.date()
        && converted.time() == expected.time() && converted.offsetFromUtc() == expected.offsetFromUtc();
}

QString describe(const QDateTime &time)
{
    return time.toString(Qt::ISODateWithMs) + QString(" (%1 ms)").arg(time.toMSecsSinceEpoch());
}

} // namespace

class tst_LocalTimeConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void moments_keepInstantAndWallClock_data();
    void moments_keepInstantAndWallClock();
    void storedValues_readAsTheStoreReadsThem_data();
    void storedValues_readAsTheStoreReadsThem();
    void storedValues_readInPlaceAsTheStoreReadsThem_data();
    void storedValues_readInPlaceAsTheStoreReadsThem();

private:
    QTemporaryDir m_directory;
    std::unique_ptr<ISqlConnection> m_connection;
};

void tst_LocalTimeConverter::initTestCase()
{
    QVERIFY(m_directory.isValid());
    auto connection = std::make_unique<SqliteConnection>("times");
    QVERIFY(connection->open(m_directory.filePath("times"), {}, {}, DatabaseKey,
                             ISqlConnection::OpenMode::CreateIfMissing));
    m_connection = std::move(connection);
}

void tst_LocalTimeConverter::moments_keepInstantAndWallClock_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::addColumn<QDateTime>("from");
    QTest::addColumn<QDateTime>("to");
    QTest::addColumn<bool>("backwards");

    // Two hours around a change of offset, walked second by second.
    QTest::newRow("spring forward") << QByteArray("Europe/Berlin") << utc(2024, 3, 31, 0) << utc(2024, 3, 31, 2)
                                    << false;
    QTest::newRow("fall back, repeated hour")
        << QByteArray("Europe/Berlin") << utc(2024, 10, 27, 0) << utc(2024, 10, 27, 2) << false;
    QTest::newRow("fall back, walked backwards")
        << QByteArray("Europe/Berlin") << utc(2024, 10, 27, 0) << utc(2024, 10, 27, 2) << true;
    QTest::newRow("rule written out")
        << QByteArray("CET-1CEST,M3.5.0,M10.5.0/3") << utc(2024, 10, 27, 0) << utc(2024, 10, 27, 2) << false;
    QTest::newRow("half-hour change") << QByteArray("Australia/Lord_Howe") << utc(2024, 4, 6, 14)
                                      << utc(2024, 4, 6, 16) << false;
    QTest::newRow("half-hour offset") << QByteArray("America/St_Johns") << utc(2024, 3, 10, 4)
                                      << utc(2024, 3, 10, 6) << false;
    // A change at 00:44:30 UTC, inside a quarter hour.
    QTest::newRow("change off the quarter hour")
        << QByteArray("Africa/Monrovia") << utc(1972, 1, 6, 23) << utc(1972, 1, 7, 1) << false;
    QTest::newRow("no local offset") << QByteArray("UTC") << utc(2024, 3, 31, 0) << utc(2024, 3, 31, 2) << false;
}

void tst_LocalTimeConverter::moments_keepInstantAndWallClock()
{
    QFETCH(QByteArray, zone);
    QFETCH(QDateTime, from);
    QFETCH(QDateTime, to);
    QFETCH(bool, backwards);
    const PinnedTimeZone pinned(zone);

    std::vector<QDateTime> moments;
    for (QDateTime moment = from; moment <= to; moment = moment.addSecs(1))
        moments.push_back(moment.addMSecs(moments.size() % 1000));
    if (backwards)
        std::reverse(moments.begin(), moments.end());

    LocalTimeConverter converter;
    for (const QDateTime &moment : moments) {
        const QDateTime converted = converter.toLocal(moment);
        const QDateTime expected = moment.toLocalTime();
        if (!isSameLocalTime(converted, expected))
            QFAIL(qPrintable(describe(moment) + " gave " + describe(converted) + ", not " + describe(expected)));
    }
}

void tst_LocalTimeConverter::storedValues_readAsTheStoreReadsThem_data()
{
    QTest::addColumn<QVariant>("stored");

    const auto text = [](const char *value) { return QVariant(QString(value)); };
    QTest::newRow("as the driver writes it") << text("2024-10-27T00:30:00.250Z");
    QTest::newRow("in the repeated hour") << text("2024-10-27T01:30:00.000Z");
    QTest::newRow("without milliseconds") << text("2024-10-27T00:30:00Z");
    QTest::newRow("with an offset") << text("2024-10-27T02:30:00.000+02:00");
    QTest::newRow("without a zone") << text("2024-10-27T02:30:00.000");
    QTest::newRow("lower-case zone") << text("2024-10-27T00:30:00.000z");
    QTest::newRow("end of the day") << text("2024-03-30T24:00:00.000Z");
    QTest::newRow("leap second") << text("2016-12-31T23:59:60.000Z");
    QTest::newRow("no such day") << text("2023-02-29T12:00:00.000Z");
    QTest::newRow("year 0") << text("0000-01-01T12:00:00.000Z");
    QTest::newRow("not a time") << text("yesterday, 24:00:00.000Z");
    QTest::newRow("NULL") << QVariant(QString());
    QTest::newRow("empty") << text("");
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("date-time in UTC") << QVariant(utc(2024, 3, 31, 1, 30));
    QTest::newRow("date-time with an offset")
        << QVariant(QDateTime(QDate(2024, 3, 31), QTime(4, 30), Qt::OffsetFromUTC, 3 * 3600));
    QTest::newRow("date-time in local time") << QVariant(QDateTime(QDate(2024, 3, 31), QTime(1, 30), Qt::LocalTime));
    QTest::newRow("invalid date-time") << QVariant(QDateTime());
}

void tst_LocalTimeConverter::storedValues_readAsTheStoreReadsThem()
{
    QFETCH(QVariant, stored);
    const PinnedTimeZone pinned("Europe/Berlin");

    LocalTimeConverter converter;
    const QDateTime converted = converter.toLocal(stored);
    const QDateTime expected = toLocalDateTimeOr(stored, QDateTime());
    QVERIFY2(isSameLocalTime(converted, expected), qPrintable(describe(converted) + " != " + describe(expected)));
}

void tst_LocalTimeConverter::storedValues_readInPlaceAsTheStoreReadsThem_data()
{
    storedValues_readAsTheStoreReadsThem_data();
}

// Each value as the database stores it, read from the statement's row in
// place, converts as the value of the row read whole does.
void tst_LocalTimeConverter::storedValues_readInPlaceAsTheStoreReadsThem()
{
    QFETCH(QVariant, stored);
    const PinnedTimeZone pinned("Europe/Berlin");
    const SqlText query("SELECT ?", {stored});
    const QDateTime expected = toLocalDateTimeOr(m_connection->selectValue(query), QDateTime());

    int rows = 0;
    LocalTimeConverter converter;
    QVERIFY(m_connection->selectEachView(query, [&](const ISqlRowView &row, int) {
        ++rows;
        const QDateTime converted = converter.toLocal(row, 0);
        QVERIFY2(isSameLocalTime(converted, expected), qPrintable(describe(converted) + " != " + describe(expected)));
    }));
    QCOMPARE(rows, 1);
}

QTEST_GUILESS_MAIN(tst_LocalTimeConverter)

#include "tst_localtimeconverter.moc"
