#include "connection/chamber/modbus/modbuspducodec.h"

#include <QtTest/QtTest>

Q_DECLARE_METATYPE(QModbusRequest)
Q_DECLARE_METATYPE(QModbusResponse)
Q_DECLARE_METATYPE(QModbusDataUnit)

namespace {

QByteArray pduBytes(const QModbusPdu &pdu)
{
    if (!pdu.isValid())
        return QByteArray();
    return QByteArray(1, char(pdu.functionCode())) + pdu.data();
}

QModbusDataUnit holding(int start, const QVector<quint16> &values)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, values);
}

} // namespace

class tst_ModbusPduCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void request_data();
    void request();
    void decodeResponse_data();
    void decodeResponse();
};

void tst_ModbusPduCodec::request_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QModbusDataUnit>("unit");
    // Empty: no valid request.
    QTest::addColumn<QByteArray>("pdu");

    const auto read = [](QModbusDataUnit::RegisterType type, int start, int count) {
        return QModbusDataUnit(type, start, quint16(count));
    };
    constexpr auto Holding = QModbusDataUnit::HoldingRegisters;
    QTest::newRow("read input registers")
        << false << read(QModbusDataUnit::InputRegisters, 0xAC00, 10) << QByteArray::fromHex("04ac00000a");
    QTest::newRow("read 125 registers") << false << read(Holding, 0, 125) << QByteArray::fromHex("030000007d");
    QTest::newRow("read the last register") << false << read(Holding, 0xFFFF, 1) << QByteArray::fromHex("03ffff0001");
    QTest::newRow("read 126 registers") << false << read(Holding, 0, 126) << QByteArray();
    QTest::newRow("read no register") << false << read(Holding, 0, 0) << QByteArray();
    QTest::newRow("read past the last register") << false << read(Holding, 0xFFFF, 2) << QByteArray();
    QTest::newRow("read a negative address") << false << read(Holding, -1, 1) << QByteArray();
    QTest::newRow("read coils") << false << read(QModbusDataUnit::Coils, 0, 1) << QByteArray();

    QTest::newRow("write one register, FC06") << true << holding(0x64, {0x00FF}) << QByteArray::fromHex("06006400ff");
    QTest::newRow("write three registers, FC16")
        << true << holding(0x3000, {0xAAAA, 0xBBBB, 0xCCCC}) << QByteArray::fromHex("103000000306aaaabbbbcccc");
    QTest::newRow("write 123 registers")
        << true << holding(0, QVector<quint16>(123, 0x0101))
        << QByteArray::fromHex("100000007bf6") + QByteArray(246, 0x01);
    QTest::newRow("write 124 registers") << true << holding(0, QVector<quint16>(124)) << QByteArray();
    QTest::newRow("write no register") << true << holding(0, {}) << QByteArray();
    QTest::newRow("write past the last register") << true << holding(0xFFFF, {1, 2}) << QByteArray();
    QTest::newRow("write input registers")
        << true << QModbusDataUnit(QModbusDataUnit::InputRegisters, 0, QVector<quint16>{1}) << QByteArray();
}

void tst_ModbusPduCodec::request()
{
    QFETCH(bool, write);
    QFETCH(QModbusDataUnit, unit);
    QFETCH(QByteArray, pdu);
    const QModbusRequest request = write ? ModbusPduCodec::writeRequest(unit) : ModbusPduCodec::readRequest(unit);
    QCOMPARE(request.isValid(), !pdu.isEmpty());
    QCOMPARE(pduBytes(request).toHex(), pdu.toHex());
}

void tst_ModbusPduCodec::decodeResponse_data()
{
    QTest::addColumn<QModbusRequest>("request");
    QTest::addColumn<QModbusDataUnit>("unit");
    QTest::addColumn<QModbusResponse>("response");
    // Empty: the response does not fit the request.
    QTest::addColumn<QVector<quint16>>("values");

    const auto row = [](const char *name, const QModbusDataUnit &unit, bool write, QModbusPdu::FunctionCode code,
                        const char *hex, const QVector<quint16> &values = {}) {
        QTest::newRow(name) << (write ? ModbusPduCodec::writeRequest(unit) : ModbusPduCodec::readRequest(unit))
                            << unit << QModbusResponse(code, QByteArray::fromHex(hex)) << values;
    };
    const QModbusDataUnit read(QModbusDataUnit::HoldingRegisters, 0x64, 2);
    const QModbusDataUnit single = holding(0x64, {0x00FF});
    const QModbusDataUnit multiple = holding(0x3000, {1, 2, 3});
    row("read", read, false, QModbusPdu::ReadHoldingRegisters, "040001abcd", {0x0001, 0xABCD});
    row("read, byte count for one register", read, false, QModbusPdu::ReadHoldingRegisters, "020001");
    row("read, byte count larger than the data", read, false, QModbusPdu::ReadHoldingRegisters, "040001ab");
    row("read, answered with another function code", read, false, QModbusPdu::ReadInputRegisters, "040001abcd");
    row("write single, other value echoed", single, true, QModbusPdu::WriteSingleRegister, "006400fe");
    row("write multiple, echoed", multiple, true, QModbusPdu::WriteMultipleRegisters, "30000003", {1, 2, 3});
    row("write multiple, other count echoed", multiple, true, QModbusPdu::WriteMultipleRegisters, "30000002");
    row("write multiple, other address echoed", multiple, true, QModbusPdu::WriteMultipleRegisters, "30010003");
    QTest::newRow("read, exception")
        << ModbusPduCodec::readRequest(read) << read
        << QModbusResponse(QModbusExceptionResponse(QModbusPdu::ReadHoldingRegisters,
                                                    QModbusExceptionResponse::IllegalDataAddress))
        << QVector<quint16>();
}

void tst_ModbusPduCodec::decodeResponse()
{
    QFETCH(QModbusRequest, request);
    QFETCH(QModbusDataUnit, unit);
    QFETCH(QModbusResponse, response);
    QFETCH(QVector<quint16>, values);

    const std::optional<QModbusDataUnit> result = ModbusPduCodec::decodeResponse(request, unit, response);
    QCOMPARE(result.has_value(), !values.isEmpty());
    if (!result)
        return;
    QCOMPARE(result->values(), values);
    QCOMPARE(result->startAddress(), unit.startAddress());
    QCOMPARE(result->registerType(), unit.registerType());
}

QTEST_GUILESS_MAIN(tst_ModbusPduCodec)
#include "tst_modbuspducodec.moc"
