#include "connection/chamber/chamberconnectionfactory.h"
#include "connection/chamber/core/metatypes.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwapper.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusmetatypes.h"
#include "connection/chamber/protocol/chamberbroadcaster.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "pymodbusserver.h"
#include "socatptypair.h"

#include <QtNetwork/QNetworkDatagram>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtNetwork/QUdpSocket>
#include <QtSerialPort/QSerialPort>
#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using namespace quelta::domain::types;
using quelta::domain::api::IChamberConnection;

namespace {

constexpr int WaitMs = 15000;
constexpr quint8 ServerAddress = 17;
constexpr int CheckedRegister = 0x10;
const ControllerAddress Checked(ControllerAddressId(), "0x0010", ControllerAddress::ReadOnly, QMetaType::UShort, 1, -1,
                                {});
const QString Loopback = QStringLiteral("127.0.0.1");

ChamberData chamber(int kind, const QString &ip, const QString &comPort, int converter = -1)
{
    ChamberData data;
    data.setChamberName(QStringLiteral("Chamber %1").arg(kind));
    data.setProtocol(kind);
    data.setIpAddress(QHostAddress(ip));
    data.setComPort(comPort.isEmpty() ? QString() : comPort);
    data.setConverter(converter);
    data.setModbusAddress(ServerAddress);
    return data;
}

ChamberTypeData chamberType(const QString &controller, const QString &option = {})
{
    return ChamberTypeData(ChamberTypeKey(1, 1), "LAB", {}, 100, {}, {}, {}, {}, {}, {}, -1, -1, {}, {}, {},
                           controller, {3}, {}, {}, {ChamberOption(option, false)}, {});
}

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Sends every TCP connection to the test's peer, with short time-outs, and
// notes the device ports that the factory asked for.
class PeerFactory : public ChamberConnectionFactory
{
public:
    explicit PeerFactory(quint16 peerPort = 0)
        : peerPort(peerPort)
    {
        ConnectionTimeouts timeouts;
        timeouts.modbusResponseTimeout = timeouts.lineReplyTimeout = std::chrono::milliseconds(50);
        timeouts.modbusRetries = 1;
        setConnectionTimeouts(timeouts);
    }
    int connectionCount() const { return findChildren<ChamberConnection *>().size(); }

    quint16 peerPort;
    mutable QList<quint16> devicePorts;

protected:
    quint16 tcpPort(quint16 devicePort) const override
    {
        devicePorts.append(devicePort);
        return peerPort;
    }
};

// A device on loopback TCP or on one end of a serial line: answers its
// request line with its answer line; without a request it stays silent, and
// with hangUp it hangs up at the first byte it receives.
class LinePeer : public QObject
{
public:
    explicit LinePeer(const QByteArray &request = {}, const QByteArray &answer = {}, bool hangUp = false)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                attach(socket);
            }
        });
        m_attach = [request, answer, hangUp](QIODevice *device) {
            QObject::connect(device, &QIODevice::readyRead, device, [=] {
                if (hangUp)
                    return device->close();
                while (device->canReadLine()) {
                    const QByteArray line = device->readLine().trimmed();
                    if (!request.isEmpty() && line == request)
                        device->write(answer + "\r\n");
                }
            });
        };
    }
    quint16 listen()
    {
        m_server.listen(QHostAddress::LocalHost);
        return m_server.serverPort();
    }
    bool open(const QString &device)
    {
        auto *port = new QSerialPort(device, this);
        attach(port);
        return port->open(QIODevice::ReadWrite);
    }

private:
    void attach(QIODevice *device) { m_attach(device); }

    QTcpServer m_server;
    std::function<void(QIODevice *)> m_attach;
};

enum class Peer { QtServer, Pymodbus, PymodbusRtu, PymodbusSerial, Vacuum, VacuumSerial, Tjv, Silent, HangUp, Closed,
                  MissingLine };

