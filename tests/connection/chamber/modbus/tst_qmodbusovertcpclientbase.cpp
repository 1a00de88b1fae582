#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/modbustcpadu.h"
#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"
#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include "modbustestsupport.h"
#include "scriptedmodbuspeer.h"

#include <QtCore/QElapsedTimer>
#include <QtNetwork/QTcpServer>
#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

#include <memory>

using namespace std::chrono_literals;
using namespace ModbusTestSupport;
using Framing = ScriptedModbusPeer::Framing;
using Request = ScriptedModbusPeer::Request;

Q_DECLARE_METATYPE(ScriptedModbusPeer::Framing)

namespace {

constexpr int Unit = 17;

std::unique_ptr<QModbusOverTcpClientBase> makeClient(Framing framing)
{
    if (framing == Framing::Tcp)
        return std::make_unique<QModbusQueuedTcpClient>();
    return std::make_unique<QModbusRtuOverTcpClient>();
}

int startAddressOf(const Request &request)
{
    return quint8(request.pdu.data().at(0)) << 8 | quint8(request.pdu.data().at(1));
}

void addFramingRows()
{
    QTest::addColumn<Framing>("framing");
    QTest::newRow("tcp") << Framing::Tcp;
    QTest::newRow("rtu") << Framing::Rtu;
}

} // namespace

// The behaviour that both clients share, each run against a scripted peer
// in the client's framing.
class tst_QModbusOverTcpClientBase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readAndWrite_reachTheServerRegisters_data() { addFramingRows(); }
    void readAndWrite_reachTheServerRegisters();
    void queuedRequests_goOutOneAtATimeInOrder_data() { addFramingRows(); }
    void queuedRequests_goOutOneAtATimeInOrder();
    void silentServer_failsWithTimeoutAfterEverySend_data();
    void silentServer_failsWithTimeoutAfterEverySend();
    void defaultTimeout_waitsOneSecondPerSend();
    void answerToTheRetry_completesTheRequest_data() { addFramingRows(); }
    void answerToTheRetry_completesTheRequest();
    void brokenAnswer_neverBecomesData_data();
    void brokenAnswer_neverBecomesData();
    void connectionCutMidFrame_failsEveryQueuedRequestAndRecovers_data() { addFramingRows(); }
    void connectionCutMidFrame_failsEveryQueuedRequestAndRecovers();
    void disconnectDevice_abortsPendingRequests_data() { addFramingRows(); }
    void disconnectDevice_abortsPendingRequests();
    void destruction_abortsPendingRequests_data() { addFramingRows(); }
    void destruction_abortsPendingRequests();
    void deletedReply_isNeverSent_data() { addFramingRows(); }
    void deletedReply_isNeverSent();
    void badRequests_areRefusedWithAnError_data() { addFramingRows(); }
    void badRequests_areRefusedWithAnError();
    void serverAddress_rangeOfTheFraming_data();
    void serverAddress_rangeOfTheFraming();
    void refusedConnection_reportsErrorAndEndsUnconnected_data() { addFramingRows(); }
    void refusedConnection_reportsErrorAndEndsUnconnected();
};

void tst_QModbusOverTcpClientBase::initTestCase()
{
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::Error>();
}

void tst_QModbusOverTcpClientBase::readAndWrite_reachTheServerRegisters()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));

    QModbusReply *multiple = client->sendWriteRequest(holdingWrite(0x100, {0x1111, 0x2222, 0x3333}), Unit);
    QVERIFY(multiple);
    // A reply never finishes inside the call that made it.
    QVERIFY(!multiple->isFinished());
    QModbusReply *single = client->sendWriteRequest(holdingWrite(0x200, {0xBEEF}), Unit);
    QModbusReply *readMultiple = client->sendReadRequest(holdingRead(0x100, 3), Unit);
    QModbusReply *readSingle = client->sendReadRequest(holdingRead(0x200, 1), Unit);
    QVERIFY(single && readMultiple && readSingle);
    QVERIFY(waitFinished(readSingle));

    for (QModbusReply *reply : {multiple, single, readMultiple, readSingle}) {
        QVERIFY(reply->isFinished());
        QCOMPARE(reply->error(), QModbusDevice::NoError);
        QCOMPARE(reply->serverAddress(), Unit);
    }
    QCOMPARE(multiple->result().values(), (QVector<quint16>{0x1111, 0x2222, 0x3333}));
    QCOMPARE(readMultiple->result().values(), (QVector<quint16>{0x1111, 0x2222, 0x3333}));
    QCOMPARE(readMultiple->result().startAddress(), 0x100);
    QCOMPARE(readSingle->result().values(), QVector<quint16>{0xBEEF});
    QCOMPARE(peer.registers().at(0x201), quint16(0));

    QList<int> functionCodes;
    for (const Request &request : peer.requests())
        functionCodes << int(request.pdu.functionCode());
    QCOMPARE(functionCodes, (QList<int>{0x10, 0x06, 0x03, 0x03}));
}

