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
#include "pymodbusserialserver.h"
#include "pymodbusserver.h"
#include "scriptedmodbuspeer.h"
#include "socatptypair.h"

#include <QtCore/QElapsedTimer>
#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtNetwork/QTcpServer>
#include <QtSerialBus/QModbusRtuSerialSlave>
#include <QtSerialPort/QSerialPort>
#include <QtTest/QtTest>

#include <cstring>
#include <memory>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::api::IChamberReply;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;
using quelta::domain::types::ControllerAddressId;
using quelta::domain::types::Int10;

namespace {

constexpr int WaitMs = 10000;
constexpr int UnitId = 17;
constexpr int RegisterCount = 0x10000;

enum class Road { SerialQtSlave, SerialPymodbus, TcpQtServer, TcpPymodbus, RtuOverTcpPymodbus };

ControllerAddress reg(const QString &address, int valueType, int count = 1)
{
    return ControllerAddress(ControllerAddressId(), address, ControllerAddress::ReadWrite, valueType, count, -1,
                             QString());
}

QSharedPointer<ChamberReply> chamberReply(const QSharedPointer<IChamberReply> &reply)
{
    return qSharedPointerDynamicCast<ChamberReply>(reply);
}

QVector<int> errorCodes(const IChamberReply &reply)
{
    QVector<int> codes;
    for (int i = 0; i < reply.resultCount(); ++i)
        codes.append(reply.errorCode(i));
    return codes;
}

void put(QVector<quint16> &image, int address, const QVector<quint16> &words)
{
    std::copy(words.cbegin(), words.cend(), image.begin() + address);
}

// Whatever stands at the far end of one road: a serial line with a Modbus
// slave on its other end, or a Modbus server on loopback.
class Peer
{
public:
    // Starts the peer with the registers of image and returns how to reach
    // it; empty when the peer cannot start.
    std::optional<ModbusClientSettings> start(Road road, const QVector<quint16> &image, int firstRegister = 0,
                                              int lastRegister = RegisterCount - 1)
    {
        switch (road) {
        case Road::SerialQtSlave:
        case Road::SerialPymodbus: {
            m_line = std::make_unique<SocatPtyPair>();
            if (!m_line->start())
                return std::nullopt;
            if (road == Road::SerialQtSlave) {
                m_serialSlave = std::make_unique<QModbusRtuSerialSlave>();
                m_serialSlave->setServerAddress(UnitId);
                setMap(*m_serialSlave, image);
                m_serialSlave->setConnectionParameter(QModbusDevice::SerialPortNameParameter, m_line->secondEnd());
                if (!m_serialSlave->connectDevice())
                    return std::nullopt;
            } else {
                m_serialPymodbus = std::make_unique<PymodbusSerialServer>();
                if (!m_serialPymodbus->start(m_line->secondEnd(), UnitId, firstRegister,
                                             image.mid(firstRegister, lastRegister - firstRegister + 1)))
                    return std::nullopt;
            }
            return ModbusClientSettings::rtuSerial(m_line->firstEnd());
        }
        case Road::TcpQtServer:
            m_tcpServer = std::make_unique<LoopbackModbusTcpServer>();
            if (!m_tcpServer->start(UnitId, image))
                return std::nullopt;
            return ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), m_tcpServer->port());
        case Road::TcpPymodbus:
        case Road::RtuOverTcpPymodbus: {
            m_pymodbus = std::make_unique<PymodbusServer>();
            const bool tcp = road == Road::TcpPymodbus;
            if (!m_pymodbus->start(tcp ? PymodbusServer::Framing::Tcp : PymodbusServer::Framing::Rtu, UnitId,
                                   firstRegister, image.mid(firstRegister, lastRegister - firstRegister + 1)))
                return std::nullopt;
            return tcp ? ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), m_pymodbus->port())
                       : ModbusClientSettings::rtuOverTcp(QStringLiteral("127.0.0.1"), m_pymodbus->port());
        }
        }
        return std::nullopt;
    }

    // The Qt peer of the road, to watch what is written to it.
    QModbusServer *qtServer() const
    {
        if (m_serialSlave)
            return m_serialSlave.get();
        return &m_tcpServer->server();
    }

private:
    // The slave has the registers of image, at most 0xFFFF of them.
    static void setMap(QModbusServer &server, const QVector<quint16> &image)
    {
        const QVector<quint16> registers = image.mid(0, 0xFFFF);
        QModbusDataUnitMap map;
        map.insert(QModbusDataUnit::HoldingRegisters,
                   QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, quint16(registers.size())));
        server.setMap(map);
        server.setData(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, 0, registers));
    }

    std::unique_ptr<SocatPtyPair> m_line;
    std::unique_ptr<QModbusRtuSerialSlave> m_serialSlave;
    std::unique_ptr<PymodbusSerialServer> m_serialPymodbus;
    std::unique_ptr<LoopbackModbusTcpServer> m_tcpServer;
    std::unique_ptr<PymodbusServer> m_pymodbus;
};

