#include "connection/chamber/modbus/modbusmasterimpl.h"
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

namespace {

int fail(const char *why)
{
    std::fprintf(stderr, "FAIL!  : %s\n", why);
    return 1;
}

} // namespace

// A wrapper with an open line outlives the application object: its worker
// thread must be ended as the application object goes, and the wrapper must
// still go quietly after it.
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
            return fail("no gateway");
        const auto settings = ModbusClientSettings::rtuOverTcp(QStringLiteral("127.0.0.1"), gateway.serverPort());
        {
            const ModbusMasterThread thread(settings);
            if (!thread.thread()->isRunning() || thread.worker()->thread() != thread.thread()
                || thread.thread() == QThread::currentThread())
                return fail("the worker does not live on a running thread of its own");
        }
        survivor = std::make_unique<ModbusRtuOverTcpMasterWrapper>(settings);
        survivorThread = survivor->workerThread();
        survivor->connectDevice();
        QSignalSpy connected(survivor.get(), &ModbusMasterWapper::stateChanged);
        while (survivor->state() != QModbusDevice::ConnectedState) {
            if (!connected.wait(5000))
                return fail("the survivor did not connect");
        }
    }
    if (ModbusMasterThread::runningThreadCount() != 0 || survivorThread.isNull() || survivorThread->isRunning())
        return fail("a Modbus worker thread outlived the application object");
    survivor.reset();
    if (!ModbusMasterWapperMultiClient::sharedClientKeys().isEmpty() || !survivorThread.isNull())
        return fail("the survivor left its client or thread behind");
    std::printf("PASS   : the worker thread ended with the application object\n");
    return 0;
}
