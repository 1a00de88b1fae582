#include "gui/userpreferenceitem.h"

#include "support/qmlprobe.h"
#include "support/userpreferences.h"

#include <QtTest/QtTest>

using quelta::domain::types::LocalePreferences;
using quelta::gui::UserPreferenceItem;

namespace {

const LocalePreferences English = quelta::test::englishPreferences();

QStringList shown(const UserPreferenceItem &item)
{
    return {item.language(), item.decimalSeparator(), item.temperatureUnit(), item.humidityUnit(),
            item.weekdaysList().constFirst(), item.isChanged() ? "changed" : "stored"};
}

} // namespace

class tst_UserPreferenceItem : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void edits_data();
    void edits();
    void qml_editsAndResetsByName();
};

void tst_UserPreferenceItem::edits_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("shownAfterwards");
    QTest::addColumn<int>("changedSignals");
    QTest::addColumn<int>("weekdaysSignals");

    QTest::newRow("Deutsch") << QByteArray("language") << "Deutsch"
                             << QStringList{"Deutsch", ",", "°C", "% r.F.", "Montag", "changed"} << 1 << 1;
    QTest::newRow("lower case") << QByteArray("language") << "deutsch"
                                << QStringList{"English", ".", "°F", "% r.H.", "Monday", "stored"} << 0 << 0;
    // Announced although the separator was "." already.
    QTest::newRow("separator") << QByteArray("decimalSeparator") << ".,"
                               << QStringList{"English", ".", "°F", "% r.H.", "Monday", "stored"} << 1 << 0;
    QTest::newRow("other separator") << QByteArray("decimalSeparator") << ";"
                                     << QStringList{"English", ".", "°F", "% r.H.", "Monday", "stored"} << 0 << 0;
    QTest::newRow("unknown unit") << QByteArray("temperatureUnit") << "°X"
                                  << QStringList{"English", ".", "", "% r.H.", "Monday", "changed"} << 1 << 0;
}

void tst_UserPreferenceItem::edits()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QFETCH(QStringList, shownAfterwards);
    QFETCH(int, changedSignals);
    QFETCH(int, weekdaysSignals);

    UserPreferenceItem item(English);
    QSignalSpy changed(&item, &UserPreferenceItem::signalChanged);
    QSignalSpy weekdaysChanged(&item, &UserPreferenceItem::signalWeekdaysListChanged);
    QVERIFY(item.setProperty(property.constData(), text));
    QCOMPARE(shown(item), shownAfterwards);
    QCOMPARE(changed.count(), changedSignals);
    QCOMPARE(weekdaysChanged.count(), weekdaysSignals);

    item.resetUserPreferences();
    QCOMPARE(shown(item), QStringList({"English", ".", "°F", "% r.H.", "Monday", "stored"}));
    QCOMPARE(weekdaysChanged.count(), 2 * weekdaysSignals);
}

void tst_UserPreferenceItem::qml_editsAndResetsByName()
{
    UserPreferenceItem item(English);
    QCOMPARE(evaluateInQml(QVariant::fromValue(&item),
                           "(item.language = 'Deutsch', [item.weekdaysList[6], item.changed,"
                           " (item.resetUserPreferences(), item.changed), item.language, item.timeFormatList,"
                           " item.dateFormatList, item.temperatureUnitList, item.humidityUnitList].join('|'))"),
             QVariant("Sonntag|true|false|English|HH:mm,HH:mm:ss,h:mm AP,h:mm:ss AP|dd.MM.yy,M/d/yy|°C,°F,K"
                      "|% r.F.,% r.H."));
}

QTEST_GUILESS_MAIN(tst_UserPreferenceItem)

#include "tst_userpreferenceitem.moc"