// Connects and waits for the connection to be connected.
bool connectAndWait(ModbusChamberConnection &connection)
{
    if (!connection.connectDevice())
        return false;
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);
    while (connection.state() != ChamberState::STATE_CONNECTED) {
        if (connection.state() == ChamberState::STATE_UNCONNECTED || !states.wait(WaitMs))
            return false;
    }
    return true;
}

// A serial line whose far end reads every request and answers none.
class SilentLine
{
public:
    bool start()
    {
        if (!m_line.start())
            return false;
        m_port.setPortName(m_line.secondEnd());
        return m_port.open(QIODevice::ReadWrite);
    }
    QString end() const { return m_line.firstEnd(); }
    QSerialPort &farEnd() { return m_port; }
    SocatPtyPair &line() { return m_line; }

private:
    SocatPtyPair m_line;
    QSerialPort m_port;
};

} // namespace

Q_DECLARE_METATYPE(Road)

class tst_ModbusChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void clientSettings_data();
    void clientSettings();
    void recordWithoutModbusRoad_refusesToConnect();

    void readValues_decodeInListOrder_data();
    void readValues_decodeInListOrder();
    void readValues_qx2ProgramOf100Sections_inOneReply();
    void writeValues_95Pairs_reachThePeerInListOrder_data();
    void writeValues_95Pairs_reachThePeerInListOrder();
    void writeValues_stopAtTheFirstFailure();
    void requestsThatCannotBeMade_giveNoReply_data();
    void requestsThatCannotBeMade_giveNoReply();
    void requestsWhileUnconnected_failWithConnectionError();

    void connectAndDisconnect_reportEveryState();
    void closedPort_failsToConnect_data();
    void closedPort_failsToConnect();
    void cutCable_endsTheRequestAndTheConnection_data();
    void cutCable_endsTheRequestAndTheConnection();
    void silentDevice_timesOutAndStaysConnected_data();
    void silentDevice_timesOutAndStaysConnected();
    void silentDevice_defaultTimeout_sendsFourTimes();
    void reset_abortsPendingRequests_keepsTheLine();
    void destruction_abortsPendingRequests();

    void sameGateway_twoConnectionsShareOneClientAndThread();
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
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("comPort");
    QTest::addColumn<QString>("ipAddress");
    QTest::addColumn<int>("converter");
    QTest::addColumn<QList<int>>("serial");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<ModbusClientSettings>("expected");

    const QList<int> defaults{-1, -1, -1, -1};
    ModbusClientSettings tuned = ModbusClientSettings::rtuSerial("/dev/ttyUSB1");
    tuned.setBaudRate(9600);
    tuned.setDataBits(QSerialPort::Data7);
    tuned.setParity(QSerialPort::OddParity);
    tuned.setStopBits(QSerialPort::TwoStop);

    QTest::newRow("RTU on a serial port, defaults")
        << 1 << QString("/dev/ttyUSB0") << QString() << -1 << defaults << true << ModbusClientSettings::rtuSerial("/dev/ttyUSB0");
    QTest::newRow("RTU on a serial port, the record's settings")
        << 1 << QString("/dev/ttyUSB1") << QString() << -1 << QList<int>{9600, 7, 3, 2} << true << tuned;
    QTest::newRow("RTU on a COM name, looked up when the line opens")
        << 1 << QString("COM3") << QString() << -1 << defaults << true << ModbusClientSettings::rtuSerial("COM3");
    QTest::newRow("RTU: a COM port wins over an address")
        << 1 << QString("/dev/ttyUSB0") << QString("10.77.0.9") << 1 << defaults << true << ModbusClientSettings::rtuSerial("/dev/ttyUSB0");
    QTest::newRow("RTU through an XPort") << 1 << QString() << QString("10.77.0.9") << 1 << defaults << true
                                          << ModbusClientSettings::rtuOverTcp("10.77.0.9", 10001);
    QTest::newRow("RTU through a ComServer") << 1 << QString() << QString("10.77.0.9") << 0 << defaults << true
                                             << ModbusClientSettings::rtuOverTcp("10.77.0.9", 8000);
    QTest::newRow("RTU through a converter of unknown make")
        << 1 << QString() << QString("10.77.0.9") << -1 << defaults << true << ModbusClientSettings::rtuOverTcp("10.77.0.9", 502);
    QTest::newRow("RTU over TCP through a gateway") << 2 << QString() << QString("10.77.0.9") << 1 << defaults << true
                                                    << ModbusClientSettings::rtuOverTcp("10.77.0.9", 502);
    QTest::newRow("Modbus TCP") << 3 << QString("/dev/ttyUSB0") << QString("10.77.0.9") << -1 << defaults << true
                                << ModbusClientSettings::tcp("10.77.0.9", 502);

    const ModbusClientSettings none;
    QTest::newRow("RTU without port and address") << 1 << QString() << QString() << -1 << defaults << false << none;
    QTest::newRow("RTU through an unknown converter") << 1 << QString() << QString("10.77.0.9") << 7 << defaults << false
                                                      << none;
    QTest::newRow("gateway without address") << 2 << QString("/dev/ttyUSB0") << QString() << -1 << defaults << false << none;
    QTest::newRow("Modbus TCP without address") << 3 << QString() << QString() << -1 << defaults << false << none;
    QTest::newRow("a text protocol") << 4 << QString("/dev/ttyUSB0") << QString("10.77.0.9") << -1 << defaults << false << none;
    QTest::newRow("kind not determined") << 100 << QString("/dev/ttyUSB0") << QString("10.77.0.9") << -1 << defaults << false << none;
    QTest::newRow("baud rate 0") << 1 << QString("/dev/ttyUSB0") << QString() << -1 << QList<int>{0, -1, -1, -1} << false
                                 << none;
    QTest::newRow("9 data bits") << 1 << QString("/dev/ttyUSB0") << QString() << -1 << QList<int>{-1, 9, -1, -1} << false
                                 << none;
    QTest::newRow("parity 1") << 1 << QString("/dev/ttyUSB0") << QString() << -1 << QList<int>{-1, -1, 1, -1} << false
                              << none;
    QTest::newRow("0 stop bits") << 1 << QString("/dev/ttyUSB0") << QString() << -1 << QList<int>{-1, -1, -1, 0} << false
                                 << none;
}

