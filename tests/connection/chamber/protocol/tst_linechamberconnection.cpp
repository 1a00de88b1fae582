#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "connection/chamber/protocol/tjvlineprotocolimpl.h"
#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"
#include "domain/types/metatypes.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::api::IChamberReply;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;

namespace {

using namespace std::chrono_literals;

// Silent peers only count writes, so their reply time can be short; where a
// peer answers, the reply time must outlast a slow (sanitizer) build, or a
// repeat would go out before the answer is read.
constexpr auto SilentReplyTimeout = 60ms;
constexpr auto AnswerReplyTimeout = 500ms;

// The device end of a byte stream: collects request lines and answers the
// n-th line with the n-th scripted answer; an empty answer stays silent.
class LinePeer : public QObject
{
    Q_OBJECT

public:
    explicit LinePeer(const QList<QByteArray> &answers = {}) : m_answers(answers) {}

    void attach(QIODevice *device)
    {
        m_device = device;
        connect(device, &QIODevice::readyRead, this, &LinePeer::onReadyRead);
    }

    QList<QByteArray> lines() const { return m_lines; }

Q_SIGNALS:
    void lineReceived();

private:
    void onReadyRead()
    {
        m_buffer += m_device->readAll();
        int end;
        while ((end = m_buffer.indexOf("\r\n")) >= 0) {
            m_lines.append(m_buffer.left(end));
            m_buffer.remove(0, end + 2);
            const int index = m_lines.size() - 1;
            if (index < m_answers.size() && !m_answers.at(index).isEmpty())
                m_device->write(m_answers.at(index) + "\r\n");
            Q_EMIT lineReceived();
        }
    }

    QIODevice *m_device = nullptr;
    QList<QByteArray> m_answers;
    QList<QByteArray> m_lines;
    QByteArray m_buffer;
};

// A TCP device on loopback that accepts one connection.
class TcpPeer : public LinePeer
{
    Q_OBJECT

public:
    explicit TcpPeer(const QList<QByteArray> &answers = {}) : LinePeer(answers)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_socket = m_server.nextPendingConnection();
            attach(m_socket);
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    QTcpSocket *socket() const { return m_socket; }

private:
    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
};

// A pair of pseudo-terminals joined by socat: the connection opens one end,
// the test's serial peer the other.
class PtyPair
{
public:
    PtyPair()
    {
        m_socat.setProgram(QStringLiteral("socat"));
        m_socat.setArguments({QStringLiteral("pty,raw,echo=0,link=%1").arg(devicePath()),
                              QStringLiteral("pty,raw,echo=0,link=%1").arg(peerPath())});
        m_socat.start();
    }
    ~PtyPair()
    {
        m_socat.terminate();
        m_socat.waitForFinished(5000);
    }

    bool isReady() const { return QFile::exists(devicePath()) && QFile::exists(peerPath()); }
    QString devicePath() const { return m_dir.filePath(QStringLiteral("device")); }
    QString peerPath() const { return m_dir.filePath(QStringLiteral("peer")); }

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
};

QList<QByteArray> repeated(int count, const QByteArray &line)
{
    return QVector<QByteArray>(count, line).toList();
}

ControllerAddress anyAddress()
{
    return ControllerAddress();
}

QSharedPointer<ChamberReply> chamberReply(const QSharedPointer<IChamberReply> &reply)
{
    return reply.dynamicCast<ChamberReply>();
}

std::unique_ptr<TcpLineChamberConnection> tcpConnection(std::unique_ptr<LineProtocolImpl> protocol, quint16 port,
                                                        std::chrono::milliseconds replyTimeout = AnswerReplyTimeout)
{
    auto connection = std::make_unique<TcpLineChamberConnection>(std::move(protocol), QHostAddress::LocalHost, port);
    connection->setReplyTimeout(replyTimeout);
    return connection;
}

bool connectAndWait(LineChamberConnection &connection)
{
    if (!connection.connectDevice())
        return false;
    return QTest::qWaitFor([&] { return connection.state() != ChamberState::STATE_CONNECTING; }, 5000)
            && connection.state() == ChamberState::STATE_CONNECTED;
}

} // namespace

