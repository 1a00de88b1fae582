#include "domain/types/tolerancerange.h"

#include <QtTest/QtTest>

#include <limits>

using namespace quelta::domain::types;

namespace {

UnitValue celsius(const QVariant &value)
{
    return UnitValue(Unit::DegreeCelsius, value);
}

UnitValue fahrenheit(const QVariant &value)
{
    return UnitValue(Unit::DegreeFahrenheit, value);
}

} // namespace

class tst_ToleranceRange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void check_data();
    void check();
    void convertTo_data();
    void convertTo();
};

void tst_ToleranceRange::check_data()
{
    QTest::addColumn<ToleranceRange>("range");
    QTest::addColumn<UnitValue>("value");
    QTest::addColumn<UnitValue>("setpoint");
    QTest::addColumn<int>("result");

    const ToleranceRange absolute(ToleranceRange::Absolute, celsius(18.0f), celsius(22.0f));
    QTest::newRow("absolute inside") << absolute << celsius(20.0f) << UnitValue() << 0;
    QTest::newRow("absolute on lower limit") << absolute << celsius(18.0f) << UnitValue() << 0;
    QTest::newRow("absolute on upper limit") << absolute << celsius(22.0f) << UnitValue() << 0;
    QTest::newRow("absolute just below") << absolute << celsius(17.99f) << UnitValue() << 2;
    QTest::newRow("absolute, value in another unit, above") << absolute << fahrenheit(72.0f) << UnitValue() << 3;

    const ToleranceRange relative(ToleranceRange::Relative, celsius(1.5f), celsius(2.0f));
    QTest::newRow("relative on lower edge") << relative << celsius(48.5f) << celsius(50.0f) << 0;
    QTest::newRow("relative below") << relative << celsius(48.0f) << celsius(50.0f) << 2;
    QTest::newRow("relative above") << relative << celsius(52.5f) << celsius(50.0f) << 3;
    QTest::newRow("relative, set point in °F") << relative << celsius(50.0f) << fahrenheit(122.0f) << 0;
    QTest::newRow("relative without set point") << relative << celsius(50.0f) << UnitValue() << 1;

    QTest::newRow("invalid value") << absolute << celsius(QVariant()) << UnitValue() << 1;
    QTest::newRow("NaN value") << absolute << celsius(std::numeric_limits<float>::quiet_NaN()) << UnitValue() << 1;
    QTest::newRow("invalid lower limit")
        << ToleranceRange(ToleranceRange::Absolute, celsius(QVariant()), celsius(22.0f)) << celsius(20.0f)
        << UnitValue() << 1;
    QTest::newRow("unknown type") << ToleranceRange(7, celsius(18.0f), celsius(22.0f)) << celsius(20.0f)
                                  << UnitValue() << 1;
}

void tst_ToleranceRange::check()
{
    QFETCH(ToleranceRange, range);
    QFETCH(UnitValue, value);
    QFETCH(UnitValue, setpoint);
    QFETCH(int, result);

    QCOMPARE(range.check(value, setpoint), result);
    QCOMPARE(range.isViolation(value, setpoint), result == ToleranceRange::Below || result == ToleranceRange::Above);
}

void tst_ToleranceRange::convertTo_data()
{
    QTest::addColumn<ToleranceRange>("range");
    QTest::addColumn<float>("lower");
    QTest::addColumn<float>("upper");

    // Absolute limits are values; relative limits are distances, so 1 °C of
    // distance is 1.8 °F, not 33.8 °F.
    QTest::newRow("absolute") << ToleranceRange(ToleranceRange::Absolute, celsius(0.0f), celsius(100.0f)) << 32.0f
                              << 212.0f;
    QTest::newRow("relative") << ToleranceRange(ToleranceRange::Relative, celsius(1.0f), celsius(2.5f)) << 1.8f
                              << 4.5f;
}

void tst_ToleranceRange::convertTo()
{
    QFETCH(ToleranceRange, range);
    QFETCH(float, lower);
    QFETCH(float, upper);

    const int type = range.type();
    range.convertTo(Unit::DegreeFahrenheit);
    QCOMPARE(range.type(), type);
    QCOMPARE(range.upper().unit(), int(Unit::DegreeFahrenheit));
    QCOMPARE(range.lower().value().toFloat(), lower);
    QCOMPARE(range.upper().value().toFloat(), upper);
}

QTEST_GUILESS_MAIN(tst_ToleranceRange)
#include "tst_tolerancerange.moc"