void tst_ModbusChamberConnection::clientSettings()
{
    QFETCH(int, protocol);
    QFETCH(QString, comPort);
    QFETCH(QString, ipAddress);
    QFETCH(int, converter);
    QFETCH(QList<int>, serial);
    QFETCH(bool, valid);
    QFETCH(ModbusClientSettings, expected);

    ChamberData chamber;
    chamber.setProtocol(protocol);
    chamber.setComPort(comPort);
    if (!ipAddress.isEmpty())
        chamber.setIpAddress(QHostAddress(ipAddress));
    chamber.setConverter(converter);
    chamber.setBaudRate(serial.at(0));
    chamber.setDataBits(serial.at(1));
    chamber.setParity(serial.at(2));
    chamber.setStopBits(serial.at(3));

    QString why;
    const std::optional<ModbusClientSettings> settings = ModbusChamberConnection::clientSettings(chamber, &why);
    QCOMPARE(settings.has_value(), valid);
    QCOMPARE(why.isEmpty(), valid);
    if (valid)
        QCOMPARE(*settings, expected);
}

void tst_ModbusChamberConnection::recordWithoutModbusRoad_refusesToConnect()
{
    ChamberData chamber;
    chamber.setProtocol(3);
    ModbusChamberConnection connection(chamber);
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);

    QVERIFY(!connection.connectDevice());
    QCOMPARE(connection.wrapper(), nullptr);
    QCOMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);
    QCOMPARE(states.count(), 0);
    const auto reply = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::ConnectionError));
}

void tst_ModbusChamberConnection::readValues_decodeInListOrder_data()
{
    QTest::addColumn<Road>("road");
    QTest::newRow("RTU, pseudo-terminal, QModbusRtuSerialSlave") << Road::SerialQtSlave;
    QTest::newRow("RTU, pseudo-terminal, pymodbus") << Road::SerialPymodbus;
    QTest::newRow("Modbus TCP, QModbusTcpServer") << Road::TcpQtServer;
    QTest::newRow("Modbus TCP, pymodbus") << Road::TcpPymodbus;
    QTest::newRow("RTU over TCP, pymodbus") << Road::RtuOverTcpPymodbus;
}

