#include "domain/types/userdata.h"

#include <QtTest/QtTest>

using quelta::domain::types::LocalePreferences;
using quelta::domain::types::UserData;
using quelta::domain::types::userLevelName;

namespace {

UserData userWith(int level, const QSharedPointer<LocalePreferences> &preferences = {})
{
    return UserData(7, "jdoe", "jdoe@example.invalid", "Jane", "Doe", QByteArray("hash"), QByteArray("salt"),
                    QDateTime(QDate(2024, 1, 1), QTime(8, 0), Qt::UTC),
                    QDateTime(QDate(2024, 4, 1), QTime(8, 0), Qt::UTC), false, 0, false, level, preferences);
}

} // namespace

class tst_UserData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelName_data();
    void levelName();
    void equalityComparesPreferencesByContent();
};

void tst_UserData::levelName_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("name");

    QTest::newRow("0") << 0 << QString();
    QTest::newRow("1") << 1 << "Basic";
    QTest::newRow("5") << 5 << "Laboratory";
    QTest::newRow("6") << 6 << "Superuser";
    QTest::newRow("7") << 7 << QString();
}

void tst_UserData::levelName()
{
    QFETCH(int, level);
    QFETCH(QString, name);
    QCOMPARE(userLevelName(userWith(level)), name);
}

void tst_UserData::equalityComparesPreferencesByContent()
{
    const auto german = QSharedPointer<LocalePreferences>::create(1, 42, "HH:mm", "dd.MM.yyyy", ',', 0, 3);
    const auto sameGerman = QSharedPointer<LocalePreferences>::create(*german);
    const auto english = QSharedPointer<LocalePreferences>::create(1, 31, "h:mm AP", "M/d/yy", '.', 1, 4);

    QCOMPARE(userWith(2, german), userWith(2, sameGerman));
    QVERIFY(userWith(2, german) != userWith(2, english));
    QVERIFY(userWith(2, german) != userWith(2));
}

QTEST_GUILESS_MAIN(tst_UserData)
#include "tst_userdata.moc"