// Every peer a check may meet; start() starts one and points the record or
// the factory at it.
struct Peers
{
    bool start(Peer peer, PeerFactory &factory, ChamberData *record)
    {
        switch (peer) {
        case Peer::QtServer: {
            QVector<quint16> registers(0x20);
            registers[CheckedRegister] = 0x1234;
            return qtServer.start(ServerAddress, registers) && (factory.peerPort = qtServer.port());
        }
        case Peer::Pymodbus:
        case Peer::PymodbusRtu:
            return pymodbus.startTcp(peer == Peer::Pymodbus ? PymodbusServer::Framing::Tcp : PymodbusServer::Framing::Rtu,
                                  ServerAddress, CheckedRegister, {0x1234})
                && (factory.peerPort = pymodbus.port());
        case Peer::PymodbusSerial:
            record->setComPort(pty.firstEnd());
            return pty.start() && pymodbus.startSerial(pty.secondEnd(), ServerAddress, CheckedRegister, {0x1234});
        case Peer::VacuumSerial:
            record->setComPort(pty.firstEnd());
            return pty.start() && vacuum.open(pty.secondEnd());
        case Peer::MissingLine:
            record->setComPort(pty.firstEnd() + QStringLiteral(".missing"));
            return pty.start();
        case Peer::Vacuum:
            return (factory.peerPort = vacuum.listen());
        case Peer::Tjv:
            return (factory.peerPort = tjv.listen());
        case Peer::Silent:
            return (factory.peerPort = silent.listen());
        case Peer::HangUp:
            return (factory.peerPort = hangingUp.listen());
        case Peer::Closed:
            return (factory.peerPort = closedPort());
        }
        return false;
    }

    LoopbackModbusTcpServer qtServer;
    PymodbusServer pymodbus;
    SocatPtyPair pty;
    LinePeer vacuum{"IN_PV_1", "0950 mbar"};
    LinePeer tjv{"*IDN?", "TJV 4.2"};
    LinePeer silent;
    LinePeer hangingUp{{}, {}, true};
};

// Entries of a /proc directory whose link target holds targetPart.
int procEntries(const QString &directory, const QString &targetPart = {})
{
    const QFileInfoList entries = QDir(directory).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return int(std::count_if(entries.cbegin(), entries.cend(), [&](const QFileInfo &entry) {
        return entry.symLinkTarget().contains(targetPart);
    }));
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QByteArray text = status.readAll();
    return text.mid(text.indexOf("VmRSS:") + 6).trimmed().split(' ').first().toLongLong();
}

ActivationState::State stateOf(const QList<QVariant> &arguments)
{
    return arguments.at(1).value<ActivationState::State>();
}

} // namespace

Q_DECLARE_METATYPE(Peer)

class tst_ChamberConnectionFactory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void createChamberConnection_takesTheFactorysPortsAndTimeouts();
    void refusedRecords_getNoConnectionAndNoCheck_data();
    void refusedRecords_getNoConnectionAndNoCheck();
    void createOperatingModeConnection_byController();
    void transferObjects_unsupported_logAndGiveNull_data();
    void transferObjects_unsupported_logAndGiveNull();

    void check_againstPeer_endsOnceWithItsState_data();
    void check_againstPeer_endsOnceWithItsState();
    void check_silentDevice_realDurations_inactiveAfterFourSends();
    void stop_endsUndefinedOnce_andNoCheckStartsBeforeTheNextTurn();
    void check_220AlternatingLiveAndDeadPeers_leaveNothingBehind();

    void startChamberBroadcast_eachSearchEndsOnceAndDeletesItsBroadcasters();
};

void tst_ChamberConnectionFactory::initTestCase()
{
    registerMetaTypes();
    registerChamberConnectionMetaTypes();
    registerModbusMetaTypes();
}

void tst_ChamberConnectionFactory::cleanup()
{
    QTRY_COMPARE(ModbusMasterThread::runningThreadCount(), 0);
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList());
}