void tst_ModbusChamberConnection::readValues_decodeInListOrder()
{
    QFETCH(Road, road);

    QVector<quint16> image(RegisterCount);
    put(image, 0x100, {0xBEEF, 0x0001, 0x0002, 0xFFFB, 0x007F});
    put(image, 0x105, {0x3FC0, 0x0000, 0xC000, 0x0000, 0x42C8, 0x8000});
    put(image, 0x200, {0x5175, 0x656C, 0x7461});
    put(image, 0x300, {0x0102, 0x0304});
    put(image, 0x310, {0xFED4, 0x0001});
    Peer peer;
    const std::optional<ModbusClientSettings> settings = peer.start(road, image, 0x100, 0x311);
    QVERIFY(settings);
    ModbusChamberConnection connection(*settings, UnitId);
    QVERIFY(connectAndWait(connection));

    // Not in register order: neighbours in the list share a transaction,
    // the results follow the list.
    const QList<ControllerAddress> addresses{
        reg("0x0105", QMetaType::Float, 3), reg("0x0100", QMetaType::UShort), reg("0x0101", QMetaType::UInt),
        reg("0x0200", QMetaType::QString, 6), reg("0x0103", QMetaType::Short), reg("0x0104", QMetaType::UChar),
        reg("0x0300", QMetaType::UChar, 4), reg("0x0310", qMetaTypeId<Int10>()), reg("0x0311", QMetaType::Bool),
        reg("0x0100", QMetaType::UShort)};
    const auto reply = chamberReply(connection.readValues(addresses));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));

    QCOMPARE(errorCodes(*reply), QVector<int>(addresses.size(), 0));
    QCOMPARE(reply->result(0).value<QVector<float>>(), (QVector<float>{1.5f, -2.0f, 100.25f}));
    QCOMPARE(reply->result(1).value<ushort>(), ushort(0xBEEF));
    QCOMPARE(reply->result(2).toUInt(), 0x00010002u);
    QCOMPARE(reply->result(3).toString(), QStringLiteral("Quelta"));
    QCOMPARE(reply->result(4).toInt(), -5);
    QCOMPARE(reply->result(5).toUInt(), 0x7Fu);
    QCOMPARE(reply->result(6).value<QVector<uchar>>(), (QVector<uchar>{1, 2, 3, 4}));
    QCOMPARE(reply->result(7).value<Int10>().value(), qint16(-300));
    QCOMPARE(reply->result(8).toBool(), true);
    QCOMPARE(reply->result(9).value<ushort>(), ushort(0xBEEF));

    // Finished exactly once: a stray second emission would have to come
    // before the reply of the next request.
    const auto next = chamberReply(connection.readValue(reg("0x0100", QMetaType::UShort)));
    QSignalSpy nextFinished(next.data(), &ChamberReply::finished);
    QVERIFY(nextFinished.wait(WaitMs));
    QCOMPARE(finished.count(), 1);
}

void tst_ModbusChamberConnection::readValues_qx2ProgramOf100Sections_inOneReply()
{
    // A QX2 program read: the name, then five blocks of each of 100 sections,
    // in an order that is not the order of the registers.
    constexpr int Sections = 100;
    QVector<quint16> image(RegisterCount);
    put(image, 0x4300, {0x5465, 0x7374});
    QList<ControllerAddress> addresses{reg("0x4300", QMetaType::QString, 72)};
    for (int s = 0; s < Sections; ++s) {
        const int base = 48 * s;
        for (int f = 0; f < 18; ++f) {
            const float value = float(s * 100 + f);
            quint32 bits = 0;
            std::memcpy(&bits, &value, sizeof bits);
            put(image, 0x3014 + base + 2 * f, {quint16(bits >> 16), quint16(bits)});
        }
        put(image, 0x3042 + base, {quint16(s), 1});
        put(image, 0x3038 + base, {0, quint16(60 + s)});
        put(image, 0x303C + base, {quint16(0x8000 | s), quint16(0x0300 | s)});
        const auto at = [base](int address) { return QString::number(address + base, 16); };
        addresses << reg(at(0x3014), QMetaType::Float, 18) << reg(at(0x3042), QMetaType::UInt)
                  << reg(at(0x3038), QMetaType::UInt) << reg(at(0x303D), QMetaType::UChar, 2)
                  << reg(at(0x303C), QMetaType::UShort);
    }
    QCOMPARE(addresses.size(), 501);

    Peer peer;
    const std::optional<ModbusClientSettings> settings = peer.start(Road::SerialQtSlave, image);
    QVERIFY(settings);
    ModbusChamberConnection connection(*settings, UnitId);
    QVERIFY(connectAndWait(connection));

    const auto reply = chamberReply(connection.readValues(addresses));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(60000));

    QCOMPARE(reply->resultCount(), 501);
    QVERIFY(!reply->hasAnyError());
    QCOMPARE(reply->result(0).toString(), QStringLiteral("Test"));
    for (int s = 0; s < Sections; ++s) {
        const int k = 1 + 5 * s;
        const QVector<float> floats = reply->result(k).value<QVector<float>>();
        QCOMPARE(floats.size(), 18);
        QCOMPARE(floats.first(), float(s * 100));
        QCOMPARE(floats.last(), float(s * 100 + 17));
        QCOMPARE(reply->result(k + 1).toUInt(), (quint32(s) << 16) | 1u);
        QCOMPARE(reply->result(k + 2).toUInt(), quint32(60 + s));
        QCOMPARE(reply->result(k + 3).value<QVector<uchar>>(), (QVector<uchar>{0x03, uchar(s)}));
        QCOMPARE(reply->result(k + 4).value<ushort>(), ushort(0x8000 | s));
    }
}

