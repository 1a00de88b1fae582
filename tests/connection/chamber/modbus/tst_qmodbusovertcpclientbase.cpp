#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"
#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include "scriptedmodbuspeer.h"

#include <QtCore/QElapsedTimer>
#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

#include <memory>

using namespace std::chrono_literals;
using Framing = ScriptedModbusPeer::Framing;
using Request = ScriptedModbusPeer::Request;

Q_DECLARE_METATYPE(ScriptedModbusPeer::Framing)
Q_DECLARE_METATYPE(QModbusDataUnit)

namespace {

constexpr int Unit = 17;
constexpr int WaitMs = 5000;

QModbusDataUnit holdingRead(int start, int count)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, quint16(count));
}

bool connectClient(QModbusOverTcpClientBase &client, quint16 port)
{
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter, "127.0.0.1");
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    QSignalSpy states(&client, &QModbusDevice::stateChanged);
    if (!client.connectDevice())
        return false;
    while (client.state() == QModbusDevice::ConnectingState) {
        if (!states.wait(WaitMs))
            return false;
    }
    return client.state() == QModbusDevice::ConnectedState;
}

bool waitFinished(QModbusReply *reply)
{
    return reply && (reply->isFinished() || QSignalSpy(reply, &QModbusReply::finished).wait(WaitMs));
}

std::unique_ptr<QModbusOverTcpClientBase> makeClient(Framing framing)
{
    if (framing == Framing::Tcp)
        return std::make_unique<QModbusQueuedTcpClient>();
    return std::make_unique<QModbusRtuOverTcpClient>();
}

// A scripted peer in the framing and the client of that framing.
struct Link
{
    explicit Link(Framing framing)
        : peer(framing)
        , client(makeClient(framing))
    {
    }
    bool connect() { return peer.listen() && connectClient(*client, peer.port()); }

    ScriptedModbusPeer peer;
    std::unique_ptr<QModbusOverTcpClientBase> client;
};

void addFramingRows()
{
    QTest::addColumn<Framing>("framing");
    QTest::newRow("tcp") << Framing::Tcp;
    QTest::newRow("rtu") << Framing::Rtu;
}

} // namespace

// The behaviour that both clients share, each run against a scripted peer in
// the client's framing. Against servers that no one here wrote, the clients
// run in tst_ModbusChamberConnection.
class tst_QModbusOverTcpClientBase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void queuedRequests_goOutOneAtATimeInOrder_data() { addFramingRows(); }
    void queuedRequests_goOutOneAtATimeInOrder();
    void silentServer_failsWithTimeoutAfterEverySend_data();
    void silentServer_failsWithTimeoutAfterEverySend();
    void brokenAnswer_neverBecomesData_data();
    void brokenAnswer_neverBecomesData();
    void lostConnection_abortsEveryPendingRequest_data();
    void lostConnection_abortsEveryPendingRequest();
    void badRequests_areRefusedWithAnError_data();
    void badRequests_areRefusedWithAnError();
};

void tst_QModbusOverTcpClientBase::initTestCase()
{
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::Error>();
}

void tst_QModbusOverTcpClientBase::queuedRequests_goOutOneAtATimeInOrder()
{
    QFETCH(Framing, framing);
    Link link(framing);
    QVERIFY(link.connect());
    QList<int> finished;
    bool overlapped = false;
    link.peer.setHandler([&](const Request &request) {
        // Every earlier request must be answered before the next one leaves.
        overlapped = overlapped || finished.size() != link.peer.requests().size() - 1;
        link.peer.answer(request);
    });
    QList<QModbusReply *> replies;
    for (int i = 0; i < 5; ++i) {
        link.peer.registers()[10 * i] = quint16(0x100 + i);
        replies << link.client->sendReadRequest(holdingRead(10 * i, 1), Unit);
        QVERIFY(replies.last());
        connect(replies.last(), &QModbusReply::finished, this, [&finished, i] { finished << i; });
    }
    // A reply never finishes inside the call that made it, and one deleted
    // before it went out is never sent.
    QVERIFY(!replies.first()->isFinished());
    delete replies.takeAt(2);
    QVERIFY(waitFinished(replies.last()));

    QVERIFY(!overlapped);
    QCOMPARE(finished, (QList<int>{0, 1, 3, 4}));
    QList<int> sent;
    for (const Request &request : link.peer.requests())
        sent << (quint8(request.pdu.data().at(0)) << 8 | quint8(request.pdu.data().at(1)));
    QCOMPARE(sent, (QList<int>{0, 10, 30, 40}));
    QCOMPARE(replies.at(2)->result().values(), QVector<quint16>{0x103});
}

