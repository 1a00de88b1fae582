#include "connection/chamber/chamberconnectionfactory.h"
#include "connection/chamber/core/metatypes.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwapper.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusmetatypes.h"
#include "connection/chamber/protocol/chamberbroadcaster.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "pymodbusserialserver.h"
#include "pymodbusserver.h"
#include "socatptypair.h"

#include <QtCore/QDir>
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
constexpr quint16 CheckedValue = 0x1234;
const QString CheckedRegister = QStringLiteral("0x0010");

ChamberConnectionFactory::ConnectionTimeouts shortTimeouts()
{
    ChamberConnectionFactory::ConnectionTimeouts timeouts;
    timeouts.modbusResponseTimeout = std::chrono::milliseconds(50);
    timeouts.modbusRetries = 1;
    timeouts.lineReplyTimeout = std::chrono::milliseconds(50);
    return timeouts;
}

ControllerAddress readAddress(const QString &address)
{
    return ControllerAddress(ControllerAddressId(), address, ControllerAddress::ReadOnly, QMetaType::UShort, 1, -1, {});
}

ChamberData chamber(int kind, const QString &ip, const QString &comPort, int converter = -1)
{
    ChamberData data;
    data.setChamberName(QStringLiteral("Chamber %1").arg(kind));
    data.setProtocol(kind);
    if (!ip.isEmpty())
        data.setIpAddress(QHostAddress(ip));
    data.setComPort(comPort.isEmpty() ? QString() : comPort);
    data.setConverter(converter);
    data.setModbusAddress(ServerAddress);
    return data;
}

ChamberTypeData chamberType(const QString &controller, const QStringList &optionNames)
{
    QList<ChamberOption> options;
    for (const QString &name : optionNames)
        options.append(ChamberOption(name, false));
    return ChamberTypeData(ChamberTypeKey(1, 1), "LAB", {}, 100, {}, {}, {}, {}, {}, {}, -1, -1, {}, {}, {},
                           controller, {3}, {}, {}, options, {});
}

int closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Moves every TCP port of a chamber to the port of the test's peer and notes
// which device port the factory asked for.
class PeerFactory : public ChamberConnectionFactory
{
public:
    explicit PeerFactory(quint16 peerPort = 0)
        : m_peerPort(peerPort)
    {
        setConnectionTimeouts(shortTimeouts());
    }
    void setPeerPort(quint16 port) { m_peerPort = port; }
    QList<quint16> devicePorts() const { return m_devicePorts; }
    int connectionCount() const { return findChildren<ChamberConnection *>().size(); }

protected:
    quint16 tcpPort(quint16 devicePort) const override
    {
        m_devicePorts.append(devicePort);
        return m_peerPort;
    }

private:
    quint16 m_peerPort;
    mutable QList<quint16> m_devicePorts;
};

// A device of a line protocol: answers its one request line with its answer
// line, over TCP or on one end of a serial line.
class LineResponder : public QObject
{
public:
    LineResponder(const QByteArray &request, const QByteArray &answer)
        : m_request(request)
        , m_answer(answer)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                attach(socket);
        });
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
    void attach(QIODevice *device)
    {
        connect(device, &QIODevice::readyRead, this, [this, device] {
            while (device->canReadLine()) {
                if (device->readLine().trimmed() == m_request)
                    device->write(m_answer + "\r\n");
            }
        });
    }

    QTcpServer m_server;
    const QByteArray m_request;
    const QByteArray m_answer;
};

// A TCP peer that accepts connections and then never answers, or hangs up at
// the first byte it receives.
class MuteTcpPeer : public QObject
{
public:
    explicit MuteTcpPeer(bool hangUp = false)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this, hangUp] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                if (hangUp)
                    connect(socket, &QTcpSocket::readyRead, socket, &QTcpSocket::disconnectFromHost);
            }
        });
    }
    quint16 listen()
    {
        m_server.listen(QHostAddress::LocalHost);
        return m_server.serverPort();
    }

private:
    QTcpServer m_server;
};

enum class Peer {
    QtModbusServer,
    PymodbusTcp,
    PymodbusRtuOverTcp,
    PymodbusSerial,
    VacuumTcp,
    VacuumSerial,
    TjvTcp,
    Silent,
    HangingUp,
    ClosedPort,
    MissingSerialLine,
};

