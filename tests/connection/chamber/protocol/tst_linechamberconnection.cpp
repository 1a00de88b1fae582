#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/protocol/linechamberconnectionbuilder.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "domain/types/chamberdata.h"
#include "domain/types/metatypes.h"

#include "linedevice.h"
#include "socatptypair.h"

#include <QtCore/QElapsedTimer>
#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberState;

Q_DECLARE_METATYPE(std::chrono::milliseconds)

namespace {

using namespace std::chrono_literals;

// Silent peers only count writes, so their reply time can be short; where a
// peer answers, the reply time must outlast a slow (sanitizer) build, or a
// repeat would go out before the answer is read.
constexpr auto SilentReplyTimeout = 60ms;
constexpr auto AnswerReplyTimeout = 500ms;

// A vacuum controller's device and the connection that the builder makes to
// it for a record, not opened yet: through a converter over loopback TCP, on
// a COM port that is a pseudo-terminal whose far end the device serves, or
// ("no route") through a converter at a multicast address, which no TCP
// connection can reach. The connection is null when the device end cannot
// start.
struct Link
{
    explicit Link(const QString &transport, const QList<QByteArray> &answers = {})
        : device(answers)
    {
        ChamberData record;
        record.setProtocol(LineChamberConnectionBuilder::VacuubrandProtocol);
        if (transport == "serial") {
            farEnd.setPortName(line.secondEnd());
            if (!line.start() || !farEnd.open(QIODevice::ReadWrite))
                return;
            device.attach(&farEnd);
            record.setComPort(line.firstEnd());
        } else if (device.listen()) {
            record.setIpAddress(QHostAddress(transport == "tcp" ? "127.0.0.1" : "224.0.0.1"));
            record.setConverter(0);
        }
        // ComServer's data port, moved to the device's.
        connection = LineChamberConnectionBuilder::create(record, nullptr, [this](quint16 port) {
            return port == 8000 ? device.port() : 1;
        });
    }

    // Opens the connection, which is still connecting when connectDevice()
    // returns, and waits until it is connected.
    bool open(std::chrono::milliseconds replyTimeout)
    {
        if (!connection || !connection->connectDevice() || connection->state() != ChamberState::STATE_CONNECTING)
            return false;
        if (replyTimeout > 0ms)
            connection->setReplyTimeout(replyTimeout);
        return QTest::qWaitFor([this] { return connection->state() != ChamberState::STATE_CONNECTING; }, 5000)
            && connection->state() == ChamberState::STATE_CONNECTED;
    }

    QSharedPointer<ChamberReply> check() { return connection->checkCommunication({}).dynamicCast<ChamberReply>(); }
    // The reply of a check once it has finished; null when it did not finish in time.
    QSharedPointer<ChamberReply> checkAndWait(int timeout = 5000)
    {
        const QSharedPointer<ChamberReply> reply = check();
        return QSignalSpy(reply.data(), &ChamberReply::finished).wait(timeout) ? reply : nullptr;
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
    std::unique_ptr<LineChamberConnection> connection;
};

} // namespace

class tst_LineChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { quelta::domain::types::registerMetaTypes(); }

    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks_data();
    void connectDevice_unreachablePeer_reportsErrorAndRefusesChecks();
    void check_answeringOrSilentPeer_writesUntilAnsweredAtMostFourTimes_data();
    void check_answeringOrSilentPeer_writesUntilAnsweredAtMostFourTimes();
    void check_twoRequests_areWrittenOneAtATimeAndSkipUnacceptableLines();
    void pendingRequest_isAbortedWhenTheConnectionEnds_data();
    void pendingRequest_isAbortedWhenTheConnectionEnds();
};

void tst_LineChamberConnection::connectDevice_unreachablePeer_reportsErrorAndRefusesChecks_data()
{
    QTest::addColumn<QString>("transport");
    QTest::newRow("tcp") << "tcp";
    QTest::newRow("serial") << "serial";
    // The socket fails inside its own connect call.
    QTest::newRow("no route") << "no route";
}

void tst_LineChamberConnection::connectDevice_unreachablePeer_reportsErrorAndRefusesChecks()
{
    QFETCH(QString, transport);
    Link link(transport);
    QVERIFY(link.connection);
    link.cut();
    QSignalSpy errors(link.connection.get(), &ChamberConnection::errorOccured);

    QVERIFY(link.connection->connectDevice());
    QCOMPARE(link.connection->state(), ChamberState::STATE_CONNECTING);
    QTRY_COMPARE(link.connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.first().first().value<ChamberError>().error(), ChamberError::ConnectionError);

    const auto reply = link.checkAndWait();
    QVERIFY(reply);
    QCOMPARE(reply->errorCode(0), int(ChamberError::ConnectionError));

    // A failed connection can be opened again.
    QVERIFY(link.connection->connectDevice());
    QTRY_COMPARE(errors.size(), 2);
}