void tst_ModbusChamberConnection::writeValues_95Pairs_reachThePeerInListOrder_data()
{
    QTest::addColumn<Road>("road");
    QTest::newRow("RTU, pseudo-terminal, QModbusRtuSerialSlave") << Road::SerialQtSlave;
    QTest::newRow("Modbus TCP, QModbusTcpServer") << Road::TcpQtServer;
}

void tst_ModbusChamberConnection::writeValues_95Pairs_reachThePeerInListOrder()
{
    QFETCH(Road, road);

    // A whole ZK4 program of 30 steps: four head registers, three blocks per
    // step, and the command word last.
    QList<QPair<ControllerAddress, QVariant>> pairs{{reg("0xAC02", QMetaType::UShort), 0},
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
        for (int r = 0; r < 11; ++r)
            expectedOrder.append(step + r);
    }
    pairs.append({reg("0xAC00", QMetaType::UShort), 0x82});
    expectedOrder.append(0xAC00);
    QCOMPARE(pairs.size(), 95);

    // Every register starts as 0xFFFF, so that every write changes it and
    // the peer reports it.
    Peer peer;
    const std::optional<ModbusClientSettings> settings = peer.start(road, QVector<quint16>(RegisterCount, 0xFFFF));
    QVERIFY(settings);
    QVector<int> written;
    QObject::connect(peer.qtServer(), &QModbusServer::dataWritten, peer.qtServer(),
                     [&written](QModbusDataUnit::RegisterType, int address, int size) {
                         for (int r = 0; r < size; ++r)
                             written.append(address + r);
                     });
    ModbusChamberConnection connection(*settings, UnitId);
    QVERIFY(connectAndWait(connection));

    const auto reply = chamberReply(connection.writeValues(pairs));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));

    QCOMPARE(errorCodes(*reply), QVector<int>(95, 0));
    QCOMPARE(written, expectedOrder);
    quint16 value = 0;
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0xAC00, &value));
    QCOMPARE(value, quint16(0x82));
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0xAC08, &value));
    QCOMPARE(value, quint16(30));
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0xAC0B + 12 * 29 + 9, &value));
    QCOMPARE(value, quint16(600 + 29));
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0xAC0B + 12 * 29 + 10, &value));
    QCOMPARE(value, quint16(0x0100 | 29));
}

void tst_ModbusChamberConnection::writeValues_stopAtTheFirstFailure()
{
    // Register 0x0400 lies beyond the server's registers: it answers with an
    // exception.
    Peer peer;
    const std::optional<ModbusClientSettings> settings = peer.start(Road::TcpQtServer, QVector<quint16>(0x200));
    QVERIFY(settings);
    QVector<int> written;
    QObject::connect(peer.qtServer(), &QModbusServer::dataWritten, peer.qtServer(),
                     [&written](QModbusDataUnit::RegisterType, int address, int) { written.append(address); });
    ModbusChamberConnection connection(*settings, UnitId);
    QVERIFY(connectAndWait(connection));

    const auto reply = chamberReply(connection.writeValues({{reg("0x0010", QMetaType::UShort), 7},
                                                           {reg("0x0011", QMetaType::UShort), 8},
                                                           {reg("0x0400", QMetaType::UShort), 9},
                                                           {reg("0x0020", QMetaType::UShort), 0x82}}));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));

    // The data before the failure arrived; the command word after it was
    // never sent.
    QCOMPARE(errorCodes(*reply), (QVector<int>{0, 0, ChamberError::ProtocolError, ChamberError::ProtocolError}));
    QCOMPARE(written, QVector<int>{0x0010});
    quint16 command = 0xFFFF;
    QVERIFY(peer.qtServer()->data(QModbusDataUnit::HoldingRegisters, 0x0020, &command));
    QCOMPARE(command, quint16(0));
}

void tst_ModbusChamberConnection::requestsThatCannotBeMade_giveNoReply_data()
{
    QTest::addColumn<QList<ControllerAddress>>("addresses");
    QTest::addColumn<QVariantList>("values");

    QTest::newRow("no registers to read") << QList<ControllerAddress>() << QVariantList();
    QTest::newRow("read a command word") << QList<ControllerAddress>{reg("0x10", QMetaType::UShort),
                                                                     reg("REMOTE", QMetaType::UShort)}
                                         << QVariantList();
    QTest::newRow("read a type without register form")
        << QList<ControllerAddress>{reg("0x10", QMetaType::Double)} << QVariantList();
    QTest::newRow("read past the last register")
        << QList<ControllerAddress>{reg("0xFFFF", QMetaType::UInt)} << QVariantList();
    QTest::newRow("write a value too large for its register")
        << QList<ControllerAddress>{reg("0x10", QMetaType::UShort), reg("0x11", QMetaType::UShort)}
        << QVariantList{1, 70000};
}

