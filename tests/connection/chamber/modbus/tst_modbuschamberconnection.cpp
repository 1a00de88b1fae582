#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/core/metatypes.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusmetatypes.h"
#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/qx1operatingmodeconnection.h"
#include "connection/chamber/modbus/qx2operatingmodeconnection.h"
#include "domain/types/chamberdata.h"
#include "domain/types/int10.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "pymodbusserver.h"
#include "scriptedmodbuspeer.h"
#include "socatptypair.h"

#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtSerialBus/QModbusRtuSerialSlave>
#include <QtSerialPort/QSerialPort>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::api::IChamberOperatingModeConnection;
using quelta::domain::api::IChamberReply;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberOperationMode;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;
using quelta::domain::types::ControllerAddressId;
using quelta::domain::types::Int10;
using Pairs = QList<QPair<ControllerAddress, QVariant>>;

namespace {

constexpr int WaitMs = 10000;
constexpr int UnitId = 17;
const QString Host = QStringLiteral("127.0.0.1");

enum class Road { SerialQtSlave, SerialPymodbus, TcpQtServer, TcpPymodbus, RtuOverTcpPymodbus };
enum class Fault { ClosedPort, CutCable, Silent };

ControllerAddress reg(const QString &address, int valueType, int count = 1)
{
    return ControllerAddress(ControllerAddressId(), address, ControllerAddress::ReadWrite, valueType, count, -1,
                             QString());
}

QSharedPointer<ChamberReply> chamberReply(const QSharedPointer<IChamberReply> &reply)
{
    return qSharedPointerDynamicCast<ChamberReply>(reply);
}

// Waits for finished(), which a reply emits from the event loop, never inside
// the call that made it.
bool waitFinished(const QSharedPointer<IChamberReply> &reply)
{
    return reply && QSignalSpy(chamberReply(reply).data(), &ChamberReply::finished).wait(WaitMs);
}

QVector<int> errorCodes(const IChamberReply &reply)
{
    QVector<int> codes;
    for (int i = 0; i < reply.resultCount(); ++i)
        codes.append(reply.errorCode(i));
    return codes;
}

// QVariant compares vectors and our own types by address; compare their text.
QString text(const QVariant &value)
{
    QString text = QString::fromLatin1(value.typeName()) + QLatin1Char(':');
    if (value.userType() == qMetaTypeId<Int10>())
        return text + QString::number(value.value<Int10>().value());
    if (value.userType() == QMetaType::QString || !value.canConvert<QVariantList>())
        return text + value.toString();
    for (const QVariant &element : value.value<QSequentialIterable>())
        text += QString::number(element.toDouble(), 'g', 9) + QLatin1Char(',');
    return text;
}

QList<ChamberState::State> statesOf(const QSignalSpy &spy)
{
    QList<ChamberState::State> states;
    for (const QList<QVariant> &arguments : spy)
        states.append(arguments.at(0).value<ChamberState::State>());
    return states;
}

bool connectAndWait(ModbusChamberConnection &connection)
{
    return connection.connectDevice()
        && QTest::qWaitFor([&] { return connection.state() != ChamberState::STATE_CONNECTING; }, WaitMs)
        && connection.state() == ChamberState::STATE_CONNECTED;
}

// A healthy peer at the far end of one road, for one unit whose holding
// registers start as image (pymodbus takes them on its command line): a
// serial line with a Modbus slave on its other end, or a Modbus server on
// loopback.
class Peer
{
public:
    // A connection to the peer, connected; null when either fails to start.
    QSharedPointer<ModbusChamberConnection> connect(Road road, const QVector<quint16> &image)
    {
        std::optional<ModbusClientSettings> settings;
        switch (road) {
        case Road::SerialQtSlave:
            m_qtServer = &m_serialSlave;
            loadHoldingRegisters(m_serialSlave, UnitId, image);
            m_serialSlave.setConnectionParameter(QModbusDevice::SerialPortNameParameter, m_line.secondEnd());
            if (m_line.start() && m_serialSlave.connectDevice())
                settings = ModbusClientSettings::rtuSerial(m_line.firstEnd());
            break;
        case Road::SerialPymodbus:
            if (m_line.start() && m_pymodbus.startSerial(m_line.secondEnd(), UnitId, 0, image))
                settings = ModbusClientSettings::rtuSerial(m_line.firstEnd());
            break;
        case Road::TcpQtServer:
            m_qtServer = &m_tcpServer.server();
            if (m_tcpServer.start(UnitId, image))
                settings = ModbusClientSettings::tcp(Host, m_tcpServer.port());
            break;
        case Road::TcpPymodbus:
            if (m_pymodbus.startTcp(PymodbusServer::Framing::Tcp, UnitId, 0, image))
                settings = ModbusClientSettings::tcp(Host, m_pymodbus.port());
            break;
        case Road::RtuOverTcpPymodbus:
            if (m_pymodbus.startTcp(PymodbusServer::Framing::Rtu, UnitId, 0, image))
                settings = ModbusClientSettings::rtuOverTcp(Host, m_pymodbus.port());
            break;
        }
        if (!settings)
            return {};
        const auto connection = QSharedPointer<ModbusChamberConnection>::create(*settings, UnitId);
        return connectAndWait(*connection) ? connection : nullptr;
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

// The far end of a road that a test breaks: a port that does not exist, or a
// pseudo-terminal whose other end reads every request and answers none, or a
// scripted RTU-over-TCP peer that answers none.
class FarEnd
{
public:
    std::optional<ModbusClientSettings> start(bool serial, bool closed)
    {
        m_serial = serial;
        if (serial && closed)
            return ModbusClientSettings::rtuSerial(m_missing.filePath(QStringLiteral("missing")));
        if (serial) {
            m_port.setPortName(m_line.secondEnd());
            if (!m_line.start() || !m_port.open(QIODevice::ReadWrite))
                return std::nullopt;
            return ModbusClientSettings::rtuSerial(m_line.firstEnd());
        }
        QTcpServer server;
        if (!(closed ? server.listen(QHostAddress::LocalHost) : m_peer.listen()))
            return std::nullopt;
        m_peer.setHandler([](const ScriptedModbusPeer::Request &) {});
        return ModbusClientSettings::rtuOverTcp(Host, closed ? server.serverPort() : m_peer.port());
    }
    // Waits until a request has reached the far end.
    bool requestArrived()
    {
        return !received().isEmpty()
            || (m_serial ? QSignalSpy(&m_port, &QSerialPort::readyRead).wait(WaitMs)
                         : QSignalSpy(&m_peer, &ScriptedModbusPeer::requestReceived).wait(WaitMs));
    }
    // Every byte that reached the far end.
    QByteArray received()
    {
        if (m_serial)
            return m_received += m_port.readAll();
        QByteArray all;
        for (const ScriptedModbusPeer::Request &request : m_peer.requests())
            all += request.adu;
        return all;
    }
    // Ends socat, which closes both pseudo-terminals, or closes the
    // connection from the peer's side.
    void cutCable() { m_serial ? m_line.cut() : m_peer.closeConnection(); }

private:
    bool m_serial = false;
    QTemporaryDir m_missing;
    SocatPtyPair m_line;
    QSerialPort m_port;
    QByteArray m_received;
    ScriptedModbusPeer m_peer{ScriptedModbusPeer::Framing::Rtu};
};

std::unique_ptr<IChamberOperatingModeConnection> operatingModes(
    int controller, const QSharedPointer<ModbusChamberConnection> &connection)
{
    if (controller == 1)
        return std::make_unique<Qx1OperatingModeConnection>(connection);
    return std::make_unique<Qx2OperatingModeConnection>(connection);
}

} // namespace

Q_DECLARE_METATYPE(Road)
Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(std::optional<ModbusClientSettings>)

// The chamber connections over every Modbus road, against socat
// pseudo-terminals with QModbusRtuSerialSlave or pymodbus on the far end and
// QModbusTcpServer and pymodbus on loopback; their clients shared on worker
// threads; and the operating-mode connections that ride on them.
class tst_ModbusChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void clientSettings_data();
    void clientSettings();
    void requestsThatCannotGoOut_data();
    void requestsThatCannotGoOut();

