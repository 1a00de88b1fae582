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

// A connection with the device end of its stream: a TCP server on loopback
// that accepts one connection, or the far end of a socat pseudo-terminal pair.
// The device collects request lines and answers the n-th line with the n-th
// scripted answer; an empty answer stays silent.
class Rig
{
public:
    Rig(const QString &transport, const QList<QByteArray> &answers, const QString &protocol = QStringLiteral("vacuum"))
        : m_answers(answers), m_protocol(protocol)
    {
        if (transport == QLatin1String("tcp")) {
            m_server.listen(QHostAddress::LocalHost, 0);
            QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
                m_socket = m_server.nextPendingConnection();
                attach(m_socket);
            });
        } else {
            m_socat.setProgram(QStringLiteral("socat"));
            m_socat.setArguments({QStringLiteral("pty,raw,echo=0,link=%1").arg(devicePath()),
                                  QStringLiteral("pty,raw,echo=0,link=%1").arg(peerPath())});
            m_socat.start();
        }
    }
    ~Rig()
    {
        connection.reset();
        m_socat.terminate();
        m_socat.waitForFinished(5000);
    }

    // Creates the connection once the device end is there.
    bool create(std::optional<std::chrono::milliseconds> replyTimeout)
    {
        std::unique_ptr<LineProtocolImpl> protocol = std::make_unique<VacuubrandProtocolImpl>();
        if (m_protocol == QLatin1String("TJV"))
            protocol = std::make_unique<TjvLineProtocolImpl>();
        if (m_server.isListening()) {
            connection = std::make_unique<TcpLineChamberConnection>(std::move(protocol), QHostAddress::LocalHost,
                                                                    m_server.serverPort());
        } else {
            if (!QTest::qWaitFor([this] { return QFile::exists(devicePath()) && QFile::exists(peerPath()); }, 5000))
                return false;
            m_peerPort.setPortName(peerPath());
            if (!m_peerPort.open(QIODevice::ReadWrite))
                return false;
            attach(&m_peerPort);
            SerialLineSettings settings;
            settings.portName = devicePath();
            settings.baudRate = VacuubrandProtocolImpl::DefaultBaudRate;
            connection = std::make_unique<SerialLineChamberConnection>(std::move(protocol), settings);
        }
        if (replyTimeout)
            connection->setReplyTimeout(*replyTimeout);
        return true;
    }

    bool open(std::optional<std::chrono::milliseconds> replyTimeout)
    {
        return create(replyTimeout) && connection->connectDevice() && waitForConnected();
    }

    bool waitForConnected()
    {
        return QTest::qWaitFor([this] { return connection->state() != ChamberState::STATE_CONNECTING; }, 5000)
                && connection->state() == ChamberState::STATE_CONNECTED;
    }

    QList<QByteArray> lines() const { return m_lines; }
    QTcpSocket *tcpSocket() const { return m_socket; }

    std::unique_ptr<LineChamberConnection> connection;

private:
    QString devicePath() const { return m_dir.filePath(QStringLiteral("device")); }
    QString peerPath() const { return m_dir.filePath(QStringLiteral("peer")); }

    void attach(QIODevice *device)
    {
        QObject::connect(device, &QIODevice::readyRead, device, [this, device] {
            m_buffer += device->readAll();
            int end;
            while ((end = m_buffer.indexOf("\r\n")) >= 0) {
                m_lines.append(m_buffer.left(end));
                m_buffer.remove(0, end + 2);
                const QByteArray answer = m_answers.value(m_lines.size() - 1);
                if (!answer.isEmpty())
                    device->write(answer + "\r\n");
            }
        });
    }

    const QList<QByteArray> m_answers;
    QList<QByteArray> m_lines;
    QByteArray m_buffer;
    const QString m_protocol;
    QTcpServer m_server;
    QTcpSocket *m_socket = nullptr;
    QTemporaryDir m_dir;
    QProcess m_socat;
    QSerialPort m_peerPort;
};

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
    void initTestCase();

    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks_data() { addTransports(); }
    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks();

    void check_silentPeer_writesFourTimesThenTimesOut_data() { addTransports(); }
    void check_silentPeer_writesFourTimesThenTimesOut();
    void check_silentTcpPeer_realDurations();
    void respondingPeer_connectCheckAndDisconnect_data();
    void respondingPeer_connectCheckAndDisconnect();
    void check_twoRequests_areWrittenOneAtATimeAndSkipUnacceptableLines();

    void pendingRequest_isAbortedWhenTheConnectionEnds_data();
    void pendingRequest_isAbortedWhenTheConnectionEnds();
};