void tst_ModbusChamberConnection::requestsThatCannotBeMade_giveNoReply()
{
    QFETCH(QList<ControllerAddress>, addresses);
    QFETCH(QVariantList, values);

    QVector<quint16> image(RegisterCount);
    Peer peer;
    const std::optional<ModbusClientSettings> settings = peer.start(Road::TcpQtServer, image);
    QVERIFY(settings);
    ModbusChamberConnection connection(*settings, UnitId);
    QVERIFY(connectAndWait(connection));

    if (values.isEmpty()) {
        QVERIFY(!connection.readValues(addresses));
    } else {
        QList<QPair<ControllerAddress, QVariant>> pairs;
        for (int i = 0; i < addresses.size(); ++i)
            pairs.append({addresses.at(i), values.at(i)});
        QVERIFY(!connection.writeValues(pairs));
    }
    connection.disconnectDevice();
}

void tst_ModbusChamberConnection::requestsWhileUnconnected_failWithConnectionError()
{
    ModbusChamberConnection connection(ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), 9), UnitId);
    const auto read = chamberReply(connection.readValues({reg("0x10", QMetaType::UShort),
                                                          reg("0x11", QMetaType::UInt)}));
    const auto write = chamberReply(connection.writeValue(reg("0x10", QMetaType::UShort), 1));
    const auto check = chamberReply(connection.checkCommunication(reg("0x10", QMetaType::UShort)));
    QVERIFY(read && write && check);
    QSignalSpy readFinished(read.data(), &ChamberReply::finished);
    QSignalSpy checkFinished(check.data(), &ChamberReply::finished);
    QVERIFY(checkFinished.wait(WaitMs));
    QCOMPARE(readFinished.count(), 1);
    QCOMPARE(errorCodes(*read), (QVector<int>{ChamberError::ConnectionError, ChamberError::ConnectionError}));
    QCOMPARE(errorCodes(*write), QVector<int>{ChamberError::ConnectionError});
    QCOMPARE(errorCodes(*check), QVector<int>{ChamberError::ConnectionError});
}

void tst_ModbusChamberConnection::connectAndDisconnect_reportEveryState()
{
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Tcp);
    QVERIFY(peer.listen());
    // The peer keeps every request waiting.
    peer.setHandler([](const ScriptedModbusPeer::Request &) {});
    ModbusChamberConnection connection(ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), peer.port()), UnitId);
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);

    QVERIFY(connection.connectDevice());
    QVERIFY(!connection.connectDevice());
    QTRY_COMPARE_WITH_TIMEOUT(connection.state(), ChamberState::STATE_CONNECTED, WaitMs);

    const auto reply = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QSignalSpy requests(&peer, &ScriptedModbusPeer::requestReceived);
    QVERIFY(requests.wait(WaitMs));
    connection.disconnectDevice();
    QCOMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));

    QList<ChamberState::State> seen;
    for (const QList<QVariant> &arguments : qAsConst(states))
        seen.append(arguments.at(0).value<ChamberState::State>());
    QCOMPARE(seen, (QList<ChamberState::State>{ChamberState::STATE_CONNECTING, ChamberState::STATE_CONNECTED,
                                               ChamberState::STATE_CLOSING, ChamberState::STATE_UNCONNECTED}));
    QCOMPARE(errors.count(), 0);

    // Open again on the same connection.
    QVERIFY(connectAndWait(connection));
    QCOMPARE(finished.count(), 1);
}

void tst_ModbusChamberConnection::closedPort_failsToConnect_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial port that does not exist") << true;
    QTest::newRow("TCP port that nobody listens on") << false;
}

void tst_ModbusChamberConnection::closedPort_failsToConnect()
{
    QFETCH(bool, serial);

    SocatPtyPair line;
    ModbusClientSettings settings;
    if (serial) {
        QVERIFY(line.start());
        settings = ModbusClientSettings::rtuSerial(line.missingEnd());
    } else {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        settings = ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), closed.serverPort());
    }
    ModbusChamberConnection connection(settings, UnitId);
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);

    QVERIFY(connection.connectDevice());
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTING);
    QTRY_COMPARE_WITH_TIMEOUT(connection.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<ChamberError>().error(), ChamberError::ConnectionError);
    QCOMPARE(states.count(), 2);

    const auto reply = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::ConnectionError));
}