    void everyValueType_roundTripsInListOrder_data();
    void everyValueType_roundTripsInListOrder();
    void writeValues_95Pairs_reachThePeerInListOrder_data();
    void writeValues_95Pairs_reachThePeerInListOrder();
    void wordOrder_isTheConnections();

    void pendingRequests_endWhenTheConnectionLetsGo_data();
    void pendingRequests_endWhenTheConnectionLetsGo();
    void brokenRoad_endsRepliesWithAnError_data();
    void brokenRoad_endsRepliesWithAnError();
    void serverAddressOutsideRtu_failsAsRequestNotCreated();

    void clients_areSharedPerLineAndGateway_data();
    void clients_areSharedPerLineAndGateway();
    void sharedLine_staysOpenForItsUsers_andReopensFreshAfterLoss();
    void sharedLineThatCannotOpen_failsEveryConnection();

    void writeOperatingMode_data();
    void writeOperatingMode();
    void qx2ReadOperatingMode_data();
    void qx2ReadOperatingMode();
    void operatingModeDestruction_endsUnfinishedReads();
};

void tst_ModbusChamberConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    registerChamberConnectionMetaTypes();
    registerModbusMetaTypes();
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
    QTest::addColumn<ChamberData>("chamber");
    // Empty: no road.
    QTest::addColumn<std::optional<ModbusClientSettings>>("expected");

