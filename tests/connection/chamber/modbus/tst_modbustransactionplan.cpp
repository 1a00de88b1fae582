#include "connection/chamber/modbus/modbustransactionplan.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::ModbusTransactionPlan;
using Span = ModbusTransactionPlan::Span;
using Spans = QVector<Span>;

Q_DECLARE_METATYPE(Spans)

class tst_ModbusTransactionPlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void transactions_data();
    void transactions();
};

void tst_ModbusTransactionPlan::transactions_data()
{
    QTest::addColumn<Spans>("items");
    QTest::addColumn<int>("maxRegisters");
    QTest::addColumn<Spans>("expected");

    QTest::newRow("contiguous items share one transaction, a gap starts a new one")
        << Spans{{0x1A02, 1}, {0x1A03, 1}, {0x1A04, 1}, {0x1A07, 8}} << 123 << Spans{{0x1A02, 3}, {0x1A07, 8}};
    QTest::newRow("list order is kept, never sorted")
        << Spans{{0x3014, 36}, {0x3042, 2}, {0x3038, 2}, {0x303D, 1}, {0x303C, 1}} << 125
        << Spans{{0x3014, 36}, {0x3042, 2}, {0x3038, 2}, {0x303D, 1}, {0x303C, 1}};
    QTest::newRow("a value that does not fit whole starts a new transaction")
        << Spans{{0, 120}, {120, 2}, {122, 2}} << 123 << Spans{{0, 122}, {122, 2}};
    QTest::newRow("an item larger than a PDU is cut, the next joins the last piece")
        << Spans{{0x100, 300}, {0x22C, 1}} << 125 << Spans{{0x100, 125}, {0x17D, 125}, {0x1FA, 51}};
}

void tst_ModbusTransactionPlan::transactions()
{
    QFETCH(Spans, items);
    QFETCH(int, maxRegisters);
    QFETCH(Spans, expected);

    QCOMPARE(ModbusTransactionPlan(items, maxRegisters).transactions(), expected);
}

QTEST_GUILESS_MAIN(tst_ModbusTransactionPlan)
#include "tst_modbustransactionplan.moc"
