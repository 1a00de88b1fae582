#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/core/metatypes.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusmetatypes.h"
#include "domain/types/chamberdata.h"
#include "domain/types/int10.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "pymodbusserver.h"
#include "scriptedmodbuspeer.h"
#include "socatptypair.h"

#include <QtCore/QPointer>
#include <QtNetwork/QTcpSocket>
#include <QtSerialBus/QModbusRtuSerialSlave>
#include <QtSerialPort/QSerialPort>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::api::IChamberReply;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;
using quelta::domain::types::ControllerAddressId;
using quelta::domain::types::Int10;
using Pairs = QList<QPair<ControllerAddress, QVariant>>;

namespace {

constexpr int WaitMs = 10000;
constexpr int UnitId = 17;
const QString Host = QStringLiteral("127.0.0.1");

enum class Road { SerialQtSlave, TcpQtServer, TcpPymodbus, RtuOverTcpPymodbus };

ControllerAddress reg(const QString &address, int valueType = QMetaType::UShort, int count = 1)
{
    return ControllerAddress(ControllerAddressId(), address, ControllerAddress::ReadWrite, valueType, count, -1,
                             QString());
}

// Waits for finished(), which a reply emits from the event loop, never inside
// the call that made it.
bool waitFinished(const QSharedPointer<IChamberReply> &reply)
{
    const auto notifier = qSharedPointerDynamicCast<ChamberReply>(reply);
    return notifier && QSignalSpy(notifier.data(), &ChamberReply::finished).wait(WaitMs);
}

QVector<int> errorCodes(const IChamberReply &reply)
{
    QVector<int> codes;
    for (int i = 0; i < reply.resultCount(); ++i)
        codes.append(reply.errorCode(i));
    return codes;
}

bool connectAndWait(ModbusChamberConnection &connection)
{
    return connection.connectDevice()
        && QTest::qWaitFor([&] { return connection.state() != ChamberState::STATE_CONNECTING; }, WaitMs)
        && connection.state() == ChamberState::STATE_CONNECTED;
}

// A healthy peer at the far end of one road, for one unit whose holding
// registers start as image: a serial line with QModbusRtuSerialSlave on its
// other end, or a Modbus server on loopback. (pymodbus on a serial line
// answers the connection checks of tst_ChamberConnectionFactory.)
class Peer
{
public:
    // A connection to the peer, connected; null when either fails to start.
    QSharedPointer<ModbusChamberConnection> connect(Road road, const QVector<quint16> &image)
    {
        std::optional<ModbusClientSettings> settings;
        const bool pymodbusTcp = road == Road::TcpPymodbus;
        if (road == Road::SerialQtSlave) {
            m_qtServer = &m_serialSlave;
            loadHoldingRegisters(m_serialSlave, UnitId, image);
            m_serialSlave.setConnectionParameter(QModbusDevice::SerialPortNameParameter, m_line.secondEnd());
            if (m_line.start() && m_serialSlave.connectDevice())
                settings = ModbusClientSettings::rtuSerial(m_line.firstEnd());
        } else if (road == Road::TcpQtServer) {
            m_qtServer = &m_tcpServer.server();
            if (m_tcpServer.start(UnitId, image))
                settings = ModbusClientSettings::tcp(Host, m_tcpServer.port());
        } else if (m_pymodbus.startTcp(pymodbusTcp ? PymodbusServer::Framing::Tcp : PymodbusServer::Framing::Rtu,
                                       UnitId, 0, image)) {
            settings = pymodbusTcp ? ModbusClientSettings::tcp(Host, m_pymodbus.port())
                                   : ModbusClientSettings::rtuOverTcp(Host, m_pymodbus.port());
        }
        const auto connection = settings ? QSharedPointer<ModbusChamberConnection>::create(*settings, UnitId) : nullptr;
        return connection && connectAndWait(*connection) ? connection : nullptr;
    }

