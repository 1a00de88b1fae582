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

// How the peer lets go of the connection.
enum class Loss { None, MidAnswer, BeforeFirstRequest };

Q_DECLARE_METATYPE(ScriptedModbusPeer::Framing)
Q_DECLARE_METATYPE(Loss)

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
    void queuedRequests_goOutOneAtATimeInOrder_data();
    void queuedRequests_goOutOneAtATimeInOrder();
    void brokenAnswer_neverBecomesData_data();
    void brokenAnswer_neverBecomesData();
};

void tst_QModbusOverTcpClientBase::initTestCase()
{
    qRegisterMetaType<QModbusDevice::Error>();
}

void tst_QModbusOverTcpClientBase::queuedRequests_goOutOneAtATimeInOrder_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<Loss>("loss");
    QTest::newRow("tcp, every request answered") << Framing::Tcp << Loss::None;
    QTest::newRow("rtu, connection lost mid-answer") << Framing::Rtu << Loss::MidAnswer;
    QTest::newRow("tcp, connection reset before the first request") << Framing::Tcp << Loss::BeforeFirstRequest;
}

void tst_QModbusOverTcpClientBase::queuedRequests_goOutOneAtATimeInOrder()
{
    QFETCH(Framing, framing);
    QFETCH(Loss, loss);
    const bool hangUp = loss != Loss::None;

    Link link(framing);
    ScriptedModbusPeer &peer = link.peer;
    QVERIFY(link.connect());
    QSignalSpy errors(link.client.get(), &QModbusDevice::errorOccurred);
    QList<int> finished;
    bool overlapped = false;
    peer.setHandler([&](const Request &request) {
        // Every earlier request must be answered before the next one leaves.
        overlapped = overlapped || finished.size() != peer.requests().size() - 1;
        const QByteArray frame = peer.frame(request.transactionId, request.unitId, peer.normalResponse(request.pdu));
        peer.sendRaw(hangUp ? frame.left(frame.size() / 2) : frame);
        if (hangUp)
            peer.closeConnection();
    });
    // The first request goes out at once and finds the connection gone.
    if (loss == Loss::BeforeFirstRequest)
        peer.resetConnection();
    QList<QModbusReply *> replies;
    for (int i = 0; i < 5; ++i) {
        peer.registers()[10 * i] = quint16(0x100 + i);
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
    QCOMPARE(peer.requests().size(), loss == Loss::None ? 4 : loss == Loss::MidAnswer ? 1 : 0);
    QCOMPARE(replies.at(2)->result().values(), hangUp ? QVector<quint16>() : QVector<quint16>{0x103});
    if (!hangUp)
        return;

    // A lost connection aborts every pending request and is reported once.
    for (QModbusReply *reply : qAsConst(replies)) {
        QCOMPARE(reply->error(), QModbusDevice::ReplyAbortedError);
        QVERIFY(reply->result().values().isEmpty());
    }
    QTRY_COMPARE(link.client->state(), QModbusDevice::UnconnectedState);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(link.client->error(), QModbusDevice::ConnectionError);
    QCOMPARE(link.read(0), nullptr);

    // The next connect starts afresh: the half answer of before joins nothing.
    peer.setHandler({});
    QVERIFY(connectClient(*link.client, peer.port()));
    QModbusReply *reply = link.read(0);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->result().values(), QVector<quint16>{0x100});
    QCOMPARE(finished.size(), 4);
}

void tst_QModbusOverTcpClientBase::brokenAnswer_neverBecomesData_data()
{
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QModbusDevice::Error>("error");
    QTest::addColumn<int>("sends");
    // How many sends get the row's answer; the later ones are answered properly.
    QTest::addColumn<int>("brokenSends");

    // Mostly one broken send, and a retry that the peer answers properly: a
    // broken answer is dropped and the retry's answer completes the request,
    // or the request ends with a protocol error at once.
    for (const Framing framing : {Framing::Tcp, Framing::Rtu}) {
        const auto row = [&](const char *answer, QModbusDevice::Error error, int sends) {
            QTest::addRow("%s, %s", framing == Framing::Tcp ? "tcp" : "rtu", answer)
                << framing << QString::fromLatin1(answer) << error << sends << 1;
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
        << Framing::Tcp << QStringLiteral("other transaction id before the answer") << QModbusDevice::NoError << 1 << 1;
    QTest::newRow("rtu, corrupt CRC") << Framing::Rtu << QStringLiteral("corrupt CRC") << QModbusDevice::NoError << 2 << 1;
    // The one case that takes the real time, the client's own defaults: four
    // sends of a second each.
    QTest::newRow("tcp, silent server") << Framing::Tcp << QStringLiteral("nothing") << QModbusDevice::TimeoutError << 4
                                        << 4;
}

void tst_QModbusOverTcpClientBase::brokenAnswer_neverBecomesData()
{
    QFETCH(Framing, framing);
    QFETCH(QString, answer);
    QFETCH(QModbusDevice::Error, error);
    QFETCH(int, sends);
    QFETCH(int, brokenSends);

    Link link(framing);
    ScriptedModbusPeer &peer = link.peer;
    peer.registers()[0x64] = 0x1234;
    peer.registers()[0x65] = 0x5678;
    peer.setHandler([&](const Request &request) {
        if (peer.requests().size() > brokenSends)
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
    if (brokenSends == 1) {
        link.client->setTimeout(200ms);
        link.client->setNumberOfRetries(1);
    }

    QElapsedTimer elapsed;
    elapsed.start();
    QModbusReply *reply = link.read(0x64, 2);
    QSignalSpy finished(reply, &QModbusReply::finished);
    QVERIFY(waitFinished(reply));
    QCOMPARE(reply->error(), error);
    QCOMPARE(peer.requests().size(), sends);
    // A retry sends the very same frame again, after a whole time-out.
    for (const Request &request : peer.requests())
        QCOMPARE(request.adu.toHex(), peer.requests().first().adu.toHex());
    if (error == QModbusDevice::TimeoutError)
        QVERIFY2(elapsed.elapsed() >= sends * link.client->timeout().count(), qPrintable(QString::number(elapsed.elapsed())));
    if (error != QModbusDevice::NoError) {
        QVERIFY(reply->result().values().isEmpty());
        QCOMPARE(reply->rawResult().exceptionCode(),
                 answer == "exception" ? QModbusPdu::IllegalDataAddress : QModbusPdu::ExtendedException);
        // The client is still in step with the server, and the next request
        // finishing proves that the first finished only once.
        reply = link.read(0x64, 2);
        QVERIFY(waitFinished(reply));
        QCOMPARE(finished.count(), 1);
    }
    QCOMPARE(reply->result().values(), (QVector<quint16>{0x1234, 0x5678}));
}

QTEST_GUILESS_MAIN(tst_QModbusOverTcpClientBase)
#include "tst_qmodbusovertcpclientbase.moc"