void tst_ChamberConnectionFactory::createChamberConnection_takesTheFactorysPortsAndTimeouts()
{
    PeerFactory factory(4711);
    const auto modbus = factory.createChamberConnection(chamber(1, "10.77.0.2", {}, 1));
    const auto line = factory.createChamberConnection(chamber(5, "10.77.0.2", {}, 0));
    QCOMPARE(factory.devicePorts, (QList<quint16>{10001, 8000}));

    const ModbusClientSettings settings = qSharedPointerDynamicCast<ModbusChamberConnection>(modbus)->wrapper()->settings();
    ModbusClientSettings expected = ModbusClientSettings::rtuOverTcp("10.77.0.2", 4711);
    expected.setTimeout(std::chrono::milliseconds(50));
    expected.setNumberOfRetries(1);
    QCOMPARE(settings, expected);
    QCOMPARE(qSharedPointerDynamicCast<LineChamberConnection>(line)->replyTimeout(), std::chrono::milliseconds(50));
    QCOMPARE(qSharedPointerDynamicCast<QObject>(line)->parent(), nullptr);
}

void tst_ChamberConnectionFactory::refusedRecords_getNoConnectionAndNoCheck_data()
{
    QTest::addColumn<ChamberData>("record");

    QTest::newRow("kind open") << chamber(ChamberData::ProtocolUndetermined, Loopback, "COM1");
    QTest::newRow("6 Simserv") << chamber(6, Loopback, {});
    QTest::newRow("7 CTS serial") << chamber(7, {}, "COM1");
    QTest::newRow("8 CTS network") << chamber(8, Loopback, {});
    QTest::newRow("1 without IP or port") << chamber(1, {}, {});
    QTest::newRow("1 through an unknown converter") << chamber(1, Loopback, {}, 7);
    QTest::newRow("2 without IP") << chamber(2, {}, "COM1");
    QTest::newRow("3 without IP") << chamber(3, {}, "COM1");
    QTest::newRow("4 without IP") << chamber(4, {}, "COM1");
    QTest::newRow("5 without IP or port") << chamber(5, {}, {});
}

void tst_ChamberConnectionFactory::refusedRecords_getNoConnectionAndNoCheck()
{
    QFETCH(ChamberData, record);

    PeerFactory factory(closedPort());
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    QVERIFY(!factory.createChamberConnection(record));
    QVERIFY(!factory.checkCommunication(record, Checked));
    QVERIFY(factory.children().isEmpty());

    // The refusal leaves the factory free for the next check.
    QVERIFY(factory.checkCommunication(chamber(3, Loopback, {}), Checked));
    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 1);
}

void tst_ChamberConnectionFactory::createOperatingModeConnection_byController()
{
    ChamberConnectionFactory factory;
    const ChamberData record = chamber(3, Loopback, {});
    const auto connection = factory.createChamberConnection(record);
    const QList<QPair<QString, QString>> classByController{{"QX1", "Qx1OperatingModeConnection"},
                                                           {"QX2", "Qx2OperatingModeConnection"},
                                                           {"qx2", {}},
                                                           {"ZK4", {}}};
    for (const auto &[controller, className] : classByController) {
        const auto mode = factory.createOperatingModeConnection(record, chamberType(controller), connection);
        const QObject *object = dynamic_cast<QObject *>(mode.data());
        QCOMPARE(object ? QString(object->metaObject()->className()).section("::", -1) : QString(), className);
        QVERIFY(!factory.createOperatingModeConnection(record, chamberType(controller), nullptr));
    }
}

