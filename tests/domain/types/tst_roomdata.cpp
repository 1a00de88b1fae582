#include "domain/types/roomdata.h"

#include <QtTest/QtTest>

using quelta::domain::types::RoomData;

class tst_RoomData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void equality_data();
    void equality();
};

void tst_RoomData::equality_data()
{
    QTest::addColumn<RoomData>("lhs");
    QTest::addColumn<RoomData>("rhs");
    QTest::addColumn<bool>("equal");

    const QUrl plan("file:///plans/lab.png");
    QTest::newRow("scale within 1e-5") << RoomData(1, "Lab", plan, 1.0f) << RoomData(1, "Lab", plan, 1.000005f)
                                       << true;
    QTest::newRow("scale beyond 1e-5") << RoomData(1, "Lab", plan, 1.0f) << RoomData(1, "Lab", plan, 1.00002f)
                                       << false;
    QTest::newRow("zero against tiny scale") << RoomData(1, "Lab", plan, 0.0f) << RoomData(1, "Lab", plan, 1e-30f)
                                             << false;
}

void tst_RoomData::equality()
{
    QFETCH(RoomData, lhs);
    QFETCH(RoomData, rhs);
    QFETCH(bool, equal);
    QCOMPARE(lhs == rhs, equal);
    QCOMPARE(rhs == lhs, equal);
}

QTEST_GUILESS_MAIN(tst_RoomData)
#include "tst_roomdata.moc"
