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
    QTest::addColumn<bool>("valid"); // false: both parts are cleared

    QTest::newRow("alarm centre, highest activity") << 13 << 0xFFFF << true;
    QTest::newRow("GUI") << 255 << 2 << true;
    QTest::newRow("activity 0") << 1 << 0 << false;
    QTest::newRow("invalid component") << 0 << 7 << false;
    QTest::newRow("unknown component 14") << 14 << 7 << false;
}

void tst_ActivityId::construction()
{
    QFETCH(int, component);
    QFETCH(int, activity);
    QFETCH(bool, valid);

    const ActivityId id(static_cast<ActivityId::ComponentId>(component), static_cast<quint16>(activity));
    QCOMPARE(id.isValid(), valid);
    QCOMPARE(int(id.componentId()), valid ? component : 0);
    QCOMPARE(int(id.activity()), valid ? activity : 0);
}

QTEST_GUILESS_MAIN(tst_ActivityId)
#include "tst_activityid.moc"
