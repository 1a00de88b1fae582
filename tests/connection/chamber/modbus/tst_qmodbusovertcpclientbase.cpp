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

namespace {

constexpr int Unit = 17;
constexpr int WaitMs = 5000;

bool connectClient(QModbusOverTcpClientBase &client, quint16 port)
{
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter, "127.0.0.1");
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    return client.connectDevice()
        && QTest::qWaitFor([&] { return client.state() == QModbusDevice::ConnectedState; }, WaitMs);
}

bool waitFinished(QModbusReply *reply)
{
    return reply && (reply->isFinished() || QSignalSpy(reply, &QModbusReply::finished).wait(WaitMs));
}

// A scripted peer in the framing and the client of that framing.
struct Link
{
    explicit Link(Framing framing)
        : peer(framing)
    {
        if (framing == Framing::Tcp)
            client = std::make_unique<QModbusQueuedTcpClient>();
        else
            client = std::make_unique<QModbusRtuOverTcpClient>();
    }
    bool connect() { return peer.listen() && connectClient(*client, peer.port()); }
    QModbusReply *read(int start, int count = 1)
    {
        return client->sendReadRequest(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, start, quint16(count)), Unit);
    }

    ScriptedModbusPeer peer;
    std::unique_ptr<QModbusOverTcpClientBase> client;
};

} // namespace

// The behaviour that both clients share, each run against a scripted peer in
// the client's framing. Against servers that no one here wrote, the clients
// run in tst_ModbusChamberConnection.
class tst_QModbusOverTcpClientBase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void queuedRequests_goOutOneAtATimeInOrder();
    void silentServer_failsWithTimeoutAfterEverySend();
    void brokenAnswer_neverBecomesData_data();
    void brokenAnswer_neverBecomesData();
    void lostConnection_abortsEveryPendingRequest();
};

void tst_QModbusOverTcpClientBase::initTestCase()
{
    qRegisterMetaType<QModbusDevice::Error>();
}

void tst_QModbusOverTcpClientBase::queuedRequests_goOutOneAtATimeInOrder()
{
    Link link(Framing::Tcp);
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
        replies << link.read(10 * i);
        connect(replies.last(), &QModbusReply::finished, this, [&finished, i] { finished << i; });
    }
    // A reply never finishes inside the call that made it, and one deleted
    // before it went out is never sent.
    QVERIFY(!replies.first()->isFinished());
    delete replies.takeAt(2);
    QVERIFY(waitFinished(replies.last()));

    QVERIFY(!overlapped);
    QCOMPARE(finished, (QList<int>{0, 1, 3, 4}));
    QCOMPARE(link.peer.requests().size(), 4);
    QCOMPARE(replies.at(2)->result().values(), QVector<quint16>{0x103});
}

