#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/modbustcpadu.h"

#include <QtTest/QtTest>

Q_DECLARE_METATYPE(ModbusAdu::Status)

// Cutting responses from the receive buffer in both framings of the own
// clients: Modbus TCP (MBAP header) and RTU (CRC-16) as carried over TCP.
// Encoding is left to the real peers, which refuse a wrong frame; server
// addresses and transaction ids are matched in tst_QModbusOverTcpClientBase.
class tst_ModbusAdu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
};

void tst_ModbusAdu::decode_data()
{
    QTest::addColumn<bool>("tcp");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<ModbusAdu::Status>("status");
    // The bytes to take off the buffer, and the PDU's data of a complete ADU.
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("data");

    using S = ModbusAdu::Status;
    const auto row = [](const char *name, bool tcp, const char *hex, S status, int size, const char *data = "") {
        QTest::newRow(name) << tcp << QByteArray::fromHex(hex) << status << size << QByteArray::fromHex(data);
    };
    row("tcp, exception response", true, "000300000003118303", S::Complete, 9, "03");
    row("tcp, first of two ADUs", true, "0007000000061106006400ff000800000006", S::Complete, 12, "006400ff");
    row("tcp, part of the header", true, "000100000007", S::Incomplete, 0);
    row("tcp, protocol id not 0 drops the buffer", true, "000100050006110300640002ffff", S::Invalid, 14);
    row("tcp, length above the largest PDU", true, "0001000000ff1103", S::Invalid, 8);
    row("tcp, PDU shorter than its byte count drops one ADU", true, "0001000000051103040001000200000003110302",
        S::Invalid, 11);
    // Frames as pymodbus's RTU framer sends them.
    row("rtu, read response", false, "1103040001abcd0497", S::Complete, 9, "040001abcd");
    row("rtu, first of two frames", false, "1110006400020287111000", S::Complete, 8, "00640002");
    row("rtu, without its CRC", false, "1103040001abcd", S::Incomplete, 0);
    row("rtu, CRC mismatch drops the buffer", false, "1103040001abcd04981110", S::Invalid, 11);
    row("rtu, unknown function code", false, "11410102ffff", S::Invalid, 6);
    row("rtu, byte count beyond the largest PDU", false, "1103ff00", S::Invalid, 4);
}

void tst_ModbusAdu::decode()
{
    QFETCH(bool, tcp);
    QFETCH(QByteArray, buffer);
    QFETCH(ModbusAdu::Status, status);
    QFETCH(int, size);
    QFETCH(QByteArray, data);

    const ModbusAdu adu = tcp ? ModbusTcpAdu::decode(buffer) : ModbusRtuAdu::decode(buffer);
    QCOMPARE(adu.status(), status);
    QCOMPARE(adu.size(), size);
    QCOMPARE(adu.pdu().data().toHex(), data.toHex());
}

QTEST_GUILESS_MAIN(tst_ModbusAdu)
#include "tst_modbusadu.moc"
