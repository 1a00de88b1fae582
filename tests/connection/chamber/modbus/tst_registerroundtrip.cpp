#include "connection/chamber/core/valuecodec.h"
#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"
#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include "domain/types/int10.h"

#include "modbustestsupport.h"
#include "pymodbusserver.h"
#include "qtmodbusserver.h"

#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

#include <memory>

using quelta::base::connection::chamberconnection::ValueCodec;
using quelta::domain::types::ControllerAddress;
using quelta::domain::types::ControllerAddressId;
using quelta::domain::types::Int10;
using namespace ModbusTestSupport;

namespace {

constexpr int Unit = 17;
constexpr int RegisterSpan = 0x100;

enum class Peer { QtTcp, PymodbusTcp, PymodbusRtu };

struct Case
{
    const char *name;
    int valueType;
    int count;
    QVariant value;
};

QList<Case> cases()
{
    const auto v = [](auto value) { return QVariant::fromValue(value); };
    QVector<float> floats;
    for (int i = 0; i < 18; ++i)
        floats.append(-20.25f + 3.5f * float(i));
    QVector<uchar> block;
    for (int i = 0; i < 220; ++i)
        block.append(uchar(255 - i));
    return {
        {"bool", QMetaType::Bool, 1, v(true)},
        {"char", QMetaType::Char, 1, v(char(-7))},
        {"uchar", QMetaType::UChar, 1, v(uchar(0xC8))},
        {"uchar pair", QMetaType::UChar, 2, v(QVector<uchar>{0x11, 0xEE})},
        {"uchar block of 220", QMetaType::UChar, 220, v(block)},
        {"short", QMetaType::Short, 1, v(qint16(-12345))},
        {"ushort", QMetaType::UShort, 1, v(quint16(0xAC81))},
        {"six ushort", QMetaType::UShort, 6, v(QVector<quint16>{2026, 12, 6, 21, 15, 59})},
        {"Int10", qMetaTypeId<Int10>(), 1, v(Int10(-215))},
        {"int", QMetaType::Int, 1, v(qint32(-1234567))},
        {"uint", QMetaType::UInt, 1, v(quint32(0x8B0000))},
        {"float", QMetaType::Float, 1, v(23.5f)},
        {"18 floats", QMetaType::Float, 18, v(floats)},
        {"text of 72", QMetaType::QString, 72, v(QStringLiteral("Klimaprogramm 3 \xb0" "C"))},
    };
}

// QVariant compares vectors by address; compare them through their text.
QString describe(const QVariant &value)
{
    QString text;
    QDebug(&text) << value;
    if (value.canConvert<QVariantList>() && value.userType() != QMetaType::QString) {
        QStringList elements;
        for (const QVariant &element : value.value<QSequentialIterable>())
            elements << QString::number(element.toDouble(), 'g', 9);
        text += elements.join(QLatin1Char(','));
    }
    if (value.userType() == qMetaTypeId<Int10>())
        text += QString::number(value.value<Int10>().value());
    return text;
}

} // namespace

Q_DECLARE_METATYPE(Peer)

// Every value type of the codec, written and read back through the own
// clients against servers that no one here wrote.
class tst_RegisterRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyValueType_roundTripsThroughTheServer_data();
    void everyValueType_roundTripsThroughTheServer();
};

void tst_RegisterRoundTrip::initTestCase()
{
    qRegisterMetaType<QModbusDevice::State>();
}

void tst_RegisterRoundTrip::everyValueType_roundTripsThroughTheServer_data()
{
    QTest::addColumn<Peer>("peer");
    QTest::newRow("QModbusTcpServer") << Peer::QtTcp;
    QTest::newRow("pymodbus, Modbus TCP") << Peer::PymodbusTcp;
    QTest::newRow("pymodbus, RTU over TCP") << Peer::PymodbusRtu;
}

void tst_RegisterRoundTrip::everyValueType_roundTripsThroughTheServer()
{
    QFETCH(Peer, peer);
    const QList<Case> table = cases();

    QtModbusServer qtServer;
    PymodbusServer pymodbus;
    quint16 port = 0;
    if (peer == Peer::QtTcp) {
        QVERIFY(qtServer.start(Unit, RegisterSpan * table.size()));
        port = qtServer.port();
    } else {
        const auto framing = peer == Peer::PymodbusTcp ? PymodbusServer::Framing::Tcp
                                                       : PymodbusServer::Framing::Rtu;
        QVERIFY2(pymodbus.start(framing, Unit, 0, {0}), qPrintable(pymodbus.errors()));
        port = pymodbus.port();
    }

    std::unique_ptr<QModbusOverTcpClientBase> client;
    if (peer == Peer::PymodbusRtu)
        client = std::make_unique<QModbusRtuOverTcpClient>();
    else
        client = std::make_unique<QModbusQueuedTcpClient>();
    QVERIFY(connectClient(*client, port));

    const ValueCodec codec;
    for (int i = 0; i < table.size(); ++i) {
        const Case &entry = table.at(i);
        const ControllerAddress address(ControllerAddressId(), QString::number(i * RegisterSpan, 16),
                                        ControllerAddress::ReadWrite, entry.valueType, entry.count, -1,
                                        QString());
        const std::optional<quint16> start = ValueCodec::registerAddress(address);
        QVERIFY2(start.has_value(), entry.name);
        const std::optional<QVector<quint16>> registers = codec.encode(address, entry.value);
        QVERIFY2(registers.has_value(), entry.name);

        QModbusReply *write = client->sendWriteRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, *start, *registers), Unit);
        QModbusReply *read = client->sendReadRequest(
            QModbusDataUnit(QModbusDataUnit::HoldingRegisters, *start, quint16(registers->size())), Unit);
        QVERIFY2(write && read, entry.name);
        QVERIFY2(waitFinished(read), entry.name);
        QVERIFY2(write->error() == QModbusDevice::NoError, qPrintable(write->errorString()));
        QVERIFY2(read->error() == QModbusDevice::NoError, qPrintable(read->errorString()));
        QCOMPARE(write->rawResult().functionCode(),
                 registers->size() == 1 ? QModbusPdu::WriteSingleRegister : QModbusPdu::WriteMultipleRegisters);

        const QVariant decoded = codec.decode(address, read->result().values());
        QCOMPARE(QMetaType::typeName(decoded.userType()), QMetaType::typeName(entry.value.userType()));
        QCOMPARE(describe(decoded), describe(entry.value));
        write->deleteLater();
        read->deleteLater();
    }

    if (peer == Peer::QtTcp)
        QVERIFY(qtServer.disconnect(*client));
}

QTEST_GUILESS_MAIN(tst_RegisterRoundTrip)
#include "tst_registerroundtrip.moc"
