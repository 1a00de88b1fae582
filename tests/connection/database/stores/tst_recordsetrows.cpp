#include "connection/database/stores/recordsetrows.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/core/valueconversions.h"
#include "support/sqltext.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlConnection;
using quelta::domain::api::ISqlRowView;
using quelta::test::SqlText;

namespace {

constexpr int BlockRows = RecordsetRows::BlockRows;

QList<QVariant> rowOf(int index)
{
    return {index, QString::number(index), QString()};
}

// The rows of rowOf() from 0 to the bound count, as the database gives them.
SqlText rowsUpTo(int count)
{
    return SqlText("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                   "SELECT i, CAST(i AS TEXT), NULL FROM n WHERE i < ?",
                   {count, count});
}

QList<QVariant> valuesOf(const RecordsetRows::Row &row)
{
    QList<QVariant> values;
    for (int position = 0; position < row.columnCount(); ++position)
        values.append(row.value(position));
    return values;
}

// What the store reads of a column: its storage class, its value and every
// conversion of it.
QList<QVariant> readingOf(const ISqlRowView &row, int column)
{
    return {int(row.storage(column)),
            row.value(column),
            row.value(column).isNull(),
            toStringOr(row, column, "absent"),
            toIntOr(row, column, -7),
            toInt64Or(row, column, -7),
            toUInt64Or(row, column, 7),
            toFloatOr(row, column, -7.0f),
            toBoolOr(row, column, true)};
}

QList<QVariant> readingsOf(const ISqlRowView &row)
{
    QList<QVariant> readings;
    // Also a column outside the row.
    for (int column = 0; column <= row.columnCount(); ++column)
        readings.append(QVariant(readingOf(row, column)));
    return readings;
}

} // namespace

class tst_RecordsetRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void blocks_completeAsRowsArrive_data();
    void blocks_completeAsRowsArrive();
    void releasedBlocks_liveWithTheirHolders();
    void storedRows_readAsTheStatementsRowsDo_data();
    void storedRows_readAsTheStatementsRowsDo();

private:
    QTemporaryDir m_directory;
    std::unique_ptr<ISqlConnection> m_connection;
};

void tst_RecordsetRows::initTestCase()
{
    QVERIFY(m_directory.isValid());
    auto connection = std::make_unique<SqliteConnection>("rows");
    QVERIFY(connection->open(m_directory.filePath("rows"), {}, {}, DatabaseKey,
                             ISqlConnection::OpenMode::CreateIfMissing));
    m_connection = std::move(connection);
}

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
    QVERIFY(m_connection->selectEachView(rowsUpTo(rowCount), [&](const ISqlRowView &row, int index) {
        if (const RecordsetRows::BlockPointer block = rows.append(row)) {
            QCOMPARE(index % BlockRows, BlockRows - 1);
            handedOut.append(block);
        }
    }));
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
    QVERIFY(m_connection->selectEachView(rowsUpTo(2 * BlockRows + 3), [&](const ISqlRowView &row, int index) {
        const RecordsetRows::BlockPointer block = rows.append(row);
        if (block && !held)
            held = block;
        if (index == BlockRows + 1)
            rows.releaseCompleteBlocks();
    }));
    rows.releaseCompleteBlocks();

    QCOMPARE(rows.size(), 2 * BlockRows + 3);
    QCOMPARE(rows.blockCount(), 3);
    QCOMPARE(valuesOf(held->row(BlockRows - 1)), rowOf(BlockRows - 1));
    QCOMPARE(valuesOf(rows.at(2 * BlockRows + 2)), rowOf(2 * BlockRows + 2));
    const RecordsetRows::BlockPointer last = rows.finish();
    QCOMPARE(last->size(), 3);
    QCOMPARE(valuesOf(last->row(0)), rowOf(2 * BlockRows));
}

void tst_RecordsetRows::storedRows_readAsTheStatementsRowsDo_data()
{
    QTest::addColumn<QString>("stored");

    QTest::newRow("NULL") << "NULL";
    QTest::newRow("empty text") << "''";
    QTest::newRow("word") << "'abc'";
    QTest::newRow("number as text") << "' 12'";
    QTest::newRow("truth as text") << "'false'";
    QTest::newRow("beyond ASCII") << QString::fromUtf8("'\u00b0C'");
    QTest::newRow("time as the driver writes it") << "'2024-10-27T00:30:00.250Z'";
    QTest::newRow("zero") << "0";
    QTest::newRow("negative") << "-5";
    QTest::newRow("beyond 32 bits") << "5000000000";
    QTest::newRow("least 64-bit integer") << "-9223372036854775808";
    QTest::newRow("fraction") << "0.3";
    QTest::newRow("fraction that rounds to one") << "0.5";
    QTest::newRow("beyond float") << "-1e300";
    QTest::newRow("blob") << "x'00ff'";
    QTest::newRow("empty blob") << "x''";
}

// Each value, between texts and numbers of its own row and of the rows
// around it, reads from the stored row as it read from the statement's row.
void tst_RecordsetRows::storedRows_readAsTheStatementsRowsDo()
{
    QFETCH(QString, stored);
    const SqlText query("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2) "
                        "SELECT 'row ' || i, "
                        + stored + ", i, " + stored + " FROM n");

    RecordsetRows rows;
    QList<QVariant> read;
    QVERIFY(m_connection->selectEachView(query, [&](const ISqlRowView &row, int) {
        read.append(QVariant(readingsOf(row)));
        rows.append(row);
    }));
    rows.finish();

    QCOMPARE(rows.size(), 3);
    for (int index = 0; index < rows.size(); ++index)
        QCOMPARE(readingsOf(rows.at(index)), read.at(index).toList());
}

QTEST_GUILESS_MAIN(tst_RecordsetRows)

#include "tst_recordsetrows.moc"
