#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/modbustcpadu.h"

#include <QtTest/QtTest>

namespace {

enum class Framing { Tcp, Rtu };

ModbusAdu decode(Framing framing, const QByteArray &buffer)
{
    return framing == Framing::Tcp ? ModbusTcpAdu::decode(buffer) : ModbusRtuAdu::decode(buffer);
}

} // namespace

Q_DECLARE_METATYPE(Framing)
Q_DECLARE_METATYPE(ModbusAdu::Status)

// Cutting responses from the receive buffer in both framings of the own
// clients: Modbus TCP (MBAP header) and RTU (CRC-16) as carried over TCP.
// Encoding is left to the real peers, which refuse a wrong frame.
class tst_ModbusAdu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
};

void tst_ModbusAdu::decode_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<ModbusAdu::Status>("status");
    // The bytes to take off the buffer, the unit and the transaction id
    // (-1 for RTU) and the PDU of a complete ADU.
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("unitId");
    QTest::addColumn<int>("transactionId");
    QTest::addColumn<QByteArray>("pdu");

    using S = ModbusAdu::Status;
    const auto tcp = [](const char *name, const char *hex, S status, int size, int unitId = 0, int tid = 0,
                        const char *pdu = "") {
        QTest::addRow("tcp, %s", name) << Framing::Tcp << QByteArray::fromHex(hex) << status << size << unitId
                                        << tid << QByteArray::fromHex(pdu);
    };
    tcp("exception response", "000300000003118303", S::Complete, 9, 0x11, 3, "8303");
    tcp("first of two ADUs", "0007000000061106006400ff000800000006", S::Complete, 12, 0x11, 7, "06006400ff");
    tcp("unknown function code, framed by its length", "00090000000401410102", S::Complete, 10, 1, 9, "410102");
    tcp("part of the header", "000100000007", S::Incomplete, 0);
    tcp("truncated PDU", "00010000000711030400", S::Incomplete, 0);
    tcp("protocol id not 0 drops the buffer", "000100050006110300640002ffff", S::Invalid, 14);
    tcp("length below unit id and function code", "0001000000011103", S::Invalid, 8);
    tcp("length above the largest PDU", "0001000000ff1103", S::Invalid, 8);
    tcp("PDU shorter than its byte count drops one ADU", "0001000000051103040001000200000003110302", S::Invalid, 11);
    tcp("PDU longer than its byte count", "000100000007110302000100ff", S::Invalid, 13);

    // Frames as pymodbus's RTU framer sends them.
    const auto rtu = [](const char *name, const char *hex, S status, int size, int unitId = 0,
                        const char *pdu = "") {
        QTest::addRow("rtu, %s", name) << Framing::Rtu << QByteArray::fromHex(hex) << status << size << unitId
                                        << -1 << QByteArray::fromHex(pdu);
    };
    rtu("read response", "1103040001abcd0497", S::Complete, 9, 0x11, "03040001abcd");
    rtu("exception response", "11830300f4", S::Complete, 5, 0x11, "8303");
    rtu("first of two frames", "1110006400020287111000", S::Complete, 8, 0x11, "1000640002");
    rtu("address and function code", "1103", S::Incomplete, 0);
    rtu("without its CRC", "1103040001abcd", S::Incomplete, 0);
    rtu("CRC mismatch drops the buffer", "1103040001abcd04981110", S::Invalid, 11);
    rtu("one data bit flipped", "1103040001abcc0497", S::Invalid, 9);
    rtu("unknown function code", "11410102ffff", S::Invalid, 6);
    rtu("byte count beyond the largest PDU", "1103ff00", S::Invalid, 4);
}

void tst_ModbusAdu::decode()
{
    QFETCH(Framing, framing);
    QFETCH(QByteArray, buffer);
    QFETCH(ModbusAdu::Status, status);
    QFETCH(int, size);
    QFETCH(int, unitId);
    QFETCH(int, transactionId);
    QFETCH(QByteArray, pdu);

    const ModbusAdu adu = ::decode(framing, buffer);
    QCOMPARE(adu.status(), status);
    QCOMPARE(adu.size(), size);
    if (status != ModbusAdu::Status::Complete)
        return;
    QCOMPARE(adu.serverAddress(), unitId);
    QCOMPARE(adu.transactionId().has_value() ? int(*adu.transactionId()) : -1, transactionId);
    const QModbusResponse response = adu.pdu();
    const quint8 functionCode = quint8(response.functionCode()) | (response.isException() ? 0x80 : 0x00);
    QCOMPARE((QByteArray(1, char(functionCode)) + response.data()).toHex(), pdu.toHex());
}

QTEST_GUILESS_MAIN(tst_ModbusAdu)
#include "tst_modbusadu.moc"