void tst_LineChamberConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
}

void tst_LineChamberConnection::connectDevice_unreachablePeer_reportsErrorAndRefusesChecks()
{
    QFETCH(QString, transport);
    QTemporaryDir dir;
    std::unique_ptr<LineChamberConnection> connection;
    if (transport == QLatin1String("tcp")) {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const quint16 closedPort = server.serverPort();
        server.close();
        connection = std::make_unique<TcpLineChamberConnection>(std::make_unique<TjvLineProtocolImpl>(),
                                                                QHostAddress::LocalHost, closedPort);
    } else {
        SerialLineSettings settings;
        settings.portName = dir.filePath(QStringLiteral("no-such-port"));
        connection = std::make_unique<SerialLineChamberConnection>(std::make_unique<VacuubrandProtocolImpl>(),
                                                                   settings);
    }
    QSignalSpy stateChanged(connection.get(), &ChamberConnection::stateChanged);
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);

    QVERIFY(connection->connectDevice());
    QCOMPARE(connection->state(), ChamberState::STATE_CONNECTING);
    QTRY_COMPARE(connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);
    QCOMPARE(stateChanged.last().first().value<ChamberState::State>(), ChamberState::STATE_UNCONNECTED);

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
    Rig rig(transport, {});
    QVERIFY(rig.open(SilentReplyTimeout));

    const auto reply = check(*rig.connection);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(5000));
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QTRY_COMPARE(rig.lines(), QVector<QByteArray>(4, "IN_PV_1").toList());

    // Nothing more is written for a request that timed out: the next request
    // brings the total to exactly eight lines.
    QVERIFY(checkAndWait(*rig.connection));
    QTRY_COMPARE(rig.lines().size(), 8);
    QCOMPARE(finished.size(), 1);
}

void tst_LineChamberConnection::check_silentTcpPeer_realDurations()
{
    Rig rig(QStringLiteral("tcp"), {}, QStringLiteral("TJV"));
    QVERIFY(rig.open(std::nullopt));

    QElapsedTimer elapsed;
    elapsed.start();
    const auto reply = checkAndWait(*rig.connection, 15000);
    QVERIFY(reply);
    QVERIFY2(elapsed.elapsed() >= 4 * 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(rig.lines(), QVector<QByteArray>(4, "*IDN?").toList());
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
}

void tst_LineChamberConnection::respondingPeer_connectCheckAndDisconnect_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("vacuum over tcp") << "tcp" << "vacuum" << QByteArray("IN_PV_1") << QByteArray("0950 mbar");
    QTest::newRow("vacuum over serial") << "serial" << "vacuum" << QByteArray("IN_PV_1") << QByteArray("0950 mbar");
    QTest::newRow("TJV over tcp") << "tcp" << "TJV" << QByteArray("*IDN?") << QByteArray("TJV,CTC-4,0815,2.10");
}

void tst_LineChamberConnection::respondingPeer_connectCheckAndDisconnect()
{
    QFETCH(QString, transport);
    QFETCH(QString, protocol);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    Rig rig(transport, {answer}, protocol);
    QVERIFY(rig.create(AnswerReplyTimeout));
    QSignalSpy stateChanged(rig.connection.get(), &ChamberConnection::stateChanged);
    QSignalSpy errors(rig.connection.get(), &ChamberConnection::errorOccured);

    // Both streams are opened from the event loop.
    QVERIFY(rig.connection->connectDevice());
    QCOMPARE(rig.connection->state(), ChamberState::STATE_CONNECTING);
    QVERIFY(rig.waitForConnected());
    QVERIFY(!rig.connection->connectDevice());

    // Values are not part of the line protocols: refused without a request.
    QVERIFY(rig.connection->readValue({}).isNull());
    QVERIFY(rig.connection->readValues({{}}).isNull());
    QVERIFY(rig.connection->writeValue({}, 1).isNull());
    QVERIFY(rig.connection->writeValues({{{}, 1}}).isNull());

    const auto reply = checkAndWait(*rig.connection);
    QVERIFY(reply);
    QVERIFY(!reply->hasAnyError());
    QCOMPARE(reply->resultCount(), 1);
    QCOMPARE(reply->result(0).toString(), QString::fromLatin1(answer));
    QCOMPARE(rig.lines(), QList<QByteArray>{request});

    rig.connection->disconnectDevice();
    QCOMPARE(rig.connection->state(), ChamberState::STATE_UNCONNECTED);
    QList<ChamberState::State> states;
    for (const QList<QVariant> &arguments : qAsConst(stateChanged))
        states << arguments.first().value<ChamberState::State>();
    QCOMPARE(states, (QList<ChamberState::State>{ChamberState::STATE_CONNECTING, ChamberState::STATE_CONNECTED,
                                                 ChamberState::STATE_CLOSING, ChamberState::STATE_UNCONNECTED}));
    QCOMPARE(errors.size(), 0);
}

