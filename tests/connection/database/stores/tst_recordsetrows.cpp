#include "connection/database/stores/recordsetrows.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

namespace {

constexpr int BlockRows = RecordsetRows::BlockRows;

QList<QVariant> rowOf(int index)
{
    return {index, QString::number(index), QString()};
}

QList<QVariant> valuesOf(const RecordsetRows::Row &row)
{
    QList<QVariant> values;
    for (int position = 0; position < row.size(); ++position)
        values.append(row.at(position));
    return values;
}

} // namespace

class tst_RecordsetRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blocks_completeAsRowsArrive_data();
    void blocks_completeAsRowsArrive();
    void releasedBlocks_liveWithTheirHolders();
};

void tst_RecordsetRows::blocks_completeAsRowsArrive_data()
{
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<bool>("lastBlockOpen");

    QTest::newRow("no row") << 0 << false;
    QTest::newRow("one row") << 1 << true;
    QTest::newRow("one block exactly") << BlockRows << false;
    QTest::newRow("two blocks and some") << 2 * BlockRows + 5 << true;
}

void tst_RecordsetRows::blocks_completeAsRowsArrive()
{
    QFETCH(int, rowCount);
    QFETCH(bool, lastBlockOpen);

    RecordsetRows rows;
    QList<RecordsetRows::BlockPointer> handedOut;
    for (int index = 0; index < rowCount; ++index) {
        if (const RecordsetRows::BlockPointer block = rows.append(rowOf(index))) {
            QCOMPARE(index % BlockRows, BlockRows - 1);
            handedOut.append(block);
        }
    }
    if (const RecordsetRows::BlockPointer last = rows.finish()) {
        QVERIFY(lastBlockOpen);
        handedOut.append(last);
    }

    QCOMPARE(rows.size(), rowCount);
    QCOMPARE(rows.blockCount(), handedOut.size());
    int index = 0;
    for (int block = 0; block < handedOut.size(); ++block) {
        QCOMPARE(rows.block(block), handedOut.at(block));
        for (int row = 0; row < handedOut.at(block)->size(); ++row, ++index) {
            QCOMPARE(valuesOf(handedOut.at(block)->row(row)), rowOf(index));
            QCOMPARE(valuesOf(rows.at(index)), rowOf(index));
        }
    }
    QCOMPARE(index, rowCount);
}

void tst_RecordsetRows::releasedBlocks_liveWithTheirHolders()
{
    RecordsetRows rows;
    RecordsetRows::BlockPointer held;
    for (int index = 0; index < 2 * BlockRows + 3; ++index) {
        const RecordsetRows::BlockPointer block = rows.append(rowOf(index));
        if (block && !held)
            held = block;
        if (index == BlockRows + 1)
            rows.releaseCompleteBlocks();
    }
    rows.releaseCompleteBlocks();

    QCOMPARE(rows.size(), 2 * BlockRows + 3);
    QCOMPARE(rows.blockCount(), 3);
    QCOMPARE(valuesOf(held->row(BlockRows - 1)), rowOf(BlockRows - 1));
    QCOMPARE(valuesOf(rows.at(2 * BlockRows + 2)), rowOf(2 * BlockRows + 2));
    const RecordsetRows::BlockPointer last = rows.finish();
    QCOMPARE(last->size(), 3);
    QCOMPARE(valuesOf(last->row(0)), rowOf(2 * BlockRows));
}

QTEST_GUILESS_MAIN(tst_RecordsetRows)

#include "tst_recordsetrows.moc"
