#include "domain/types/activityid.h"

#include <QtTest/QtTest>

using quelta::domain::types::ActivityId;

class tst_ActivityId : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void construction_data();
    void construction();
};

void tst_ActivityId::construction_data()
{
    QTest::addColumn<int>("component");
    QTest::addColumn<int>("activity");
    QTest::addColumn<int>("storedComponent");
    QTest::addColumn<int>("storedActivity");
    QTest::addColumn<bool>("valid");

    QTest::newRow("alarm centre, highest activity") << 13 << 0xFFFF << 13 << 0xFFFF << true;
    QTest::newRow("GUI") << 255 << 2 << 255 << 2 << true;
    QTest::newRow("activity 0 clears both") << 1 << 0 << 0 << 0 << false;
    QTest::newRow("invalid component clears both") << 0 << 7 << 0 << 0 << false;
    QTest::newRow("unknown component 14 clears both") << 14 << 7 << 0 << 0 << false;
}

void tst_ActivityId::construction()
{
    QFETCH(int, component);
    QFETCH(int, activity);
    QFETCH(int, storedComponent);
    QFETCH(int, storedActivity);
    QFETCH(bool, valid);

    const ActivityId id(static_cast<ActivityId::ComponentId>(component), static_cast<quint16>(activity));
    QCOMPARE(int(id.componentId()), storedComponent);
    QCOMPARE(int(id.activity()), storedActivity);
    QCOMPARE(id.isValid(), valid);
    if (!valid)
        QCOMPARE(id, ActivityId());
}

QTEST_GUILESS_MAIN(tst_ActivityId)
#include "tst_activityid.moc"
