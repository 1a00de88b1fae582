#include "connection/chamber/chamberconnectionfactory.h"
#include "connection/chamber/core/chamberconnection.h"
#include "connection/chamber/core/metatypes.h"
#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusmetatypes.h"
#include "connection/chamber/protocol/chamberbroadcaster.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "pymodbusserver.h"
#include "socatptypair.h"

#include <QtNetwork/QNetworkDatagram>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtNetwork/QUdpSocket>
#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using namespace quelta::domain::types;

namespace {

constexpr int WaitMs = 15000;
constexpr quint8 ServerAddress = 17;
constexpr int CheckedRegister = 0x10;
const ControllerAddress Checked({}, "0x0010", ControllerAddress::ReadOnly, QMetaType::UShort, 1, -1, {});
const QString Loopback = QStringLiteral("127.0.0.1");

ChamberData chamber(int kind, const QString &ip, int converter = -1)
{
    ChamberData data;
    data.setProtocol(kind);
    data.setIpAddress(QHostAddress(ip));
    data.setConverter(converter);
    data.setModbusAddress(ServerAddress);
    return data;
}

// Sends every TCP connection to the test's peer.
class PeerFactory : public ChamberConnectionFactory
{
public:
    int connectionCount() const { return findChildren<ChamberConnection *>().size(); }

    quint16 peerPort = 0;

protected:
    quint16 tcpPort(quint16) const override { return peerPort; }
};

// A line device on loopback TCP: answers its request line with its answer
// line; without a request it stays silent, with hangUp it hangs up at the
// first byte it receives.
class LinePeer : public QTcpServer
{
public:
    explicit LinePeer(const QByteArray &request = {}, const QByteArray &answer = {}, bool hangUp = false)
    {
        connect(this, &QTcpServer::newConnection, this, [=] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [=] {
                if (hangUp)
                    return socket->close();
                while (socket->canReadLine()) {
                    if (!request.isEmpty() && socket->readLine().trimmed() == request)
                        socket->write(answer + "\r\n");
                }
            });
        });
        listen(QHostAddress::LocalHost);
    }
};

// Entries of a /proc directory whose link target holds targetPart.
int procEntries(const QString &directory, const QString &targetPart = {})
{
    const QFileInfoList entries = QDir(directory).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return int(std::count_if(entries.cbegin(), entries.cend(), [&](const QFileInfo &entry) {
        return entry.symLinkTarget().contains(targetPart);
    }));
}

qint64 residentPages()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').at(1).toLongLong();
}

ActivationState::State stateOf(const QList<QVariant> &arguments)
{
    return arguments.at(1).value<ActivationState::State>();
}

} // namespace

class tst_ChamberConnectionFactory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void refusedRecords_getNoConnectionAndNoCheck_data();
    void refusedRecords_getNoConnectionAndNoCheck();
    void check_eachKindAgainstItsPeer_endsOnceActive_data();
    void check_eachKindAgainstItsPeer_endsOnceActive();
    void stop_endsUndefinedOnce_thenSilentDeviceEndsInactiveAtRealDurations();
    void check_220AlternatingLiveAndDeadPeers_leaveNothingBehind();
    void startChamberBroadcast_passesAnswersOnAndEndsOnce();
};

void tst_ChamberConnectionFactory::initTestCase()
{
    registerMetaTypes();
    registerChamberConnectionMetaTypes();
    registerModbusMetaTypes();
}

void tst_ChamberConnectionFactory::refusedRecords_getNoConnectionAndNoCheck_data()
{
    QTest::addColumn<ChamberData>("record");

    QTest::newRow("kind open") << chamber(ChamberData::ProtocolUndetermined, Loopback);
    QTest::newRow("6 Simserv") << chamber(6, Loopback);
    QTest::newRow("7 CTS") << chamber(7, Loopback);
    QTest::newRow("8 CTS network") << chamber(8, Loopback);
    QTest::newRow("1 without IP or port") << chamber(1, {});
    QTest::newRow("5 without IP or port") << chamber(5, {});
}

void tst_ChamberConnectionFactory::refusedRecords_getNoConnectionAndNoCheck()
{
    QFETCH(ChamberData, record);

    ChamberConnectionFactory factory;
    QVERIFY(!factory.createChamberConnection(record));
    QVERIFY(!factory.checkCommunication(record, Checked));
    QVERIFY(factory.children().isEmpty());
}