void tst_QModbusOverTcpClientBase::silentServer_failsWithTimeoutAfterEverySend_data()
{
    QTest::addColumn<Framing>("framing");
    // -1 keeps the default.
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<int>("retries");
    QTest::addColumn<int>("sends");

    // The one test that takes the real time: four sends of a second each.
    QTest::newRow("tcp, default time-out and retries") << Framing::Tcp << -1 << -1 << 4;
    QTest::newRow("tcp, no retry") << Framing::Tcp << 20 << 0 << 1;
    QTest::newRow("rtu, one retry") << Framing::Rtu << 20 << 1 << 2;
}

void tst_QModbusOverTcpClientBase::silentServer_failsWithTimeoutAfterEverySend()
{
    QFETCH(Framing, framing);
    QFETCH(int, timeoutMs);
    QFETCH(int, retries);
    QFETCH(int, sends);
    Link link(framing);
    link.peer.setHandler([](const Request &) {});
    QVERIFY(link.connect());
    if (timeoutMs >= 0)
        link.client->setTimeout(std::chrono::milliseconds(timeoutMs));
    if (retries >= 0)
        link.client->setNumberOfRetries(retries);
    QCOMPARE(link.client->timeout(), timeoutMs >= 0 ? std::chrono::milliseconds(timeoutMs) : 1000ms);
    QCOMPARE(link.client->numberOfRetries(), retries >= 0 ? retries : 3);

    QElapsedTimer elapsed;
    elapsed.start();
    QModbusReply *reply = link.client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QSignalSpy finished(reply, &QModbusReply::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(reply->error(), QModbusDevice::TimeoutError);
    QVERIFY(reply->result().values().isEmpty());
    QCOMPARE(link.peer.requests().size(), sends);
    QVERIFY(elapsed.elapsed() >= sends * link.client->timeout().count());
    // A retry sends the very same frame again.
    for (const Request &request : link.peer.requests())
        QCOMPARE(request.adu.toHex(), link.peer.requests().first().adu.toHex());

    // The next request finishing proves that the first finished only once.
    link.peer.setHandler({});
    QModbusReply *next = link.client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QVERIFY(waitFinished(next));
    QCOMPARE(next->error(), QModbusDevice::NoError);
    QCOMPARE(finished.count(), 1);
}

void tst_QModbusOverTcpClientBase::brokenAnswer_neverBecomesData_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QModbusDevice::Error>("error");
    QTest::addColumn<int>("sends");

    // The peer answers the first send as the row says and a retry properly:
    // a broken answer is dropped and the retry's answer completes the
    // request, or the request ends with a protocol error at once.
    for (const Framing framing : {Framing::Tcp, Framing::Rtu}) {
        const char *name = framing == Framing::Tcp ? "tcp" : "rtu";
        const auto row = [&](const char *answer, QModbusDevice::Error error, int sends) {
            QTest::addRow("%s, %s", name, answer) << framing << QString::fromLatin1(answer) << error << sends;
        };
        row("nothing", QModbusDevice::NoError, 2);
        row("garbage", QModbusDevice::NoError, 2);
        row("short frame", QModbusDevice::NoError, 2);
        row("garbage before the answer", QModbusDevice::NoError, 2);
        row("other server address", QModbusDevice::NoError, 2);
        row("other function code", QModbusDevice::NoError, 2);
        row("byte count for one register", QModbusDevice::ProtocolError, 1);
        row("exception", QModbusDevice::ProtocolError, 1);
    }
    // A stale frame is dropped alone; the answer right behind it counts.
    QTest::newRow("tcp, other transaction id before the answer")
        << Framing::Tcp << QStringLiteral("other transaction id before the answer") << QModbusDevice::NoError << 1;
    QTest::newRow("rtu, corrupt CRC") << Framing::Rtu << QStringLiteral("corrupt CRC") << QModbusDevice::NoError << 2;
}

