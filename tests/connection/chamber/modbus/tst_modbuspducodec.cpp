#include "connection/chamber/modbus/modbuspducodec.h"

#include <QtTest/QtTest>

Q_DECLARE_METATYPE(QModbusDataUnit)

namespace {

QModbusDataUnit holding(int start, const QVector<quint16> &values)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, values);
}

QModbusDataUnit holdingRead(int start, int count)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, quint16(count));
}

} // namespace

// The requests of the own clients. Responses are checked against real and
// broken servers in tst_QModbusOverTcpClientBase.
class tst_ModbusPduCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void request_data();
    void request();
};

void tst_ModbusPduCodec::request_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QModbusDataUnit>("unit");
    // Empty: no valid request.
    QTest::addColumn<QByteArray>("pdu");

    const auto row = [](const char *name, bool write, const QModbusDataUnit &unit, const QByteArray &hex) {
        QTest::newRow(name) << write << unit << QByteArray::fromHex(hex);
    };
    row("read input registers", false, QModbusDataUnit(QModbusDataUnit::InputRegisters, 0xAC00, 10), "04ac00000a");
    row("read 126 registers", false, holdingRead(0, 126), "");
    row("read past the last register", false, holdingRead(0xFFFF, 2), "");
    row("read coils", false, QModbusDataUnit(QModbusDataUnit::Coils, 0, 1), "");
    row("write one register, FC06", true, holding(0x64, {0x00FF}), "06006400ff");
    row("write three registers, FC16", true, holding(0x3000, {0xAAAA, 0xBBBB, 0xCCCC}), "103000000306aaaabbbbcccc");
    row("write 124 registers", true, holding(0, QVector<quint16>(124)), "");
    row("write past the last register", true, holding(0xFFFF, {1, 2}), "");
}

void tst_ModbusPduCodec::request()
{
    QFETCH(bool, write);
    QFETCH(QModbusDataUnit, unit);
    QFETCH(QByteArray, pdu);
    const QModbusRequest request = write ? ModbusPduCodec::writeRequest(unit) : ModbusPduCodec::readRequest(unit);
    QCOMPARE(request.isValid(), !pdu.isEmpty());
    if (request.isValid())
        QCOMPARE((char(request.functionCode()) + request.data()).toHex(), pdu.toHex());
}

QTEST_GUILESS_MAIN(tst_ModbusPduCodec)
#include "tst_modbuspducodec.moc"
