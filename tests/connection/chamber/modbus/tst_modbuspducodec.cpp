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
    void readRequest_data();
    void readRequest();
    void writeRequest_data();
    void writeRequest();
    void decodeResponse_data();
    void decodeResponse();
};

void tst_ModbusPduCodec::readRequest_data()
{
    QTest::addColumn<QModbusDataUnit>("unit");
    QTest::addColumn<QByteArray>("pdu");

    const auto unit = [](QModbusDataUnit::RegisterType type, int start, int count) {
        return QModbusDataUnit(type, start, quint16(count));
    };
    QTest::newRow("holding registers")
        << unit(QModbusDataUnit::HoldingRegisters, 0x64, 2) << QByteArray::fromHex("0300640002");
    QTest::newRow("input registers")
        << unit(QModbusDataUnit::InputRegisters, 0xAC00, 10) << QByteArray::fromHex("04ac00000a");
    QTest::newRow("125 registers") << unit(QModbusDataUnit::HoldingRegisters, 0, 125)
                                   << QByteArray::fromHex("030000007d");
    QTest::newRow("last register") << unit(QModbusDataUnit::HoldingRegisters, 0xFFFF, 1)
                                   << QByteArray::fromHex("03ffff0001");
    QTest::newRow("126 registers") << unit(QModbusDataUnit::HoldingRegisters, 0, 126) << QByteArray();
    QTest::newRow("no register") << unit(QModbusDataUnit::HoldingRegisters, 0, 0) << QByteArray();
    QTest::newRow("past the last register")
        << unit(QModbusDataUnit::HoldingRegisters, 0xFFFF, 2) << QByteArray();
    QTest::newRow("negative address") << unit(QModbusDataUnit::HoldingRegisters, -1, 1) << QByteArray();
    QTest::newRow("coils") << unit(QModbusDataUnit::Coils, 0, 1) << QByteArray();
    QTest::newRow("invalid unit") << QModbusDataUnit() << QByteArray();
}

void tst_ModbusPduCodec::readRequest()
{
    QFETCH(QModbusDataUnit, unit);
    QFETCH(QByteArray, pdu);
    const QModbusRequest request = ModbusPduCodec::readRequest(unit);
    QCOMPARE(request.isValid(), !pdu.isEmpty());
    QCOMPARE(pduBytes(request).toHex(), pdu.toHex());
}

void tst_ModbusPduCodec::writeRequest_data()
{
    QTest::addColumn<QModbusDataUnit>("unit");
    QTest::addColumn<QByteArray>("pdu");

    QTest::newRow("one register, FC06")
        << holding(0x64, {0x00FF}) << QByteArray::fromHex("06006400ff");
    QTest::newRow("three registers, FC16")
        << holding(0x3000, {0xAAAA, 0xBBBB, 0xCCCC})
        << QByteArray::fromHex("1030000003" "06" "aaaabbbbcccc");
    QTest::newRow("123 registers")
        << holding(0, QVector<quint16>(123, 0x0101))
        << QByteArray::fromHex("100000007bf6") + QByteArray(246, 0x01);
    QTest::newRow("124 registers") << holding(0, QVector<quint16>(124)) << QByteArray();
    QTest::newRow("no register") << holding(0, {}) << QByteArray();
    QTest::newRow("past the last register") << holding(0xFFFF, {1, 2}) << QByteArray();
    QTest::newRow("input registers")
        << QModbusDataUnit(QModbusDataUnit::InputRegisters, 0, QVector<quint16>{1}) << QByteArray();
}

void tst_ModbusPduCodec::writeRequest()
{
    QFETCH(QModbusDataUnit, unit);
    QFETCH(QByteArray, pdu);
    const QModbusRequest request = ModbusPduCodec::writeRequest(unit);
    QCOMPARE(request.isValid(), !pdu.isEmpty());
    QCOMPARE(pduBytes(request).toHex(), pdu.toHex());
}

void tst_ModbusPduCodec::decodeResponse_data()
{
    QTest::addColumn<QModbusRequest>("request");
    QTest::addColumn<QModbusDataUnit>("unit");
    QTest::addColumn<QModbusResponse>("response");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QVector<quint16>>("values");

    const QModbusDataUnit read(QModbusDataUnit::HoldingRegisters, 0x64, 2);
    const QModbusRequest readRequest = ModbusPduCodec::readRequest(read);
    const auto response = [](QModbusPdu::FunctionCode code, const char *hex) {
        return QModbusResponse(code, QByteArray::fromHex(hex));
    };

    QTest::newRow("read")
        << readRequest << read << response(QModbusPdu::ReadHoldingRegisters, "040001abcd") << true
        << QVector<quint16>{0x0001, 0xABCD};
    QTest::newRow("read, byte count for one register")
        << readRequest << read << response(QModbusPdu::ReadHoldingRegisters, "020001") << false
        << QVector<quint16>();
    QTest::newRow("read, byte count larger than the data")
        << readRequest << read << response(QModbusPdu::ReadHoldingRegisters, "040001ab") << false
        << QVector<quint16>();
    QTest::newRow("read, answered with another function code")
        << readRequest << read << response(QModbusPdu::ReadInputRegisters, "040001abcd") << false
        << QVector<quint16>();
    QTest::newRow("read, exception")
        << readRequest << read
        << QModbusResponse(QModbusExceptionResponse(QModbusPdu::ReadHoldingRegisters,
                                                    QModbusExceptionResponse::IllegalDataAddress))
        << false << QVector<quint16>();

    const QModbusDataUnit single = holding(0x64, {0x00FF});
    const QModbusRequest singleRequest = ModbusPduCodec::writeRequest(single);
    QTest::newRow("write single, echoed")
        << singleRequest << single << response(QModbusPdu::WriteSingleRegister, "006400ff") << true
        << QVector<quint16>{0x00FF};
    QTest::newRow("write single, other value echoed")
        << singleRequest << single << response(QModbusPdu::WriteSingleRegister, "006400fe") << false
        << QVector<quint16>();

    const QModbusDataUnit multiple = holding(0x3000, {1, 2, 3});
    const QModbusRequest multipleRequest = ModbusPduCodec::writeRequest(multiple);
    QTest::newRow("write multiple, echoed")
        << multipleRequest << multiple << response(QModbusPdu::WriteMultipleRegisters, "30000003")
        << true << QVector<quint16>{1, 2, 3};
    QTest::newRow("write multiple, other count echoed")
        << multipleRequest << multiple << response(QModbusPdu::WriteMultipleRegisters, "30000002")
        << false << QVector<quint16>();
    QTest::newRow("write multiple, other address echoed")
        << multipleRequest << multiple << response(QModbusPdu::WriteMultipleRegisters, "30010003")
        << false << QVector<quint16>();
}

void tst_ModbusPduCodec::decodeResponse()
{
    QFETCH(QModbusRequest, request);
    QFETCH(QModbusDataUnit, unit);
    QFETCH(QModbusResponse, response);
    QFETCH(bool, valid);
    QFETCH(QVector<quint16>, values);

    const std::optional<QModbusDataUnit> result =
        ModbusPduCodec::decodeResponse(request, unit, response);
    QCOMPARE(result.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(result->values(), values);
    QCOMPARE(result->startAddress(), unit.startAddress());
    QCOMPARE(result->registerType(), unit.registerType());
}

QTEST_GUILESS_MAIN(tst_ModbusPduCodec)
#include "tst_modbuspducodec.moc"
