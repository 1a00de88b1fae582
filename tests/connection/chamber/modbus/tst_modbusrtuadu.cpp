#include "connection/chamber/modbus/modbusrtuadu.h"

#include <QtTest/QtTest>

Q_DECLARE_METATYPE(QModbusRequest)
Q_DECLARE_METATYPE(ModbusAdu::Status)

class tst_ModbusRtuAdu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void crc16_data();
    void crc16();
    void encode_data();
    void encode();
    void decode_data();
    void decode();
};

void tst_ModbusRtuAdu::crc16_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("crc");

    QTest::newRow("empty") << QByteArray() << 0xFFFF;
    QTest::newRow("read request") << QByteArray::fromHex("01030000000a") << 0xCDC5;
    QTest::newRow("read request, unit 17") << QByteArray::fromHex("1103006b0003") << 0x8776;
    QTest::newRow("read response") << QByteArray::fromHex("1103040001abcd") << 0x9704;
}

void tst_ModbusRtuAdu::crc16()
{
    QFETCH(QByteArray, data);
    QFETCH(int, crc);
    QCOMPARE(int(ModbusRtuAdu::crc16(data)), crc);
}

void tst_ModbusRtuAdu::encode_data()
{
    QTest::addColumn<int>("serverAddress");
    QTest::addColumn<QModbusRequest>("request");
    QTest::addColumn<QByteArray>("adu");

    QTest::newRow("FC03")
        << 1 << QModbusRequest(QModbusPdu::ReadHoldingRegisters, quint16(0), quint16(10))
        << QByteArray::fromHex("01030000000ac5cd");
    QTest::newRow("exception response")
        << 0x11
        << QModbusRequest(QModbusExceptionResponse(QModbusPdu::ReadHoldingRegisters,
                                                   QModbusExceptionResponse::IllegalDataValue))
        << QByteArray::fromHex("11830300f4");
    QTest::newRow("FC16")
        << 0x11
        << QModbusRequest(QModbusPdu::WriteMultipleRegisters, quint16(0x64), quint16(2), quint8(4),
                          QVector<quint16>{0x0011, 0x2233})
        << QByteArray::fromHex("1110006400020400112233a804");
}

void tst_ModbusRtuAdu::encode()
{
    QFETCH(int, serverAddress);
    QFETCH(QModbusRequest, request);
    QFETCH(QByteArray, adu);
    QCOMPARE(ModbusRtuAdu::encode(quint8(serverAddress), request).toHex(), adu.toHex());
}

void tst_ModbusRtuAdu::decode_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<ModbusAdu::Status>("status");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("serverAddress");
    QTest::addColumn<QByteArray>("pdu");

    using S = ModbusAdu::Status;
    // Frames as pymodbus's RTU framer sends them.
    QTest::newRow("read response")
        << QByteArray::fromHex("1103040001abcd0497") << S::Complete << 9 << 0x11
        << QByteArray::fromHex("03040001abcd");
    QTest::newRow("write multiple response")
        << QByteArray::fromHex("1110006400020287") << S::Complete << 8 << 0x11
        << QByteArray::fromHex("1000640002");
    QTest::newRow("exception response")
        << QByteArray::fromHex("11830300f4") << S::Complete << 5 << 0x11 << QByteArray::fromHex("8303");
    QTest::newRow("first of two frames")
        << QByteArray::fromHex("1110006400020287111000") << S::Complete << 8 << 0x11
        << QByteArray::fromHex("1000640002");
    QTest::newRow("empty") << QByteArray() << S::Incomplete << 0 << -1 << QByteArray();
    QTest::newRow("address and function code")
        << QByteArray::fromHex("1103") << S::Incomplete << 0 << -1 << QByteArray();
    QTest::newRow("without its CRC")
        << QByteArray::fromHex("1103040001abcd") << S::Incomplete << 0 << -1 << QByteArray();
    QTest::newRow("CRC mismatch drops the buffer")
        << QByteArray::fromHex("1103040001abcd04981110") << S::Invalid << 11 << -1 << QByteArray();
    QTest::newRow("one data bit flipped")
        << QByteArray::fromHex("1103040001abcc0497") << S::Invalid << 9 << -1 << QByteArray();
    QTest::newRow("unknown function code")
        << QByteArray::fromHex("11410102ffff") << S::Invalid << 6 << -1 << QByteArray();
    QTest::newRow("byte count beyond the largest PDU")
        << QByteArray::fromHex("1103ff00") << S::Invalid << 4 << -1 << QByteArray();
}

void tst_ModbusRtuAdu::decode()
{
    QFETCH(QByteArray, buffer);
    QFETCH(ModbusAdu::Status, status);
    QFETCH(int, size);
    QFETCH(int, serverAddress);
    QFETCH(QByteArray, pdu);

    const ModbusAdu adu = ModbusRtuAdu::decode(buffer);
    QCOMPARE(adu.status(), status);
    QCOMPARE(adu.size(), size);
    if (status != ModbusAdu::Status::Complete)
        return;
    QCOMPARE(adu.serverAddress(), serverAddress);
    QVERIFY(!adu.transactionId().has_value());
    const QModbusResponse response = adu.pdu();
    const quint8 functionCode =
        quint8(response.functionCode()) | (response.isException() ? 0x80 : 0x00);
    QCOMPARE((QByteArray(1, char(functionCode)) + response.data()).toHex(), pdu.toHex());
}

QTEST_GUILESS_MAIN(tst_ModbusRtuAdu)
#include "tst_modbusrtuadu.moc"
