// Reads 10,000 records from a simulated QX2 data logger on a loopback
// QModbusTcpServer, through QX2DataLoggerReader over a Modbus TCP chamber
// connection and through libmodbus making the same register requests, in one
// process and one run. Prints both rates in records per second and their
// ratio.
//
// A read asks for the dataset settings once, then, per block of eight
// records, writes position and count, writes the read command, polls the
// control word, reads the error code, the record count and the block of 110
// registers. The clients take turns at going first for a few rounds; the
// median round counts, so that one round disturbed by the scheduler does not
// decide the result.

#include "dataloggersimulator.h"
#include "loopbackmodbustcpserver.h"
#include "measurement.h"

#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "domain/types/metatypes.h"
#include "transfer/qx2dataloggerreader.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QEventLoop>
#include <QtCore/QThread>
#include <QtCore/QTimer>

#include <modbus/modbus.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace quelta::base::connection::chamberconnection;
using namespace quelta::domain::types;

namespace {

constexpr int Records = 10000;
constexpr int Rounds = 5;
constexpr int RecordsPerBlock = 8;
constexpr int BlockRegisters = 110;
constexpr double Goal = 0.5;

// The logger lives on a thread of its own, so that the blocking libmodbus
// client on the main thread can talk to it.
class LoggerThread
{
public:
    LoggerThread()
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_logger = std::make_unique<DataLoggerSimulator>(false);
                m_logger->interval = 1;
                for (int i = 0; i < Records; ++i)
                    m_logger->log(0, quint32(1600000000 + i), float(i));
                m_port = listenOnLoopback(*m_logger);
            },
            Qt::BlockingQueuedConnection);
    }

    ~LoggerThread()
    {
        QMetaObject::invokeMethod(
            &m_context, [this] { m_logger.reset(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }

    quint16 port() const { return m_port; }

private:
    QThread m_thread;
    QObject m_context;
    std::unique_ptr<DataLoggerSimulator> m_logger;
    quint16 m_port = 0;
};

// The records of one read of the whole log; -1 when it failed.
int runReader(QX2DataLoggerReader &reader)
{
    RecordingData recording;
    recording.setStartTime(QDateTime::currentDateTime().addSecs(-Records));
    QEventLoop loop;
    int records = -1;
    QObject::connect(&reader, &QX2DataLoggerReader::finished, &loop,
                     [&](const RecordingData &, const QList<Recordset> &recordsets) {
                         records = recordsets.size();
                         loop.quit();
                     });
    QObject::connect(&reader, &QX2DataLoggerReader::error, &loop, &QEventLoop::quit);
    if (!reader.readDataLogger(recording, {ChamberSignal()}, false))
        return -1;
    loop.exec();
    QObject::disconnect(&reader, nullptr, &loop, nullptr);
    return records;
}

bool readRegisters(modbus_t *context, int address, int count, uint16_t *words)
{
    return modbus_read_registers(context, address, count, words) == count;
}

// The same requests as the reader's; the records read, -1 when one failed.
int runLibmodbus(modbus_t *context)
{
    uint16_t counter[2];
    uint16_t words[BlockRegisters];
    if (!readRegisters(context, 0x1310, 2, counter) || !readRegisters(context, 0x130E, 1, words))
        return -1;
    quint32 position = (quint32(counter[0]) << 16 | counter[1]) - Records;
    int records = 0;
    while (records < Records) {
        const uint16_t request[3] = {uint16_t(position >> 16), uint16_t(position),
                                     uint16_t(std::min(RecordsPerBlock, Records - records))};
        if (modbus_write_registers(context, 0x1308, 3, request) != 3
            || modbus_write_register(context, 0x1307, 0x8000) != 1) {
            return -1;
        }
        do {
            if (!readRegisters(context, 0x1307, 1, words))
                return -1;
        } while (words[0] & 0x8000);
        if (!readRegisters(context, 0x130B, 1, words) || words[0] != 0 || !readRegisters(context, 0x130A, 1, words))
            return -1;
        const int available = words[0];
        if (available == 0 || !readRegisters(context, 0x6500, BlockRegisters, words))
            return -1;
        records += available;
        position += quint32(available);
    }
    return records;
}

bool connectChamber(ModbusChamberConnection &connection)
{
    QEventLoop loop;
    QObject::connect(&connection, &ModbusChamberConnection::stateChanged, &loop, [&loop](ChamberState::State state) {
        if (state != ChamberState::STATE_CONNECTING)
            loop.quit();
    });
    if (!connection.connectDevice())
        return false;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    return connection.state() == ChamberState::STATE_CONNECTED;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    registerMetaTypes();
    LoggerThread logger;
    if (logger.port() == 0) {
        std::fprintf(stderr, "The simulated data logger did not start.\n");
        return 1;
    }

    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), logger.port()), 1);
    QX2DataLoggerReader reader;
    if (!connectChamber(*connection) || !reader.setChamberConnection(connection)) {
        std::fprintf(stderr, "The chamber connection could not connect.\n");
        return 1;
    }
    std::unique_ptr<modbus_t, void (*)(modbus_t *)> context(modbus_new_tcp("127.0.0.1", logger.port()),
                                                            [](modbus_t *c) {
                                                                modbus_close(c);
                                                                modbus_free(c);
                                                            });
    if (!context || modbus_set_slave(context.get(), 1) != 0 || modbus_connect(context.get()) != 0) {
        std::fprintf(stderr, "libmodbus could not connect: %s\n", modbus_strerror(errno));
        return 1;
    }

    // The sides take turns at going first; a round that reads short ends the
    // program.
    std::vector<double> readerRates;
    std::vector<double> libmodbusRates;
    const auto timed = [](std::vector<double> &rates, const char *side, const std::function<int()> &read) {
        QElapsedTimer timer;
        timer.start();
        const int records = read();
        rates.push_back(quelta::bench::ratePerSecond(Records, timer.nsecsElapsed()));
        if (records != Records)
            quelta::bench::fail(qPrintable(QString::asprintf("%s read %d of %d records", side, records, Records)));
    };
    quelta::bench::runInTurns(
        Rounds, [&](int) { timed(libmodbusRates, "libmodbus", [&] { return runLibmodbus(context.get()); }); },
        [&](int) { timed(readerRates, "QX2DataLoggerReader", [&] { return runReader(reader); }); });
    connection->disconnectDevice();
    context.reset();

    std::printf("%d records of a simulated QX2 data logger on a loopback QModbusTcpServer,\n"
                "blocks of %d records, median of %d rounds\n",
                Records, RecordsPerBlock, Rounds);
    quelta::bench::printRatesAgainstGoal({"QX2DataLoggerReader", quelta::bench::median(readerRates)},
                                         {"libmodbus", quelta::bench::median(libmodbusRates)}, "records/s", Goal);
    return 0;
}
