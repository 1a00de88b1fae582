#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"
#include "domain/types/metatypes.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
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

// The device end of a connection: a TCP server on loopback that accepts one
// connection, or the far end of a socat pseudo-terminal pair. It collects the
// request lines and answers the n-th line with the n-th scripted answer; an
// empty answer stays silent.
class Device
{
public:
    explicit Device(const QList<QByteArray> &answers = {})
        : m_answers(answers)
    {
    }
    ~Device() { close(); }

    // A connection to this device, not opened yet; null without a device end.
    std::unique_ptr<LineChamberConnection> connection(const QString &transport)
    {
        auto impl = std::make_unique<VacuubrandProtocolImpl>();
        if (transport == "tcp") {
            if (!m_server.listen(QHostAddress::LocalHost, 0))
                return nullptr;
            QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
                socket = m_server.nextPendingConnection();
                attach(socket);
            });
            return std::make_unique<TcpLineChamberConnection>(std::move(impl), QHostAddress::LocalHost,
                                                              m_server.serverPort());
        }
        SerialLineSettings settings;
        settings.portName = m_dir.filePath("device");
        const QString peer = m_dir.filePath("peer");
        m_socat.start("socat", {"pty,raw,echo=0,link=" + settings.portName, "pty,raw,echo=0,link=" + peer});
        m_peer.setPortName(peer);
        if (!QTest::qWaitFor([&] { return QFile::exists(settings.portName) && QFile::exists(peer); }, 5000)
            || !m_peer.open(QIODevice::ReadWrite))
            return nullptr;
        attach(&m_peer);
        return std::make_unique<SerialLineChamberConnection>(std::move(impl), settings);
    }

    // Takes the device end away: the port closes, the pseudo-terminal goes.
    void close()
    {
        m_server.close();
        m_socat.terminate();
        m_socat.waitForFinished(5000);
    }

    QList<QByteArray> lines;
    QTcpSocket *socket = nullptr;

private:
    void attach(QIODevice *device)
    {
        QObject::connect(device, &QIODevice::readyRead, device, [this, device] {
            m_buffer += device->readAll();
            int end;
            while ((end = m_buffer.indexOf("\r\n")) >= 0) {
                lines.append(m_buffer.left(end));
                m_buffer.remove(0, end + 2);
                const QByteArray answer = m_answers.value(lines.size() - 1);
                if (!answer.isEmpty())
                    device->write(answer + "\r\n");
            }
        });
    }

    const QList<QByteArray> m_answers;
    QByteArray m_buffer;
    QTcpServer m_server;
    QTemporaryDir m_dir;
    QProcess m_socat;
    QSerialPort m_peer;
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

void addTransports()
{
    QTest::addColumn<QString>("transport");
    QTest::newRow("tcp") << "tcp";
    QTest::newRow("serial") << "serial";
}

} // namespace

class tst_LineChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quelta::domain::types::registerMetaTypes(); }

    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks_data() { addTransports(); }
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
    Device device;
    const auto connection = device.connection(transport);
    QVERIFY(connection);
    device.close();
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
    Device device;
    const auto connection = device.connection(transport);
    QVERIFY(open(connection.get(), SilentReplyTimeout));

    const auto reply = check(*connection);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(5000));
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QTRY_COMPARE(device.lines, QVector<QByteArray>(4, "IN_PV_1").toList());

    // Nothing more is written for a request that timed out: the next request
    // brings the total to exactly eight lines.
    QVERIFY(checkAndWait(*connection));
    QTRY_COMPARE(device.lines.size(), 8);
    QCOMPARE(finished.size(), 1);
}

void tst_LineChamberConnection::check_silentTcpPeer_realDurations()
{
    Device device;
    const auto connection = device.connection("tcp");
    QVERIFY(open(connection.get(), std::nullopt));

    QElapsedTimer elapsed;
    elapsed.start();
    const auto reply = checkAndWait(*connection, 15000);
    QVERIFY(reply);
    QVERIFY2(elapsed.elapsed() >= 4 * 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(device.lines, QVector<QByteArray>(4, "IN_PV_1").toList());
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
}

void tst_LineChamberConnection::respondingPeer_connectCheckAndDisconnect()
{
    QFETCH(QString, transport);
    Device device({"0950 mbar"});
    const auto connection = device.connection(transport);
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
    QCOMPARE(device.lines, QList<QByteArray>{"IN_PV_1"});

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
    Device device({"ERROR", "0950 mbar", "0951 mbar"});
    const auto connection = device.connection("tcp");
    QVERIFY(open(connection.get(), AnswerReplyTimeout));

    const auto first = check(*connection);
    const auto second = checkAndWait(*connection);
    QVERIFY(second);
    QVERIFY(first->isFinished());
    QCOMPARE(first->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(second->result(0).toString(), QStringLiteral("0951 mbar"));
    QCOMPARE(device.lines.size(), 3);
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
    Device device({QByteArray(), "0950 mbar"});
    auto connection = device.connection("tcp");
    QVERIFY(open(connection.get(), AnswerReplyTimeout));
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);

    const auto pending = check(*connection);
    QSignalSpy finished(pending.data(), &ChamberReply::finished);
    QTRY_COMPARE(device.lines.size(), 1);
    if (action == "disconnect")
        connection->disconnectDevice();
    else if (action == "peer closes")
        device.socket->close();
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
        QCOMPARE(device.lines.size(), 1);
    }
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(tst_LineChamberConnection)
#include "tst_linechamberconnection.moc"
