#include "connection/chamber/modbus/modbusmasterimpl.h"
#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusrtuovertcpmasterwrapper.h"

#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtTest/QtTest>

#include <cstdio>
#include <memory>

using namespace quelta::base::connection::chamberconnection;

namespace {

ModbusClientSettings settingsFor(quint16 port)
{
    return ModbusClientSettings::rtuOverTcp(QStringLiteral("127.0.0.1"), port);
}

} // namespace

class tst_ModbusMasterThread : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void workerLivesOnItsOwnRunningThread();
};

void tst_ModbusMasterThread::workerLivesOnItsOwnRunningThread()
{
    const ModbusMasterThread thread(settingsFor(1502));
    QVERIFY(thread.thread()->isRunning());
    QVERIFY(thread.thread() != QThread::currentThread());
    QCOMPARE(thread.worker()->thread(), thread.thread());
    QCOMPARE(ModbusMasterThread::runningThreadCount(), 1);
}

// The Qt Test case runs first. Then a wrapper with an open line outlives the
// application object: its thread must be ended as the application object
// goes, and the wrapper must still go quietly after it.
int main(int argc, char *argv[])
{
    std::unique_ptr<ModbusRtuOverTcpMasterWrapper> survivor;
    QPointer<QThread> survivorThread;
    int result = 0;
    {
        QCoreApplication application(argc, argv);
        // The early end of the thread is reported, as it should be; it is
        // meant here.
        QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false"));
        tst_ModbusMasterThread test;
        result = QTest::qExec(&test, argc, argv);

        QTcpServer gateway;
        if (!gateway.listen(QHostAddress::LocalHost))
            return 1;
        survivor = std::make_unique<ModbusRtuOverTcpMasterWrapper>(settingsFor(gateway.serverPort()));
        survivorThread = survivor->workerThread();
        survivor->connectDevice();
        QSignalSpy connected(survivor.get(), &ModbusMasterWapper::stateChanged);
        while (survivor->state() != QModbusDevice::ConnectedState) {
            if (!connected.wait(5000)) {
                std::fprintf(stderr, "FAIL!  : the survivor did not connect\n");
                return 1;
            }
        }
    }
    if (ModbusMasterThread::runningThreadCount() != 0 || survivorThread.isNull() || survivorThread->isRunning()) {
        std::fprintf(stderr, "FAIL!  : a Modbus worker thread outlived the application object\n");
        return 1;
    }
    survivor.reset();
    if (!ModbusMasterWapperMultiClient::sharedClientKeys().isEmpty() || !survivorThread.isNull()) {
        std::fprintf(stderr, "FAIL!  : the survivor left its client or thread behind\n");
        return 1;
    }
    std::printf("PASS   : the worker thread ended with the application object\n");
    return result;
}

#include "tst_modbusmasterthread.moc"
