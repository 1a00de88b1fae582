#include "domain/types/unitvalue.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

class tst_UnitValue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueIn_data();
    void valueIn();
    void differenceConvertsWithoutOffset();
};

void tst_UnitValue::valueIn_data()
{
    QTest::addColumn<UnitValue>("value");
    QTest::addColumn<int>("target");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("°F to °C from int") << UnitValue(Unit::DegreeFahrenheit, 212) << int(Unit::DegreeCelsius)
                                       << QVariant(100.0f);
    QTest::newRow("unsigned word") << UnitValue(Unit::Hectopascal, QVariant(quint16(1000))) << int(Unit::Millibar)
                                   << QVariant(1000.0f);
    QTest::newRow("numeric text") << UnitValue(Unit::Percent, QStringLiteral("12.5")) << int(Unit::Percent)
                                  << QVariant(12.5f);
    QTest::newRow("text that is no number") << UnitValue(Unit::DegreeCelsius, QStringLiteral("warm"))
                                            << int(Unit::DegreeFahrenheit) << QVariant();
}

void tst_UnitValue::valueIn()
{
    QFETCH(UnitValue, value);
    QFETCH(int, target);
    QFETCH(QVariant, expected);

    const QVariant converted = value.valueIn(target);
    QCOMPARE(converted.isValid(), expected.isValid());
    if (!expected.isValid())
        return;
    QCOMPARE(converted.userType(), int(QMetaType::Float));
    QCOMPARE(converted.toFloat(), expected.toFloat());
}

void tst_UnitValue::differenceConvertsWithoutOffset()
{
    // A band of 10 °C is 18 °F wide, not 50 °F; and 10 K wide in Kelvin.
    QCOMPARE(UnitValue(Unit::DegreeCelsius, 10).differenceIn(Unit::DegreeFahrenheit).toFloat(), 18.0f);
    QCOMPARE(UnitValue(Unit::DegreeCelsius, 10).differenceIn(Unit::Kelvin).toFloat(), 10.0f);
}

QTEST_GUILESS_MAIN(tst_UnitValue)
#include "tst_unitvalue.moc"
