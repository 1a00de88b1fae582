#include "domain/types/userdata.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

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
    void levelName();
    void equalityComparesPreferencesByContent();
};

void tst_UserData::levelName()
{
    QCOMPARE(userLevelName(userWith(0)), QString());
    QCOMPARE(userLevelName(userWith(1)), "Basic");
    QCOMPARE(userLevelName(userWith(5)), "Laboratory");
    QCOMPARE(userLevelName(userWith(6)), "Superuser");
    QCOMPARE(userLevelName(userWith(7)), QString());
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
