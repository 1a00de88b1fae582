#include "connection/chamber/modbus/modbusmasterthread.h"
#include "connection/chamber/modbus/modbusmasterwappermulticlient.h"
#include "connection/chamber/modbus/modbusrtuovertcpmasterwrapper.h"

#include <QtCore/QPointer>
#include <QtCore/QThread>
#include <QtNetwork/QTcpServer>
#include <QtTest/QtTest>

#include <cstdio>
#include <memory>

using namespace quelta::base::connection::chamberconnection;

// A wrapper with an open line outlives the application object: its worker
// thread must be ended as the application object goes, and the wrapper must
// still go quietly after it. A failure ends the test with qFatal().
int main(int argc, char *argv[])
{
    std::unique_ptr<ModbusRtuOverTcpMasterWrapper> survivor;
    QPointer<QThread> survivorThread;
    {
        QCoreApplication application(argc, argv);
        // The early end of the thread is reported, as it should be; it is
        // meant here.
        QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false"));
        QTcpServer gateway;
        if (!gateway.listen(QHostAddress::LocalHost))
            qFatal("FAIL!  : no gateway");
        survivor = std::make_unique<ModbusRtuOverTcpMasterWrapper>(
            ModbusClientSettings::rtuOverTcp(QStringLiteral("127.0.0.1"), gateway.serverPort()));
        survivorThread = survivor->workerThread();
        survivor->connectDevice();
        if (!QTest::qWaitFor([&] { return survivor->state() == QModbusDevice::ConnectedState; }, 5000))
            qFatal("FAIL!  : the survivor did not connect");
    }
    if (ModbusMasterThread::runningThreadCount() != 0 || survivorThread.isNull() || survivorThread->isRunning())
        qFatal("FAIL!  : a Modbus worker thread outlived the application object");
    survivor.reset();
    if (!ModbusMasterWapperMultiClient::sharedClientKeys().isEmpty() || !survivorThread.isNull())
        qFatal("FAIL!  : the survivor left its client or thread behind");
    std::printf("PASS   : the worker thread ended with the application object\n");
    return 0;
}
