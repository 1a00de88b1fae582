// Sequential holding-register reads against one loopback QModbusTcpServer,
// through QModbusQueuedTcpClient and through libmodbus, in one process and
// one run. Prints both rates and their ratio.
//
// Each client makes 2,000 reads in each of a few alternating rounds; the
// median round counts, so that one round disturbed by the scheduler does not
// decide the result.

#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"
#include "measurement.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QThread>
#include <QtCore/QTimer>
#include <QtNetwork/QTcpServer>
#include <QtSerialBus/QModbusTcpServer>

#include <modbus/modbus.h>

#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int Unit = 1;
constexpr int Reads = 2000;
constexpr int WarmUpReads = 50;
constexpr int Rounds = 5;
constexpr int RegistersPerRead = 10;
constexpr double Goal = 0.5;

// The server lives on a thread of its own, so that the blocking libmodbus
// client on the main thread can talk to it.
class ServerThread
{
public:
    ServerThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_server = new QModbusTcpServer(&m_context);
                QModbusDataUnitMap map;
                QModbusDataUnit registers(QModbusDataUnit::HoldingRegisters, 0, RegistersPerRead);
                for (int i = 0; i < RegistersPerRead; ++i)
                    registers.setValue(i, quint16(0x1000 + i));
                map.insert(QModbusDataUnit::HoldingRegisters, registers);
                m_server->setMap(map);
                m_server->setData(registers);
                m_server->setServerAddress(Unit);
                m_server->setConnectionParameter(QModbusDevice::NetworkAddressParameter,
                                                 QStringLiteral("127.0.0.1"));
                m_server->setConnectionParameter(QModbusDevice::NetworkPortParameter, 0);
                if (m_server->connectDevice()) {
                    // QModbusTcpServer does not report the port it was
                    // given; its listening socket does.
                    if (const auto *listener = m_server->findChild<QTcpServer *>())
                        m_port = listener->serverPort();
                }
            },
            Qt::BlockingQueuedConnection);
    }

    ~ServerThread()
    {
        QMetaObject::invokeMethod(
            &m_context, [this] { delete m_server; }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_port; }

private:
    QThread m_thread;
    QObject m_context;
    QModbusTcpServer *m_server = nullptr;
    quint16 m_port = 0;
};

// Reads one after the other, each sent when the previous one finished.
// Returns the number of reads that came back correct.
int runOwnClient(QModbusQueuedTcpClient &client, int reads)
{
    const QModbusDataUnit unit(QModbusDataUnit::HoldingRegisters, 0, RegistersPerRead);
    QEventLoop loop;
    int done = 0;
    int good = 0;
    std::function<void()> sendNext = [&] {
        QModbusReply *reply = client.sendReadRequest(unit, Unit);
        if (!reply) {
            loop.quit();
            return;
        }
        QObject::connect(reply, &QModbusReply::finished, &loop, [&, reply] {
            if (reply->error() == QModbusDevice::NoError
                && reply->result().valueCount() == uint(RegistersPerRead)
                && reply->result().value(RegistersPerRead - 1) == 0x1000 + RegistersPerRead - 1) {
                ++good;
            }
            reply->deleteLater();
            if (++done == reads)
                loop.quit();
            else
                sendNext();
        });
    };
    QTimer::singleShot(0, &loop, sendNext);
    loop.exec();
    return good;
}

int runLibmodbus(modbus_t *context, int reads)
{
    uint16_t registers[RegistersPerRead];
    int good = 0;
    for (int i = 0; i < reads; ++i) {
        if (modbus_read_registers(context, 0, RegistersPerRead, registers) == RegistersPerRead
            && registers[RegistersPerRead - 1] == 0x1000 + RegistersPerRead - 1) {
            ++good;
        }
    }
    return good;
}

bool connectOwnClient(QModbusQueuedTcpClient &client, quint16 port)
{
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter, QStringLiteral("127.0.0.1"));
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    QEventLoop loop;
    QObject::connect(&client, &QModbusDevice::stateChanged, &loop, [&loop](QModbusDevice::State state) {
        if (state != QModbusDevice::ConnectingState)
            loop.quit();
    });
    if (!client.connectDevice())
        return false;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return client.state() == QModbusDevice::ConnectedState;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    ServerThread server;
    if (server.port() == 0) {
        std::fprintf(stderr, "The QModbusTcpServer did not start.\n");
        return 1;
    }

    QModbusQueuedTcpClient client;
    if (!connectOwnClient(client, server.port())) {
        std::fprintf(stderr, "QModbusQueuedTcpClient could not connect.\n");
        return 1;
    }
    std::unique_ptr<modbus_t, void (*)(modbus_t *)> context(
        modbus_new_tcp("127.0.0.1", server.port()), [](modbus_t *c) {
            modbus_close(c);
            modbus_free(c);
        });
    if (!context || modbus_set_slave(context.get(), Unit) != 0 || modbus_connect(context.get()) != 0) {
        std::fprintf(stderr, "libmodbus could not connect: %s\n", modbus_strerror(errno));
        return 1;
    }

    runOwnClient(client, WarmUpReads);
    runLibmodbus(context.get(), WarmUpReads);
    std::vector<double> ownRates;
    std::vector<double> libmodbusRates;
    QElapsedTimer timer;
    for (int round = 0; round < Rounds; ++round) {
        timer.start();
        const int ownGood = runOwnClient(client, Reads);
        ownRates.push_back(quelta::bench::ratePerSecond(Reads, timer.nsecsElapsed()));
        timer.start();
        const int libmodbusGood = runLibmodbus(context.get(), Reads);
        libmodbusRates.push_back(quelta::bench::ratePerSecond(Reads, timer.nsecsElapsed()));
        if (ownGood != Reads || libmodbusGood != Reads) {
            std::fprintf(stderr, "Failed reads: QModbusQueuedTcpClient %d, libmodbus %d of %d.\n",
                         Reads - ownGood, Reads - libmodbusGood, Reads);
            return 1;
        }
    }
    client.disconnectDevice();
    context.reset();

    std::printf("%d sequential reads of %d holding registers from a loopback QModbusTcpServer,\n"
                "median of %d rounds\n",
                Reads, RegistersPerRead, Rounds);
    quelta::bench::printRatesAgainstGoal({"QModbusQueuedTcpClient", quelta::bench::median(ownRates)},
                                         {"libmodbus", quelta::bench::median(libmodbusRates)}, "reads/s", Goal);
    return 0;
}