void tst_QModbusOverTcpClientBase::queuedRequests_goOutOneAtATimeInOrder()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));
    for (int i = 0; i < 5; ++i)
        peer.registers()[10 * i] = quint16(0x100 + i);

    QList<QModbusReply *> replies;
    QList<int> finishOrder;
    bool overlapped = false;
    peer.setHandler([&](const Request &request) {
        // Every earlier request must be answered before the next one leaves.
        const int index = peer.requests().size() - 1;
        for (int i = 0; i < index; ++i)
            overlapped = overlapped || !replies.at(i)->isFinished();
        peer.answer(request);
    });
    for (int i = 0; i < 5; ++i) {
        QModbusReply *reply = client->sendReadRequest(holdingRead(10 * i, 1), Unit);
        QVERIFY(reply);
        connect(reply, &QModbusReply::finished, this, [&finishOrder, i] { finishOrder << i; });
        replies << reply;
    }
    QVERIFY(waitFinished(replies.last()));

    QVERIFY(!overlapped);
    QCOMPARE(finishOrder, (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(peer.requests().size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(startAddressOf(peer.requests().at(i)), 10 * i);
        QCOMPARE(replies.at(i)->result().values(), QVector<quint16>{quint16(0x100 + i)});
    }
}

void tst_QModbusOverTcpClientBase::silentServer_failsWithTimeoutAfterEverySend_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<int>("retries");
    QTest::addColumn<int>("sends");

    // -1 keeps the default of three retries.
    QTest::newRow("tcp, default retries") << Framing::Tcp << -1 << 4;
    QTest::newRow("tcp, no retry") << Framing::Tcp << 0 << 1;
    QTest::newRow("rtu, default retries") << Framing::Rtu << -1 << 4;
    QTest::newRow("rtu, one retry") << Framing::Rtu << 1 << 2;
}

void tst_QModbusOverTcpClientBase::silentServer_failsWithTimeoutAfterEverySend()
{
    QFETCH(Framing, framing);
    QFETCH(int, retries);
    QFETCH(int, sends);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    peer.setHandler([](const Request &) {});
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));
    client->setTimeout(20ms);
    if (retries >= 0)
        client->setNumberOfRetries(retries);
    QCOMPARE(client->numberOfRetries(), retries >= 0 ? retries : 3);

    QModbusReply *reply = client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QVERIFY(reply);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::TimeoutError);
    QVERIFY(reply->result().values().isEmpty());
    QCOMPARE(peer.requests().size(), sends);
    // A retry sends the very same frame again.
    for (const Request &request : peer.requests())
        QCOMPARE(request.adu.toHex(), peer.requests().first().adu.toHex());

    // The next request finishing proves that the first finished only once.
    QSignalSpy laterFinish(reply, &QModbusReply::finished);
    peer.setHandler([&peer](const Request &request) { peer.answer(request); });
    client->setTimeout(QModbusOverTcpClientBase::DefaultTimeout);
    QModbusReply *next = client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QVERIFY(waitFinished(next));
    QCOMPARE(next->error(), QModbusDevice::NoError);
    QCOMPARE(laterFinish.count(), 0);
}