    // The Qt peer of the road, to watch what is written to it; null on the
    // pymodbus roads.
    QModbusServer *qtServer() const { return m_qtServer; }

private:
    SocatPtyPair m_line;
    QModbusRtuSerialSlave m_serialSlave;
    LoopbackModbusTcpServer m_tcpServer;
    PymodbusServer m_pymodbus;
    QModbusServer *m_qtServer = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(Road)
Q_DECLARE_METATYPE(std::optional<ModbusClientSettings>)

// The chamber connections over every Modbus road, against a socat
// pseudo-terminal with QModbusRtuSerialSlave on the far end and
// QModbusTcpServer and pymodbus on loopback; their clients shared on worker
// threads. The operating-mode connections that ride on them are reached
// through the factory in tst_ChamberConnectionFactory.
class tst_ModbusChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void clientSettings_data();
    void clientSettings();

    void everyValueType_roundTripsInListOrder_data();
    void everyValueType_roundTripsInListOrder();

    void pendingRequests_endWhenTheConnectionLetsGo_data();
    void pendingRequests_endWhenTheConnectionLetsGo();
    void brokenRoad_endsRepliesWithAnError_data();
    void brokenRoad_endsRepliesWithAnError();
    void serverAddressOutsideRtu_failsAsRequestNotCreated();

    void sharedLine_staysOpenForItsUsers_andReopensFreshAfterLoss();
    void sharedLineThatCannotOpen_failsEveryConnection();
};

void tst_ModbusChamberConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    registerChamberConnectionMetaTypes();
    registerModbusMetaTypes();
    // QVariant compares these by address unless it is told how.
    QMetaType::registerEqualsComparator<Int10>();
    QMetaType::registerEqualsComparator<QVector<float>>();
    QMetaType::registerEqualsComparator<QVector<uchar>>();
    QMetaType::registerEqualsComparator<QVector<quint16>>();
    // The failures below are meant; the warnings that they log are not news.
    // Qt's own warnings, such as a timer started from the wrong thread, stay
    // fatal (QT_FATAL_WARNINGS=1).
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false\n"
                                                    "qt.modbus.warning=false\n"
                                                    "qt.modbus.lowlevel.warning=false"));
}

void tst_ModbusChamberConnection::cleanup()
{
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList());
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 0);
}

void tst_ModbusChamberConnection::clientSettings_data()
{
    // The roads that the factory's checks take against live peers are
    // pinned there (tst_ChamberConnectionFactory); these are the others.
    QTest::addColumn<ChamberData>("chamber");
    // Empty: no road.
    QTest::addColumn<std::optional<ModbusClientSettings>>("expected");

    const QString ip("10.77.0.9");
    const auto row = [](const char *name, int protocol, const QString &comPort, const QString &ipAddress,
                        int converter, const std::optional<ModbusClientSettings> &expected, int parity = -1) {
        ChamberData chamber;
        chamber.setProtocol(protocol);
        chamber.setComPort(comPort);
        chamber.setIpAddress(QHostAddress(ipAddress));
        chamber.setConverter(converter);
        chamber.setParity(parity);
        QTest::newRow(name) << chamber << expected;
    };
    ModbusClientSettings odd = ModbusClientSettings::rtuSerial("/dev/ttyUSB1");
    odd.setParity(QSerialPort::OddParity);

    row("RTU on a serial port, defaults", 1, "/dev/ttyUSB0", {}, -1, ModbusClientSettings::rtuSerial("/dev/ttyUSB0"));
    row("RTU on a serial port, the record's settings", 1, "/dev/ttyUSB1", {}, -1, odd, 3);
    row("RTU through a converter of unknown make", 1, {}, ip, -1, ModbusClientSettings::rtuOverTcp(ip, 502));
    row("RTU through an unknown converter", 1, {}, ip, 7, std::nullopt);
    row("parity 1", 1, "/dev/ttyUSB0", {}, -1, std::nullopt, 1);
}

