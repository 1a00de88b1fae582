#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"
#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include "scriptedmodbuspeer.h"

#include <QtCore/QElapsedTimer>
#include <QtNetwork/QTcpServer>
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

QModbusDataUnit holdingWrite(int start, const QVector<quint16> &values)
{
    return QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, values);
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
    void connectionCutMidFrame_failsEveryQueuedRequestAndRecovers_data() { addFramingRows(); }
    void connectionCutMidFrame_failsEveryQueuedRequestAndRecovers();
    void closeOrDestruction_abortsPendingRequests_data();
    void closeOrDestruction_abortsPendingRequests();
    void deletedReply_isNeverSent();
    void badRequests_areRefusedWithAnError_data();
    void badRequests_areRefusedWithAnError();
    void refusedConnection_reportsErrorAndEndsUnconnected_data() { addFramingRows(); }
    void refusedConnection_reportsErrorAndEndsUnconnected();
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
    for (int i = 0; i < 5; ++i)
        link.peer.registers()[10 * i] = quint16(0x100 + i);

    QList<QModbusReply *> replies;
    QList<int> finishOrder;
    bool overlapped = false;
    link.peer.setHandler([&](const Request &request) {
        // Every earlier request must be answered before the next one leaves.
        for (int i = 0; i < link.peer.requests().size() - 1; ++i)
            overlapped = overlapped || !replies.at(i)->isFinished();
        link.peer.answer(request);
    });
    for (int i = 0; i < 5; ++i) {
        QModbusReply *reply = link.client->sendReadRequest(holdingRead(10 * i, 1), Unit);
        QVERIFY(reply);
        connect(reply, &QModbusReply::finished, this, [&finishOrder, i] { finishOrder << i; });
        replies << reply;
    }
    // A reply never finishes inside the call that made it.
    QVERIFY(!replies.first()->isFinished());
    QVERIFY(waitFinished(replies.last()));

    QVERIFY(!overlapped);
    QCOMPARE(finishOrder, (QList<int>{0, 1, 2, 3, 4}));
    QCOMPARE(link.peer.requests().size(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(startAddressOf(link.peer.requests().at(i)), 10 * i);
        QCOMPARE(replies.at(i)->result().values(), QVector<quint16>{quint16(0x100 + i)});
    }
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
    QTest::newRow("rtu, default retries") << Framing::Rtu << 20 << -1 << 4;
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
    QVERIFY2(elapsed.elapsed() >= sends * link.client->timeout().count(),
             QByteArray::number(elapsed.elapsed()).constData());
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

void tst_QModbusOverTcpClientBase::connectionCutMidFrame_failsEveryQueuedRequestAndRecovers()
{
    QFETCH(Framing, framing);
    Link link(framing);
    link.peer.registers()[0x10] = 0x0A0B;
    link.peer.setHandler([&link](const Request &request) {
        const QByteArray frame =
            link.peer.frame(request.transactionId, request.unitId, link.peer.normalResponse(request.pdu));
        link.peer.sendRaw(frame.left(frame.size() / 2));
        link.peer.closeConnection();
    });
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);

    QList<QModbusReply *> replies;
    for (int i = 0; i < 3; ++i)
        replies << link.client->sendReadRequest(holdingRead(0x10, 1), Unit);
    for (QModbusReply *reply : replies)
        QVERIFY(waitFinished(reply));
    for (QModbusReply *reply : replies) {
        QCOMPARE(reply->error(), QModbusDevice::ReplyAbortedError);
        QVERIFY(reply->result().values().isEmpty());
    }
    QTRY_COMPARE(link.client->state(), QModbusDevice::UnconnectedState);
    QVERIFY(!errors.isEmpty());
    QCOMPARE(errors.first().first().value<QModbusDevice::Error>(), QModbusDevice::ConnectionError);
    QCOMPARE(link.peer.requests().size(), 1);

    link.peer.setHandler({});
    QVERIFY(connectClient(*link.client, link.peer.port()));
    QModbusReply *reply = link.client->sendReadRequest(holdingRead(0x10, 1), Unit);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->result().values(), QVector<quint16>{0x0A0B});
}

