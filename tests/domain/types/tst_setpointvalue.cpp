#include "domain/types/chambersignal.h"
#include "domain/types/setpointvalue.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

namespace {

ChamberSignal signalOf(int id, int unit, int bitPosition)
{
    return ChamberSignal(id, QStringLiteral("Signal"), unit, QColor(), 1, UserLevel::BASIC, -100.0f, 100.0f,
                         bitPosition, ChamberSignal::ProcessValue, {}, false, false, {}, {}, {}, {});
}

const ToleranceRange band(ToleranceRange::Relative, UnitValue(Unit::DegreeCelsius, 1.0f),
                          UnitValue(Unit::DegreeCelsius, 2.0f));

} // namespace

class tst_SetpointValue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bitExtraction_data();
    void bitExtraction();
    void unsignedArgumentIsNotTakenForBool();
    void floatConstructors();
    void rangeOfTypeInvalidIsNotKept();
};

void tst_SetpointValue::bitExtraction_data()
{
    QTest::addColumn<int>("bitPosition");
    QTest::addColumn<QVariant>("raw");
    QTest::addColumn<QVariant>("stored");

    // Register words reach us unsigned; every integer kind must give its bit.
    QTest::newRow("ushort word, bit set") << 3 << QVariant(quint16(0x0008)) << QVariant(true);
    QTest::newRow("ushort word, bit clear") << 2 << QVariant(quint16(0x0008)) << QVariant(false);
    QTest::newRow("uint word") << 31 << QVariant(quint32(0x80000000u)) << QVariant(true);
    QTest::newRow("negative int") << 7 << QVariant(-1) << QVariant(true);
    QTest::newRow("64-bit word") << 40 << QVariant(qulonglong(1) << 40) << QVariant(true);
    QTest::newRow("bool true, bit 1") << 1 << QVariant(true) << QVariant(false);
    QTest::newRow("bit beyond the word") << 70 << QVariant(qulonglong(~0ULL)) << QVariant(false);
    QTest::newRow("text is no integer") << 0 << QVariant(QStringLiteral("on")) << QVariant();
    QTest::newRow("no bit position keeps the value") << -1 << QVariant(quint16(0x0008)) << QVariant(quint16(0x0008));
}

void tst_SetpointValue::bitExtraction()
{
    QFETCH(int, bitPosition);
    QFETCH(QVariant, raw);
    QFETCH(QVariant, stored);

    const SetpointValue value(signalOf(4, Unit::None, bitPosition), raw);
    QCOMPARE(value.rawValue().isValid(), stored.isValid());
    if (stored.isValid()) {
        QCOMPARE(value.rawValue().userType(), stored.userType());
        QCOMPARE(value.rawValue(), stored);
    }
}

void tst_SetpointValue::unsignedArgumentIsNotTakenForBool()
{
    // Without care, SetpointValue(signal, someUnsigned) binds to the bool
    // overload and stores true with the unit BOOL.
    const ChamberSignal bitSignal = signalOf(9, Unit::None, 1);
    const quint16 word = 0x0001;
    const SetpointValue fromWord(bitSignal, word);
    QCOMPARE(fromWord.unit(), int(Unit::None));
    QCOMPARE(fromWord.rawValue(), QVariant(false));

    const ChamberSignal temperature = signalOf(10, Unit::DegreeCelsius, -1);
    const SetpointValue fromUnsigned(temperature, 25u);
    QCOMPARE(fromUnsigned.unit(), int(Unit::DegreeCelsius));
    QCOMPARE(fromUnsigned.rawValue().toUInt(), 25u);
}

void tst_SetpointValue::floatConstructors()
{
    const SetpointValue both(5, 20.0f, 30.0f, Unit::DegreeCelsius, band);
    QCOMPARE(both.valueAsFloat(Unit::DegreeFahrenheit), 68.0f);
    QCOMPARE(both.secondValueAsFloat(Unit::DegreeFahrenheit), 86.0f);
}

void tst_SetpointValue::rangeOfTypeInvalidIsNotKept()
{
    const ToleranceRange invalidWithLimits(ToleranceRange::Invalid, UnitValue(Unit::DegreeCelsius, 1.0f),
                                           UnitValue(Unit::DegreeCelsius, 2.0f));
    const SetpointValue value(7, UnitValue(Unit::DegreeCelsius, 20.0f), invalidWithLimits);
    QVERIFY(!value.hasToleranceRange());
    QCOMPARE(value.toleranceRange(), ToleranceRange());
    QCOMPARE(value, SetpointValue(7, UnitValue(Unit::DegreeCelsius, 20.0f)));
}

QTEST_GUILESS_MAIN(tst_SetpointValue)
#include "tst_setpointvalue.moc"
