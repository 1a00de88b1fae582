#include "domain/types/unit.h"

#include <QtTest/QtTest>

#include <cfloat>

using quelta::domain::types::Unit;

class tst_Unit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toString();
    void fromStringFindsEveryNamedUnitAndNothingElse();
    void convert_data();
    void convert();
};

void tst_Unit::toString()
{
    QCOMPARE(Unit::toString(0), "°C");
    QCOMPARE(Unit::toString(3), "% r.F.");
    QCOMPARE(Unit::toString(12), "Wh/m²");
    // 13 (BOOL), 15 and 16 (none) have no text of their own.
    QCOMPARE(Unit::toString(13), QString());
    QCOMPARE(Unit::toString(15), QString());
    QCOMPARE(Unit::toString(-1), QString());
}

void tst_Unit::fromStringFindsEveryNamedUnitAndNothingElse()
{
    for (int unit = 0; unit <= 16; ++unit) {
        const QString text = Unit::toString(unit);
        if (!text.isEmpty())
            QCOMPARE(Unit::fromString(text), unit);
    }
    QCOMPARE(Unit::fromString(QStringLiteral("hpa")), int(Unit::None));
    QCOMPARE(Unit::fromString(QStringLiteral("°C ")), int(Unit::None));
    QCOMPARE(Unit::fromString(QString()), int(Unit::None));
}

void tst_Unit::convert_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("expected");

    QTest::newRow("212 °F is 100 °C") << 1 << 0 << 212.0f << 100.0f;
    QTest::newRow("100 °C is 212 °F") << 0 << 1 << 100.0f << 212.0f;
    QTest::newRow("0 K is -273.15 °C") << 2 << 0 << 0.0f << -273.15f;
    QTest::newRow("0 K is -459.67 °F") << 2 << 1 << 0.0f << -459.67f;
    QTest::newRow("hPa to mbar") << 7 << 8 << 1013.25f << 1013.25f;
    QTest::newRow("temperature to pressure keeps the number") << 0 << 7 << 20.0f << 20.0f;
    QTest::newRow("no unit to °F keeps the number") << 16 << 1 << 20.0f << 20.0f;
    // The "no limit" sentinels would overflow to infinity under °F.
    QTest::newRow("no upper limit stays") << 0 << 1 << FLT_MAX << FLT_MAX;
    QTest::newRow("no lower limit stays") << 2 << 1 << -FLT_MAX << -FLT_MAX;
}

void tst_Unit::convert()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(float, value);
    QFETCH(float, expected);

    const float converted = Unit::convert(from, to, value);
    if (expected == 0.0f)
        QVERIFY2(std::abs(converted) < 1e-3f, qPrintable(QString::number(double(converted))));
    else
        QCOMPARE(converted, expected);
}

QTEST_GUILESS_MAIN(tst_Unit)
#include "tst_unit.moc"
