#include "gui/preferenceformatter.h"

#include <QtTest/QtTest>

#include <limits>

using namespace quelta::domain::types;
namespace Formatter = quelta::gui::PreferenceFormatter;
using quelta::gui::defaultLocalePreferences;

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Infinity = std::numeric_limits<float>::infinity();

LocalePreferences fahrenheitPreferences()
{
    LocalePreferences preferences = defaultLocalePreferences();
    preferences.setTemperatureUnit(Unit::DegreeFahrenheit);
    return preferences;
}

ChamberSignal signalOf(int unit, int signalType)
{
    ChamberSignal chamberSignal;
    chamberSignal.setUnit(unit);
    chamberSignal.setSignalType(signalType);
    return chamberSignal;
}

SetpointValue celsiusWithRange(int rangeType, float lower, float upper)
{
    return SetpointValue(1, 25.0f, 0.0f, Unit::DegreeCelsius,
                         ToleranceRange(rangeType, UnitValue(Unit::DegreeCelsius, lower),
                                        UnitValue(Unit::DegreeCelsius, upper)));
}

} // namespace

class tst_PreferenceFormatter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults_comeFromTheGermanLocale();
    void formatFloat_data();
    void formatFloat();
    void formatUnitValue_data();
    void formatUnitValue();
    void datesAndTimes();
    void toleranceLimits_data();
    void toleranceLimits();
    void toleranceLimitsOfARecord_takeTheSetpointSignalsValue();
    void sanitizeFileName();
};

void tst_PreferenceFormatter::defaults_comeFromTheGermanLocale()
{
    const LocalePreferences defaults = defaultLocalePreferences();
    QCOMPARE(defaults.localization(), int(QLocale::German));
    QCOMPARE(defaults.timeFormat(), QStringLiteral("HH:mm"));
    QCOMPARE(defaults.dateFormat(), QStringLiteral("dd.MM.yy"));
    QCOMPARE(defaults.decimalSeparator(), QChar(','));
    QCOMPARE(Formatter::preferredUnit(defaults, Unit::Kelvin), int(Unit::DegreeCelsius));
    QCOMPARE(Formatter::preferredUnit(defaults, Unit::RelativeHumidityRH), int(Unit::RelativeHumidityRF));
    QCOMPARE(Formatter::preferredUnit(defaults, -1), -1);
}

void tst_PreferenceFormatter::formatFloat_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<int>("decimalPlaces");
    QTest::addColumn<QString>("text");

    QTest::newRow("100000 stays fixed") << 100000.0f << 1 << "100000,0";
    QTest::newRow("six integer digits go scientific") << 123456.7f << 1 << "1,23457e+05";
    QTest::newRow("negatives never switch") << -123456.7f << 0 << "-123457";
    QTest::newRow("no decimals, no separator") << 20.5f << 0 << "21";
    QTest::newRow("the float's exact value") << 0.1f << 9 << "0,100000001";
    QTest::newRow("nan") << NaN << 2 << "nan";
    QTest::newRow("inf") << Infinity << 2 << "inf";
    QTest::newRow("-inf") << -Infinity << 2 << "-inf";
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
    QTest::newRow("without unit") << UnitValue(Unit::DegreeCelsius, 20.0f) << false << "68,00";
    QTest::newRow("pressure keeps its unit") << UnitValue(Unit::Hectopascal, 1013.25f) << true << "1013,25 hPa";
    QTest::newRow("invalid") << UnitValue(Unit::DegreeCelsius, QVariant()) << false << "-";
    QTest::newRow("invalid with unit") << UnitValue(Unit::Kelvin, QVariant()) << true << "- °F";
    QTest::newRow("NaN is a value") << UnitValue(Unit::DegreeCelsius, NaN) << true << "nan °F";
    QTest::newRow("unit without text") << UnitValue(Unit::Bool, 1.0f) << true << "1,00 ";
    QTest::newRow("no limit stays finite")
        << UnitValue(Unit::DegreeCelsius, std::numeric_limits<float>::max()) << true
        << "3,40282346638528859811704183484516925440e+38 °F";
}

void tst_PreferenceFormatter::formatUnitValue()
{
    QFETCH(UnitValue, value);
    QFETCH(bool, includeUnit);
    QFETCH(QString, text);
    QCOMPARE(Formatter::formatUnitValue(fahrenheitPreferences(), value, 2, includeUnit), text);
}

void tst_PreferenceFormatter::datesAndTimes()
{
    const LocalePreferences german = defaultLocalePreferences();
    const QDateTime dateTime(QDate(2024, 3, 5), QTime(14, 5, 9));
    QCOMPARE(Formatter::formatDateTime(german, dateTime), QStringLiteral("05.03.24 14:05"));
    QVERIFY(Formatter::formatDateTime(german, QDateTime()).isNull());

    // Times follow the preferred language; dates take Qt's own names.
    LocalePreferences english = german;
    english.setLocalization(QLocale::English);
    english.setDateFormat(QStringLiteral("ddd d MMM"));
    QCOMPARE(Formatter::formatTime(english, dateTime.time(), QStringLiteral("h:mm AP")), QStringLiteral("2:05 PM"));
    QCOMPARE(Formatter::formatTime(german, dateTime.time(), QStringLiteral("h:mm AP")), QStringLiteral("2:05 PM"));
    QCOMPARE(Formatter::formatDate(german, dateTime.date()), QStringLiteral("05.03.24"));
    QCOMPARE(Formatter::formatDate(english, dateTime.date()), QStringLiteral("Tue 5 Mar"));
}