void tst_ModbusChamberConnection::clientSettings()
{
    QFETCH(ChamberData, chamber);
    QFETCH(std::optional<ModbusClientSettings>, expected);
    QString why;
    QCOMPARE(ModbusChamberConnection::clientSettings(chamber, &why), expected);
    QCOMPARE(why.isEmpty(), expected.has_value());
}

void tst_ModbusChamberConnection::everyValueType_roundTripsInListOrder_data()
{
    QTest::addColumn<Road>("road");
    QTest::newRow("RTU, pseudo-terminal, QModbusRtuSerialSlave") << Road::SerialQtSlave;
    QTest::newRow("Modbus TCP, QModbusTcpServer") << Road::TcpQtServer;
    QTest::newRow("Modbus TCP, pymodbus") << Road::TcpPymodbus;
    QTest::newRow("RTU over TCP, pymodbus") << Road::RtuOverTcpPymodbus;
}

void tst_ModbusChamberConnection::everyValueType_roundTripsInListOrder()
{
    QFETCH(Road, road);

    // 1.5 as the peer holds it, high word first; every other register
    // 0xFFFF, so that every write changes it and a Qt peer reports it.
    QVector<quint16> image(0x400, 0xFFFF);
    image[0x3F0] = 0x3FC0;
    image[0x3F1] = 0;
    Peer peer;
    const auto connection = peer.connect(road, image);
    QVERIFY(connection);
    QVector<int> written;
    if (QModbusServer *server = peer.qtServer()) {
        QObject::connect(server, &QModbusServer::dataWritten, server,
                         [&written](QModbusDataUnit::RegisterType, int address, int size) {
                             for (int r = 0; r < size; ++r)
                                 written.append(address + r);
                         });
    }

    const auto v = [](auto value) { return QVariant::fromValue(value); };
    QVector<float> floats;
    QVector<uchar> block;
    for (int i = 0; i < 220; ++i) {
        floats.append(-20.25f + 3.5f * float(i));
        block.append(uchar(255 - i));
    }
    // Not in register order. Neighbours in the list share a write (FC16), a
    // lone register goes alone (FC06).
    const Pairs pairs{
        {reg("0x0140", QMetaType::Float, 18), v(floats.mid(0, 18))},
        {reg("0x0100"), v(quint16(0xAC81))},
        {reg("0x0110", QMetaType::Int), v(qint32(-1234567))},
        {reg("0x0112", QMetaType::UInt), v(quint32(0x8B0000))},
        {reg("0x0114", QMetaType::Float), v(23.5f)},
        {reg("0x0200", QMetaType::QString, 72), v(QStringLiteral("Klimaprogramm 3 \xb0" "C"))},
        {reg("0x0120", QMetaType::Short), v(qint16(-12345))},
        {reg("0x0121", qMetaTypeId<Int10>()), v(Int10(-215))},
        {reg("0x0122", QMetaType::Bool), v(true)},
        {reg("0x0123", QMetaType::Char), v(char(-7))},
        {reg("0x0124", QMetaType::UChar), v(uchar(0xC8))},
        {reg("0x0130", QMetaType::UChar, 2), v(QVector<uchar>{0x11, 0xEE})},
        {reg("0x0300", QMetaType::UChar, 220), v(block)},
        {reg("0x0102", QMetaType::UShort, 6), v(QVector<quint16>{2026, 12, 6, 21, 15, 59})}};
    const auto write = connection->writeValues(pairs);
    QVERIFY(waitFinished(write));
    QCOMPARE(errorCodes(*write), QVector<int>(pairs.size(), 0));
    // The registers reach the peer in list order, never sorted: a command
    // word written last goes out last.
    QVector<int> listOrder;
    for (const auto &pair : pairs) {
        for (int r = 0; r < ValueCodec::registerCount(pair.first); ++r)
            listOrder.append(*ValueCodec::registerAddress(pair.first) + r);
    }
    QCOMPARE(written, peer.qtServer() ? listOrder : QVector<int>());

    // Read back in reverse, with the preset value last.
    QList<ControllerAddress> addresses;
    for (auto pair = pairs.crbegin(); pair != pairs.crend(); ++pair)
        addresses.append(pair->first);
    addresses.append(reg("0x03F0", QMetaType::Float));
    const auto read = connection->readValues(addresses);
    QVERIFY(waitFinished(read));
    QCOMPARE(errorCodes(*read), QVector<int>(addresses.size(), 0));
    for (int i = 0; i < pairs.size(); ++i) {
        const QVariant &expected = pairs.at(pairs.size() - 1 - i).second;
        QCOMPARE(read->result(i).userType(), expected.userType());
        QCOMPARE(read->result(i), expected);
    }
    QCOMPARE(read->result(pairs.size()).toFloat(), 1.5f);

    // The word order is the connection's; a request keeps the order that
    // held when it was made.
    const auto before = connection->readValue(reg("0x0112", QMetaType::UInt));
    connection->setWordOrder(ValueCodec::WordOrder::LowWordFirst);
    const auto after = connection->readValue(reg("0x0112", QMetaType::UInt));
    QVERIFY(waitFinished(after));
    QCOMPARE(before->result(0).toUInt(), 0x008B0000u);
    QCOMPARE(after->result(0).toUInt(), 0x0000008Bu);

    // A Qt peer has no registers past the image. The first transaction that
    // fails ends the request: the item after it is never sent, and both
    // carry the failure's error.
    if (!peer.qtServer())
        return;
    const auto refused = connection->writeValues({{reg("0x0150"), 1}, {reg("0x0500"), 2}, {reg("0x0152"), 3}});
    QVERIFY(waitFinished(refused));
    QCOMPARE(errorCodes(*refused), (QVector<int>{0, ChamberError::ProtocolError, ChamberError::ProtocolError}));
    QCOMPARE(written.mid(listOrder.size()), QVector<int>{0x0150});
}