// Every peer a check may meet; start() starts one of them and points the
// record and the factory at it.
struct Peers
{
    bool start(Peer peer, PeerFactory &factory, ChamberData *record)
    {
        const QVector<quint16> registers{CheckedValue};
        const int start = CheckedRegister.toInt(nullptr, 16);
        switch (peer) {
        case Peer::QtModbusServer: {
            QVector<quint16> map(0x20);
            map[start] = CheckedValue;
            factory.setPeerPort(qtServer.start(ServerAddress, map) ? qtServer.port() : 0);
            return qtServer.port() != 0;
        }
        case Peer::PymodbusTcp:
        case Peer::PymodbusRtuOverTcp: {
            const auto framing = peer == Peer::PymodbusTcp ? PymodbusServer::Framing::Tcp
                                                           : PymodbusServer::Framing::Rtu;
            if (!pymodbus.start(framing, ServerAddress, start, registers))
                return false;
            factory.setPeerPort(pymodbus.port());
            return true;
        }
        case Peer::PymodbusSerial:
            record->setComPort(pty.firstEnd());
            return pty.start() && pymodbusSerial.start(pty.secondEnd(), ServerAddress, start, registers);
        case Peer::VacuumTcp:
            factory.setPeerPort(vacuum.listen());
            return true;
        case Peer::VacuumSerial:
            record->setComPort(pty.firstEnd());
            return pty.start() && vacuum.open(pty.secondEnd());
        case Peer::TjvTcp:
            factory.setPeerPort(tjv.listen());
            return true;
        case Peer::Silent:
            factory.setPeerPort(silent.listen());
            return true;
        case Peer::HangingUp:
            factory.setPeerPort(hangingUp.listen());
            return true;
        case Peer::ClosedPort:
            factory.setPeerPort(closedPort());
            return true;
        case Peer::MissingSerialLine:
            record->setComPort(pty.missingEnd());
            return pty.start();
        }
        return false;
    }

    LoopbackModbusTcpServer qtServer;
    PymodbusServer pymodbus;
    PymodbusSerialServer pymodbusSerial;
    SocatPtyPair pty;
    LineResponder vacuum{"IN_PV_1", "0950 mbar"};
    LineResponder tjv{"*IDN?", "TJV 4.2"};
    MuteTcpPeer silent;
    MuteTcpPeer hangingUp{true};
};

// Entries of a /proc directory, only those whose link target holds
// targetPart when one is given.
int countEntries(const QString &directory, const QString &targetPart = {})
{
    int count = 0;
    const QFileInfoList entries = QDir(directory).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (targetPart.isEmpty() || entry.symLinkTarget().contains(targetPart))
            ++count;
    }
    return count;
}

int threadCount()
{
    return countEntries(QStringLiteral("/proc/self/task"));
}