    const QString ip("10.77.0.9");
    // The serial settings are baud rate, data bits, parity and stop bits.
    const auto row = [](const char *name, int protocol, const QString &comPort, const QString &ipAddress,
                        int converter, const std::optional<ModbusClientSettings> &expected,
                        const QVector<int> &serial = {-1, -1, -1, -1}) {
        ChamberData chamber;
        chamber.setProtocol(protocol);
        chamber.setComPort(comPort);
        chamber.setIpAddress(QHostAddress(ipAddress));
        chamber.setConverter(converter);
        chamber.setBaudRate(serial.at(0));
        chamber.setDataBits(serial.at(1));
        chamber.setParity(serial.at(2));
        chamber.setStopBits(serial.at(3));
        QTest::newRow(name) << chamber << expected;
    };
    ModbusClientSettings tuned = ModbusClientSettings::rtuSerial("/dev/ttyUSB1");
    tuned.setBaudRate(9600);
    tuned.setDataBits(QSerialPort::Data7);
    tuned.setParity(QSerialPort::OddParity);
    tuned.setStopBits(QSerialPort::TwoStop);

    row("RTU on a serial port, defaults", 1, "/dev/ttyUSB0", {}, -1, ModbusClientSettings::rtuSerial("/dev/ttyUSB0"));
    row("RTU on a serial port, the record's settings", 1, "/dev/ttyUSB1", {}, -1, tuned, {9600, 7, 3, 2});
    row("RTU: a COM port wins over an address", 1, "COM3", ip, 1, ModbusClientSettings::rtuSerial("COM3"));
    row("RTU through an XPort", 1, {}, ip, 1, ModbusClientSettings::rtuOverTcp(ip, 10001));
    row("RTU through a ComServer", 1, {}, ip, 0, ModbusClientSettings::rtuOverTcp(ip, 8000));
    row("RTU through a converter of unknown make", 1, {}, ip, -1, ModbusClientSettings::rtuOverTcp(ip, 502));
    row("RTU over TCP through a gateway", 2, {}, ip, 1, ModbusClientSettings::rtuOverTcp(ip, 502));
    row("Modbus TCP", 3, "/dev/ttyUSB0", ip, -1, ModbusClientSettings::tcp(ip, 502));
    row("RTU without port and address", 1, {}, {}, -1, std::nullopt);
    row("RTU through an unknown converter", 1, {}, ip, 7, std::nullopt);
    row("gateway without address", 2, "/dev/ttyUSB0", {}, -1, std::nullopt);
    row("a text protocol", 4, "/dev/ttyUSB0", ip, -1, std::nullopt);
    row("baud rate 0", 1, "/dev/ttyUSB0", {}, -1, std::nullopt, {0, -1, -1, -1});
    row("9 data bits", 1, "/dev/ttyUSB0", {}, -1, std::nullopt, {-1, 9, -1, -1});
    row("parity 1", 1, "/dev/ttyUSB0", {}, -1, std::nullopt, {-1, -1, 1, -1});
    row("0 stop bits", 1, "/dev/ttyUSB0", {}, -1, std::nullopt, {-1, -1, -1, 0});
}

void tst_ModbusChamberConnection::clientSettings()
{
    QFETCH(ChamberData, chamber);
    QFETCH(std::optional<ModbusClientSettings>, expected);
    QString why;
    QCOMPARE(ModbusChamberConnection::clientSettings(chamber, &why), expected);
    QCOMPARE(why.isEmpty(), expected.has_value());
}

void tst_ModbusChamberConnection::requestsThatCannotGoOut_data()
{
    QTest::addColumn<QList<ControllerAddress>>("addresses");
    // Empty for a read.
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("hasRoad");
    // Null for a request that cannot be made; a reply that fails with
    // ConnectionError for one that finds no connection.
    QTest::addColumn<bool>("hasReply");

    const ControllerAddress word = reg("0x10", QMetaType::UShort);
    const ControllerAddress next = reg("0x11", QMetaType::UShort);
    QTest::newRow("no registers to read") << QList<ControllerAddress>() << QVariantList() << true << false;
    QTest::newRow("read a command word")
        << QList<ControllerAddress>{word, reg("REMOTE", QMetaType::UShort)} << QVariantList() << true << false;
    QTest::newRow("write a value too large for its register")
        << QList<ControllerAddress>{word, next} << QVariantList{1, 70000} << true << false;
    QTest::newRow("read while unconnected") << QList<ControllerAddress>{word, next} << QVariantList() << true << true;
    QTest::newRow("record without a Modbus road") << QList<ControllerAddress>{word} << QVariantList() << false << true;
}

