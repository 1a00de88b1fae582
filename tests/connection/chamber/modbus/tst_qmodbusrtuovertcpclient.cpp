#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include "modbustestsupport.h"
#include "pymodbusserver.h"
#include "scriptedmodbuspeer.h"

#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

using namespace std::chrono_literals;
using namespace ModbusTestSupport;
using Request = ScriptedModbusPeer::Request;

namespace {

constexpr int Unit = 17;

} // namespace

class tst_QModbusRtuOverTcpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void pymodbus_readsAndWritesRegisters();
    void pymodbus_unknownUnitTimesOut();
    void corruptCrc_isDroppedAndTheRetryAnswered();
};

void tst_QModbusRtuOverTcpClient::initTestCase()
{
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::Error>();
}

void tst_QModbusRtuOverTcpClient::pymodbus_readsAndWritesRegisters()
{
    PymodbusServer pymodbus;
    QVERIFY2(pymodbus.start(PymodbusServer::Framing::Rtu, Unit, 0xAC00, {0x0080, 0x0000, 0xFFFF}),
             qPrintable(pymodbus.errors()));
    QModbusRtuOverTcpClient client;
    QVERIFY(connectClient(client, pymodbus.port()));

    QModbusReply *preset = client.sendReadRequest(holdingRead(0xAC00, 3), Unit);
    QModbusReply *multiple = client.sendWriteRequest(holdingWrite(0x3014, QVector<quint16>(36, 0x4242)), Unit);
    QModbusReply *single = client.sendWriteRequest(holdingWrite(0xAC01, {0x0102}), Unit);
    QModbusReply *back = client.sendReadRequest(holdingRead(0x3014, 36), Unit);
    QModbusReply *backSingle = client.sendReadRequest(holdingRead(0xAC00, 3), Unit);
    QVERIFY(waitFinished(backSingle));

    for (QModbusReply *reply : {preset, multiple, single, back, backSingle})
        QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(preset->result().values(), (QVector<quint16>{0x0080, 0x0000, 0xFFFF}));
    QCOMPARE(back->result().values(), QVector<quint16>(36, 0x4242));
    QCOMPARE(backSingle->result().values(), (QVector<quint16>{0x0080, 0x0102, 0xFFFF}));
}

void tst_QModbusRtuOverTcpClient::pymodbus_unknownUnitTimesOut()
{
    PymodbusServer pymodbus;
    QVERIFY2(pymodbus.start(PymodbusServer::Framing::Rtu, Unit, 0, {7}), qPrintable(pymodbus.errors()));
    QModbusRtuOverTcpClient client;
    QVERIFY(connectClient(client, pymodbus.port()));
    client.setTimeout(50ms);

    QModbusReply *other = client.sendReadRequest(holdingRead(0, 1), Unit + 1);
    QModbusReply *own = client.sendReadRequest(holdingRead(0, 1), Unit);
    QVERIFY(waitFinished(own));
    QCOMPARE(other->error(), QModbusDevice::TimeoutError);
    QCOMPARE(own->error(), QModbusDevice::NoError);
    QCOMPARE(own->result().values(), QVector<quint16>{7});
}

void tst_QModbusRtuOverTcpClient::corruptCrc_isDroppedAndTheRetryAnswered()
{
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Rtu);
    QVERIFY(peer.listen());
    peer.registers()[0x10] = 0x1111;
    peer.setHandler([&peer](const Request &request) {
        QByteArray frame = ModbusRtuAdu::encode(
            quint8(request.unitId), ScriptedModbusPeer::normalResponse(request.pdu, peer.registers()));
        if (peer.requests().size() == 1)
            frame[frame.size() - 1] = char(frame.at(frame.size() - 1) ^ 0x01);
        peer.sendRaw(frame);
    });
    QModbusRtuOverTcpClient client;
    QVERIFY(connectClient(client, peer.port()));
    // Long enough that the answer to the retry always comes in time: the test
    // counts the sends.
    client.setTimeout(200ms);

    QModbusReply *reply = client.sendReadRequest(holdingRead(0x10, 1), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(reply->result().values(), QVector<quint16>{0x1111});
    QCOMPARE(peer.requests().size(), 2);
}

QTEST_GUILESS_MAIN(tst_QModbusRtuOverTcpClient)
#include "tst_qmodbusrtuovertcpclient.moc"