void tst_QModbusOverTcpClientBase::silentServer_failsWithTimeoutAfterEverySend()
{
    // The one test that takes the real time: four sends of a second each.
    Link link(Framing::Tcp);
    link.peer.setHandler([](const Request &) {});
    QVERIFY(link.connect());
    QElapsedTimer elapsed;
    elapsed.start();
    QModbusReply *reply = link.read(0x64, 2);
    QSignalSpy finished(reply, &QModbusReply::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(reply->error(), QModbusDevice::TimeoutError);
    QVERIFY(reply->result().values().isEmpty());
    QCOMPARE(link.peer.requests().size(), 4);
    QVERIFY(elapsed.elapsed() >= 4000);
    // A retry sends the very same frame again.
    for (const Request &request : link.peer.requests())
        QCOMPARE(request.adu.toHex(), link.peer.requests().first().adu.toHex());

    // The next request finishing proves that the first finished only once.
    link.peer.setHandler({});
    QModbusReply *next = link.read(0x64, 2);
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
        const auto row = [&](const char *answer, QModbusDevice::Error error, int sends) {
            QTest::addRow("%s, %s", framing == Framing::Tcp ? "tcp" : "rtu", answer)
                << framing << QString::fromLatin1(answer) << error << sends;
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
        const auto framed = [&](const QModbusPdu &pdu, int otherUnit = 0, int otherTransaction = 0) {
            return peer.frame(quint16(request.transactionId + otherTransaction), request.unitId + otherUnit, pdu);
        };
        const QModbusResponse good = peer.normalResponse(request.pdu);
        const QByteArray frame = framed(good);
        constexpr auto Read = QModbusPdu::ReadHoldingRegisters;
        const QMap<QString, QByteArray> answers{
            {"garbage", QByteArray::fromHex("deadbeefdeadbeef0123456789")},
            {"short frame", frame.left(frame.size() - 3)},
            {"garbage before the answer", "\xff" + frame},
            {"other server address", framed(good, 1)},
            {"other function code", framed(QModbusResponse(QModbusPdu::ReadInputRegisters, good.data()))},
            {"byte count for one register", framed(QModbusResponse(Read, QByteArray::fromHex("021234")))},
            {"exception", framed(QModbusExceptionResponse(Read, QModbusExceptionResponse::IllegalDataAddress))},
            {"other transaction id before the answer",
             framed(QModbusResponse(Read, QByteArray::fromHex("02dead")), 0, -1) + frame},
            {"corrupt CRC", frame.left(frame.size() - 1) + char(frame.back() ^ 0x01)}};
        peer.sendRaw(answers.value(answer));
    });
    QVERIFY(link.connect());
    // Long enough that the answer to the retry always comes in time, even on
    // a loaded machine: the test counts the sends.
    link.client->setTimeout(200ms);
    link.client->setNumberOfRetries(1);

    QModbusReply *reply = link.read(0x64, 2);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), error);
    QCOMPARE(peer.requests().size(), sends);
    if (error != QModbusDevice::NoError) {
        QVERIFY(reply->result().values().isEmpty());
        QCOMPARE(reply->rawResult().exceptionCode(),
                 answer == "exception" ? QModbusPdu::IllegalDataAddress : QModbusPdu::ExtendedException);
        // The client is still in step with the server.
        reply = link.read(0x64, 2);
        QVERIFY(waitFinished(reply));
    }
    QCOMPARE(reply->result().values(), (QVector<quint16>{0x1234, 0x5678}));
}

void tst_QModbusOverTcpClientBase::lostConnection_abortsEveryPendingRequest()
{
    Link link(Framing::Rtu);
    ScriptedModbusPeer &peer = link.peer;
    peer.registers()[0x10] = 0x0A0B;
    // The peer cuts the connection in the middle of its first answer.
    peer.setHandler([&](const Request &request) {
        const QByteArray frame = peer.frame(request.transactionId, request.unitId, peer.normalResponse(request.pdu));
        peer.sendRaw(frame.left(frame.size() / 2));
        peer.closeConnection();
    });
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);

    QVector<QModbusDevice::Error> finishedWith;
    for (int i = 0; i < 3; ++i) {
        QModbusReply *reply = link.read(0x10);
        connect(reply, &QModbusReply::finished, this, [&finishedWith, reply] {
            QVERIFY(reply->result().values().isEmpty());
            finishedWith << reply->error();
        });
    }
    QTRY_COMPARE(finishedWith, QVector<QModbusDevice::Error>(3, QModbusDevice::ReplyAbortedError));
    QCOMPARE(peer.requests().size(), 1);
    QTRY_COMPARE(link.client->state(), QModbusDevice::UnconnectedState);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(link.client->error(), QModbusDevice::ConnectionError);
    QCOMPARE(link.read(0x10), nullptr);

    // The next connect starts afresh: the half answer of before joins nothing.
    peer.setHandler({});
    QVERIFY(connectClient(*link.client, peer.port()));
    QModbusReply *reply = link.read(0x10);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->result().values(), QVector<quint16>{0x0A0B});
    QCOMPARE(finishedWith.size(), 3);
}

QTEST_GUILESS_MAIN(tst_QModbusOverTcpClientBase)
#include "tst_qmodbusovertcpclientbase.moc"