void tst_ChamberConnectionFactory::check_eachKindAgainstItsPeer_endsOnceActive_data()
{
    QTest::addColumn<ChamberData>("record");

    QTest::newRow("RTU over TCP through a gateway") << chamber(2, Loopback);
    QTest::newRow("RTU through XPort") << chamber(1, Loopback, 1);
    QTest::newRow("RTU on a pty") << chamber(1, {});
    QTest::newRow("vacuum controller through ComServer") << chamber(5, Loopback, 0);
    QTest::newRow("TJV controller") << chamber(4, Loopback);
}

void tst_ChamberConnectionFactory::check_eachKindAgainstItsPeer_endsOnceActive()
{
    QFETCH(ChamberData, record);

    // Line devices for kinds 4 and 5, an RTU-framed pymodbus for the others.
    PeerFactory factory;
    PymodbusServer pymodbus;
    SocatPtyPair pty;
    LinePeer vacuum("IN_PV_1", "0950 mbar");
    LinePeer tjv("*IDN?", "TJV 4.2");
    if (record.protocol() >= 4) {
        factory.peerPort = (record.protocol() == 5 ? vacuum : tjv).serverPort();
    } else if (record.ipAddress().isNull()) {
        QVERIFY(pty.start());
        QVERIFY(pymodbus.startSerial(pty.secondEnd(), ServerAddress, CheckedRegister, {0x1234}));
        record.setComPort(pty.firstEnd());
    } else {
        QVERIFY(pymodbus.startTcp(PymodbusServer::Framing::Rtu, ServerAddress, CheckedRegister, {0x1234}));
        factory.peerPort = pymodbus.port();
    }
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);

    QVERIFY(factory.checkCommunication(record, Checked));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.first().at(0).value<ChamberData>(), record);
    QCOMPARE(stateOf(finished.first()), ActivationState::STATE_ACTIVE);

    // The temporary connection goes; nothing ends the check a second time.
    QTRY_COMPARE(factory.connectionCount(), 0);
    QCOMPARE(finished.count(), 1);
}

void tst_ChamberConnectionFactory::stop_endsUndefinedOnce_thenSilentDeviceEndsInactiveAtRealDurations()
{
    LinePeer silent;
    PeerFactory factory;
    factory.peerPort = silent.serverPort();
    const ChamberData second = chamber(3, Loopback);
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    // A receiver finds the temporary connection closed, and no new check taken.
    bool cleanedUpBefore = false;
    connect(&factory, &ChamberConnectionFactory::communicationCheckFinished, this, [&] {
        cleanedUpBefore = factory.findChild<ChamberConnection *>()->state() == ChamberState::STATE_UNCONNECTED
            && !factory.checkCommunication(second, Checked);
    });

    QVERIFY(factory.checkCommunication(chamber(4, Loopback), Checked));
    QVERIFY(!factory.checkCommunication(second, Checked));
    factory.stopCheckCommunication();
    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(stateOf(finished.first()), ActivationState::STATE_UNDEFINED);
    QVERIFY(cleanedUpBefore);

    // From the next turn of the event loop on, the factory takes a check
    // again; the silent device ends it after four sends of 1000 ms.
    QTRY_COMPARE(factory.connectionCount(), 0);
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(factory.checkCommunication(second, Checked));
    QVERIFY(finished.wait(WaitMs));
    QVERIFY2(elapsed.elapsed() >= 4000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(finished.count(), 2);
    QCOMPARE(stateOf(finished.last()), ActivationState::STATE_INACTIVE);
}

void tst_ChamberConnectionFactory::check_220AlternatingLiveAndDeadPeers_leaveNothingBehind()
{
    PymodbusServer pymodbus;
    QVERIFY(pymodbus.startTcp(PymodbusServer::Framing::Tcp, ServerAddress, CheckedRegister, {0x1234}));
    LoopbackModbusTcpServer qtServer;
    QVERIFY(qtServer.start(ServerAddress, QVector<quint16>(CheckedRegister + 1, 0x1234)));
    LoopbackModbusTcpServer withoutRegister;
    QVERIFY(withoutRegister.start(ServerAddress, QVector<quint16>(CheckedRegister)));
    LinePeer closed;
    LinePeer silent;
    LinePeer hangingUp({}, {}, true);
    // Live Modbus TCP servers, pymodbus's and Qt's, take turns with dead
    // peers: a closed port, a silent device, a hang-up and an exception.
    const QList<quint16> ports{pymodbus.port(), closed.serverPort(),    qtServer.port(), silent.serverPort(),
                               pymodbus.port(), hangingUp.serverPort(), qtServer.port(), withoutRegister.port()};
    closed.close();

    PeerFactory factory;
    PeerFactory::ConnectionTimeouts timeouts;
    timeouts.modbusResponseTimeout = std::chrono::milliseconds(50);
    factory.setConnectionTimeouts(timeouts);
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    int threads = 0;
    int sockets = 0;
    [[maybe_unused]] qint64 memory = 0;
    for (int i = 0; i < 220; ++i) {
        factory.peerPort = ports.at(i % ports.size());
        QVERIFY(factory.checkCommunication(chamber(3, Loopback), Checked));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), i + 1, WaitMs);
        QCOMPARE(stateOf(finished.last()), i % 2 ? ActivationState::STATE_INACTIVE : ActivationState::STATE_ACTIVE);
        QTRY_COMPARE(factory.connectionCount(), 0);
        if (i == 19) {
            QTRY_COMPARE(ModbusMasterThread::runningThreadCount(), 0);
            threads = procEntries("/proc/self/task");
            sockets = procEntries("/proc/self/fd", "socket:");
            memory = residentPages();
        }
    }

    QTRY_COMPARE(procEntries("/proc/self/task"), threads);
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList());
    QTRY_COMPARE(procEntries("/proc/self/fd", "socket:"), sockets);
    QCOMPARE(finished.count(), 220);
