#include "domain/types/localepreferences.h"

#include <QtTest/QtTest>

using quelta::domain::types::LocalePreferences;

class tst_LocalePreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructorFillsBothSets();
    void equalityComparesTheSecondSet();
};

void tst_LocalePreferences::constructorFillsBothSets()
{
    const LocalePreferences preferences(2, 42, "HH:mm:ss", "dd.MM.yy", ',', 0, 3);
    QCOMPARE(preferences.defaultFileFormat(), 2);
    QCOMPARE(preferences.localization(), 42);
    QCOMPARE(preferences.secondLocalization(), 42);
    QCOMPARE(preferences.secondTimeFormat(), preferences.timeFormat());
    QCOMPARE(preferences.secondDateFormat(), preferences.dateFormat());
    QCOMPARE(preferences.secondDecimalSeparator(), QChar(','));
    QCOMPARE(preferences.secondTemperatureUnit(), 0);
    QCOMPARE(preferences.secondHumidityUnit(), 3);
}

void tst_LocalePreferences::equalityComparesTheSecondSet()
{
    const LocalePreferences original(1, 42, "HH:mm", "dd.MM.yyyy", ',', 0, 3);
    LocalePreferences changed = original;
    QCOMPARE(changed, original);
    changed.setSecondHumidityUnit(4);
    QVERIFY(changed != original);

    changed = original;
    changed.setDecimalSeparator('.');
    QVERIFY(changed != original);
}

QTEST_GUILESS_MAIN(tst_LocalePreferences)
#include "tst_localepreferences.moc"
