#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusrtuovertcpmasterwrapper.h"
#include "connection/chamber/modbus/modbusrtuserialmasterwrapper.h"
#include "connection/chamber/modbus/modbustcpmasterwrapper.h"

#include "socatptypair.h"

#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtNetwork/QHostAddress>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>


using namespace quelta::base::connection::chamberconnection;

namespace {

constexpr int WaitMs = 5000;

// A TCP server on loopback that only counts and holds the connections made
// to it: the gateway behind which the shared clients live.
class CountingServer : public QTcpServer
{
public:
    CountingServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                m_sockets.append(socket);
        });
    }
    QList<QPointer<QTcpSocket>> sockets() const { return m_sockets; }

private:
    QList<QPointer<QTcpSocket>> m_sockets;
};

ModbusClientSettings gateway(quint16 port)
{
    return ModbusClientSettings::rtuOverTcp(QStringLiteral("127.0.0.1"), port);
}

} // namespace

class tst_ModbusMasterWapperMultiClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void sameGateway_sharesOneClientAndThread();
    void otherGatewaysAndLines_getTheirOwn();
    void laterSettingsForOneLine_shareTheFirstOnes();
    void lineStaysOpenUntilItsLastUserLetsGo();
    void lostLine_reachesEveryUser_andReopensFresh();
    void tcpWrappers_haveAThreadEach();
};

void tst_ModbusMasterWapperMultiClient::initTestCase()
{
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::Error>();
    // Connection failures below are meant; their warnings are not news.
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false\n"
                                                    "qt.modbus.warning=false"));
}

void tst_ModbusMasterWapperMultiClient::cleanup()
{
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList());
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 0);
}

void tst_ModbusMasterWapperMultiClient::sameGateway_sharesOneClientAndThread()
{
    CountingServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    ModbusRtuOverTcpMasterWrapper first(gateway(server.serverPort()));
    ModbusRtuOverTcpMasterWrapper second(gateway(server.serverPort()));

    QCOMPARE(first.workerThread(), second.workerThread());
    QVERIFY(first.workerThread()->isRunning());
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(),
             QStringList{QStringLiteral("127.0.0.1:%1").arg(server.serverPort())});
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 1);

    first.connectDevice();
    second.connectDevice();
    QCOMPARE(first.state(), QModbusDevice::ConnectingState);
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QModbusDevice::ConnectedState, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QModbusDevice::ConnectedState, WaitMs);
    QCOMPARE(server.sockets().size(), 1);
}

void tst_ModbusMasterWapperMultiClient::otherGatewaysAndLines_getTheirOwn()
{
    SocatPtyPair line;
    QVERIFY2(line.start(), qPrintable(line.errors()));
    ModbusRtuOverTcpMasterWrapper gatewayA(gateway(1502));
    ModbusRtuOverTcpMasterWrapper gatewayB(gateway(1503));
    ModbusRtuSerialMasterWrapper serialA(ModbusClientSettings::rtuSerial(line.firstEnd()));
    ModbusRtuSerialMasterWrapper serialAgain(ModbusClientSettings::rtuSerial(line.firstEnd()));
    ModbusRtuSerialMasterWrapper serialB(ModbusClientSettings::rtuSerial(line.secondEnd()));

    QVERIFY(gatewayA.workerThread() != gatewayB.workerThread());
    QVERIFY(serialA.workerThread() != serialB.workerThread());
    QCOMPARE(serialA.workerThread(), serialAgain.workerThread());
    QVERIFY(serialA.workerThread() != gatewayA.workerThread());
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys().size(), 4);
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 4);
}

void tst_ModbusMasterWapperMultiClient::laterSettingsForOneLine_shareTheFirstOnes()
{
    SocatPtyPair line;
    QVERIFY2(line.start(), qPrintable(line.errors()));
    const ModbusClientSettings first = ModbusClientSettings::rtuSerial(line.firstEnd());
    ModbusClientSettings other = first;
    other.setBaudRate(9600);
    other.setTimeout(std::chrono::milliseconds(200));

    ModbusRtuSerialMasterWrapper firstUser(first);
    ModbusRtuSerialMasterWrapper laterUser(other);
    QCOMPARE(laterUser.workerThread(), firstUser.workerThread());
    QCOMPARE(laterUser.settings(), first);
}

void tst_ModbusMasterWapperMultiClient::lineStaysOpenUntilItsLastUserLetsGo()
{
    CountingServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    ModbusRtuOverTcpMasterWrapper first(gateway(server.serverPort()));
    ModbusRtuOverTcpMasterWrapper second(gateway(server.serverPort()));
    QSignalSpy secondStates(&second, &ModbusMasterWapper::stateChanged);
    first.connectDevice();
    second.connectDevice();
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QModbusDevice::ConnectedState, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QModbusDevice::ConnectedState, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(server.sockets().size(), 1, WaitMs);
    QPointer<QTcpSocket> socket = server.sockets().at(0);
    QSignalSpy closed(socket.data(), &QTcpSocket::disconnected);

    first.disconnectDevice();
    QCOMPARE(first.state(), QModbusDevice::UnconnectedState);
    // Another user holds the line: nothing closes. Any close would have to
    // come before the reconnect of the first wrapper is answered.
    first.connectDevice();
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QModbusDevice::ConnectedState, WaitMs);
    QCOMPARE(closed.count(), 0);
    QCOMPARE(server.sockets().size(), 1);
    QCOMPARE(second.state(), QModbusDevice::ConnectedState);
    QCOMPARE(secondStates.count(), 2);

    first.disconnectDevice();
    second.disconnectDevice();
    QVERIFY(closed.wait(WaitMs));
}

void tst_ModbusMasterWapperMultiClient::lostLine_reachesEveryUser_andReopensFresh()
{
    CountingServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    ModbusRtuOverTcpMasterWrapper first(gateway(server.serverPort()));
    ModbusRtuOverTcpMasterWrapper second(gateway(server.serverPort()));
    QSignalSpy firstErrors(&first, &ModbusMasterWapper::errorOccurred);
    QSignalSpy secondErrors(&second, &ModbusMasterWapper::errorOccurred);
    first.connectDevice();
    second.connectDevice();
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QModbusDevice::ConnectedState, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QModbusDevice::ConnectedState, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(server.sockets().size(), 1, WaitMs);

    server.sockets().at(0)->abort();
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QModbusDevice::UnconnectedState, WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QModbusDevice::UnconnectedState, WaitMs);
    QCOMPARE(firstErrors.count(), 1);
    QCOMPARE(firstErrors.at(0).at(0).value<QModbusDevice::Error>(), QModbusDevice::ConnectionError);
    QCOMPARE(secondErrors.count(), 1);

    second.connectDevice();
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QModbusDevice::ConnectedState, WaitMs);
    QCOMPARE(server.sockets().size(), 2);
    QCOMPARE(first.state(), QModbusDevice::UnconnectedState);
}

void tst_ModbusMasterWapperMultiClient::tcpWrappers_haveAThreadEach()
{
    const ModbusClientSettings settings = ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), 1502);
    ModbusTcpMasterWrapper first(settings);
    ModbusTcpMasterWrapper second(settings);
    QVERIFY(first.workerThread() != second.workerThread());
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 2);
    QCOMPARE(ModbusMasterWapperMultiClient::sharedClientKeys(), QStringList());
}

QTEST_GUILESS_MAIN(tst_ModbusMasterWapperMultiClient)
#include "tst_modbusmasterwappermulticlient.moc"