class tst_LineChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void connectDevice_reportsConnectingThenConnectedOnce();
    void connectDevice_refusedPort_reportsErrorAndUnconnected();

    void check_silentTcpPeer_writesFourTimesThenTimesOut();
    void check_silentTcpPeer_realDurations();
    void check_respondingTcpPeer_replyCarriesAnswerLine();
    void check_unacceptableLine_isIgnoredAndRequestRepeated();
    void check_twoRequests_areWrittenOneAtATime();
    void check_notConnected_failsWithConnectionError();

    void disconnectDevice_abortsPendingRequest();
    void peerClosing_reportsErrorAndAbortsPendingRequest();
    void reset_abortsPendingAndStaysUsable();
    void destruction_abortsPendingRequest();
    void valueAccess_isRefusedWithNullReply();

    void check_silentPty_writesFourTimesThenTimesOut();
    void check_respondingPty_replyCarriesAnswerLine();
    void connectDevice_missingSerialPort_reportsError();
};

void tst_LineChamberConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
}

void tst_LineChamberConnection::connectDevice_reportsConnectingThenConnectedOnce()
{
    TcpPeer peer;
    auto connection = tcpConnection(std::make_unique<TjvLineProtocolImpl>(), peer.port());
    QSignalSpy stateChanged(connection.get(), &ChamberConnection::stateChanged);
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);

    QVERIFY(connection->connectDevice());
    QCOMPARE(connection->state(), ChamberState::STATE_CONNECTING);
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);

    QCOMPARE(stateChanged.size(), 2);
    QCOMPARE(stateChanged.at(0).first().value<ChamberState::State>(), ChamberState::STATE_CONNECTING);
    QCOMPARE(stateChanged.at(1).first().value<ChamberState::State>(), ChamberState::STATE_CONNECTED);
    QCOMPARE(errors.size(), 0);
    QVERIFY(!connection->connectDevice());

    connection->disconnectDevice();
    QCOMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(stateChanged.size(), 4);
    QCOMPARE(stateChanged.at(2).first().value<ChamberState::State>(), ChamberState::STATE_CLOSING);
    QCOMPARE(stateChanged.at(3).first().value<ChamberState::State>(), ChamberState::STATE_UNCONNECTED);
}

void tst_LineChamberConnection::connectDevice_refusedPort_reportsErrorAndUnconnected()
{
    quint16 closedPort;
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        closedPort = server.serverPort();
    }
    auto connection = tcpConnection(std::make_unique<TjvLineProtocolImpl>(), closedPort);
    QSignalSpy stateChanged(connection.get(), &ChamberConnection::stateChanged);
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);

    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);
    QCOMPARE(stateChanged.last().first().value<ChamberState::State>(), ChamberState::STATE_UNCONNECTED);

    // A failed connection can be opened again.
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(errors.size(), 2);
}

void tst_LineChamberConnection::check_silentTcpPeer_writesFourTimesThenTimesOut()
{
    TcpPeer peer;
    auto connection = tcpConnection(std::make_unique<VacuubrandProtocolImpl>(), peer.port(), SilentReplyTimeout);
    QVERIFY(connectAndWait(*connection));

    const auto reply = chamberReply(connection->checkCommunication(anyAddress()));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(5000));

    QCOMPARE(peer.lines(), repeated(4, "IN_PV_1"));
    QVERIFY(reply->isFinished());
    QVERIFY(reply->hasAnyError());
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));

    // Nothing more is written for a request that timed out: the next request
    // brings the total to exactly eight lines.
    const auto next = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy nextFinished(next.data(), &ChamberReply::finished);
    QVERIFY(nextFinished.wait(5000));
    QCOMPARE(peer.lines().size(), 8);
    QCOMPARE(finished.size(), 1);
}