void tst_ModbusChamberConnection::cutCable_endsTheRequestAndTheConnection_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("pseudo-terminal closed") << true;
    QTest::newRow("TCP connection closed by the peer") << false;
}

void tst_ModbusChamberConnection::cutCable_endsTheRequestAndTheConnection()
{
    QFETCH(bool, serial);

    SilentLine line;
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Rtu);
    ModbusClientSettings settings;
    if (serial) {
        QVERIFY(line.start());
        settings = ModbusClientSettings::rtuSerial(line.end());
    } else {
        QVERIFY(peer.listen());
        peer.setHandler([&peer](const ScriptedModbusPeer::Request &) { peer.closeConnection(); });
        settings = ModbusClientSettings::rtuOverTcp(QStringLiteral("127.0.0.1"), peer.port());
    }
    ModbusChamberConnection connection(settings, UnitId);
    QVERIFY(connectAndWait(connection));
    QSignalSpy errors(&connection, &ChamberConnection::errorOccured);

    const auto reply = chamberReply(
        connection.readValues({reg("0x10", QMetaType::UShort), reg("0x20", QMetaType::UShort)}));
    const auto queued = chamberReply(connection.readValue(reg("0x30", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QSignalSpy queuedFinished(queued.data(), &ChamberReply::finished);
    if (serial) {
        // The request is on the wire when its far end has read it.
        QSignalSpy arrived(&line.farEnd(), &QSerialPort::readyRead);
        QVERIFY(arrived.wait(WaitMs));
        line.line().cut();
    }

    // Cutting the line runs the event loop already.
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, WaitMs);
    QVERIFY(reply->hasAnyError());
    QVERIFY(reply->errorCode(0) == ChamberError::ReplyAbortedError
            || reply->errorCode(0) == ChamberError::ConnectionError);
    QTRY_COMPARE_WITH_TIMEOUT(connection.state(), ChamberState::STATE_UNCONNECTED, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(queuedFinished.count(), 1, WaitMs);
    QVERIFY(queued->hasAnyError());
    // One failure is one error, though a serial line that has gone reports
    // it on every read attempt.
    QCOMPARE(errors.count(), 1);
    const ChamberError::Error error = errors.at(0).at(0).value<ChamberError>().error();
    QVERIFY2(error == ChamberError::ConnectionError || error == ChamberError::ReadError,
             qPrintable(QString::number(error)));
    QCOMPARE(finished.count(), 1);
}

void tst_ModbusChamberConnection::silentDevice_timesOutAndStaysConnected_data()
{
    QTest::addColumn<Road>("road");
    QTest::newRow("RTU, pseudo-terminal, slave of another address") << Road::SerialQtSlave;
    QTest::newRow("Modbus TCP, server that never answers") << Road::TcpQtServer;
}

void tst_ModbusChamberConnection::silentDevice_timesOutAndStaysConnected()
{
    QFETCH(Road, road);

    Peer peer;
    ScriptedModbusPeer silent(ScriptedModbusPeer::Framing::Tcp);
    std::optional<ModbusClientSettings> settings;
    if (road == Road::SerialQtSlave) {
        settings = peer.start(road, QVector<quint16>(RegisterCount));
        QVERIFY(settings);
    } else {
        QVERIFY(silent.listen());
        silent.setHandler([](const ScriptedModbusPeer::Request &) {});
        settings = ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), silent.port());
    }
    settings->setTimeout(std::chrono::milliseconds(50));
    settings->setNumberOfRetries(1);
    // Nobody answers to this address.
    ModbusChamberConnection connection(*settings, UnitId + 1);
    QVERIFY(connectAndWait(connection));
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);

    const auto reply = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
    QCOMPARE(states.count(), 0);
    if (road == Road::TcpQtServer)
        QCOMPARE(silent.requests().size(), 2);
    connection.disconnectDevice();
}

void tst_ModbusChamberConnection::silentDevice_defaultTimeout_sendsFourTimes()
{
    SilentLine line;
    QVERIFY(line.start());
    ModbusChamberConnection connection(ModbusClientSettings::rtuSerial(line.end()), UnitId);
    QVERIFY(connectAndWait(connection));

    QElapsedTimer elapsed;
    elapsed.start();
    const auto reply = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QVERIFY2(elapsed.elapsed() >= 4000, qPrintable(QString::number(elapsed.elapsed())));

    // Four identical frames of 8 bytes: the request and three retries.
    QTRY_COMPARE_WITH_TIMEOUT(line.farEnd().bytesAvailable(), qint64(32), WaitMs);
    const QByteArray frames = line.farEnd().readAll();
    QCOMPARE(frames.mid(0, 8), frames.mid(24, 8));
    QCOMPARE(frames.mid(0, 6), QByteArray::fromHex("110300100001"));
}

