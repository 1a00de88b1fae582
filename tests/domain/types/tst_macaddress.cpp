#include "domain/types/macaddress.h"

#include <QtTest/QtTest>

using quelta::domain::types::MacAddress;

class tst_MacAddress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromString_data();
    void fromString();
    void roundTripKeepsEveryByte();
};

void tst_MacAddress::fromString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray abcdef = QByteArray::fromHex("aabbccddee0f");
    QTest::newRow("dashes, lower case") << "aa-bb-cc-dd-ee-0f" << abcdef;
    QTest::newRow("colons, upper case") << "AA:BB:CC:DD:EE:0F" << abcdef;
    QTest::newRow("one-digit groups") << "a:b:c:d:e:f" << QByteArray::fromHex("0a0b0c0d0e0f");
    QTest::newRow("all zero is an address") << "00:00:00:00:00:00" << QByteArray(6, '\0');

    QTest::newRow("empty text") << "" << QByteArray();
    QTest::newRow("five groups") << "aa:bb:cc:dd:ee" << QByteArray();
    QTest::newRow("non-hex group") << "aa:bb:cc:dd:ee:gg" << QByteArray();
    QTest::newRow("hex prefix") << "0x:bb:cc:dd:ee:ff" << QByteArray();
    QTest::newRow("sign") << "aa:bb:cc:dd:ee:+f" << QByteArray();
    QTest::newRow("blank in group") << "aa:bb:cc:dd:ee: f" << QByteArray();
    QTest::newRow("trailing colon") << "aa:bb:cc:dd:ee:ff:" << QByteArray();
    // Regression: empty groups between dashes were skipped.
    QTest::newRow("doubled dash") << "aa--bb-cc-dd-ee-ff" << QByteArray();
    QTest::newRow("outer dashes") << "-aa-bb-cc-dd-ee-ff-" << QByteArray();
    QTest::newRow("mixed separators") << "aa-bb:cc-dd-ee-ff" << QByteArray();
    QTest::newRow("no separators") << "aabbccddeeff" << QByteArray();
}

void tst_MacAddress::fromString()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    const MacAddress address = MacAddress::fromString(text);
    QCOMPARE(address.bytes(), bytes);
    QCOMPARE(address.isEmpty(), bytes.isEmpty());
}

void tst_MacAddress::roundTripKeepsEveryByte()
{
    const MacAddress address(QByteArray::fromHex("00a1b2c3d4e5"));
    QCOMPARE(address.toString(), QStringLiteral("00:a1:b2:c3:d4:e5"));
    QCOMPARE(MacAddress::fromString(address.toString()), address);
    QCOMPARE(MacAddress::fromString(QStringLiteral("AA:BB:CC:DD:EE:0F")).toString(),
             QStringLiteral("aa:bb:cc:dd:ee:0f"));
    // Five or seven bytes are no address.
    QCOMPARE(MacAddress(QByteArray::fromHex("0102030405")), MacAddress());
    QVERIFY(MacAddress(QByteArray::fromHex("01020304050607")).isEmpty());
}

QTEST_GUILESS_MAIN(tst_MacAddress)
#include "tst_macaddress.moc"