void tst_ModbusChamberConnection::requestsThatCannotGoOut()
{
    QFETCH(QList<ControllerAddress>, addresses);
    QFETCH(QVariantList, values);
    QFETCH(bool, hasRoad);
    QFETCH(bool, hasReply);

    // A record of kind 3 without an address names no road: the connection
    // never connects.
    ChamberData noRoad;
    noRoad.setProtocol(3);
    const auto connection = hasRoad
        ? std::make_unique<ModbusChamberConnection>(ModbusClientSettings::tcp(Host, 9), UnitId)
        : std::make_unique<ModbusChamberConnection>(noRoad);
    QSignalSpy states(connection.get(), &ChamberConnection::stateChanged);
    QCOMPARE(connection->wrapper() != nullptr, hasRoad);
    if (!hasRoad)
        QVERIFY(!connection->connectDevice());

    Pairs pairs;
    for (int i = 0; i < values.size(); ++i)
        pairs.append({addresses.at(i), values.at(i)});
    const auto reply = values.isEmpty() ? connection->readValues(addresses) : connection->writeValues(pairs);
    QCOMPARE(bool(reply), hasReply);
    if (reply) {
        QVERIFY(waitFinished(reply));
        QCOMPARE(errorCodes(*reply), QVector<int>(addresses.size(), ChamberError::ConnectionError));
    }
    QCOMPARE(states.count(), 0);
}

void tst_ModbusChamberConnection::everyValueType_roundTripsInListOrder_data()
{
    QTest::addColumn<Road>("road");
    QTest::newRow("RTU, pseudo-terminal, QModbusRtuSerialSlave") << Road::SerialQtSlave;
    QTest::newRow("RTU, pseudo-terminal, pymodbus") << Road::SerialPymodbus;
    QTest::newRow("Modbus TCP, QModbusTcpServer") << Road::TcpQtServer;
    QTest::newRow("Modbus TCP, pymodbus") << Road::TcpPymodbus;
    QTest::newRow("RTU over TCP, pymodbus") << Road::RtuOverTcpPymodbus;
}

void tst_ModbusChamberConnection::everyValueType_roundTripsInListOrder()
{
    QFETCH(Road, road);

    // 1.5 as the peer holds it, high word first.
    QVector<quint16> image(0x400);
    image[0x3F0] = 0x3FC0;
    Peer peer;
    const auto connection = peer.connect(road, image);
    QVERIFY(connection);

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
        {reg("0x0100", QMetaType::UShort), v(quint16(0xAC81))},
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
    const auto written = chamberReply(connection->writeValues(pairs));
    QVERIFY(waitFinished(written));
    QCOMPARE(errorCodes(*written), QVector<int>(pairs.size(), 0));

    // Read back in reverse, with the preset value last.
    QList<ControllerAddress> addresses;
    for (auto pair = pairs.crbegin(); pair != pairs.crend(); ++pair)
        addresses.append(pair->first);
    addresses.append(reg("0x03F0", QMetaType::Float));
    const auto read = chamberReply(connection->readValues(addresses));
    QVERIFY(read);
    QSignalSpy finished(read.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(errorCodes(*read), QVector<int>(addresses.size(), 0));
    for (int i = 0; i < pairs.size(); ++i)
        QCOMPARE(text(read->result(i)), text(pairs.at(pairs.size() - 1 - i).second));
    QCOMPARE(read->result(pairs.size()).toFloat(), 1.5f);

    // Finished exactly once: a stray second emission would have to come
    // before the reply of the next request.
    QVERIFY(waitFinished(chamberReply(connection->readValue(reg("0x0100", QMetaType::UShort)))));
    QCOMPARE(finished.count(), 1);
}

void tst_ModbusChamberConnection::writeValues_95Pairs_reachThePeerInListOrder_data()
{
    QTest::addColumn<Road>("road");
    // The steps whose registers the server has.
    QTest::addColumn<int>("steps");
    QTest::newRow("RTU, pseudo-terminal, QModbusRtuSerialSlave") << Road::SerialQtSlave << 30;
    // The first transaction that fails ends the request: the command word
    // after it is never sent.
    QTest::newRow("Modbus TCP, QModbusTcpServer, half the steps") << Road::TcpQtServer << 15;
}

void tst_ModbusChamberConnection::writeValues_95Pairs_reachThePeerInListOrder()
{
    QFETCH(Road, road);
    QFETCH(int, steps);

    // A whole ZK4 program of 30 steps: four head registers, three blocks per
    // step, and the command word last.
    Pairs pairs{{reg("0xAC02", QMetaType::UShort), 0},
                {reg("0xAC06", QMetaType::UShort), 0},
                {reg("0xAC07", QMetaType::UShort), 0},
                {reg("0xAC08", QMetaType::UShort), 30}};
    QVector<int> expectedOrder{0xAC02, 0xAC06, 0xAC07, 0xAC08};
    for (int k = 0; k < 30; ++k) {
        const int step = 0xAC0B + 12 * k;
        pairs.append({reg(QString::number(step, 16), QMetaType::Float, 4),
                      QVariant::fromValue(QVector<float>{float(k), 1.5f, 2.5f, 3.5f})});
        pairs.append({reg(QString::number(step + 8, 16), QMetaType::UInt), 600 + k});
        pairs.append({reg(QString::number(step + 10, 16), QMetaType::UShort), 0x0100 | k});
        for (int r = 0; r < 11 && k < steps; ++r)
            expectedOrder.append(step + r);
    }
    pairs.append({reg("0xAC00", QMetaType::UShort), 0x82});
    QCOMPARE(pairs.size(), 95);
    QVector<int> expectedErrors(95, 0);
    if (steps == 30)
        expectedOrder.append(0xAC00);
    else
        std::fill(expectedErrors.begin() + 4 + 3 * steps, expectedErrors.end(), int(ChamberError::ProtocolError));

    // Every register starts as 0xFFFF, so that every write changes it and
    // the peer reports it.
    Peer peer;
    const auto connection = peer.connect(road, QVector<quint16>(0xAC0B + 12 * steps, 0xFFFF));
    QVERIFY(connection);
    QVector<int> written;
    QObject::connect(peer.qtServer(), &QModbusServer::dataWritten, peer.qtServer(),
                     [&written](QModbusDataUnit::RegisterType, int address, int size) {
                         for (int r = 0; r < size; ++r)
                             written.append(address + r);
                     });

    const auto reply = connection->writeValues(pairs);
    QVERIFY(waitFinished(reply));
    QCOMPARE(errorCodes(*reply), expectedErrors);
    QCOMPARE(written, expectedOrder);
    quint16 value = 0;
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0xAC0B + 12 * (steps - 1) + 9, &value));
    QCOMPARE(value, quint16(600 + steps - 1));
}