void tst_QModbusOverTcpClientBase::defaultTimeout_waitsOneSecondPerSend()
{
    ScriptedModbusPeer peer(Framing::Tcp);
    QVERIFY(peer.listen());
    peer.setHandler([](const Request &) {});
    QModbusQueuedTcpClient client;
    QCOMPARE(client.timeout(), 1000ms);
    QVERIFY(connectClient(client, peer.port()));

    QElapsedTimer elapsed;
    elapsed.start();
    QModbusReply *reply = client.sendReadRequest(holdingRead(0, 1), Unit);
    QSignalSpy finished(reply, &QModbusReply::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(reply->error(), QModbusDevice::TimeoutError);
    QCOMPARE(peer.requests().size(), 4);
    QVERIFY2(elapsed.elapsed() >= 4000, QByteArray::number(elapsed.elapsed()).constData());
}

void tst_QModbusOverTcpClientBase::answerToTheRetry_completesTheRequest()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    peer.registers()[0x64] = 0x4242;
    peer.setHandler([&peer](const Request &request) {
        if (peer.requests().size() > 1)
            peer.answer(request);
    });
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));
    // Long enough that the answer to the retry always comes in time, even on
    // a loaded machine: the test counts the sends.
    client->setTimeout(200ms);

    QModbusReply *reply = client->sendReadRequest(holdingRead(0x64, 1), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(reply->result().values(), QVector<quint16>{0x4242});
    QCOMPARE(peer.requests().size(), 2);
}

void tst_QModbusOverTcpClientBase::brokenAnswer_neverBecomesData_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QModbusDevice::Error>("error");

    for (const Framing framing : {Framing::Tcp, Framing::Rtu}) {
        const char *name = framing == Framing::Tcp ? "tcp" : "rtu";
        const auto row = [&](const char *answer, QModbusDevice::Error error) {
            QTest::addRow("%s, %s", name, answer) << framing << QString::fromLatin1(answer) << error;
        };
        row("garbage", QModbusDevice::TimeoutError);
        row("short frame", QModbusDevice::TimeoutError);
        row("garbage before the answer", QModbusDevice::TimeoutError);
        row("other server address", QModbusDevice::TimeoutError);
        row("other function code", QModbusDevice::TimeoutError);
        row("byte count for one register", QModbusDevice::ProtocolError);
        row("exception", QModbusDevice::ProtocolError);
    }
}

void tst_QModbusOverTcpClientBase::brokenAnswer_neverBecomesData()
{
    QFETCH(Framing, framing);
    QFETCH(QString, answer);
    QFETCH(QModbusDevice::Error, error);

    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    peer.registers()[0x64] = 0x1234;
    peer.registers()[0x65] = 0x5678;
    peer.setHandler([&](const Request &request) {
        const QModbusResponse good = ScriptedModbusPeer::normalResponse(request.pdu, peer.registers());
        if (answer == QLatin1String("garbage")) {
            peer.sendRaw(QByteArray::fromHex("deadbeefdeadbeef0123456789"));
        } else if (answer == QLatin1String("short frame")) {
            QByteArray frame = framing == Framing::Tcp
                ? ModbusTcpAdu::encode(request.transactionId, quint8(request.unitId), good)
                : ModbusRtuAdu::encode(quint8(request.unitId), good);
            peer.sendRaw(frame.left(frame.size() - 3));
        } else if (answer == QLatin1String("garbage before the answer")) {
            peer.sendRaw(QByteArray::fromHex("ff"));
            peer.respond(request, good);
        } else if (answer == QLatin1String("other server address")) {
            peer.respond(request.transactionId, request.unitId + 1, good);
        } else if (answer == QLatin1String("other function code")) {
            peer.respond(request, QModbusResponse(QModbusPdu::ReadInputRegisters, good.data()));
        } else if (answer == QLatin1String("byte count for one register")) {
            peer.respond(request, QModbusResponse(QModbusPdu::ReadHoldingRegisters,
                                                  QByteArray::fromHex("021234")));
        } else if (answer == QLatin1String("exception")) {
            peer.respond(request, QModbusExceptionResponse(QModbusPdu::ReadHoldingRegisters,
                                                           QModbusExceptionResponse::IllegalDataAddress));
        }
    });
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));
    client->setTimeout(20ms);
    client->setNumberOfRetries(1);

    QModbusReply *reply = client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), error);
    QVERIFY(!reply->errorString().isEmpty());
    QVERIFY(reply->result().values().isEmpty());
    if (answer == QLatin1String("exception")) {
        QVERIFY(reply->rawResult().isException());
        QCOMPARE(reply->rawResult().exceptionCode(), QModbusPdu::IllegalDataAddress);
    }

    // The client is still in step with a server that answers properly.
    peer.setHandler([&peer](const Request &request) { peer.answer(request); });
    client->setTimeout(QModbusOverTcpClientBase::DefaultTimeout);
    QModbusReply *next = client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QVERIFY(waitFinished(next));
    QCOMPARE(next->error(), QModbusDevice::NoError);
    QCOMPARE(next->result().values(), (QVector<quint16>{0x1234, 0x5678}));
}

