#include "gui/userpreferenceitem.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

using quelta::domain::types::LocalePreferences;
using quelta::domain::types::Unit;
using quelta::gui::UserPreferenceItem;

namespace {

LocalePreferences english()
{
    return LocalePreferences(1, QLocale::English, "h:mm AP", "M/d/yy", QChar('.'), Unit::DegreeFahrenheit,
                             Unit::RelativeHumidityRH);
}

} // namespace

class tst_UserPreferenceItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void language_data();
    void language();
    void decimalSeparator_data();
    void decimalSeparator();
    void unknownUnit_isNoUnitUntilReset();
    void choiceLists_comeFromQtsLocaleData();
    void qml_editsAndResetsByName();
};

void tst_UserPreferenceItem::language_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("shown"); // language, separator, units, first weekday
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("weekdaysSignals");

    QTest::newRow("Deutsch") << "Deutsch" << QStringList{"Deutsch", ",", "°C", "% r.F.", "Montag"} << true << 1;
    QTest::newRow("Français") << "Français" << QStringList{"Français", ".", "°C", "% r.H.", "lundi"} << true << 1;
    QTest::newRow("lower case") << "deutsch" << QStringList{"English", ".", "°F", "% r.H.", "Monday"} << false << 0;
}

void tst_UserPreferenceItem::language()
{
    QFETCH(QString, name);
    QFETCH(QStringList, shown);
    QFETCH(bool, changed);
    QFETCH(int, weekdaysSignals);

    UserPreferenceItem item(english());
    QSignalSpy itemChanged(&item, &UserPreferenceItem::signalChanged);
    QSignalSpy weekdaysChanged(&item, &UserPreferenceItem::signalWeekdaysListChanged);
    item.setLanguage(name);
    QCOMPARE(QStringList({item.language(), item.decimalSeparator(), item.temperatureUnit(), item.humidityUnit(),
                          item.weekdaysList().constFirst()}),
             shown);
    QCOMPARE(item.isChanged(), changed);
    QCOMPARE(itemChanged.count(), changed ? 1 : 0);
    QCOMPARE(weekdaysChanged.count(), weekdaysSignals);
    QCOMPARE(item.timeFormat(), QStringLiteral("h:mm AP"));

    // Back to the stored language: the weekday names follow again.
    item.resetUserPreferences();
    QCOMPARE(weekdaysChanged.count(), 2 * weekdaysSignals);
    QCOMPARE(item.weekdaysList().constLast(), QStringLiteral("Sunday"));
}

void tst_UserPreferenceItem::decimalSeparator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<int>("signalCount");

    QTest::newRow("comma") << "," << "," << 1;
    QTest::newRow("first character counts") << ".," << "." << 1;
    QTest::newRow("other character") << ";" << "." << 0;
    QTest::newRow("empty") << "" << "." << 0;
}

void tst_UserPreferenceItem::decimalSeparator()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(int, signalCount);

    UserPreferenceItem item(english());
    QSignalSpy changed(&item, &UserPreferenceItem::signalChanged);
    item.setDecimalSeparator(text);
    QCOMPARE(item.decimalSeparator(), separator);
    QCOMPARE(changed.count(), signalCount);
}

void tst_UserPreferenceItem::unknownUnit_isNoUnitUntilReset()
{
    UserPreferenceItem item(english());
    item.setTemperatureUnit("°X");
    QCOMPARE(item.preferences().temperatureUnit(), int(Unit::None));
    QCOMPARE(item.temperatureUnit(), QString());
    QVERIFY(item.isChanged());

    item.resetUserPreferences();
    QVERIFY(!item.isChanged());
    QCOMPARE(item.temperatureUnit(), QStringLiteral("°F"));
    QVERIFY(UserPreferenceItem::languageName(QLocale::Dutch).isNull());
}

void tst_UserPreferenceItem::choiceLists_comeFromQtsLocaleData()
{
    const UserPreferenceItem item(english());
    QCOMPARE(item.languageList(), QStringList({"English", "Français", "Deutsch", "Italiano", "Español"}));
    QCOMPARE(item.timeFormatList(), QStringList({"HH:mm", "HH:mm:ss", "h:mm AP", "h:mm:ss AP"}));
    QCOMPARE(item.dateFormatList(), QStringList({"dd.MM.yy", "M/d/yy"}));
    QCOMPARE(item.temperatureUnitList(), QStringList({"°C", "°F", "K"}));
    QCOMPARE(item.humidityUnitList(), QStringList({"% r.F.", "% r.H."}));
}

void tst_UserPreferenceItem::qml_editsAndResetsByName()
{
    UserPreferenceItem item(english());
    QCOMPARE(evaluateInQml(QVariant::fromValue(&item),
                           "(item.language = 'Deutsch', [item.weekdaysList[0], item.changed,"
                           " (item.resetUserPreferences(), item.changed), item.language].join(' '))"),
             QVariant(QStringLiteral("Montag true false English")));
}

QTEST_MAIN(tst_UserPreferenceItem)

#include "tst_userpreferenceitem.moc"