void tst_PreferenceFormatter::toleranceLimits_data()
{
    QTest::addColumn<ChamberSignal>("chamberSignal");
    QTest::addColumn<SetpointValue>("value");
    QTest::addColumn<SetpointValue>("setpoint");
    QTest::addColumn<QVariant>("lower");
    QTest::addColumn<QVariant>("upper");

    const ChamberSignal processValue = signalOf(Unit::DegreeCelsius, ChamberSignal::ProcessValue);
    const SetpointValue setpoint(2, 20.0f, 0.0f, Unit::DegreeCelsius);
    QTest::newRow("absolute, in °F") << processValue << celsiusWithRange(ToleranceRange::Absolute, 10.0f, 30.0f)
                                      << SetpointValue() << QVariant(50.0f) << QVariant(86.0f);
    QTest::newRow("relative to the setpoint, in °F")
        << processValue << celsiusWithRange(ToleranceRange::Relative, 2.0f, 3.0f) << setpoint << QVariant(64.4f)
        << QVariant(73.4f);
    QTest::newRow("relative without setpoint") << processValue
                                               << celsiusWithRange(ToleranceRange::Relative, 2.0f, 3.0f)
                                               << SetpointValue() << QVariant() << QVariant();
    QTest::newRow("no range") << processValue << SetpointValue(1, 25.0f, 0.0f, Unit::DegreeCelsius) << setpoint
                              << QVariant() << QVariant();
    QTest::newRow("digital signal") << signalOf(Unit::Bool, ChamberSignal::ProcessValue)
                                    << celsiusWithRange(ToleranceRange::Absolute, 10.0f, 30.0f) << setpoint
                                    << QVariant() << QVariant();
    QTest::newRow("setpoint signal") << signalOf(Unit::DegreeCelsius, ChamberSignal::SetPoint)
                                     << celsiusWithRange(ToleranceRange::Absolute, 10.0f, 30.0f) << setpoint
                                     << QVariant() << QVariant();
}

void tst_PreferenceFormatter::toleranceLimits()
{
    QFETCH(ChamberSignal, chamberSignal);
    QFETCH(SetpointValue, value);
    QFETCH(SetpointValue, setpoint);
    QFETCH(QVariant, lower);
    QFETCH(QVariant, upper);

    const LocalePreferences preferences = fahrenheitPreferences();
    QCOMPARE(Formatter::lowerToleranceLimit(preferences, chamberSignal, value, setpoint), lower);
    QCOMPARE(Formatter::upperToleranceLimit(preferences, chamberSignal, value, setpoint), upper);
}

void tst_PreferenceFormatter::toleranceLimitsOfARecord_takeTheSetpointSignalsValue()
{
    ChamberSignal processValue = signalOf(Unit::DegreeCelsius, ChamberSignal::ProcessValue);
    processValue.setId(1);
    ChamberSignal setpointSignal = signalOf(Unit::DegreeCelsius, ChamberSignal::SetPoint);
    setpointSignal.setId(2);
    processValue.setSetPointSignal(QSharedPointer<ChamberSignal>::create(setpointSignal));
    const QMap<int, ChamberSignal> signalMap{{1, processValue}, {2, setpointSignal}};
    Recordset record;
    record.setValues({celsiusWithRange(ToleranceRange::Relative, 2.0f, 3.0f)});
    const QList<SetpointValue> setpoints{SetpointValue(3, 0.0f, 0.0f, Unit::DegreeCelsius),
                                         SetpointValue(2, 20.0f, 0.0f, Unit::DegreeCelsius)};

    const LocalePreferences preferences = fahrenheitPreferences();
    QCOMPARE(Formatter::setpointSignalIdOf(1, signalMap), 2);
    QCOMPARE(Formatter::setpointSignalIdOf(2, signalMap), -1);
    QCOMPARE(Formatter::setpointSignalIdOf(9, signalMap), -1);
    QCOMPARE(Formatter::upperToleranceLimit(preferences, record, 1, signalMap, setpoints), QVariant(73.4f));
    QCOMPARE(Formatter::lowerToleranceLimit(preferences, record, 1, signalMap, setpoints), QVariant(64.4f));
    QCOMPARE(Formatter::upperToleranceLimit(preferences, record, 1, signalMap, {}), QVariant());
    QCOMPARE(Formatter::upperToleranceLimit(preferences, record, 9, signalMap, setpoints), QVariant());
}

void tst_PreferenceFormatter::sanitizeFileName()
{
    QCOMPARE(Formatter::sanitizeFileName(QStringLiteral("a:b/c.d@e?")), QStringLiteral("a_b-c_d at e_"));
    QCOMPARE(Formatter::sanitizeFileName(QStringLiteral("x\\y%z|\"<> *")), QStringLiteral("x-y-z__<> *"));
}

QTEST_GUILESS_MAIN(tst_PreferenceFormatter)

#include "tst_preferenceformatter.moc"