void tst_QModbusOverTcpClientBase::connectionCutMidFrame_failsEveryQueuedRequestAndRecovers()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    peer.registers()[0x10] = 0x0A0B;
    peer.setHandler([&](const Request &request) {
        const QModbusResponse good = ScriptedModbusPeer::normalResponse(request.pdu, peer.registers());
        const QByteArray frame = framing == Framing::Tcp
            ? ModbusTcpAdu::encode(request.transactionId, quint8(request.unitId), good)
            : ModbusRtuAdu::encode(quint8(request.unitId), good);
        peer.sendRaw(frame.left(frame.size() / 2));
        peer.closeConnection();
    });
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));
    QSignalSpy errors(client.get(), &QModbusDevice::errorOccurred);

    QList<QModbusReply *> replies;
    for (int i = 0; i < 3; ++i)
        replies << client->sendReadRequest(holdingRead(0x10, 1), Unit);
    for (QModbusReply *reply : replies)
        QVERIFY(waitFinished(reply));
    for (QModbusReply *reply : replies) {
        QCOMPARE(reply->error(), QModbusDevice::ReplyAbortedError);
        QVERIFY(reply->result().values().isEmpty());
    }
    QTRY_COMPARE(client->state(), QModbusDevice::UnconnectedState);
    QVERIFY(!errors.isEmpty());
    QCOMPARE(errors.first().first().value<QModbusDevice::Error>(), QModbusDevice::ConnectionError);
    QCOMPARE(peer.requests().size(), 1);

    peer.setHandler([&peer](const Request &request) { peer.answer(request); });
    QVERIFY(connectClient(*client, peer.port()));
    QModbusReply *reply = client->sendReadRequest(holdingRead(0x10, 1), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(reply->result().values(), QVector<quint16>{0x0A0B});
}

void tst_QModbusOverTcpClientBase::disconnectDevice_abortsPendingRequests()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    peer.setHandler([](const Request &) {});
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));
    QSignalSpy errors(client.get(), &QModbusDevice::errorOccurred);

    QModbusReply *sent = client->sendReadRequest(holdingRead(0, 1), Unit);
    QModbusReply *queued = client->sendReadRequest(holdingRead(1, 1), Unit);
    QSignalSpy received(&peer, &ScriptedModbusPeer::requestReceived);
    QVERIFY(received.wait(WaitMs));
    QSignalSpy sentFinished(sent, &QModbusReply::finished);
    QSignalSpy queuedFinished(queued, &QModbusReply::finished);

    client->disconnectDevice();
    QCOMPARE(sentFinished.count(), 1);
    QCOMPARE(queuedFinished.count(), 1);
    QCOMPARE(sent->error(), QModbusDevice::ReplyAbortedError);
    QCOMPARE(queued->error(), QModbusDevice::ReplyAbortedError);
    QCOMPARE(client->state(), QModbusDevice::UnconnectedState);
    // Closing the connection ourselves is no error.
    QCOMPARE(errors.count(), 0);

    QCOMPARE(client->sendReadRequest(holdingRead(0, 1), Unit), nullptr);
    QCOMPARE(client->error(), QModbusDevice::ConnectionError);
    QCOMPARE(sentFinished.count(), 1);
}

void tst_QModbusOverTcpClientBase::destruction_abortsPendingRequests()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    peer.setHandler([](const Request &) {});
    auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));

    QList<QModbusDevice::Error> finishedWith;
    for (int i = 0; i < 2; ++i) {
        QModbusReply *reply = client->sendReadRequest(holdingRead(i, 1), Unit);
        connect(reply, &QModbusReply::finished, this,
                [&finishedWith, reply] { finishedWith << reply->error(); });
    }
    client.reset();
    QCOMPARE(finishedWith,
             (QList<QModbusDevice::Error>{QModbusDevice::ReplyAbortedError, QModbusDevice::ReplyAbortedError}));
}