void tst_ModbusChamberConnection::wordOrder_isTheConnections()
{
    Peer peer;
    const auto connection = peer.connect(Road::TcpQtServer, QVector<quint16>(0x200));
    QVERIFY(connection);
    QCOMPARE(connection->wordOrder(), ValueCodec::WordOrder::HighWordFirst);
    const ControllerAddress delay = reg("0x0112", QMetaType::UInt);
    QVERIFY(waitFinished(connection->writeValue(delay, 0x008B0000u)));

    // A read made before the order changes keeps the order it was made with.
    const auto before = connection->readValue(delay);
    connection->setWordOrder(ValueCodec::WordOrder::LowWordFirst);
    const auto after = connection->readValue(delay);
    QVERIFY(waitFinished(after));
    QCOMPARE(before->result(0).toUInt(), 0x008B0000u);
    QCOMPARE(after->result(0).toUInt(), 0x0000008Bu);

    QVERIFY(waitFinished(connection->writeValue(delay, 0x00120034u)));
    quint16 high = 0;
    quint16 low = 0;
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0x0112, &low));
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0x0113, &high));
    QCOMPARE(low, quint16(0x0034));
    QCOMPARE(high, quint16(0x0012));
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

    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Tcp);
    QVERIFY(peer.listen());
    peer.registers()[0x10] = 0x1234;
    // The first request is left unanswered, every later one answered.
    peer.setHandler([&peer](const ScriptedModbusPeer::Request &request) {
        if (peer.requests().size() > 1)
            peer.answer(request);
    });
    ModbusClientSettings settings = ModbusClientSettings::tcp(Host, peer.port());
    settings.setTimeout(std::chrono::milliseconds(200));
    auto connection = std::make_unique<ModbusChamberConnection>(settings, UnitId);
    QVERIFY(connectAndWait(*connection));
    QSignalSpy states(connection.get(), &ChamberConnection::stateChanged);
    QSignalSpy errors(connection.get(), &ChamberConnection::errorOccured);
    const QPointer<QThread> thread = connection->wrapper()->workerThread();

    const auto onTheWire = chamberReply(connection->readValue(reg("0x10", QMetaType::UShort)));
    const auto queued = chamberReply(connection->readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy onTheWireFinished(onTheWire.data(), &ChamberReply::finished);
    QSignalSpy queuedFinished(queued.data(), &ChamberReply::finished);
    QVERIFY(QSignalSpy(&peer, &ScriptedModbusPeer::requestReceived).wait(WaitMs));

    if (action == "disconnectDevice")
        connection->disconnectDevice();
    else if (action == "reset")
        connection->reset();
    else
        connection.reset();
    QTRY_COMPARE_WITH_TIMEOUT(queuedFinished.count(), 1, WaitMs);
    QCOMPARE(onTheWireFinished.count(), 1);
    QCOMPARE(onTheWire->errorCode(0), int(ChamberError::ReplyAbortedError));
    QCOMPARE(queued->errorCode(0), int(ChamberError::ReplyAbortedError));
    if (!connection) {
        QVERIFY(thread.isNull());
        return;
    }
    QCOMPARE(errors.count(), 0);
    if (action == "disconnectDevice") {
        QCOMPARE(statesOf(states),
                 (QList<ChamberState::State>{ChamberState::STATE_CLOSING, ChamberState::STATE_UNCONNECTED}));
        QVERIFY(connectAndWait(*connection));
    } else {
        QCOMPARE(states.count(), 0);
    }

    // The next request is answered, and nothing ended twice.
    const auto next = chamberReply(connection->readValue(reg("0x10", QMetaType::UShort)));
    QVERIFY(waitFinished(next));
    QCOMPARE(next->result(0).value<ushort>(), ushort(0x1234));
    QCOMPARE(onTheWireFinished.count(), 1);
    QCOMPARE(queuedFinished.count(), 1);
}