void tst_LineChamberConnection::check_answeringOrSilentPeer_writesUntilAnsweredAtMostFourTimes_data()
{
    QTest::addColumn<QString>("transport");
    QTest::addColumn<QByteArray>("answer"); // empty: silent
    QTest::addColumn<std::chrono::milliseconds>("replyTimeout"); // 0: the default, 1000 ms
    QTest::addColumn<int>("writes");

    for (const char *transport : {"tcp", "serial"}) {
        QTest::addRow("%s, answering", transport) << QString(transport) << QByteArray("0950 mbar")
                                                              << AnswerReplyTimeout << 1;
        QTest::addRow("%s, silent", transport) << QString(transport) << QByteArray() << SilentReplyTimeout << 4;
    }
    QTest::newRow("tcp, silent, real durations") << "tcp" << QByteArray() << 0ms << 4;
}

void tst_LineChamberConnection::check_answeringOrSilentPeer_writesUntilAnsweredAtMostFourTimes()
{
    QFETCH(QString, transport);
    QFETCH(QByteArray, answer);
    QFETCH(std::chrono::milliseconds, replyTimeout);
    QFETCH(int, writes);

    Link link(transport, {answer});
    QVERIFY(link.connection);
    // A record's -1 settings are the controller's factory setting.
    if (const auto *serial = qobject_cast<SerialLineChamberConnection *>(link.connection.get()))
        QCOMPARE(serial->settings(), (SerialLineSettings{link.line.firstEnd(), 19200, QSerialPort::Data8, QSerialPort::NoParity,
                                                      QSerialPort::OneStop, QSerialPort::NoFlowControl}));
    QSignalSpy states(link.connection.get(), &ChamberConnection::stateChanged);
    QVERIFY(link.open(replyTimeout));
    QVERIFY(!link.connection->connectDevice());
    // Values are not part of the line protocols: refused without a request.
    QVERIFY(link.connection->readValues({{}}).isNull());
    QVERIFY(link.connection->writeValue({}, 1).isNull());

    QElapsedTimer elapsed;
    elapsed.start();
    const auto reply = link.checkAndWait(15000);
    QVERIFY(reply);
    QCOMPARE(reply->resultCount(), 1);
    if (answer.isEmpty()) {
        const qint64 least = writes * (replyTimeout > 0ms ? replyTimeout.count() : 1000);
        QVERIFY2(elapsed.elapsed() >= least, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    } else {
        QCOMPARE(reply->result(0).toString(), QString::fromLatin1(answer));
    }
    QTRY_COMPARE(link.device.lines, QVector<QByteArray>(writes, "IN_PV_1").toList());

    // Nothing more is written for a request that has ended: the next one
    // doubles the lines, and the first reply does not finish again.
    QSignalSpy finishedAgain(reply.data(), &ChamberReply::finished);
    QVERIFY(replyTimeout == 0ms || link.checkAndWait());
    QTRY_COMPARE(link.device.lines.size(), replyTimeout == 0ms ? writes : 2 * writes);
    QCOMPARE(finishedAgain.size(), 0);

    // Connecting, connected, closing, unconnected.
    link.connection->disconnectDevice();
    QCOMPARE(link.connection->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(states.size(), 4);
}

void tst_LineChamberConnection::check_twoRequests_areWrittenOneAtATimeAndSkipUnacceptableLines()
{
    // The first answer is no pressure: it is dropped and the first request
    // written again. Were both requests on the wire at once, the second
    // request would take an answer before its own line went out, and the
    // third line would never be written.
    Link link("tcp", {"ERROR", "0950 mbar", "0951 mbar"});
    QVERIFY(link.open(AnswerReplyTimeout));

    const auto first = link.check();
    const auto second = link.checkAndWait();
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
    Link link("tcp", {QByteArray(), "0950 mbar"});
    QVERIFY(link.open(AnswerReplyTimeout));
    QSignalSpy errors(link.connection.get(), &ChamberConnection::errorOccured);

    const auto pending = link.check();
    QSignalSpy finished(pending.data(), &ChamberReply::finished);
    QTRY_COMPARE(link.device.lines.size(), 1);
    if (action == "disconnect")
        link.connection->disconnectDevice();
    else if (action == "peer closes")
        link.device.socket->close();
    else if (action == "reset")
        link.connection->reset();
    else
        link.connection.reset();

    QVERIFY(finished.wait());
    QCOMPARE(pending->errorCode(0), int(ChamberError::ReplyAbortedError));
    if (!link.connection)
        return;
    QCOMPARE(errors.size(), action == "peer closes" ? 1 : 0);
    if (action == "reset") {
        const auto next = link.checkAndWait();
        QVERIFY(next);
        QCOMPARE(next->result(0).toString(), QStringLiteral("0950 mbar"));
    } else {
        // No repeat went out after the end.
        QCOMPARE(link.connection->state(), ChamberState::STATE_UNCONNECTED);
        QCOMPARE(link.device.lines.size(), 1);
    }
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(tst_LineChamberConnection)
#include "tst_linechamberconnection.moc"