void tst_QModbusOverTcpClientBase::brokenAnswer_neverBecomesData()
{
    QFETCH(Framing, framing);
    QFETCH(QString, answer);
    QFETCH(QModbusDevice::Error, error);
    QFETCH(int, sends);

    Link link(framing);
    ScriptedModbusPeer &peer = link.peer;
    peer.registers()[0x64] = 0x1234;
    peer.registers()[0x65] = 0x5678;
    peer.setHandler([&](const Request &request) {
        if (peer.requests().size() > 1)
            return peer.answer(request);
        const QModbusResponse good = peer.normalResponse(request.pdu);
        const QByteArray frame = peer.frame(request.transactionId, request.unitId, good);
        if (answer == "garbage") {
            peer.sendRaw(QByteArray::fromHex("deadbeefdeadbeef0123456789"));
        } else if (answer == "short frame") {
            peer.sendRaw(frame.left(frame.size() - 3));
        } else if (answer == "garbage before the answer") {
            peer.sendRaw(QByteArray::fromHex("ff") + frame);
        } else if (answer == "other server address") {
            peer.sendRaw(peer.frame(request.transactionId, request.unitId + 1, good));
        } else if (answer == "other function code") {
            peer.sendRaw(peer.frame(request.transactionId, request.unitId,
                                    QModbusResponse(QModbusPdu::ReadInputRegisters, good.data())));
        } else if (answer == "byte count for one register") {
            peer.sendRaw(peer.frame(request.transactionId, request.unitId,
                                    QModbusResponse(QModbusPdu::ReadHoldingRegisters, QByteArray::fromHex("021234"))));
        } else if (answer == "exception") {
            peer.sendRaw(peer.frame(request.transactionId, request.unitId,
                                    QModbusExceptionResponse(QModbusPdu::ReadHoldingRegisters,
                                                             QModbusExceptionResponse::IllegalDataAddress)));
        } else if (answer == "other transaction id before the answer") {
            peer.sendRaw(peer.frame(quint16(request.transactionId - 1), request.unitId,
                                    QModbusResponse(QModbusPdu::ReadHoldingRegisters, QByteArray::fromHex("02dead")))
                         + frame);
        } else if (answer == "corrupt CRC") {
            peer.sendRaw(frame.left(frame.size() - 1) + char(frame.back() ^ 0x01));
        }
    });
    QVERIFY(link.connect());
    // Long enough that the answer to the retry always comes in time, even on
    // a loaded machine: the test counts the sends.
    link.client->setTimeout(200ms);
    link.client->setNumberOfRetries(1);

    QModbusReply *reply = link.client->sendReadRequest(holdingRead(0x64, 2), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), error);
    QCOMPARE(peer.requests().size(), sends);
    if (error != QModbusDevice::NoError) {
        QVERIFY(!reply->errorString().isEmpty());
        QVERIFY(reply->result().values().isEmpty());
        QCOMPARE(reply->rawResult().isException(), answer == "exception");
        if (answer == "exception")
            QCOMPARE(reply->rawResult().exceptionCode(), QModbusPdu::IllegalDataAddress);
        // The client is still in step with the server.
        reply = link.client->sendReadRequest(holdingRead(0x64, 2), Unit);
        QVERIFY(waitFinished(reply));
    }
    QCOMPARE(reply->result().values(), (QVector<quint16>{0x1234, 0x5678}));
}

void tst_QModbusOverTcpClientBase::lostConnection_abortsEveryPendingRequest_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QString>("loss");
    for (const QString loss : {"peer cuts mid-frame", "disconnectDevice", "destructor"}) {
        QTest::addRow("tcp, %s", qPrintable(loss)) << Framing::Tcp << loss;
        QTest::addRow("rtu, %s", qPrintable(loss)) << Framing::Rtu << loss;
    }
}