void tst_ModbusChamberConnection::brokenRoad_endsRepliesWithAnError_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<Fault>("fault");
    QTest::newRow("serial port that does not exist") << true << Fault::ClosedPort;
    QTest::newRow("TCP port that nobody listens on") << false << Fault::ClosedPort;
    QTest::newRow("pseudo-terminal closed mid-request") << true << Fault::CutCable;
    QTest::newRow("TCP connection closed by the peer mid-request") << false << Fault::CutCable;
    QTest::newRow("pseudo-terminal that nobody answers on") << true << Fault::Silent;
    QTest::newRow("TCP peer that never answers") << false << Fault::Silent;
}

void tst_ModbusChamberConnection::brokenRoad_endsRepliesWithAnError()
{
    QFETCH(bool, serial);
    QFETCH(Fault, fault);

    FarEnd farEnd;
    std::optional<ModbusClientSettings> settings = farEnd.start(serial, fault == Fault::ClosedPort);
    QVERIFY(settings);
    if (fault == Fault::Silent) {
        settings->setTimeout(std::chrono::milliseconds(50));
        settings->setNumberOfRetries(1);
    }
    ModbusChamberConnection connection(*settings, UnitId);
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);
    QVERIFY(connection.connectDevice());
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTING);
    QVERIFY(!connection.connectDevice());
    if (fault == Fault::ClosedPort) {
        QTRY_COMPARE_WITH_TIMEOUT(connection.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
        QCOMPARE(statesOf(states),
                 (QList<ChamberState::State>{ChamberState::STATE_CONNECTING, ChamberState::STATE_UNCONNECTED}));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(0).value<ChamberError>().error(), ChamberError::ConnectionError);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(connection.state(), ChamberState::STATE_CONNECTED, WaitMs);
    states.clear();

    const auto reply =
        chamberReply(connection.readValues({reg("0x10", QMetaType::UShort), reg("0x20", QMetaType::UShort)}));
    const auto queued = chamberReply(connection.readValue(reg("0x30", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QSignalSpy queuedFinished(queued.data(), &ChamberReply::finished);
    if (fault == Fault::CutCable) {
        QVERIFY(farEnd.requestArrived());
        farEnd.cutCable();
    }
    QTRY_COMPARE_WITH_TIMEOUT(queuedFinished.count(), 1, WaitMs);
    QCOMPARE(finished.count(), 1);

    if (fault == Fault::Silent) {
        const int timeout = ChamberError::TimeoutError;
        QCOMPARE(errorCodes(*reply), (QVector<int>{timeout, timeout}));
        QCOMPARE(errorCodes(*queued), QVector<int>{timeout});
        QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
        QCOMPARE(states.count(), 0);
        QCOMPARE(errors.count(), 0);
        // Each request twice, the same frame: the first transaction failed,
        // so the reply's second one never went out.
        const auto frame = [](int address) {
            return ModbusRtuAdu::encode(UnitId, QModbusRequest(QModbusPdu::ReadHoldingRegisters, quint16(address),
                                                               quint16(1)));
        };
        const QByteArray expected = frame(0x10) + frame(0x10) + frame(0x30) + frame(0x30);
        QTRY_COMPARE_WITH_TIMEOUT(farEnd.received().toHex(), expected.toHex(), WaitMs);
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
    QVERIFY2(error == ChamberError::ConnectionError || error == ChamberError::ReadError,
             qPrintable(QString::number(error)));
}

void tst_ModbusChamberConnection::serverAddressOutsideRtu_failsAsRequestNotCreated()
{
    // RTU servers are 1 to 247; 0 is a broadcast that nobody answers.
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Rtu);
    QVERIFY(peer.listen());
    ModbusChamberConnection connection(ModbusClientSettings::rtuOverTcp(Host, peer.port()), 0);
    QVERIFY(connectAndWait(connection));
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);

    const auto reply = connection.readValues({reg("0x10", QMetaType::UShort), reg("0x11", QMetaType::UShort)});
    QVERIFY(waitFinished(reply));
    QCOMPARE(errorCodes(*reply), QVector<int>(2, ChamberError::ProtocolError));
    QVERIFY(peer.requests().isEmpty());
    // The refusal is the request's; the connection stays and reports nothing.
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
    QCOMPARE(errors.count(), 0);
}

void tst_ModbusChamberConnection::clients_areSharedPerLineAndGateway_data()
{
    QTest::addColumn<ModbusClientSettings>("first");
    QTest::addColumn<ModbusClientSettings>("second");
    QTest::addColumn<bool>("shared");

    // No line is opened here: the names need not exist.
    const ModbusClientSettings line = ModbusClientSettings::rtuSerial(QStringLiteral("/dev/ttyQuelta0"));
    ModbusClientSettings lineTuned = line;
    lineTuned.setBaudRate(9600);
    lineTuned.setTimeout(std::chrono::milliseconds(200));
    const auto gateway = [](quint16 port) { return ModbusClientSettings::rtuOverTcp(Host, port); };
    const ModbusClientSettings tcp = ModbusClientSettings::tcp(Host, 1502);

    QTest::newRow("one gateway") << gateway(1502) << gateway(1502) << true;
    QTest::newRow("two gateways") << gateway(1502) << gateway(1503) << false;
    // The first settings hold for the shared client.
    QTest::newRow("one serial line, other settings later") << line << lineTuned << true;
    QTest::newRow("two serial lines")
        << line << ModbusClientSettings::rtuSerial(QStringLiteral("/dev/ttyQuelta1")) << false;
    QTest::newRow("a serial line and a gateway of the same name")
        << ModbusClientSettings::rtuSerial(QStringLiteral("127.0.0.1:1502")) << gateway(1502) << false;
    QTest::newRow("Modbus TCP, a thread per connection") << tcp << tcp << false;
}

void tst_ModbusChamberConnection::clients_areSharedPerLineAndGateway()
{
    QFETCH(ModbusClientSettings, first);
    QFETCH(ModbusClientSettings, second);
    QFETCH(bool, shared);

    auto firstConnection = std::make_unique<ModbusChamberConnection>(first, UnitId);
    const ModbusChamberConnection secondConnection(second, UnitId);
    const QPointer<QThread> thread = firstConnection->wrapper()->workerThread();
    QVERIFY(thread->isRunning());
    QVERIFY(thread != QThread::currentThread());
    QCOMPARE(thread == secondConnection.wrapper()->workerThread(), shared);
    QCOMPARE(ModbusMasterThread::runningThreadCount(), shared ? 1 : 2);
    const bool tcp = first.transport() == ModbusClientSettings::Transport::Tcp;
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys().size(), tcp ? 0 : shared ? 1 : 2);
    QCOMPARE(secondConnection.wrapper()->settings(), shared ? first : second);

    // A shared thread stays while its other user does.
    firstConnection.reset();
    QCOMPARE(thread.isNull(), !shared);
}

void tst_ModbusChamberConnection::sharedLine_staysOpenForItsUsers_andReopensFreshAfterLoss()
{
    QTcpServer gateway;
    QVERIFY(gateway.listen(QHostAddress::LocalHost));
    const ModbusClientSettings settings = ModbusClientSettings::rtuOverTcp(Host, gateway.serverPort());
    ModbusChamberConnection first(settings, UnitId);
    ModbusChamberConnection second(settings, UnitId);
    QSignalSpy firstErrors(&first, &ChamberConnection::errorOccured);
    QSignalSpy secondErrors(&second, &ChamberConnection::errorOccured);
    QVERIFY(connectAndWait(first));
    QVERIFY(connectAndWait(second));
    QSignalSpy secondStates(&second, &ChamberConnection::stateChanged);
    QTRY_VERIFY_WITH_TIMEOUT(gateway.hasPendingConnections(), WaitMs);
    const QPointer<QTcpSocket> line = gateway.nextPendingConnection();
    QSignalSpy closed(line.data(), &QTcpSocket::disconnected);

    // Another user holds the line: nothing closes. Any close would have to
    // come before the reconnect of the first connection is answered.
    first.disconnectDevice();
    QVERIFY(connectAndWait(first));
    QCOMPARE(closed.count(), 0);
    QVERIFY(!gateway.hasPendingConnections());
    QCOMPARE(secondStates.count(), 0);

    // A lost line reaches every user once; the next open starts afresh.
    line->abort();
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QCOMPARE(firstErrors.count(), 1);
    QCOMPARE(firstErrors.at(0).at(0).value<ChamberError>().error(), ChamberError::ConnectionError);
    QCOMPARE(secondErrors.count(), 1);
    QVERIFY(connectAndWait(second));
    QTRY_VERIFY_WITH_TIMEOUT(gateway.hasPendingConnections(), WaitMs);
    QCOMPARE(first.state(), ChamberState::STATE_UNCONNECTED);

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

void tst_ModbusChamberConnection::writeOperatingMode_data()
{
    QTest::addColumn<int>("controller");
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    // -1: no reply, nothing written.
    QTest::addColumn<int>("value");

    using M = ChamberOperationMode;
    QTest::newRow("QX1, basic") << 1 << M::MODE_BASIC << 0x1000;
    QTest::newRow("QX1, manual") << 1 << M::MODE_MANUAL << 0x0800;
    QTest::newRow("QX1, automatic") << 1 << M::MODE_AUTO << 0x0400;
    QTest::newRow("QX1, undefined") << 1 << M::MODE_UNDEFINED << -1;
    QTest::newRow("QX1, not supported") << 1 << M::MODE_NOTSUPPORTED << -1;
    QTest::newRow("QX2, basic") << 2 << M::MODE_BASIC << 2;
    QTest::newRow("QX2, manual") << 2 << M::MODE_MANUAL << 1;
    QTest::newRow("QX2, automatic") << 2 << M::MODE_AUTO << -1;
    QTest::newRow("QX2, undefined") << 2 << M::MODE_UNDEFINED << -1;
}

void tst_ModbusChamberConnection::writeOperatingMode()
{
    QFETCH(int, controller);
    QFETCH(ChamberOperationMode::Mode, mode);
    QFETCH(int, value);

    Peer peer;
    const auto connection = peer.connect(Road::TcpQtServer, QVector<quint16>(0x2000, 0xFFFF));
    QVERIFY(connection);
    const auto modes = operatingModes(controller, connection);
    const auto reply = modes->writeOperatingMode(mode);
    QCOMPARE(bool(reply), value != -1);
    QVERIFY(!reply || (waitFinished(reply) && !reply->hasAnyError()));
    quint16 written = 0;
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, controller == 1 ? 0x1A22 : 0x1158, &written));
    QCOMPARE(written, value < 0 ? quint16(0xFFFF) : quint16(value));
    // The mode register of QX1 also takes the program start and stop codes:
    // the mode cannot be read back.
    if (controller == 1)
        QVERIFY(!modes->readOperatingMode());
}