void tst_ChamberConnectionFactory::transferObjects_unsupported_logAndGiveNull_data()
{
    QTest::addColumn<bool>("transmitter");
    QTest::addColumn<QString>("controller");
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("message");

    QTest::newRow("transmitter without time program")
        << true << "QX2" << "Readable_DataStorage" << "Chamber type LAB 100 is not programmble";
    QTest::newRow("transmitter for an unknown controller")
        << true << "ZK9" << "TimeProgram_QUELTA_4" << "Controller 'ZK9' does not support program transmission";
    QTest::newRow("reader without readable storage")
        << false << "QX2" << "TimeProgram" << "Chamber type LAB 100 is not programmble";
    QTest::newRow("reader for QX1") << false << "QX1" << "Readable_DataStorage"
                                    << "Controller 'QX1' does not support data logger reading";
}

void tst_ChamberConnectionFactory::transferObjects_unsupported_logAndGiveNull()
{
    QFETCH(bool, transmitter);
    QFETCH(QString, controller);
    QFETCH(QString, option);
    QFETCH(QString, message);

    ChamberConnectionFactory factory;
    const ChamberData record = chamber(3, Loopback, {});
    const auto connection = factory.createChamberConnection(record);
    QTest::ignoreMessage(QtInfoMsg, qPrintable(message));
    if (transmitter)
        QVERIFY(!factory.createProgramTransmitter(record, chamberType(controller, option), connection));
    else
        QVERIFY(!factory.createDataLoggerReader(record, chamberType(controller, option), connection));
}

void tst_ChamberConnectionFactory::check_againstPeer_endsOnceWithItsState_data()
{
    QTest::addColumn<ChamberData>("record");
    QTest::addColumn<Peer>("peer");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QList<quint16>>("devicePorts");
    QTest::addColumn<ActivationState::State>("expected");

    const auto Active = ActivationState::STATE_ACTIVE;
    const auto Inactive = ActivationState::STATE_INACTIVE;
    const QString reg = Checked.address();
    using Ports = QList<quint16>;
    QTest::newRow("Modbus TCP, Qt server") << chamber(3, Loopback, {}) << Peer::QtServer << reg << Ports{502} << Active;
    QTest::newRow("Modbus TCP, pymodbus") << chamber(3, Loopback, {}) << Peer::Pymodbus << reg << Ports{502} << Active;
    QTest::newRow("RTU over TCP, pymodbus") << chamber(2, Loopback, {}) << Peer::PymodbusRtu << reg << Ports{502}
                                            << Active;
    QTest::newRow("RTU through XPort, pymodbus") << chamber(1, Loopback, {}, 1) << Peer::PymodbusRtu << reg
                                                 << Ports{10001} << Active;
    QTest::newRow("RTU on a pty, pymodbus") << chamber(1, {}, {}) << Peer::PymodbusSerial << reg << Ports{} << Active;
    QTest::newRow("vacuum controller through ComServer") << chamber(5, Loopback, {}, 0) << Peer::Vacuum << QString()
                                                         << Ports{8000} << Active;
    QTest::newRow("vacuum controller on a pty") << chamber(5, {}, {}) << Peer::VacuumSerial << QString() << Ports{}
                                                << Active;
    QTest::newRow("TJV controller") << chamber(4, Loopback, {}) << Peer::Tjv << QString() << Ports{9001} << Active;

    QTest::newRow("Modbus TCP, closed port") << chamber(3, Loopback, {}) << Peer::Closed << reg << Ports{502}
                                             << Inactive;
    QTest::newRow("Modbus TCP, silent") << chamber(3, Loopback, {}) << Peer::Silent << reg << Ports{502} << Inactive;
    QTest::newRow("Modbus TCP, exception") << chamber(3, Loopback, {}) << Peer::QtServer << "0x0100" << Ports{502}
                                           << Inactive;
    QTest::newRow("Modbus TCP, peer hangs up") << chamber(3, Loopback, {}) << Peer::HangUp << reg << Ports{502}
                                               << Inactive;
    QTest::newRow("Modbus TCP, no register address") << chamber(3, Loopback, {}) << Peer::QtServer << "REMOTE"
                                                     << Ports{502} << Inactive;
    QTest::newRow("RTU, missing serial line") << chamber(1, {}, {}) << Peer::MissingLine << reg << Ports{} << Inactive;
    QTest::newRow("vacuum controller, silent") << chamber(5, Loopback, {}, 1) << Peer::Silent << QString()
                                               << Ports{10001} << Inactive;
    QTest::newRow("TJV controller, peer hangs up") << chamber(4, Loopback, {}) << Peer::HangUp << QString()
                                                   << Ports{9001} << Inactive;
}