void tst_LineChamberConnection::check_silentTcpPeer_realDurations()
{
    TcpPeer peer;
    TcpLineChamberConnection connection(std::make_unique<TjvLineProtocolImpl>(), QHostAddress::LocalHost, peer.port());
    QCOMPARE(connection.replyTimeout(), 1000ms);
    QCOMPARE(connection.repeatInterval(), 2ms);
    QVERIFY(connectAndWait(connection));

    QElapsedTimer elapsed;
    elapsed.start();
    const auto reply = chamberReply(connection.checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(15000));

    QVERIFY2(elapsed.elapsed() >= 4 * 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(peer.lines(), repeated(4, "*IDN?"));
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
}

void tst_LineChamberConnection::check_respondingTcpPeer_replyCarriesAnswerLine()
{
    TcpPeer peer({"TJV,CTC-4,0815,2.10"});
    auto connection = tcpConnection(std::make_unique<TjvLineProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));

    const auto reply = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());

    QVERIFY(!reply->hasAnyError());
    QCOMPARE(reply->resultCount(), 1);
    QCOMPARE(reply->result(0).toString(), QStringLiteral("TJV,CTC-4,0815,2.10"));
    QCOMPARE(peer.lines(), QList<QByteArray>{"*IDN?"});
}

void tst_LineChamberConnection::check_unacceptableLine_isIgnoredAndRequestRepeated()
{
    // The first answer is not a pressure; the request is repeated and the
    // second answer counts.
    TcpPeer peer({"ERROR", "0950 mbar"});
    auto connection = tcpConnection(std::make_unique<VacuubrandProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));

    const auto reply = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());

    QVERIFY(!reply->hasAnyError());
    QCOMPARE(reply->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(peer.lines().size(), 2);
}

void tst_LineChamberConnection::check_twoRequests_areWrittenOneAtATime()
{
    // Were both requests on the wire at once, the first answer would go to the
    // second write of the first request and the second to the second request
    // before its own time, and the third line would never be written.
    TcpPeer peer({QByteArray(), "0950 mbar", "0951 mbar"});
    auto connection = tcpConnection(std::make_unique<VacuubrandProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));

    const auto first = chamberReply(connection->checkCommunication(anyAddress()));
    const auto second = chamberReply(connection->checkCommunication(anyAddress()));
    QList<int> order;
    connect(first.data(), &ChamberReply::finished, this, [&order] { order.append(1); });
    connect(second.data(), &ChamberReply::finished, this, [&order] { order.append(2); });

    QTRY_COMPARE(order.size(), 2);
    QCOMPARE(order, (QList<int>{1, 2}));
    QCOMPARE(first->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(second->result(0).toString(), QStringLiteral("0951 mbar"));
    QCOMPARE(peer.lines().size(), 3);
}

void tst_LineChamberConnection::check_notConnected_failsWithConnectionError()
{
    TcpLineChamberConnection connection(std::make_unique<TjvLineProtocolImpl>(), QHostAddress::LocalHost, 9);
    const auto reply = chamberReply(connection.checkCommunication(anyAddress()));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ConnectionError));
    QCOMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);
}

void tst_LineChamberConnection::disconnectDevice_abortsPendingRequest()
{
    TcpPeer peer;
    auto connection = tcpConnection(std::make_unique<TjvLineProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));
    QSignalSpy lineReceived(&peer, &LinePeer::lineReceived);

    const auto reply = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(lineReceived.wait());
    connection->disconnectDevice();
    QCOMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);

    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
    // No repeat went out after the close.
    QCOMPARE(peer.lines().size(), 1);
    QCOMPARE(finished.size(), 1);
}

void tst_LineChamberConnection::peerClosing_reportsErrorAndAbortsPendingRequest()
{
    TcpPeer peer;
    auto connection = tcpConnection(std::make_unique<TjvLineProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);
    QSignalSpy stateChanged(connection.get(), &ChamberConnection::stateChanged);
    QSignalSpy lineReceived(&peer, &LinePeer::lineReceived);

    const auto reply = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(lineReceived.wait());
    peer.socket()->close();

    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
    QTRY_COMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);
    QCOMPARE(stateChanged.last().first().value<ChamberState::State>(), ChamberState::STATE_UNCONNECTED);
}

