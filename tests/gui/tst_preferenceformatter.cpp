#include "gui/preferenceformatter.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;
namespace Formatter = quelta::gui::PreferenceFormatter;
using quelta::gui::defaultLocalePreferences;

namespace {

LocalePreferences fahrenheitPreferences()
{
    LocalePreferences preferences = defaultLocalePreferences();
    preferences.setTemperatureUnit(Unit::DegreeFahrenheit);
    return preferences;
}

SetpointValue celsius(int signalId, float value, int rangeType = ToleranceRange::Invalid)
{
    return SetpointValue(signalId, value, 0.0f, Unit::DegreeCelsius,
                         ToleranceRange(rangeType, UnitValue(Unit::DegreeCelsius, 2.0f),
                                        UnitValue(Unit::DegreeCelsius, 3.0f)));
}

} // namespace

class tst_PreferenceFormatter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatFloat_data();
    void formatFloat();
    void formatUnitValue_data();
    void formatUnitValue();
    void toleranceLimits_areInThePreferredUnit();
    void sanitizeFileName();
};

void tst_PreferenceFormatter::formatFloat_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("decimalPlaces");
    QTest::addColumn<QString>("text");

    QTest::newRow("100000 stays fixed") << 100000.0f << 1 << "100000,0";
    QTest::newRow("six integer digits go scientific") << 123456.7f << 1 << "1,23457e+05";
    QTest::newRow("negatives never switch") << -123456.7f << 0 << "-123457";
    QTest::newRow("nan") << float(qQNaN()) << 2 << "nan";
    QTest::newRow("inf") << float(qInf()) << 2 << "inf";
    // As many as a double can tell apart; the request used to build 100 MB.
    QTest::newRow("places bounded") << 1.5f << 100000000 << "1,50000000000000000";
}

void tst_PreferenceFormatter::formatFloat()
{
    QFETCH(float, value);
    QFETCH(int, decimalPlaces);
    QFETCH(QString, text);
    QCOMPARE(Formatter::formatFloat(defaultLocalePreferences(), value, decimalPlaces), text);
}

void tst_PreferenceFormatter::formatUnitValue_data()
{
    QTest::addColumn<UnitValue>("value");
    QTest::addColumn<bool>("includeUnit");
    QTest::addColumn<QString>("text");

    QTest::newRow("°C shown in °F") << UnitValue(Unit::DegreeCelsius, 20.0f) << true << "68,00 °F";
    QTest::newRow("pressure keeps its unit") << UnitValue(Unit::Hectopascal, 1013.25f) << false << "1013,25";
    QTest::newRow("invalid") << UnitValue(Unit::DegreeCelsius, QVariant()) << false << "-";
    QTest::newRow("invalid with unit") << UnitValue(Unit::Kelvin, QVariant()) << true << "- °F";
    QTest::newRow("unit without text") << UnitValue(Unit::Bool, 1.0f) << true << "1,00 ";
    QTest::newRow("no limit stays finite") << UnitValue(Unit::DegreeCelsius, ChamberSignal::NoUpperLimit) << true
                                           << "3,40282346638528859811704183484516925440e+38 °F";
}

void tst_PreferenceFormatter::formatUnitValue()
{
    QFETCH(UnitValue, value);
    QFETCH(bool, includeUnit);
    QFETCH(QString, text);
    QCOMPARE(Formatter::formatUnitValue(fahrenheitPreferences(), value, 2, includeUnit), text);
}

void tst_PreferenceFormatter::toleranceLimits_areInThePreferredUnit()
{
    ChamberSignal processValue;
    processValue.setUnit(Unit::DegreeCelsius);
    processValue.setSignalType(ChamberSignal::ProcessValue);
    ChamberSignal setpointSignal = processValue;
    setpointSignal.setId(2);
    setpointSignal.setSignalType(ChamberSignal::SetPoint);
    processValue.setSetPointSignal(QSharedPointer<ChamberSignal>::create(setpointSignal));
    const QMap<int, ChamberSignal> signalMap{{1, processValue}, {2, setpointSignal}};
    const LocalePreferences preferences = fahrenheitPreferences();

    const SetpointValue absolute = celsius(1, 25.0f, ToleranceRange::Absolute);
    QCOMPARE(Formatter::upperToleranceLimit(preferences, processValue, absolute, {}), QVariant(37.4f));
    QCOMPARE(Formatter::upperToleranceLimit(preferences, setpointSignal, absolute, {}), QVariant());

    // A relative range lies around the setpoint signal's value.
    Recordset record;
    record.setValues({celsius(1, 25.0f, ToleranceRange::Relative)});
    const QList<SetpointValue> setpoints{celsius(3, 0.0f), celsius(2, 20.0f)};
    QCOMPARE(Formatter::upperToleranceLimit(preferences, record, 1, signalMap, setpoints), QVariant(73.4f));
    QCOMPARE(Formatter::lowerToleranceLimit(preferences, record, 1, signalMap, setpoints), QVariant(64.4f));
    QCOMPARE(Formatter::lowerToleranceLimit(preferences, record, 1, signalMap, {}), QVariant());
    QCOMPARE(Formatter::lowerToleranceLimit(preferences, record, 9, signalMap, setpoints), QVariant());
}

void tst_PreferenceFormatter::sanitizeFileName()
{
    QCOMPARE(Formatter::sanitizeFileName("a:b/c.d@e?"), "a_b-c_d at e_");
    QCOMPARE(Formatter::sanitizeFileName("x\\y%z|\"<> *"), "x-y-z__<> *");
}

QTEST_GUILESS_MAIN(tst_PreferenceFormatter)

#include "tst_preferenceformatter.moc"
