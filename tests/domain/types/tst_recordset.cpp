#include "domain/types/recordset.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

namespace {

ToleranceRange absolute(float lower, float upper)
{
    return ToleranceRange(ToleranceRange::Absolute, UnitValue(Unit::DegreeCelsius, lower),
                          UnitValue(Unit::DegreeCelsius, upper));
}

Recordset recordWith(const QList<SetpointValue> &values)
{
    return Recordset(-1, 3, QDateTime(QDate(2024, 5, 1), QTime(12, 0)), values, false, RecordsetComment(), 0,
                     QString(), 0);
}

} // namespace

class tst_Recordset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toleranceRangeOf_data();
    void toleranceRangeOf();
};

void tst_Recordset::toleranceRangeOf_data()
{
    QTest::addColumn<Recordset>("record");
    QTest::addColumn<int>("signalId");
    QTest::addColumn<ToleranceRange>("range");

    const SetpointValue first(5, UnitValue(Unit::DegreeCelsius, 20.0f), absolute(18.0f, 22.0f));
    const SetpointValue second(5, UnitValue(Unit::DegreeCelsius, 21.0f), absolute(10.0f, 30.0f));
    const SetpointValue other(6, UnitValue(Unit::DegreeCelsius, 50.0f), absolute(40.0f, 60.0f));
    const SetpointValue bare(7, UnitValue(Unit::DegreeCelsius, 50.0f));

    QTest::newRow("first of two values") << recordWith({other, first, second}) << 5 << absolute(18.0f, 22.0f);
    QTest::newRow("value without range") << recordWith({bare, first}) << 7 << ToleranceRange();
    QTest::newRow("no such signal") << recordWith({first}) << 8 << ToleranceRange();
}

void tst_Recordset::toleranceRangeOf()
{
    QFETCH(Recordset, record);
    QFETCH(int, signalId);
    QFETCH(ToleranceRange, range);
    QCOMPARE(record.toleranceRangeOf(signalId), range);
}

QTEST_GUILESS_MAIN(tst_Recordset)
#include "tst_recordset.moc"
