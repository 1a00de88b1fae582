#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"
#include "domain/types/metatypes.h"

#include "linedevice.h"
#include "socatptypair.h"

#include <QtCore/QElapsedTimer>
#include <QtTest/QtTest>

#include <optional>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberState;

namespace {

using namespace std::chrono_literals;

// Silent peers only count writes, so their reply time can be short; where a
// peer answers, the reply time must outlast a slow (sanitizer) build, or a
// repeat would go out before the answer is read.
constexpr auto SilentReplyTimeout = 60ms;
constexpr auto AnswerReplyTimeout = 500ms;

// A vacuum controller's device and a connection to it: over loopback TCP, over
// a pseudo-terminal pair whose far end the device serves, or ("no route") to a
// multicast address, which no TCP connection can reach.
struct Link
{
    explicit Link(const QList<QByteArray> &answers = {})
        : device(answers)
    {
    }

    // Not opened yet; null when the device end cannot start.
    std::unique_ptr<LineChamberConnection> connection(const QString &transport)
    {
        auto impl = std::make_unique<VacuubrandProtocolImpl>();
        if (transport != "serial") {
            const bool routed = transport == "tcp";
            if (routed && !device.listen())
                return nullptr;
            return std::make_unique<TcpLineChamberConnection>(
                std::move(impl), QHostAddress(routed ? "127.0.0.1" : "224.0.0.1"), routed ? device.port() : 9001);
        }
        farEnd.setPortName(line.secondEnd());
        if (!line.start() || !farEnd.open(QIODevice::ReadWrite))
            return nullptr;
        device.attach(&farEnd);
        SerialLineSettings settings;
        settings.portName = line.firstEnd();
        return std::make_unique<SerialLineChamberConnection>(std::move(impl), settings);
    }

    // Takes the device end away: the port closes, the pseudo-terminals go.
    void cut()
    {
        device.close();
        line.cut();
    }

    LineDevice device;
    SocatPtyPair line;
    QSerialPort farEnd;
};

// Opens the connection and waits until it is connected. Both transports open
// from the event loop: the connection is still connecting when connectDevice()
// returns.
bool open(LineChamberConnection *connection, std::optional<std::chrono::milliseconds> replyTimeout)
{
    if (!connection || !connection->connectDevice() || connection->state() != ChamberState::STATE_CONNECTING)
        return false;
    if (replyTimeout)
        connection->setReplyTimeout(*replyTimeout);
    return QTest::qWaitFor([connection] { return connection->state() != ChamberState::STATE_CONNECTING; }, 5000)
            && connection->state() == ChamberState::STATE_CONNECTED;
}

QSharedPointer<ChamberReply> check(LineChamberConnection &connection)
{
    return connection.checkCommunication({}).dynamicCast<ChamberReply>();
}

// The reply of a check once it has finished; null when it did not finish in time.
QSharedPointer<ChamberReply> checkAndWait(LineChamberConnection &connection, int timeout = 5000)
{
    const QSharedPointer<ChamberReply> reply = check(connection);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    return finished.wait(timeout) ? reply : nullptr;
}

void addTransports(bool withNoRoute = false)
{
    QTest::addColumn<QString>("transport");
    QTest::newRow("tcp") << "tcp";
    QTest::newRow("serial") << "serial";
    // The socket fails inside its own connect call.
    if (withNoRoute)
        QTest::newRow("no route") << "no route";
}

} // namespace

class tst_LineChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quelta::domain::types::registerMetaTypes(); }

    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks_data() { addTransports(true); }
    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks();
    void check_silentPeer_writesFourTimesThenTimesOut_data() { addTransports(); }
    void check_silentPeer_writesFourTimesThenTimesOut();
    void check_silentTcpPeer_realDurations();
    void respondingPeer_connectCheckAndDisconnect_data() { addTransports(); }
    void respondingPeer_connectCheckAndDisconnect();
    void check_twoRequests_areWrittenOneAtATimeAndSkipUnacceptableLines();
    void pendingRequest_isAbortedWhenTheConnectionEnds_data();
    void pendingRequest_isAbortedWhenTheConnectionEnds();
};

void tst_LineChamberConnection::connectDevice_unreachablePeer_reportsErrorAndRefusesChecks()
{
    QFETCH(QString, transport);
    Link link;
    const auto connection = link.connection(transport);
    QVERIFY(connection);
    link.cut();
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);

    QVERIFY(connection->connectDevice());
    QCOMPARE(connection->state(), ChamberState::STATE_CONNECTING);
    QTRY_COMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);

    const auto reply = checkAndWait(*connection);
    QVERIFY(reply);
    QCOMPARE(reply->errorCode(0), int(ChamberError::ConnectionError));

    // A failed connection can be opened again.
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(errors.size(), 2);
}

