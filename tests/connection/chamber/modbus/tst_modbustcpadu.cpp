#include "connection/chamber/modbus/modbustcpadu.h"

#include <QtTest/QtTest>

Q_DECLARE_METATYPE(QModbusRequest)
Q_DECLARE_METATYPE(ModbusAdu::Status)

class tst_ModbusTcpAdu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
};

void tst_ModbusTcpAdu::encode_data()
{
    QTest::addColumn<int>("transactionId");
    QTest::addColumn<int>("unitId");
    QTest::addColumn<QModbusRequest>("request");
    QTest::addColumn<QByteArray>("adu");

    QTest::newRow("FC03")
        << 1 << 0x11 << QModbusRequest(QModbusPdu::ReadHoldingRegisters, quint16(0x64), quint16(2))
        << QByteArray::fromHex("000100000006110300640002");
    QTest::newRow("FC06, high transaction id")
        << 0xFFFE << 0 << QModbusRequest(QModbusPdu::WriteSingleRegister, quint16(0xAC00), quint16(0x81))
        << QByteArray::fromHex("fffe000000060006ac000081");
    QTest::newRow("exception response")
        << 3 << 0x11
        << QModbusRequest(QModbusExceptionResponse(QModbusPdu::ReadHoldingRegisters,
                                                   QModbusExceptionResponse::IllegalDataValue))
        << QByteArray::fromHex("000300000003118303");
    QTest::newRow("FC16")
        << 0x1234 << 0xFF
        << QModbusRequest(QModbusPdu::WriteMultipleRegisters, quint16(0x3000), quint16(2), quint8(4),
                          QVector<quint16>{0x0080, 0xABCD})
        << QByteArray::fromHex("12340000000bff1030000002040080abcd");
}

void tst_ModbusTcpAdu::encode()
{
    QFETCH(int, transactionId);
    QFETCH(int, unitId);
    QFETCH(QModbusRequest, request);
    QFETCH(QByteArray, adu);

    QCOMPARE(ModbusTcpAdu::encode(quint16(transactionId), quint8(unitId), request).toHex(),
             adu.toHex());
}

void tst_ModbusTcpAdu::decode_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<ModbusAdu::Status>("status");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("unitId");
    QTest::addColumn<int>("transactionId");
    QTest::addColumn<QByteArray>("pdu");

    using S = ModbusAdu::Status;
    QTest::newRow("read response")
        << QByteArray::fromHex("0001000000071103040001abcd") << S::Complete << 13 << 0x11 << 1
        << QByteArray::fromHex("03040001abcd");
    QTest::newRow("exception response")
        << QByteArray::fromHex("000300000003118303") << S::Complete << 9 << 0x11 << 3
        << QByteArray::fromHex("8303");
    QTest::newRow("first of two ADUs")
        << QByteArray::fromHex("0007000000061106006400ff000800000006")
        << S::Complete << 12 << 0x11 << 7 << QByteArray::fromHex("06006400ff");
    QTest::newRow("unknown function code, framed by its length")
        << QByteArray::fromHex("00090000000401410102") << S::Complete << 10 << 1 << 9
        << QByteArray::fromHex("410102");
    QTest::newRow("empty") << QByteArray() << S::Incomplete << 0 << -1 << -1 << QByteArray();
    QTest::newRow("part of the header")
        << QByteArray::fromHex("000100000007") << S::Incomplete << 0 << -1 << -1 << QByteArray();
    QTest::newRow("truncated PDU")
        << QByteArray::fromHex("00010000000711030400") << S::Incomplete << 0 << -1 << -1
        << QByteArray();
    QTest::newRow("protocol id not 0 drops the buffer")
        << QByteArray::fromHex("000100050006110300640002ffff") << S::Invalid << 14 << -1 << -1
        << QByteArray();
    QTest::newRow("length below unit id and function code")
        << QByteArray::fromHex("0001000000011103") << S::Invalid << 8 << -1 << -1 << QByteArray();
    QTest::newRow("length above the largest PDU")
        << QByteArray::fromHex("0001000000ff1103") << S::Invalid << 8 << -1 << -1 << QByteArray();
    QTest::newRow("PDU shorter than its byte count drops one ADU")
        << QByteArray::fromHex("0001000000051103040001000200000003110302")
        << S::Invalid << 11 << -1 << -1 << QByteArray();
    QTest::newRow("PDU longer than its byte count")
        << QByteArray::fromHex("000100000007110302000100ff") << S::Invalid << 13 << -1 << -1
        << QByteArray();
}

void tst_ModbusTcpAdu::decode()
{
    QFETCH(QByteArray, buffer);
    QFETCH(ModbusAdu::Status, status);
    QFETCH(int, size);
    QFETCH(int, unitId);
    QFETCH(int, transactionId);
    QFETCH(QByteArray, pdu);

    const ModbusAdu adu = ModbusTcpAdu::decode(buffer);
    QCOMPARE(adu.status(), status);
    QCOMPARE(adu.size(), size);
    if (status != ModbusAdu::Status::Complete)
        return;
    QCOMPARE(adu.serverAddress(), unitId);
    QVERIFY(adu.transactionId().has_value());
    QCOMPARE(int(*adu.transactionId()), transactionId);
    const QModbusResponse response = adu.pdu();
    const quint8 functionCode =
        quint8(response.functionCode()) | (response.isException() ? 0x80 : 0x00);
    QCOMPARE((QByteArray(1, char(functionCode)) + response.data()).toHex(), pdu.toHex());
}

QTEST_GUILESS_MAIN(tst_ModbusTcpAdu)
#include "tst_modbustcpadu.moc"