void tst_QModbusOverTcpClientBase::closeOrDestruction_abortsPendingRequests_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<bool>("destroy");
    QTest::newRow("tcp, disconnectDevice") << Framing::Tcp << false;
    QTest::newRow("rtu, disconnectDevice") << Framing::Rtu << false;
    QTest::newRow("tcp, destructor") << Framing::Tcp << true;
    QTest::newRow("rtu, destructor") << Framing::Rtu << true;
}

void tst_QModbusOverTcpClientBase::closeOrDestruction_abortsPendingRequests()
{
    QFETCH(Framing, framing);
    QFETCH(bool, destroy);
    Link link(framing);
    link.peer.setHandler([](const Request &) {});
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);

    QVector<QModbusDevice::Error> finishedWith;
    for (int i = 0; i < 2; ++i) {
        QModbusReply *reply = link.client->sendReadRequest(holdingRead(i, 1), Unit);
        connect(reply, &QModbusReply::finished, this, [&finishedWith, reply] { finishedWith << reply->error(); });
    }
    // The first request is on the wire, the second one waits.
    QSignalSpy received(&link.peer, &ScriptedModbusPeer::requestReceived);
    QVERIFY(received.wait(WaitMs));

    if (destroy) {
        link.client.reset();
    } else {
        link.client->disconnectDevice();
        QCOMPARE(link.client->state(), QModbusDevice::UnconnectedState);
        // Closing the connection ourselves is no error.
        QCOMPARE(errors.count(), 0);
    }
    QCOMPARE(finishedWith, QVector<QModbusDevice::Error>(2, QModbusDevice::ReplyAbortedError));
}

void tst_QModbusOverTcpClientBase::deletedReply_isNeverSent()
{
    Link link(Framing::Tcp);
    QVERIFY(link.connect());
    delete link.client->sendReadRequest(holdingRead(0x30, 1), Unit);
    QModbusReply *kept = link.client->sendReadRequest(holdingRead(0x40, 1), Unit);
    QVERIFY(waitFinished(kept));
    QCOMPARE(kept->error(), QModbusDevice::NoError);
    QCOMPARE(link.peer.requests().size(), 1);
    QCOMPARE(startAddressOf(link.peer.requests().first()), 0x40);
}

void tst_QModbusOverTcpClientBase::badRequests_areRefusedWithAnError_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<bool>("write");
    QTest::addColumn<QModbusDataUnit>("unit");
    QTest::addColumn<int>("serverAddress");
    QTest::addColumn<QModbusDevice::Error>("error");

    const auto row = [](const char *name, Framing framing, int serverAddress, QModbusDevice::Error error,
                        const QModbusDataUnit &unit = holdingRead(0, 1), bool write = false) {
        QTest::newRow(name) << framing << write << unit << serverAddress << error;
    };
    row("read 126 registers", Framing::Tcp, Unit, QModbusDevice::ProtocolError, holdingRead(0, 126));
    row("write past the last register", Framing::Rtu, Unit, QModbusDevice::ProtocolError,
        holdingWrite(0xFFFF, {1, 2}), true);
    row("read coils", Framing::Tcp, Unit, QModbusDevice::ProtocolError,
        QModbusDataUnit(QModbusDataUnit::Coils, 0, 1));
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
    QFETCH(bool, write);
    QFETCH(QModbusDataUnit, unit);
    QFETCH(int, serverAddress);
    QFETCH(QModbusDevice::Error, error);
    Link link(framing);
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);

    QModbusReply *reply = write ? link.client->sendWriteRequest(unit, serverAddress)
                                : link.client->sendReadRequest(unit, serverAddress);
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
    QCOMPARE(client->sendReadRequest(holdingRead(0, 1), Unit), nullptr);
    QCOMPARE(client->error(), QModbusDevice::ConnectionError);

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