int socketCount()
{
    return countEntries(QStringLiteral("/proc/self/fd"), QStringLiteral("socket:"));
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

Q_DECLARE_METATYPE(Peer)

class tst_ChamberConnectionFactory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void createChamberConnection_buildsEachKind_data();
    void createChamberConnection_buildsEachKind();
    void refusedRecords_getNoConnectionAndNoCheck_data();
    void refusedRecords_getNoConnectionAndNoCheck();
    void createOperatingModeConnection_byController_data();
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

void tst_ChamberConnectionFactory::createChamberConnection_buildsEachKind_data()
{
    QTest::addColumn<ChamberData>("record");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QList<quint16>>("devicePorts");

    const QString ip = QStringLiteral("10.77.0.2");
    QTest::newRow("1 on a COM port") << chamber(1, ip, "COM4", 1) << "ModbusChamberConnection" << QList<quint16>{};
    QTest::newRow("1 through XPort") << chamber(1, ip, {}, 1) << "ModbusChamberConnection" << QList<quint16>{10001};
    QTest::newRow("1 through ComServer") << chamber(1, ip, {}, 0) << "ModbusChamberConnection"
                                         << QList<quint16>{8000};
    QTest::newRow("2 through a gateway") << chamber(2, ip, {}) << "ModbusChamberConnection" << QList<quint16>{502};
    QTest::newRow("3 Modbus TCP") << chamber(3, ip, "COM4") << "ModbusChamberConnection" << QList<quint16>{502};
    QTest::newRow("4 TJV") << chamber(4, ip, {}) << "TcpLineChamberConnection" << QList<quint16>{9001};
    QTest::newRow("5 through ComServer") << chamber(5, ip, {}, 0) << "TcpLineChamberConnection"
                                         << QList<quint16>{8000};
    QTest::newRow("5 on a COM port") << chamber(5, {}, "COM4") << "SerialLineChamberConnection" << QList<quint16>{};
}

void tst_ChamberConnectionFactory::createChamberConnection_buildsEachKind()
{
    QFETCH(ChamberData, record);
    QFETCH(QString, className);
    QFETCH(QList<quint16>, devicePorts);

    PeerFactory factory(4711);
    const QSharedPointer<IChamberConnection> connection = factory.createChamberConnection(record);
    QVERIFY(connection);
    auto *object = dynamic_cast<ChamberConnection *>(connection.data());
    QCOMPARE(QString::fromLatin1(object->metaObject()->className()).section("::", -1), className);
    QCOMPARE(object->parent(), nullptr);
    QCOMPARE(object->state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(factory.devicePorts(), devicePorts);

    // The factory's time-outs, and its port for the TCP roads.
    if (auto *modbus = qobject_cast<ModbusChamberConnection *>(object)) {
        const ModbusClientSettings settings = modbus->wrapper()->settings();
        QCOMPARE(settings.timeout(), shortTimeouts().modbusResponseTimeout);
        QCOMPARE(settings.numberOfRetries(), shortTimeouts().modbusRetries);
        QCOMPARE(modbus->serverAddress(), int(ServerAddress));
        if (!devicePorts.isEmpty())
            QCOMPARE(settings.port(), quint16(4711));
    } else {
        auto *line = qobject_cast<LineChamberConnection *>(object);
        QCOMPARE(line->replyTimeout(), shortTimeouts().lineReplyTimeout);
        if (auto *tcp = qobject_cast<TcpLineChamberConnection *>(line))
            QCOMPARE(tcp->port(), quint16(4711));
    }
}

void tst_ChamberConnectionFactory::refusedRecords_getNoConnectionAndNoCheck_data()
{
    QTest::addColumn<ChamberData>("record");

    const QString ip = QStringLiteral("127.0.0.1");
    QTest::newRow("kind open") << chamber(ChamberData::ProtocolUndetermined, ip, "COM1");
    QTest::newRow("6 Simserv") << chamber(6, ip, {});
    QTest::newRow("7 CTS serial") << chamber(7, {}, "COM1");
    QTest::newRow("8 CTS network") << chamber(8, ip, {});
    QTest::newRow("1 without IP or port") << chamber(1, {}, {});
    QTest::newRow("1 through an unknown converter") << chamber(1, ip, {}, 7);
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
    QVERIFY(!factory.checkCommunication(record, readAddress(CheckedRegister)));
    QVERIFY(factory.findChildren<QObject *>().isEmpty());

    // The refusal leaves the factory free for the next check.
    ChamberData reachable = chamber(3, QStringLiteral("127.0.0.1"), {});
    QVERIFY(factory.checkCommunication(reachable, readAddress(CheckedRegister)));
    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 1);
}

void tst_ChamberConnectionFactory::createOperatingModeConnection_byController_data()
{
    QTest::addColumn<QString>("controller");
    QTest::addColumn<QString>("className");

    QTest::newRow("QX1") << "QX1" << "Qx1OperatingModeConnection";
    QTest::newRow("QX2") << "QX2" << "Qx2OperatingModeConnection";
    QTest::newRow("case differs") << "qx2" << QString();
    QTest::newRow("ZK4") << "ZK4" << QString();
}

void tst_ChamberConnectionFactory::createOperatingModeConnection_byController()
{
    QFETCH(QString, controller);
    QFETCH(QString, className);

    ChamberConnectionFactory factory;
    const ChamberData record = chamber(3, QStringLiteral("127.0.0.1"), {});
    const QSharedPointer<IChamberConnection> connection = factory.createChamberConnection(record);
    const auto modeConnection = factory.createOperatingModeConnection(record, chamberType(controller, {}), connection);
    const auto *object = dynamic_cast<QObject *>(modeConnection.data());
    QCOMPARE(object ? QString::fromLatin1(object->metaObject()->className()).section("::", -1) : QString(),
             className);
    QVERIFY(!factory.createOperatingModeConnection(record, chamberType(controller, {}), nullptr));
}

void tst_ChamberConnectionFactory::transferObjects_unsupported_logAndGiveNull_data()
{
    QTest::addColumn<bool>("transmitter");
    QTest::addColumn<QString>("controller");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");

    QTest::newRow("transmitter without time program")
        << true << "QX2" << QStringList{"Readable_DataStorage"} << "Chamber type LAB 100 is not programmble";
    QTest::newRow("transmitter for an unknown controller")
        << true << "ZK9" << QStringList{"TimeProgram_QUELTA_4"}
        << "Controller 'ZK9' does not support program transmission";
    QTest::newRow("reader without readable storage")
        << false << "QX2" << QStringList{"TimeProgram"} << "Chamber type LAB 100 is not programmble";
    QTest::newRow("reader for QX1") << false << "QX1" << QStringList{"Readable_DataStorage"}
                                    << "Controller 'QX1' does not support data logger reading";
}

void tst_ChamberConnectionFactory::transferObjects_unsupported_logAndGiveNull()
{
    QFETCH(bool, transmitter);
    QFETCH(QString, controller);
    QFETCH(QStringList, options);
    QFETCH(QString, message);

    ChamberConnectionFactory factory;
    const ChamberData record = chamber(3, QStringLiteral("127.0.0.1"), {});
    const QSharedPointer<IChamberConnection> connection = factory.createChamberConnection(record);
    QTest::ignoreMessage(QtInfoMsg, qPrintable(message));
    if (transmitter)
        QVERIFY(!factory.createProgramTransmitter(record, chamberType(controller, options), connection));
    else
        QVERIFY(!factory.createDataLoggerReader(record, chamberType(controller, options), connection));
}

void tst_ChamberConnectionFactory::check_againstPeer_endsOnceWithItsState_data()
{
    QTest::addColumn<ChamberData>("record");
    QTest::addColumn<Peer>("peer");
    QTest::addColumn<QString>("address");
    QTest::addColumn<ActivationState::State>("expected");

    const QString ip = QStringLiteral("127.0.0.1");
    const auto Active = ActivationState::STATE_ACTIVE;
    const auto Inactive = ActivationState::STATE_INACTIVE;
    QTest::newRow("Modbus TCP, Qt server") << chamber(3, ip, {}) << Peer::QtModbusServer << CheckedRegister << Active;
    QTest::newRow("Modbus TCP, pymodbus") << chamber(3, ip, {}) << Peer::PymodbusTcp << CheckedRegister << Active;
    QTest::newRow("RTU over TCP, pymodbus") << chamber(2, ip, {}) << Peer::PymodbusRtuOverTcp << CheckedRegister
                                            << Active;
    QTest::newRow("RTU through XPort, pymodbus")
        << chamber(1, ip, {}, 1) << Peer::PymodbusRtuOverTcp << CheckedRegister << Active;
    QTest::newRow("RTU on a pty, pymodbus") << chamber(1, {}, {}) << Peer::PymodbusSerial << CheckedRegister
                                            << Active;
    QTest::newRow("vacuum controller through ComServer")
        << chamber(5, ip, {}, 0) << Peer::VacuumTcp << QString() << Active;
    QTest::newRow("vacuum controller on a pty") << chamber(5, {}, {}) << Peer::VacuumSerial << QString() << Active;
    QTest::newRow("TJV controller") << chamber(4, ip, {}) << Peer::TjvTcp << QString() << Active;

    QTest::newRow("Modbus TCP, closed port") << chamber(3, ip, {}) << Peer::ClosedPort << CheckedRegister
                                             << Inactive;
    QTest::newRow("Modbus TCP, silent") << chamber(3, ip, {}) << Peer::Silent << CheckedRegister << Inactive;
    QTest::newRow("Modbus TCP, exception") << chamber(3, ip, {}) << Peer::QtModbusServer << "0x0100" << Inactive;
    QTest::newRow("Modbus TCP, peer hangs up") << chamber(3, ip, {}) << Peer::HangingUp << CheckedRegister
                                               << Inactive;
    QTest::newRow("Modbus TCP, address without register")
        << chamber(3, ip, {}) << Peer::QtModbusServer << "REMOTE" << Inactive;
    QTest::newRow("RTU, missing serial line") << chamber(1, {}, {}) << Peer::MissingSerialLine << CheckedRegister
                                              << Inactive;
    QTest::newRow("vacuum controller, silent") << chamber(5, ip, {}, 1) << Peer::Silent << QString() << Inactive;
    QTest::newRow("TJV controller, peer hangs up") << chamber(4, ip, {}) << Peer::HangingUp << QString()
                                                   << Inactive;
}

void tst_ChamberConnectionFactory::check_againstPeer_endsOnceWithItsState()
{
    QFETCH(ChamberData, record);
    QFETCH(Peer, peer);
    QFETCH(QString, address);
    QFETCH(ActivationState::State, expected);

    PeerFactory factory;
    Peers peers;
    QVERIFY(peers.start(peer, factory, &record));
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);

    QVERIFY(factory.checkCommunication(record, readAddress(address)));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.first().at(0).value<ChamberData>(), record);
    QCOMPARE(finished.first().at(1).value<ActivationState::State>(), expected);

    // The temporary connection goes; nothing ends the check a second time.
    QTRY_COMPARE(factory.connectionCount(), 0);
    QCOMPARE(finished.count(), 1);
}