void tst_QModbusOverTcpClientBase::deletedReply_isNeverSent()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));

    delete client->sendReadRequest(holdingRead(0x30, 1), Unit);
    QModbusReply *kept = client->sendReadRequest(holdingRead(0x40, 1), Unit);
    QVERIFY(waitFinished(kept));
    QCOMPARE(kept->error(), QModbusDevice::NoError);
    QCOMPARE(peer.requests().size(), 1);
    QCOMPARE(startAddressOf(peer.requests().first()), 0x40);
}

void tst_QModbusOverTcpClientBase::badRequests_areRefusedWithAnError()
{
    QFETCH(Framing, framing);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    const auto client = makeClient(framing);
    QSignalSpy errors(client.get(), &QModbusDevice::errorOccurred);

    QCOMPARE(client->sendReadRequest(holdingRead(0, 1), Unit), nullptr);
    QCOMPARE(client->error(), QModbusDevice::ConnectionError);

    QVERIFY(connectClient(*client, peer.port()));
    QCOMPARE(client->sendReadRequest(holdingRead(0, 126), Unit), nullptr);
    QCOMPARE(client->error(), QModbusDevice::ProtocolError);
    QCOMPARE(client->sendWriteRequest(holdingWrite(0xFFFF, {1, 2}), Unit), nullptr);
    QCOMPARE(client->error(), QModbusDevice::ProtocolError);
    QCOMPARE(client->sendReadRequest(QModbusDataUnit(QModbusDataUnit::Coils, 0, 1), Unit), nullptr);
    QCOMPARE(client->error(), QModbusDevice::ProtocolError);
    QCOMPARE(errors.count(), 4);

    QModbusReply *reply = client->sendReadRequest(holdingRead(0, 1), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(peer.requests().size(), 1);
}

void tst_QModbusOverTcpClientBase::serverAddress_rangeOfTheFraming_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<int>("serverAddress");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("tcp, 0") << Framing::Tcp << 0 << true;
    QTest::newRow("tcp, 255") << Framing::Tcp << 255 << true;
    QTest::newRow("tcp, 256") << Framing::Tcp << 256 << false;
    QTest::newRow("tcp, -1") << Framing::Tcp << -1 << false;
    QTest::newRow("rtu, broadcast 0") << Framing::Rtu << 0 << false;
    QTest::newRow("rtu, 1") << Framing::Rtu << 1 << true;
    QTest::newRow("rtu, 247") << Framing::Rtu << 247 << true;
    QTest::newRow("rtu, reserved 248") << Framing::Rtu << 248 << false;
}

void tst_QModbusOverTcpClientBase::serverAddress_rangeOfTheFraming()
{
    QFETCH(Framing, framing);
    QFETCH(int, serverAddress);
    QFETCH(bool, accepted);
    ScriptedModbusPeer peer(framing);
    QVERIFY(peer.listen());
    const auto client = makeClient(framing);
    QVERIFY(connectClient(*client, peer.port()));

    QModbusReply *reply = client->sendReadRequest(holdingRead(0, 1), serverAddress);
    QCOMPARE(reply != nullptr, accepted);
    if (!accepted) {
        QCOMPARE(client->error(), QModbusDevice::ConfigurationError);
        return;
    }
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(peer.requests().first().unitId, serverAddress);
}

void tst_QModbusOverTcpClientBase::refusedConnection_reportsErrorAndEndsUnconnected()
{
    QFETCH(Framing, framing);
    quint16 port = 0;
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        port = closed.serverPort();
    }
    const auto client = makeClient(framing);
    QSignalSpy errors(client.get(), &QModbusDevice::errorOccurred);
    QVERIFY(!connectClient(*client, port));
    QCOMPARE(client->state(), QModbusDevice::UnconnectedState);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(client->error(), QModbusDevice::ConnectionError);

    client->setConnectionParameter(QModbusDevice::NetworkPortParameter, 0);
    QVERIFY(!client->connectDevice());
    QCOMPARE(client->error(), QModbusDevice::ConfigurationError);
    QCOMPARE(client->state(), QModbusDevice::UnconnectedState);
}

QTEST_GUILESS_MAIN(tst_QModbusOverTcpClientBase)
#include "tst_qmodbusovertcpclientbase.moc"