void tst_ModbusChamberConnection::pendingRequests_endWhenTheConnectionLetsGo_data()
{
    QTest::addColumn<QString>("action");
    QTest::newRow("disconnectDevice") << QStringLiteral("disconnectDevice");
    // The line stays; the transaction on the wire runs to its end on the
    // worker, and its answer is dropped.
    QTest::newRow("reset") << QStringLiteral("reset");
    QTest::newRow("destructor") << QStringLiteral("destructor");
}

void tst_ModbusChamberConnection::pendingRequests_endWhenTheConnectionLetsGo()
{
    QFETCH(QString, action);

    // The first send is left unanswered, every later one answered.
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Tcp);
    QVERIFY(peer.listen());
    peer.registers()[0x10] = 0x1234;
    peer.setHandler([&peer](const ScriptedModbusPeer::Request &request) {
        if (peer.requests().size() > 1)
            peer.answer(request);
    });
    ModbusClientSettings settings = ModbusClientSettings::tcp(Host, peer.port());
    settings.setTimeout(std::chrono::milliseconds(200));
    auto connection = std::make_unique<ModbusChamberConnection>(settings, UnitId);
    QVERIFY(connectAndWait(*connection));
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);
    const auto onTheWire = connection->readValue(reg("0x10"));
    const auto queued = connection->readValue(reg("0x10"));
    QVERIFY(QSignalSpy(&peer, &ScriptedModbusPeer::requestReceived).wait(WaitMs));

    if (action == "disconnectDevice")
        connection->disconnectDevice();
    else if (action == "reset")
        connection->reset();
    else
        connection.reset();
    QVERIFY(waitFinished(queued));
    QCOMPARE(onTheWire->errorCode(0), int(ChamberError::ReplyAbortedError));
    QCOMPARE(queued->errorCode(0), int(ChamberError::ReplyAbortedError));
    if (!connection)
        return;
    // Letting go on purpose is no error.
    QCOMPARE(errors.count(), 0);
    QCOMPARE(connection->state(), action == "reset" ? ChamberState::STATE_CONNECTED : ChamberState::STATE_UNCONNECTED);
    QVERIFY(action == "reset" || connectAndWait(*connection));

    // The next request gets its own answer.
    const auto next = connection->readValue(reg("0x10"));
    QVERIFY(waitFinished(next));
    QCOMPARE(next->result(0).value<ushort>(), ushort(0x1234));
}