void tst_ChamberConnectionFactory::check_silentDevice_realDurations_inactiveAfterFourSends()
{
    MuteTcpPeer silent;
    PeerFactory factory(silent.listen());
    factory.setConnectionTimeouts({});
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);

    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(factory.checkCommunication(chamber(3, QStringLiteral("127.0.0.1"), {}), readAddress(CheckedRegister)));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.first().at(1).value<ActivationState::State>(), ActivationState::STATE_INACTIVE);
    QVERIFY2(elapsed.elapsed() >= 4000, qPrintable(QString::number(elapsed.elapsed())));
}

void tst_ChamberConnectionFactory::stop_endsUndefinedOnce_andNoCheckStartsBeforeTheNextTurn()
{
    MuteTcpPeer silent;
    PeerFactory factory(silent.listen());
    factory.setConnectionTimeouts({});
    const ChamberData first = chamber(3, QStringLiteral("127.0.0.1"), {});
    const ChamberData second = chamber(4, QStringLiteral("127.0.0.1"), {});
    const ControllerAddress address = readAddress(CheckedRegister);

    factory.stopCheckCommunication();
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    bool refusedInsideResult = false;
    connect(&factory, &ChamberConnectionFactory::communicationCheckFinished, this, [&] {
        refusedInsideResult = !factory.checkCommunication(second, address);
    });

    QVERIFY(factory.checkCommunication(first, address));
    QVERIFY(!factory.checkCommunication(second, address));
    QVERIFY(finished.isEmpty());

    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).value<ChamberData>(), first);
    QCOMPARE(finished.first().at(1).value<ActivationState::State>(), ActivationState::STATE_UNDEFINED);
    QVERIFY(refusedInsideResult);
    factory.stopCheckCommunication();
    QVERIFY(!factory.checkCommunication(second, address));

    // From the next turn of the event loop on, the factory takes a check again.
    QTRY_COMPARE(factory.connectionCount(), 0);
    QCOMPARE(finished.count(), 1);
    QVERIFY(factory.checkCommunication(second, address));
    factory.stopCheckCommunication();
    QCOMPARE(finished.count(), 2);
    QCOMPARE(finished.last().at(0).value<ChamberData>(), second);
}

