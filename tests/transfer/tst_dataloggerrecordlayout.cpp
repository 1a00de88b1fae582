#include "transfer/qx2dataloggerreader.h"
#include "transfer/zk4dataloggerreader.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using namespace quelta::domain::types;

namespace {

// Not read: bytes 0 to 3; then the time stamp 1600000000 (2020-09-13
// 12:26:40 UTC) and the floats 21.5, -10.25, 0 and 1.
const QByteArray Head = "ffffffff" "00105e5f" "0000ac41" "000024c1";
const QByteArray Qx2Record = Head + "00000000" "0000803f" "020001";
const QByteArray Zk4First = Head + "eeeeee";
const QByteArray Zk4Second = Head + "00000000" "0000803f" "ff07" "eeeeee";

} // namespace

class tst_DataLoggerRecordLayout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

// Whole records from the start of the block; channels paired with ten
// signals of descending ids, each at the bit position, values in ascending
// signal-id order and of their channels' types. (Full blocks go through
// tst_ModbusDataLoggerReader.)
void tst_DataLoggerRecordLayout::parse_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("bitPosition");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<int>("records");
    QTest::addColumn<QVariantList>("values");
    const QVariantList qx2Values{true, false, true, 1.0f, 0.0f, -10.25f, 21.5f};
    const QVariantList zk4Values{7, 255, 1.0f, 0.0f, -10.25f, 21.5f};
    QTest::newRow("QX2, seven channels") << "QX2" << Qx2Record << -1 << 5 << 1 << qx2Values;
    // Each value used to be reduced to the signal's bit: 1 at bit 5 read false.
    QTest::newRow("QX2, signals at bit 5") << "QX2" << Qx2Record << 5 << 5 << 1 << qx2Values;
    QTest::newRow("QX2, no more than wanted") << "QX2" << Qx2Record.repeated(8) << -1 << 3 << 3 << QVariantList();
    QTest::newRow("QX2, short trailing block")
        << "QX2" << Qx2Record + Qx2Record.left(52) << -1 << 5 << 1 << QVariantList();
    QTest::newRow("ZK4 dataset 0, two channels")
        << "ZK4 0" << Zk4First << -1 << 5 << 1 << QVariantList{-10.25f, 21.5f};
    QTest::newRow("ZK4 dataset 1, bytes as ints") << "ZK4 1" << Zk4Second << -1 << 5 << 1 << zk4Values;
    // 0xFF used to read as the bool true.
    QTest::newRow("ZK4 dataset 1, signals at bit 5") << "ZK4 1" << Zk4Second << 5 << 5 << 1 << zk4Values;
    QTest::newRow("ZK4 dataset 1, short block") << "ZK4 1" << Zk4Second.left(56) << -1 << 5 << 0 << QVariantList();
}

void tst_DataLoggerRecordLayout::parse()
{
    QFETCH(QString, layout);
    QFETCH(QByteArray, block);
    QFETCH(int, bitPosition);
    QFETCH(int, wanted);
    QFETCH(int, records);
    QFETCH(QVariantList, values);
    const DataLoggerRecordLayout recordLayout = layout == "QX2"
        ? QX2DataLoggerReader::recordLayout()
        : *ZK4DataLoggerReader::recordLayout(layout.endsWith('0') ? 0x8000 : 0x8001);
    QList<ChamberSignal> chamberSignals;
    for (int id = 10; id > 0; --id) {
        chamberSignals.append(ChamberSignal());
        chamberSignals.last().setId(id);
        chamberSignals.last().setBitPosition(bitPosition);
    }
    const QByteArray bytes = QByteArray::fromHex(block);

    const auto parsed = recordLayout.parse(QVector<uchar>(bytes.begin(), bytes.end()), wanted, chamberSignals, 7);
    QCOMPARE(parsed.size(), records);
    if (parsed.isEmpty())
        return;
    QVariantList rawValues;
    for (const auto &value : parsed.first().values())
        rawValues.append(value.rawValue());
    QCOMPARE(rawValues.mid(0, values.size()), values);
    for (int i = 0; i < values.size(); ++i)
        QCOMPARE(rawValues.at(i).userType(), values.at(i).userType());
    QCOMPARE(parsed.first().recordTime(), QDateTime(QDate(2020, 9, 13), QTime(12, 26, 40), Qt::LocalTime));
    QCOMPARE(parsed.first().recordingId(), 7U);
}

QTEST_GUILESS_MAIN(tst_DataLoggerRecordLayout)
#include "tst_dataloggerrecordlayout.moc"