void tst_ModbusChamberConnection::brokenRoad_endsRepliesWithAnError_data()
{
    // Cut: the line is closed mid-request; else the far end stays silent.
    QTest::addColumn<bool>("cut");
    QTest::newRow("pseudo-terminal closed mid-request") << true;
    QTest::newRow("pseudo-terminal that nobody answers on") << false;
}

void tst_ModbusChamberConnection::brokenRoad_endsRepliesWithAnError()
{
    QFETCH(bool, cut);

    // The far end reads every request and answers none.
    SocatPtyPair line;
    QSerialPort farEnd(line.secondEnd());
    QVERIFY(line.start() && farEnd.open(QIODevice::ReadWrite));
    ModbusClientSettings settings = ModbusClientSettings::rtuSerial(line.firstEnd());
    if (!cut) {
        settings.setTimeout(std::chrono::milliseconds(50));
        settings.setNumberOfRetries(1);
    }
    ModbusChamberConnection connection(settings, UnitId);
    QVERIFY(connectAndWait(connection));
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);

    const auto reply = connection.readValues({reg("0x10"), reg("0x20")});
    const auto queued = connection.readValue(reg("0x30"));
    if (cut) {
        QVERIFY(QSignalSpy(&farEnd, &QSerialPort::readyRead).wait(WaitMs));
        line.cut();
    }
    QVERIFY(waitFinished(queued));

    if (!cut) {
        QCOMPARE(errorCodes(*reply), QVector<int>(2, ChamberError::TimeoutError));
        QCOMPARE(errorCodes(*queued), QVector<int>{ChamberError::TimeoutError});
        QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
        QCOMPARE(states.count(), 0);
        QCOMPARE(errors.count(), 0);
        // Each request twice, the same frame: the first transaction failed,
        // so the reply's second one never went out.
        const QByteArray expected = QByteArray::fromHex("110300100001875f110300100001875f"
                                                        "11030030000186951103003000018695");
        QTRY_COMPARE_WITH_TIMEOUT(farEnd.bytesAvailable(), qint64(expected.size()), WaitMs);
        QCOMPARE(farEnd.readAll().toHex(), expected.toHex());
        return;
    }
    // Cut: the request on the wire is aborted, the queued one fails, the
    // connection ends with one error, though a serial line that has gone
    // reports it on every read attempt.
    QVERIFY(reply->errorCode(0) == ChamberError::ReplyAbortedError
            || reply->errorCode(0) == ChamberError::ConnectionError);
    QVERIFY(queued->hasAnyError());
    QTRY_COMPARE_WITH_TIMEOUT(connection.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QCOMPARE(errors.count(), 1);
    const ChamberError::Error error = errors.at(0).at(0).value<ChamberError>().error();
    QVERIFY(error == ChamberError::ConnectionError || error == ChamberError::ReadError);
}

void tst_ModbusChamberConnection::serverAddressOutsideRtu_failsAsRequestNotCreated()
{
    // Regression: a transaction that the client refused to build (RTU
    // servers are 1 to 247) was reported as an error of the connection.
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Rtu);
    QVERIFY(peer.listen());
    ModbusChamberConnection connection(ModbusClientSettings::rtuOverTcp(Host, peer.port()), 0);
    QVERIFY(connectAndWait(connection));
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);

    const auto reply = connection.readValues({reg("0x10"), reg("0x11")});
    QVERIFY(waitFinished(reply));
    QCOMPARE(errorCodes(*reply), QVector<int>(2, ChamberError::ProtocolError));
    QVERIFY(peer.requests().isEmpty());
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
    QCOMPARE(errors.count(), 0);
}