void tst_ChamberConnectionFactory::check_againstPeer_endsOnceWithItsState()
{
    QFETCH(ChamberData, record);
    QFETCH(Peer, peer);
    QFETCH(QString, address);
    QFETCH(QList<quint16>, devicePorts);
    QFETCH(ActivationState::State, expected);

    PeerFactory factory;
    Peers peers;
    QVERIFY(peers.start(peer, factory, &record));
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);

    ControllerAddress checkAddress = Checked;
    checkAddress.setAddress(address);
    QVERIFY(factory.checkCommunication(record, checkAddress));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.first().at(0).value<ChamberData>(), record);
    QCOMPARE(stateOf(finished.first()), expected);
    QCOMPARE(factory.devicePorts, devicePorts);

    // The temporary connection goes; nothing ends the check a second time.
    QTRY_COMPARE(factory.connectionCount(), 0);
    QCOMPARE(finished.count(), 1);
}

void tst_ChamberConnectionFactory::check_silentDevice_realDurations_inactiveAfterFourSends()
{
    LinePeer silent;
    PeerFactory factory(silent.listen());
    factory.setConnectionTimeouts({});
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);

    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(factory.checkCommunication(chamber(3, Loopback, {}), Checked));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(stateOf(finished.first()), ActivationState::STATE_INACTIVE);
    QVERIFY2(elapsed.elapsed() >= 4000, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_ChamberConnectionFactory::stop_endsUndefinedOnce_andNoCheckStartsBeforeTheNextTurn()
{
    LinePeer silent;
    PeerFactory factory(silent.listen());
    factory.setConnectionTimeouts({});
    const ChamberData first = chamber(3, Loopback, {});
    const ChamberData second = chamber(4, Loopback, {});

    factory.stopCheckCommunication();
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    // A receiver finds the temporary connection closed, and no new check taken.
    bool cleanedUpBefore = false;
    connect(&factory, &ChamberConnectionFactory::communicationCheckFinished, this, [&] {
        cleanedUpBefore = factory.findChild<ChamberConnection *>()->state() == ChamberState::STATE_UNCONNECTED
            && !factory.checkCommunication(second, Checked);
    });

    QVERIFY(factory.checkCommunication(first, Checked));
    QVERIFY(!factory.checkCommunication(second, Checked));
    QVERIFY(finished.isEmpty());

    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).value<ChamberData>(), first);
    QCOMPARE(stateOf(finished.first()), ActivationState::STATE_UNDEFINED);
    QVERIFY(cleanedUpBefore);
    factory.stopCheckCommunication();
    QVERIFY(!factory.checkCommunication(second, Checked));

    // From the next turn of the event loop on, the factory takes a check again.
    QTRY_COMPARE(factory.connectionCount(), 0);
    QCOMPARE(finished.count(), 1);
    QVERIFY(factory.checkCommunication(second, Checked));
    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 2);
    QCOMPARE(finished.last().at(0).value<ChamberData>(), second);
}