void tst_LineChamberConnection::check_twoRequests_areWrittenOneAtATimeAndSkipUnacceptableLines()
{
    // The first answer is no pressure: it is dropped and the first request
    // written again. Were both requests on the wire at once, the second
    // request would take an answer before its own line went out, and the
    // third line would never be written.
    Rig rig(QStringLiteral("tcp"), {"ERROR", "0950 mbar", "0951 mbar"});
    QVERIFY(rig.open(AnswerReplyTimeout));

    const auto first = check(*rig.connection);
    const auto second = check(*rig.connection);
    QList<int> order;
    connect(first.data(), &ChamberReply::finished, this, [&order] { order.append(1); });
    connect(second.data(), &ChamberReply::finished, this, [&order] { order.append(2); });

    QTRY_COMPARE(order.size(), 2);
    QCOMPARE(order, (QList<int>{1, 2}));
    QCOMPARE(first->result(0).toString(), QStringLiteral("0950 mbar"));
    QCOMPARE(second->result(0).toString(), QStringLiteral("0951 mbar"));
    QCOMPARE(rig.lines().size(), 3);
}

void tst_LineChamberConnection::pendingRequest_isAbortedWhenTheConnectionEnds_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("connectionErrors");
    QTest::addColumn<bool>("stillConnected");

    QTest::newRow("disconnect") << "disconnect" << 0 << false;
    QTest::newRow("peer closes") << "peer closes" << 1 << false;
    QTest::newRow("reset keeps the connection") << "reset" << 0 << true;
    QTest::newRow("destruction") << "destroy" << 0 << false;
}

void tst_LineChamberConnection::pendingRequest_isAbortedWhenTheConnectionEnds()
{
    QFETCH(QString, action);
    QFETCH(int, connectionErrors);
    QFETCH(bool, stillConnected);
    Rig rig(QStringLiteral("tcp"), {QByteArray(), "0950 mbar"});
    QVERIFY(rig.open(AnswerReplyTimeout));
    QSignalSpy errors(rig.connection.get(), &ChamberConnection::errorOccured);

    const auto pending = check(*rig.connection);
    QSignalSpy finished(pending.data(), &ChamberReply::finished);
    QTRY_COMPARE(rig.lines().size(), 1);
    if (action == QLatin1String("disconnect"))
        rig.connection->disconnectDevice();
    else if (action == QLatin1String("peer closes"))
        rig.tcpSocket()->close();
    else if (action == QLatin1String("reset"))
        rig.connection->reset();
    else
        rig.connection.reset();

    QVERIFY(finished.wait());
    QCOMPARE(pending->errorCode(0), int(ChamberError::ReplyAbortedError));
    if (!rig.connection)
        return;
    QCOMPARE(rig.connection->state(),
             stillConnected ? ChamberState::STATE_CONNECTED : ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), connectionErrors);
    if (connectionErrors > 0)
        QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);

    if (stillConnected) {
        const auto next = checkAndWait(*rig.connection);
        QVERIFY(next);
        QCOMPARE(next->result(0).toString(), QStringLiteral("0950 mbar"));
    } else {
        // No repeat went out after the end.
        QCOMPARE(rig.lines().size(), 1);
    }
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(tst_LineChamberConnection)
#include "tst_linechamberconnection.moc"