void tst_ModbusChamberConnection::sharedLine_staysOpenForItsUsers_andReopensFreshAfterLoss()
{
    QTcpServer gateway;
    QVERIFY(gateway.listen(QHostAddress::LocalHost));
    const ModbusClientSettings settings = ModbusClientSettings::rtuOverTcp(Host, gateway.serverPort());
    ModbusClientSettings tuned = settings;
    tuned.setTimeout(std::chrono::milliseconds(200));
    ModbusChamberConnection first(settings, UnitId);
    ModbusChamberConnection second(tuned, UnitId);
    // One client on one worker thread, for both, with the first one's settings.
    QCOMPARE(first.wrapper()->workerThread(), second.wrapper()->workerThread());
    QCOMPARE(second.wrapper()->settings(), settings);
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 1);
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys().size(), 1);
    QSignalSpy firstErrors(&first, &ChamberConnection::errorOccured);
    QSignalSpy secondErrors(&second, &ChamberConnection::errorOccured);
    QVERIFY(connectAndWait(first));
    QVERIFY(connectAndWait(second));
    QTRY_VERIFY_WITH_TIMEOUT(gateway.hasPendingConnections(), WaitMs);
    const QPointer<QTcpSocket> line = gateway.nextPendingConnection();
    QSignalSpy closed(line.data(), &QTcpSocket::disconnected);

    // Another user holds the line: nothing closes. Any close would have to
    // come before the reconnect of the first connection is answered.
    first.disconnectDevice();
    QVERIFY(connectAndWait(first));
    QCOMPARE(closed.count(), 0);
    QVERIFY(!gateway.hasPendingConnections());
    QCOMPARE(second.state(), ChamberState::STATE_CONNECTED);

    // A lost line reaches every user once; the next open starts afresh.
    line->abort();
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QCOMPARE(firstErrors.count(), 1);
    QCOMPARE(secondErrors.count(), 1);
    QVERIFY(connectAndWait(second));
    QTRY_VERIFY_WITH_TIMEOUT(gateway.hasPendingConnections(), WaitMs);

    // The last user to let go closes the line.
    QSignalSpy closedAgain(gateway.nextPendingConnection(), &QTcpSocket::disconnected);
    second.disconnectDevice();
    QVERIFY(closedAgain.wait(WaitMs));
}

void tst_ModbusChamberConnection::sharedLineThatCannotOpen_failsEveryConnection()
{
    // Regression: the second open of the shared client failed at once, while
    // the clean-up of the first failure was still queued, and was never
    // reported: the second connection stayed connecting for ever.
    QTemporaryDir directory;
    const ModbusClientSettings settings = ModbusClientSettings::rtuSerial(directory.filePath(QStringLiteral("missing")));
    ModbusChamberConnection first(settings, UnitId);
    ModbusChamberConnection second(settings, UnitId);
    QSignalSpy firstErrors(&first, &ChamberConnection::errorOccured);
    QSignalSpy secondErrors(&second, &ChamberConnection::errorOccured);
    QVERIFY(first.connectDevice());
    QVERIFY(second.connectDevice());

    QTRY_COMPARE_WITH_TIMEOUT(first.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QCOMPARE(firstErrors.count(), 1);
    QCOMPARE(secondErrors.count(), 1);
    QCOMPARE(secondErrors.at(0).at(0).value<ChamberError>().error(), ChamberError::ConnectionError);
}

QTEST_GUILESS_MAIN(tst_ModbusChamberConnection)
#include "tst_modbuschamberconnection.moc"