void tst_LineChamberConnection::check_silentPeer_writesFourTimesThenTimesOut()
{
    QFETCH(QString, transport);
    Link link;
    const auto connection = link.connection(transport);
    QVERIFY(open(connection.get(), SilentReplyTimeout));

    const auto reply = check(*connection);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(5000));
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QTRY_COMPARE(link.device.lines, QVector<QByteArray>(4, "IN_PV_1").toList());

    // Nothing more is written for a request that timed out: the next request
    // brings the total to exactly eight lines.
    QVERIFY(checkAndWait(*connection));
    QTRY_COMPARE(link.device.lines.size(), 8);
    QCOMPARE(finished.size(), 1);
}

void tst_LineChamberConnection::check_silentTcpPeer_realDurations()
{
    Link link;
    const auto connection = link.connection("tcp");
    QVERIFY(open(connection.get(), std::nullopt));

    QElapsedTimer elapsed;
    elapsed.start();
    const auto reply = checkAndWait(*connection, 15000);
    QVERIFY(reply);
    QVERIFY2(elapsed.elapsed() >= 4 * 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(link.device.lines, QVector<QByteArray>(4, "IN_PV_1").toList());
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
}

void tst_LineChamberConnection::respondingPeer_connectCheckAndDisconnect()
{
    QFETCH(QString, transport);
    Link link({"0950 mbar"});
    const auto connection = link.connection(transport);
    QVERIFY(connection);
    QSignalSpy stateChanged(connection.get(), &ChamberConnection::stateChanged);
    QVERIFY(open(connection.get(), AnswerReplyTimeout));
    QVERIFY(!connection->connectDevice());

    // Values are not part of the line protocols: refused without a request.
    QVERIFY(connection->readValues({{}}).isNull());
    QVERIFY(connection->writeValue({}, 1).isNull());

    const auto reply = checkAndWait(*connection);
    QVERIFY(reply);
    QCOMPARE(reply->resultCount(), 1);
    QCOMPARE(reply->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(link.device.lines, QList<QByteArray>{"IN_PV_1"});

    // Connecting, connected, closing, unconnected.
    connection->disconnectDevice();
    QCOMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(stateChanged.size(), 4);
}

void tst_LineChamberConnection::check_twoRequests_areWrittenOneAtATimeAndSkipUnacceptableLines()
{
    // The first answer is no pressure: it is dropped and the first request
    // written again. Were both requests on the wire at once, the second
    // request would take an answer before its own line went out, and the
    // third line would never be written.
    Link link({"ERROR", "0950 mbar", "0951 mbar"});
    const auto connection = link.connection("tcp");
    QVERIFY(open(connection.get(), AnswerReplyTimeout));

    const auto first = check(*connection);
    const auto second = checkAndWait(*connection);
    QVERIFY(second);
    QVERIFY(first->isFinished());
    QCOMPARE(first->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(second->result(0).toString(), QStringLiteral("0951 mbar"));
    QCOMPARE(link.device.lines.size(), 3);
}

void tst_LineChamberConnection::pendingRequest_isAbortedWhenTheConnectionEnds_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("disconnect") << "disconnect";
    QTest::newRow("peer closes") << "peer closes";
    QTest::newRow("reset keeps the connection") << "reset";
    QTest::newRow("destruction") << "destroy";
}

void tst_LineChamberConnection::pendingRequest_isAbortedWhenTheConnectionEnds()
{
    QFETCH(QString, action);
    Link link({QByteArray(), "0950 mbar"});
    auto connection = link.connection("tcp");
    QVERIFY(open(connection.get(), AnswerReplyTimeout));
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);

    const auto pending = check(*connection);
    QSignalSpy finished(pending.data(), &ChamberReply::finished);
    QTRY_COMPARE(link.device.lines.size(), 1);
    if (action == "disconnect")
        connection->disconnectDevice();
    else if (action == "peer closes")
        link.device.socket->close();
    else if (action == "reset")
        connection->reset();
    else
        connection.reset();

    QVERIFY(finished.wait());
    QCOMPARE(pending->errorCode(0), int(ChamberError::ReplyAbortedError));
    if (!connection)
        return;
    QCOMPARE(errors.size(), action == "peer closes" ? 1 : 0);
    if (action == "reset") {
        const auto next = checkAndWait(*connection);
        QVERIFY(next);
        QCOMPARE(next->result(0).toString(), QStringLiteral("0950 mbar"));
    } else {
        // No repeat went out after the end.
        QCOMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
        QCOMPARE(link.device.lines.size(), 1);
    }
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(tst_LineChamberConnection)
#include "tst_linechamberconnection.moc"