void tst_QModbusOverTcpClientBase::lostConnection_abortsEveryPendingRequest()
{
    QFETCH(Framing, framing);
    QFETCH(QString, loss);
    Link link(framing);
    ScriptedModbusPeer &peer = link.peer;
    peer.registers()[0x10] = 0x0A0B;
    peer.setHandler([&](const Request &request) {
        if (loss != "peer cuts mid-frame")
            return;
        const QByteArray frame = peer.frame(request.transactionId, request.unitId, peer.normalResponse(request.pdu));
        peer.sendRaw(frame.left(frame.size() / 2));
        peer.closeConnection();
    });
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);

    QVector<QModbusDevice::Error> finishedWith;
    for (int i = 0; i < 3; ++i) {
        QModbusReply *reply = link.client->sendReadRequest(holdingRead(0x10, 1), Unit);
        connect(reply, &QModbusReply::finished, this, [&finishedWith, reply] {
            QVERIFY(reply->result().values().isEmpty());
            finishedWith << reply->error();
        });
    }
    // The first request is on the wire, the others wait.
    QVERIFY(QSignalSpy(&peer, &ScriptedModbusPeer::requestReceived).wait(WaitMs));
    if (loss == "disconnectDevice")
        link.client->disconnectDevice();
    else if (loss == "destructor")
        link.client.reset();
    QTRY_COMPARE(finishedWith, QVector<QModbusDevice::Error>(3, QModbusDevice::ReplyAbortedError));
    QCOMPARE(peer.requests().size(), 1);
    if (!link.client)
        return;
    QTRY_COMPARE(link.client->state(), QModbusDevice::UnconnectedState);
    // Losing the connection is an error, closing it ourselves is none.
    QCOMPARE(errors.count(), loss == "disconnectDevice" ? 0 : 1);
    if (!errors.isEmpty())
        QCOMPARE(errors.at(0).at(0).value<QModbusDevice::Error>(), QModbusDevice::ConnectionError);
    QCOMPARE(link.client->sendReadRequest(holdingRead(0x10, 1), Unit), nullptr);
    QCOMPARE(link.client->error(), QModbusDevice::ConnectionError);

    // The next connect starts afresh.
    peer.setHandler({});
    QVERIFY(connectClient(*link.client, peer.port()));
    QModbusReply *reply = link.client->sendReadRequest(holdingRead(0x10, 1), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->result().values(), QVector<quint16>{0x0A0B});
    QCOMPARE(finishedWith.size(), 3);
}

void tst_QModbusOverTcpClientBase::badRequests_areRefusedWithAnError_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QModbusDataUnit>("unit");
    QTest::addColumn<int>("serverAddress");
    QTest::addColumn<QModbusDevice::Error>("error");

    const auto row = [](const char *name, Framing framing, int serverAddress, QModbusDevice::Error error,
                        const QModbusDataUnit &unit = holdingRead(0, 1)) {
        QTest::newRow(name) << framing << unit << serverAddress << error;
    };
    row("read 126 registers", Framing::Tcp, Unit, QModbusDevice::ProtocolError, holdingRead(0, 126));
    row("read past the last register", Framing::Rtu, Unit, QModbusDevice::ProtocolError, holdingRead(0xFFFF, 2));
    row("read coils", Framing::Tcp, Unit, QModbusDevice::ProtocolError, QModbusDataUnit(QModbusDataUnit::Coils, 0, 1));
    // Modbus TCP reaches units 0 to 255; RTU 1 to 247, 0 being a broadcast.
    row("tcp, unit 0", Framing::Tcp, 0, QModbusDevice::NoError);
    row("tcp, unit 255", Framing::Tcp, 255, QModbusDevice::NoError);
    row("tcp, unit 256", Framing::Tcp, 256, QModbusDevice::ConfigurationError);
    row("tcp, unit -1", Framing::Tcp, -1, QModbusDevice::ConfigurationError);
    row("rtu, broadcast 0", Framing::Rtu, 0, QModbusDevice::ConfigurationError);
    row("rtu, unit 1", Framing::Rtu, 1, QModbusDevice::NoError);
    row("rtu, unit 247", Framing::Rtu, 247, QModbusDevice::NoError);
    row("rtu, reserved 248", Framing::Rtu, 248, QModbusDevice::ConfigurationError);
}

void tst_QModbusOverTcpClientBase::badRequests_areRefusedWithAnError()
{
    QFETCH(Framing, framing);
    QFETCH(QModbusDataUnit, unit);
    QFETCH(int, serverAddress);
    QFETCH(QModbusDevice::Error, error);
    Link link(framing);
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);

    QModbusReply *reply = link.client->sendReadRequest(unit, serverAddress);
    if (error != QModbusDevice::NoError) {
        QCOMPARE(reply, nullptr);
        QCOMPARE(link.client->error(), error);
        QCOMPARE(errors.count(), 1);
        // Nothing went out, and the client goes on.
        reply = link.client->sendReadRequest(holdingRead(0, 1), Unit);
        serverAddress = Unit;
    }
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), QModbusDevice::NoError);
    QCOMPARE(link.peer.requests().size(), 1);
    QCOMPARE(link.peer.requests().first().unitId, serverAddress);
}

QTEST_GUILESS_MAIN(tst_QModbusOverTcpClientBase)
#include "tst_qmodbusovertcpclientbase.moc"