void tst_LineChamberConnection::reset_abortsPendingAndStaysUsable()
{
    TcpPeer peer({QByteArray(), "0950 mbar"});
    auto connection = tcpConnection(std::make_unique<VacuubrandProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));
    QSignalSpy lineReceived(&peer, &LinePeer::lineReceived);

    const auto aborted = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy abortedFinished(aborted.data(), &ChamberReply::finished);
    QVERIFY(lineReceived.wait());
    connection->reset();
    QVERIFY(abortedFinished.wait());
    QCOMPARE(aborted->errorCode(0), int(ChamberError::ReplyAbortedError));

    const auto answered = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy answeredFinished(answered.data(), &ChamberReply::finished);
    QVERIFY(answeredFinished.wait());
    QCOMPARE(answered->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    QCOMPARE(abortedFinished.size(), 1);
}

void tst_LineChamberConnection::destruction_abortsPendingRequest()
{
    TcpPeer peer;
    auto connection = tcpConnection(std::make_unique<TjvLineProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));

    const auto reply = chamberReply(connection->checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    connection.reset();
    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
}

void tst_LineChamberConnection::valueAccess_isRefusedWithNullReply()
{
    TcpPeer peer;
    auto connection = tcpConnection(std::make_unique<VacuubrandProtocolImpl>(), peer.port());
    QVERIFY(connectAndWait(*connection));

    QVERIFY(connection->readValue(anyAddress()).isNull());
    QVERIFY(connection->readValues({anyAddress()}).isNull());
    QVERIFY(connection->writeValue(anyAddress(), 1).isNull());
    QVERIFY(connection->writeValues({{anyAddress(), 1}}).isNull());

    // Nothing went to the device: the check is the first line it sees.
    QSignalSpy lineReceived(&peer, &LinePeer::lineReceived);
    const auto reply = connection->checkCommunication(anyAddress());
    QVERIFY(lineReceived.wait());
    QCOMPARE(peer.lines(), QList<QByteArray>{"IN_PV_1"});
}

void tst_LineChamberConnection::check_silentPty_writesFourTimesThenTimesOut()
{
    PtyPair pty;
    QTRY_VERIFY(pty.isReady());
    QSerialPort peerPort(pty.peerPath());
    QVERIFY(peerPort.open(QIODevice::ReadWrite));
    LinePeer peer;
    peer.attach(&peerPort);

    SerialLineSettings settings;
    settings.portName = pty.devicePath();
    settings.baudRate = VacuubrandProtocolImpl::DefaultBaudRate;
    SerialLineChamberConnection connection(std::make_unique<VacuubrandProtocolImpl>(), settings);
    connection.setReplyTimeout(SilentReplyTimeout);
    QVERIFY(connectAndWait(connection));

    const auto reply = chamberReply(connection.checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(5000));

    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QTRY_COMPARE(peer.lines().size(), 4);
    QCOMPARE(peer.lines(), repeated(4, "IN_PV_1"));
}

void tst_LineChamberConnection::check_respondingPty_replyCarriesAnswerLine()
{
    PtyPair pty;
    QTRY_VERIFY(pty.isReady());
    QSerialPort peerPort(pty.peerPath());
    QVERIFY(peerPort.open(QIODevice::ReadWrite));
    LinePeer peer({"0950 mbar"});
    peer.attach(&peerPort);

    SerialLineSettings settings;
    settings.portName = pty.devicePath();
    SerialLineChamberConnection connection(std::make_unique<VacuubrandProtocolImpl>(), settings);
    connection.setReplyTimeout(AnswerReplyTimeout);
    QVERIFY(connectAndWait(connection));

    const auto reply = chamberReply(connection.checkCommunication(anyAddress()));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());

    QVERIFY(!reply->hasAnyError());
    QCOMPARE(reply->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(peer.lines(), QList<QByteArray>{"IN_PV_1"});

    connection.disconnectDevice();
    QCOMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);
}

void tst_LineChamberConnection::connectDevice_missingSerialPort_reportsError()
{
    QTemporaryDir dir;
    SerialLineSettings settings;
    settings.portName = dir.filePath(QStringLiteral("no-such-port"));
    SerialLineChamberConnection connection(std::make_unique<VacuubrandProtocolImpl>(), settings);
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);

    QVERIFY(connection.connectDevice());
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTING);
    QTRY_COMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);
}

QTEST_GUILESS_MAIN(tst_LineChamberConnection)
#include "tst_linechamberconnection.moc"