#if !defined(__SANITIZE_ADDRESS__)
    // Under ASan freed memory waits in quarantine; its leak check stands in.
    QVERIFY2(residentPages() - memory < 1024, qPrintable(QString::number(residentPages() - memory)));
#endif
}

void tst_ChamberConnectionFactory::startChamberBroadcast_passesAnswersOnAndEndsOnce()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != QLatin1String("1"))
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");

    // A TJV controller on the veth peer.
    QUdpSocket device;
    QVERIFY(device.bind(QHostAddress::AnyIPv4, 9001, QUdpSocket::ShareAddress));
    connect(&device, &QUdpSocket::readyRead, &device, [&device] {
        while (device.hasPendingDatagrams()) {
            const QNetworkDatagram request = device.receiveDatagram();
            QUdpSocket sender;
            sender.bind(QHostAddress(QStringLiteral("10.77.0.2")));
            sender.writeDatagram("TJV!" + QByteArray::fromHex("0a0000000001"), request.senderAddress(),
                                 request.senderPort());
        }
    });

    ChamberConnectionFactory factory;
    QSignalSpy found(&factory, &ChamberConnectionFactory::networkChamberFound);
    QSignalSpy searchFinished(&factory, &ChamberConnectionFactory::chamberBroadcastFinished);
    QVERIFY(factory.startChamberBroadcast(std::chrono::milliseconds(1000)));
    QCOMPARE(factory.findChildren<ChamberBroadcaster *>().size(), 3);
    // An overlapping search keeps its broadcasters when the first one ends
    // (once, the first end deleted every broadcaster and lost later answers).
    QVERIFY(factory.startChamberBroadcast(std::chrono::milliseconds(2000)));
    QVERIFY(searchFinished.wait(WaitMs));
    QTRY_COMPARE(factory.findChildren<ChamberBroadcaster *>().size(), 3);
    QVERIFY(searchFinished.wait(WaitMs));
    QCOMPARE(found.count(), 2);
    QCOMPARE(found.last().at(0).value<NetworkConfiguration>().address(), QHostAddress("10.77.0.2"));
    QTRY_COMPARE(factory.findChildren<ChamberBroadcaster *>().size(), 0);
    QCOMPARE(searchFinished.count(), 2);
}

QTEST_GUILESS_MAIN(tst_ChamberConnectionFactory)

#include "tst_chamberconnectionfactory.moc"
