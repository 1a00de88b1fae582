#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"

#include "modbustestsupport.h"
#include "pymodbusserver.h"
#include "qtmodbusserver.h"
#include "scriptedmodbuspeer.h"

#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

using namespace std::chrono_literals;
using namespace ModbusTestSupport;
using Request = ScriptedModbusPeer::Request;

namespace {

constexpr int Unit = 17;

} // namespace

class tst_QModbusQueuedTcpClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void qtServer_readsAndWritesRegisters();
    void qtServer_missingRegisterGivesExceptionCode();
    void pymodbus_readsAndWritesRegisters();
    void pymodbus_unknownUnitTimesOut();
    void otherTransactionId_isDroppedNotDelivered();
};

void tst_QModbusQueuedTcpClient::initTestCase()
{
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::Error>();
}

void tst_QModbusQueuedTcpClient::qtServer_readsAndWritesRegisters()
{
    QtModbusServer qt;
    QVERIFY(qt.start(Unit, 100));
    QVERIFY(qt.server().setData(holdingWrite(10, {0x0102, 0x0304})));
    QModbusQueuedTcpClient client;
    QVERIFY(connectClient(client, qt.port()));

    QModbusReply *read = client.sendReadRequest(holdingRead(10, 2), Unit);
    QModbusReply *multiple = client.sendWriteRequest(holdingWrite(20, {0xAAAA, 0xBBBB, 0xCCCC}), Unit);
    QModbusReply *single = client.sendWriteRequest(holdingWrite(30, {0xFFFF}), Unit);
    QVERIFY(read && multiple && single);
    QVERIFY(waitFinished(single));

    QCOMPARE(read->error(), QModbusDevice::NoError);
    QCOMPARE(read->result().values(), (QVector<quint16>{0x0102, 0x0304}));
    QCOMPARE(multiple->error(), QModbusDevice::NoError);
    QCOMPARE(single->error(), QModbusDevice::NoError);
    QCOMPARE(multiple->rawResult().functionCode(), QModbusPdu::WriteMultipleRegisters);
    QCOMPARE(single->rawResult().functionCode(), QModbusPdu::WriteSingleRegister);

    QModbusDataUnit written = holdingRead(20, 11);
    QVERIFY(qt.server().data(&written));
    QCOMPARE(written.value(0), quint16(0xAAAA));
    QCOMPARE(written.value(2), quint16(0xCCCC));
    QCOMPARE(written.value(3), quint16(0));
    QCOMPARE(written.value(10), quint16(0xFFFF));
    QVERIFY(qt.disconnect(client));
}

void tst_QModbusQueuedTcpClient::qtServer_missingRegisterGivesExceptionCode()
{
    QtModbusServer qt;
    QVERIFY(qt.start(Unit, 100));
    QModbusQueuedTcpClient client;
    QVERIFY(connectClient(client, qt.port()));

    QModbusReply *reply = client.sendReadRequest(holdingRead(99, 2), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::ProtocolError);
    QVERIFY(reply->rawResult().isException());
    QCOMPARE(reply->rawResult().exceptionCode(), QModbusPdu::IllegalDataAddress);
    QVERIFY(reply->result().values().isEmpty());
    QVERIFY(qt.disconnect(client));
}

void tst_QModbusQueuedTcpClient::pymodbus_readsAndWritesRegisters()
{
    PymodbusServer pymodbus;
    QVERIFY2(pymodbus.start(PymodbusServer::Framing::Tcp, Unit, 0x100, {0x1234, 0xABCD, 0x0001}),
             qPrintable(pymodbus.errors()));
    QModbusQueuedTcpClient client;
    QVERIFY(connectClient(client, pymodbus.port()));

    QModbusReply *preset = client.sendReadRequest(holdingRead(0x100, 3), Unit);
    QModbusReply *multiple = client.sendWriteRequest(holdingWrite(0x200, {1, 2, 3, 4}), Unit);
    QModbusReply *single = client.sendWriteRequest(holdingWrite(0x101, {0x5555}), Unit);
    QModbusReply *back = client.sendReadRequest(holdingRead(0x200, 4), Unit);
    QModbusReply *backSingle = client.sendReadRequest(holdingRead(0x100, 3), Unit);
    QVERIFY(waitFinished(backSingle));

    for (QModbusReply *reply : {preset, multiple, single, back, backSingle})
        QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(preset->result().values(), (QVector<quint16>{0x1234, 0xABCD, 0x0001}));
    QCOMPARE(back->result().values(), (QVector<quint16>{1, 2, 3, 4}));
    QCOMPARE(backSingle->result().values(), (QVector<quint16>{0x1234, 0x5555, 0x0001}));
}

void tst_QModbusQueuedTcpClient::pymodbus_unknownUnitTimesOut()
{
    PymodbusServer pymodbus;
    QVERIFY2(pymodbus.start(PymodbusServer::Framing::Tcp, Unit, 0, {7}), qPrintable(pymodbus.errors()));
    QModbusQueuedTcpClient client;
    QVERIFY(connectClient(client, pymodbus.port()));
    client.setTimeout(50ms);

    QModbusReply *other = client.sendReadRequest(holdingRead(0, 1), Unit + 1);
    QModbusReply *own = client.sendReadRequest(holdingRead(0, 1), Unit);
    QVERIFY(waitFinished(own));
    QCOMPARE(other->error(), QModbusDevice::TimeoutError);
    QCOMPARE(own->error(), QModbusDevice::NoError);
    QCOMPARE(own->result().values(), QVector<quint16>{7});
}

void tst_QModbusQueuedTcpClient::otherTransactionId_isDroppedNotDelivered()
{
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Tcp);
    QVERIFY(peer.listen());
    peer.registers()[5] = 0x0505;
    peer.setHandler([&peer](const Request &request) {
        // A stale answer with another transaction id arrives first.
        peer.respond(quint16(request.transactionId - 1), request.unitId,
                     QModbusResponse(QModbusPdu::ReadHoldingRegisters, QByteArray::fromHex("02dead")));
        peer.answer(request);
    });
    QModbusQueuedTcpClient client;
    QVERIFY(connectClient(client, peer.port()));

    QModbusReply *first = client.sendReadRequest(holdingRead(5, 1), Unit);
    QModbusReply *second = client.sendReadRequest(holdingRead(5, 1), Unit);
    QVERIFY(waitFinished(second));
    for (QModbusReply *reply : {first, second}) {
        QCOMPARE(reply->error(), QModbusDevice::NoError);
        QCOMPARE(reply->result().values(), QVector<quint16>{0x0505});
    }
    QCOMPARE(peer.requests().size(), 2);
    QVERIFY(peer.requests().at(0).transactionId != peer.requests().at(1).transactionId);
}

QTEST_GUILESS_MAIN(tst_QModbusQueuedTcpClient)
#include "tst_qmodbusqueuedtcpclient.moc"