void tst_ChamberConnectionFactory::check_220AlternatingLiveAndDeadPeers_leaveNothingBehind()
{
    PymodbusServer live;
    QVERIFY2(live.start(PymodbusServer::Framing::Tcp, ServerAddress, CheckedRegister.toInt(nullptr, 16), {CheckedValue}),
             qPrintable(live.errors()));
    MuteTcpPeer silent;
    const quint16 silentPort = silent.listen();
    const quint16 deadPort = closedPort();

    PeerFactory factory;
    QSignalSpy finished(&factory, &ChamberConnectionFactory::communicationCheckFinished);
    const ChamberData record = chamber(3, QStringLiteral("127.0.0.1"), {});
    int threads = 0;
    int sockets = 0;
    [[maybe_unused]] qint64 memory = 0;

    for (int i = 0; i < 220; ++i) {
        const bool isLive = i % 2 == 0;
        factory.setPeerPort(isLive ? live.port() : i % 4 == 1 ? deadPort : silentPort);
        QVERIFY(factory.checkCommunication(record, readAddress(CheckedRegister)));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), i + 1, WaitMs);
        QCOMPARE(finished.last().at(1).value<ActivationState::State>(),
                 isLive ? ActivationState::STATE_ACTIVE : ActivationState::STATE_INACTIVE);
        QTRY_COMPARE(factory.connectionCount(), 0);
        if (i == 19) {
            QTRY_COMPARE(ModbusMasterThread::runningThreadCount(), 0);
            threads = threadCount();
            sockets = socketCount();
            memory = residentKiB();
        }
    }

    QCOMPARE(finished.count(), 220);
    QTRY_COMPARE(ModbusMasterThread::runningThreadCount(), 0);
    QTRY_COMPARE(threadCount(), threads);
    QTRY_COMPARE(socketCount(), sockets);