void tst_ChamberConnectionFactory::check_220AlternatingLiveAndDeadPeers_leaveNothingBehind()
{
    PymodbusServer live;
    QVERIFY(live.startTcp(PymodbusServer::Framing::Tcp, ServerAddress, CheckedRegister, {0x1234}));
    LinePeer silent;
    const QList<quint16> ports{live.port(), closedPort(), live.port(), silent.listen()};

    PeerFactory factory;
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    int threads = 0;
    int sockets = 0;
    [[maybe_unused]] qint64 memory = 0;
    for (int i = 0; i < 220; ++i) {
        factory.peerPort = ports.at(i % 4);
        QVERIFY(factory.checkCommunication(chamber(3, Loopback, {}), Checked));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), i + 1, WaitMs);
        QCOMPARE(stateOf(finished.last()), i % 2 ? ActivationState::STATE_INACTIVE : ActivationState::STATE_ACTIVE);
        QTRY_COMPARE(factory.connectionCount(), 0);
        if (i == 19) {
            QTRY_COMPARE(ModbusMasterThread::runningThreadCount(), 0);
            threads = procEntries("/proc/self/task");
            sockets = procEntries("/proc/self/fd", "socket:");
            memory = residentKiB();
        }
    }

    QTRY_COMPARE(ModbusMasterThread::runningThreadCount(), 0);
    QTRY_COMPARE(procEntries("/proc/self/task"), threads);
    QTRY_COMPARE(procEntries("/proc/self/fd", "socket:"), sockets);
    QCOMPARE(finished.count(), 220);
#if !defined(__SANITIZE_ADDRESS__)
    // Under ASan freed memory waits in quarantine; its leak check stands in.
    QVERIFY2(residentKiB() - memory < 4096, qPrintable(QString::number(residentKiB() - memory)));
#endif
}

void tst_ChamberConnectionFactory::startChamberBroadcast_eachSearchEndsOnceAndDeletesItsBroadcasters()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != QLatin1String("1"))
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");

    // One device of each discovery kind on the veth peer.
    const QList<QPair<quint16, QByteArray>> devices{
        {9001, "TJV!" + QByteArray::fromHex("0a0000000001")},
        {30718, QByteArray::fromHex("000000f7") + QByteArray(20, '\1') + QByteArray::fromHex("00204a000002")},
        {8513, QByteArray(10, '\2') + QByteArray::fromHex("00c03d000003") + QByteArray(26, '\0')},
    };
    QObject responders;
    for (const auto &device : devices) {
        auto *socket = new QUdpSocket(&responders);
        QVERIFY(socket->bind(QHostAddress::AnyIPv4, device.first, QUdpSocket::ShareAddress));
        connect(socket, &QUdpSocket::readyRead, socket, [socket, answer = device.second] {
            while (socket->hasPendingDatagrams()) {
                const QNetworkDatagram request = socket->receiveDatagram();
                QUdpSocket sender;
                sender.bind(QHostAddress(QStringLiteral("10.77.0.2")));
                sender.writeDatagram(answer, request.senderAddress(), request.senderPort());
            }
        });
    }

    ChamberConnectionFactory factory;
    QSignalSpy found(&factory, &ChamberConnectionFactory::networkChamberFound);
    QSignalSpy searchFinished(&factory, &ChamberConnectionFactory::chamberBroadcastFinished);
    const auto broadcasters = [&factory] { return factory.findChildren<ChamberBroadcaster *>().size(); };
    QVERIFY(factory.startChamberBroadcast(std::chrono::milliseconds(1000)));
    QTRY_COMPARE(found.count(), 3);
    QVERIFY(factory.startChamberBroadcast(std::chrono::milliseconds(3000)));
    QCOMPARE(broadcasters(), 6);

    // The first search ends alone; the second still hears its answers.
    QVERIFY(searchFinished.wait(WaitMs));
    QTRY_COMPARE(broadcasters(), 3);
    QTRY_COMPARE(found.count(), 6);
    QCOMPARE(searchFinished.count(), 1);

    QVERIFY(searchFinished.wait(WaitMs));
    QTRY_COMPARE(broadcasters(), 0);
    QCOMPARE(searchFinished.count(), 2);
    QCOMPARE(found.count(), 6);
    QCOMPARE(found.last().at(0).value<NetworkConfiguration>().address(), QHostAddress("10.77.0.2"));
}

QTEST_GUILESS_MAIN(tst_ChamberConnectionFactory)

#include "tst_chamberconnectionfactory.moc"
