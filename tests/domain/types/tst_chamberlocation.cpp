#include "domain/types/chamberlocation.h"

#include <QtTest/QtTest>

using quelta::domain::types::ChamberLocation;

class tst_ChamberLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void equality_data();
    void equality();
};

void tst_ChamberLocation::equality_data()
{
    QTest::addColumn<ChamberLocation>("lhs");
    QTest::addColumn<ChamberLocation>("rhs");
    QTest::addColumn<bool>("equal");

    QTest::newRow("other room") << ChamberLocation(3, {1.5, 2.5}) << ChamberLocation(4, {1.5, 2.5}) << false;
    QTest::newRow("x within relative 1e-12") << ChamberLocation(1, {1000.0, 1.0})
                                             << ChamberLocation(1, {1000.0 * (1.0 + 5e-13), 1.0}) << true;
    QTest::newRow("x beyond relative 1e-12") << ChamberLocation(1, {1000.0, 1.0})
                                             << ChamberLocation(1, {1000.0 * (1.0 + 1e-11), 1.0}) << false;
    QTest::newRow("y off by 1e-6") << ChamberLocation(1, {1.0, 0.25}) << ChamberLocation(1, {1.0, 0.250001})
                                   << false;
    QTest::newRow("zero against tiny") << ChamberLocation(1, {0.0, 0.0}) << ChamberLocation(1, {1e-13, -1e-13})
                                       << true;
    QTest::newRow("zero against small") << ChamberLocation(1, {0.0, 0.0}) << ChamberLocation(1, {1e-9, 0.0})
                                        << false;
    QTest::newRow("large values far apart in absolute terms")
        << ChamberLocation(1, {1e9, 1e9}) << ChamberLocation(1, {1e9 + 1e-4, 1e9}) << true;
}

void tst_ChamberLocation::equality()
{
    QFETCH(ChamberLocation, lhs);
    QFETCH(ChamberLocation, rhs);
    QFETCH(bool, equal);

    QCOMPARE(lhs == rhs, equal);
    QCOMPARE(rhs == lhs, equal);
    QCOMPARE(lhs != rhs, !equal);
}

QTEST_GUILESS_MAIN(tst_ChamberLocation)
#include "tst_chamberlocation.moc"
