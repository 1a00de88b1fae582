#include "connection/database/core/valueconversions.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

// Rows arrive with SQL NULL as a null text; the conversions must treat it,
// and an empty text, as absent.
class tst_ValueConversions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void absentValuesGiveTheDefault();
    void usableValuesConvertAsQVariantDoes();
    void absentFieldsAreWrittenAsNull();
};

void tst_ValueConversions::absentValuesGiveTheDefault()
{
    for (const QVariant &absent : {QVariant(), QVariant(QString()), QVariant(QString(""))}) {
        QVERIFY(!isUsable(absent));
        QCOMPARE(valueOr(absent, 5), QVariant(5));
        QCOMPARE(toStringOr(absent, "default"), QString("default"));
        QCOMPARE(toIntOr(absent, -1), -1);
        QCOMPARE(toUIntOr(absent, 7u), 7u);
        QCOMPARE(toFloatOr(absent, 3.4028235e38f), 3.4028235e38f);
        QCOMPARE(toBoolOr(absent, true), true);
        const QDateTime fallback(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
        QCOMPARE(toDateTimeOr(absent, fallback), fallback);
        QCOMPARE(toTimeOr(absent, QTime(1, 2)), QTime(1, 2));
        QCOMPARE(toInt64Or(absent, -1), qint64(-1));
        QCOMPARE(toUInt64Or(absent, 9), quint64(9));
        QCOMPARE(toLocalDateTimeOr(absent, fallback), fallback);
    }
    QCOMPARE(toIntList({QVariant(3), QVariant(QString())}, -1), QList<int>({3, -1}));
}

void tst_ValueConversions::usableValuesConvertAsQVariantDoes()
{
    for (const QVariant &usable : {QVariant(QString(" ")), QVariant(qint64(0)), QVariant(QDateTime())})
        QCOMPARE(valueOr(usable, 5), usable);
    QCOMPARE(toIntOr(QVariant(QString("abc")), -1), 0);
    QCOMPARE(toUIntOr(QVariant(qint64(3000000000)), 0u), 3000000000u);
    QCOMPARE(toFloatOr(QVariant(QString("2.5")), 0.0f), 2.5f);
    QCOMPARE(toDateTimeOr(QVariant(QString("2024-03-01T08:15:30.250Z")), QDateTime()),
             QDateTime(QDate(2024, 3, 1), QTime(8, 15, 30, 250), Qt::UTC));
    QCOMPARE(toTimeOr(QVariant(QString("07:05:03.020")), QTime()), QTime(7, 5, 3, 20));
    // Ids beyond 32 bits, as the catalogue and the record sets have them.
    QCOMPARE(toUInt64Or(QVariant(QString("5000000000")), 0), quint64(5000000000ULL));
    QCOMPARE(toInt64Or(QVariant(qint64(-5000000000LL)), 0), qint64(-5000000000LL));
    const QDateTime local = toLocalDateTimeOr(QVariant(QString("2024-03-01T08:00:00.000Z")), QDateTime());
    QCOMPARE(local.timeSpec(), Qt::LocalTime);
    QCOMPARE(local, QDateTime(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC));
}

void tst_ValueConversions::absentFieldsAreWrittenAsNull()
{
    QCOMPARE(textOrNull(QString("")), QVariant());
    QCOMPARE(textOrNull(" "), QVariant(" "));
    QCOMPARE(utcOrNull(QDateTime()), QVariant());
    const QDateTime eastOfUtc(QDate(2024, 3, 1), QTime(9, 0), Qt::OffsetFromUTC, 3600);
    QCOMPARE(utcOrNull(eastOfUtc).toDateTime().timeSpec(), Qt::UTC);
    QCOMPARE(utcOrNull(eastOfUtc).toDateTime(), eastOfUtc);
    QCOMPARE(valueOrNull(-1, -1), QVariant());
    QCOMPARE(valueOrNull<quint64>(7, 0), QVariant::fromValue<quint64>(7));
    QCOMPARE(toVariantList({1, 2}), QList<QVariant>({1, 2}));
}

QTEST_GUILESS_MAIN(tst_ValueConversions)

#include "tst_valueconversions.moc"
