#include "domain/types/localepreferences.h"

#include <QtTest/QtTest>

using quelta::domain::types::LocalePreferences;

class tst_LocalePreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructorFillsBothSets();
};

// Readers of either set of fields must see what the user chose, and a change
// to one set must not go unnoticed by a comparison.
void tst_LocalePreferences::constructorFillsBothSets()
{
    const LocalePreferences preferences(2, 42, "HH:mm:ss", "dd.MM.yy", ',', 0, 3);
    QCOMPARE(preferences.secondLocalization(), 42);
    QCOMPARE(preferences.secondHumidityUnit(), 3);

    LocalePreferences changed = preferences;
    changed.setSecondHumidityUnit(4);
    QVERIFY(changed != preferences);
}

QTEST_GUILESS_MAIN(tst_LocalePreferences)
#include "tst_localepreferences.moc"