void tst_ModbusChamberConnection::reset_abortsPendingRequests_keepsTheLine()
{
    ScriptedModbusPeer peer(ScriptedModbusPeer::Framing::Tcp);
    QVERIFY(peer.listen());
    // The first request is left unanswered, every later one answered.
    QList<ScriptedModbusPeer::Request> held;
    peer.setHandler([&peer, &held](const ScriptedModbusPeer::Request &request) {
        if (held.isEmpty())
            held.append(request);
        else
            peer.answer(request);
    });
    peer.registers()[0x10] = 0x1234;
    ModbusChamberConnection connection(ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), peer.port()), UnitId);
    QVERIFY(connectAndWait(connection));
    QSignalSpy states(&connection, &ChamberConnection::stateChanged);

    const auto first = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    const auto second = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy firstFinished(first.data(), &ChamberReply::finished);
    QSignalSpy secondFinished(second.data(), &ChamberReply::finished);
    QSignalSpy requests(&peer, &ScriptedModbusPeer::requestReceived);
    QVERIFY(requests.wait(WaitMs));

    connection.reset();
    QVERIFY(firstFinished.wait(WaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(secondFinished.count(), 1, WaitMs);
    QCOMPARE(first->errorCode(0), int(ChamberError::ReplyAbortedError));
    QCOMPARE(second->errorCode(0), int(ChamberError::ReplyAbortedError));
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
    QCOMPARE(states.count(), 0);

    // The held request runs into its time-out on the worker; the next one
    // waits behind it and is answered.
    const auto next = chamberReply(connection.readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy nextFinished(next.data(), &ChamberReply::finished);
    QVERIFY(nextFinished.wait(WaitMs));
    QCOMPARE(next->errorCode(0), 0);
    QCOMPARE(next->result(0).value<ushort>(), ushort(0x1234));
    QCOMPARE(firstFinished.count(), 1);
    QCOMPARE(secondFinished.count(), 1);
    connection.disconnectDevice();
}

void tst_ModbusChamberConnection::destruction_abortsPendingRequests()
{
    SilentLine line;
    QVERIFY(line.start());
    auto connection = std::make_unique<ModbusChamberConnection>(ModbusClientSettings::rtuSerial(line.end()), UnitId);
    QVERIFY(connectAndWait(*connection));
    const QPointer<QThread> thread = connection->wrapper()->workerThread();
    const auto reply = chamberReply(connection->readValue(reg("0x10", QMetaType::UShort)));
    QSignalSpy finished(reply.data(), &ChamberReply::finished);

    connection.reset();
    QVERIFY(thread.isNull());
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
    // The line is free for the next user.
    QSerialPort again;
    again.setPortName(line.end());
    QVERIFY(again.open(QIODevice::ReadWrite));
}

void tst_ModbusChamberConnection::sameGateway_twoConnectionsShareOneClientAndThread()
{
    QVector<quint16> image(RegisterCount);
    put(image, 0x40, {0x0102, 0x0304});
    Peer peer;
    const std::optional<ModbusClientSettings> settings = peer.start(Road::RtuOverTcpPymodbus, image, 0x40, 0x41);
    QVERIFY(settings);
    auto first = std::make_unique<ModbusChamberConnection>(*settings, UnitId);
    auto second = std::make_unique<ModbusChamberConnection>(*settings, UnitId);
    QVERIFY(connectAndWait(*first));
    QVERIFY(connectAndWait(*second));

    QCOMPARE(first->wrapper()->workerThread(), second->wrapper()->workerThread());
    QVERIFY(first->wrapper()->workerThread() != QThread::currentThread());
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList{settings->key()});
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 1);

    // Both at once, through the one client.
    const auto firstReply = chamberReply(first->readValue(reg("0x40", QMetaType::UShort)));
    const auto secondReply = chamberReply(second->readValue(reg("0x41", QMetaType::UShort)));
    QSignalSpy firstFinished(firstReply.data(), &ChamberReply::finished);
    QSignalSpy secondFinished(secondReply.data(), &ChamberReply::finished);
    QVERIFY(firstFinished.wait(WaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(secondFinished.count(), 1, WaitMs);
    QCOMPARE(firstReply->result(0).value<ushort>(), ushort(0x0102));
    QCOMPARE(secondReply->result(0).value<ushort>(), ushort(0x0304));

    const QPointer<QThread> thread = first->wrapper()->workerThread();
    first.reset();
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys().size(), 1);
    QCOMPARE(second->state(), ChamberState::STATE_CONNECTED);
    second.reset();
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList());
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 0);
    QVERIFY(thread.isNull());
}

QTEST_GUILESS_MAIN(tst_ModbusChamberConnection)
#include "tst_modbuschamberconnection.moc"