#if !defined(__SANITIZE_ADDRESS__)
    // Under ASan freed memory sits in quarantine; its leak check counts there.
    QVERIFY2(residentKiB() - memory < 4096, qPrintable(QString::number(residentKiB() - memory)));
#endif
}

void tst_ChamberConnectionFactory::startChamberBroadcast_eachSearchEndsOnceAndDeletesItsBroadcasters()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != QLatin1String("1"))
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");

    // A device on the veth peer for each discovery kind.
    const QList<QPair<quint16, QByteArray>> devices{
        {9001, QByteArray("TJV!") + QByteArray::fromHex("0a0000000001")},
        {30718, QByteArray::fromHex("000000f7") + QByteArray(20, '\x01') + QByteArray::fromHex("00204a000002")},
        {8513, QByteArray(10, '\x02') + QByteArray::fromHex("00c03d000003") + QByteArray(26, '\0')},
    };
    std::vector<std::unique_ptr<QUdpSocket>> responders;
    for (const auto &device : devices) {
        auto responder = std::make_unique<QUdpSocket>();
        QVERIFY(responder->bind(QHostAddress::AnyIPv4, device.first, QUdpSocket::ShareAddress));
        QUdpSocket *socket = responder.get();
        const QByteArray answer = device.second;
        connect(socket, &QUdpSocket::readyRead, this, [socket, answer] {
            while (socket->hasPendingDatagrams()) {
                const QNetworkDatagram request = socket->receiveDatagram();
                QUdpSocket sender;
                sender.bind(QHostAddress(QStringLiteral("10.77.0.2")), 0);
                sender.writeDatagram(answer, request.senderAddress(), request.senderPort());
            }
        });
        responders.push_back(std::move(responder));
    }

    ChamberConnectionFactory factory;
    QSignalSpy found(&factory, &ChamberConnectionFactory::networkChamberFound);
    QSignalSpy searchFinished(&factory, &ChamberConnectionFactory::chamberBroadcastFinished);
    QVERIFY(factory.startChamberBroadcast(std::chrono::milliseconds(1000)));
    QTRY_COMPARE(found.count(), 3);
    QVERIFY(factory.startChamberBroadcast(std::chrono::milliseconds(3000)));
    QCOMPARE(factory.findChildren<ChamberBroadcaster *>().size(), 6);

    // The first search ends alone; the second still hears its answers.
    QVERIFY(searchFinished.wait(WaitMs));
    QTRY_COMPARE(factory.findChildren<ChamberBroadcaster *>().size(), 3);
    QTRY_COMPARE(found.count(), 6);
    QCOMPARE(searchFinished.count(), 1);

    QVERIFY(searchFinished.wait(WaitMs));
    QTRY_VERIFY(factory.findChildren<ChamberBroadcaster *>().isEmpty());
    QCOMPARE(searchFinished.count(), 2);
    QCOMPARE(found.count(), 6);
    QSet<QString> addresses;
    for (const QList<QVariant> &answer : qAsConst(found))
        addresses.insert(answer.at(0).value<NetworkConfiguration>().macAddress().toString());
    QCOMPARE(addresses.size(), 3);
}

QTEST_GUILESS_MAIN(tst_ChamberConnectionFactory)

#include "tst_chamberconnectionfactory.moc"