void tst_ModbusChamberConnection::qx2ReadOperatingMode_data()
{
    // -1: the server has no register 0x1158.
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("mode");
    // Bit 1 is the basic mode.
    QTest::newRow("bits 0 and 1") << 3 << int(ChamberOperationMode::MODE_BASIC);
    QTest::newRow("no bit") << 0 << int(ChamberOperationMode::MODE_MANUAL);
    QTest::newRow("every bit but 1") << 0xFFFD << int(ChamberOperationMode::MODE_MANUAL);
    QTest::newRow("no such register") << -1 << 0;
}

void tst_ModbusChamberConnection::qx2ReadOperatingMode()
{
    QFETCH(int, state);
    QFETCH(int, mode);

    QVector<quint16> image(state < 0 ? 0x100 : 0x2000);
    if (state >= 0)
        image[0x1158] = quint16(state);
    Peer peer;
    const auto connection = peer.connect(Road::TcpQtServer, image);
    QVERIFY(connection);
    const auto modes = operatingModes(2, connection);
    const auto reply = modes->readOperatingMode();
    QVERIFY(waitFinished(reply));
    QCOMPARE(errorCodes(*reply), QVector<int>{state < 0 ? int(ChamberError::ProtocolError) : 0});
    QCOMPARE(reply->result(0).isValid(), state >= 0);
    if (state >= 0)
        QCOMPARE(reply->result(0).toInt(), mode);
}

void tst_ModbusChamberConnection::operatingModeDestruction_endsUnfinishedReads()
{
    // Unconnected, the register read fails, but only on the next turn of the
    // event loop: the mode connection is gone by then.
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(ModbusClientSettings::tcp(Host, 9), UnitId);
    auto modes = operatingModes(2, connection);
    const auto reply = chamberReply(modes->readOperatingMode());
    QSignalSpy finished(reply.data(), &ChamberReply::finished);

    modes.reset();
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
    // A second emission would come with the next request's reply.
    QVERIFY(waitFinished(chamberReply(connection->readValue(reg("0x10", QMetaType::UShort)))));
    QCOMPARE(finished.count(), 1);
}

QTEST_GUILESS_MAIN(tst_ModbusChamberConnection)
#include "tst_modbuschamberconnection.moc"
