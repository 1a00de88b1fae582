#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtSerialBus/QModbusTcpServer>

#include <array>

// The data logger of a QX2 or ZK4 controller as unit 1 of a Qt Modbus TCP
// server; start it with listenOnLoopback().
//
// Each dataset keeps its records oldest first and counts every record logged;
// the record at position p is the one (counter - p) records old, so positions
// wrap with the counter. A read command written to the control word puts the
// records from the read position into the block, as many as were wanted,
// exist and fit, and their number into the count register; the control word
// then keeps bit 15 set for busyPolls reads, for ever when it is negative.
class DataLoggerSimulator : public QModbusTcpServer
{
public:
    // One read command as the logger received it.
    struct Pass
    {
        quint16 command;
        quint32 position;
        quint16 count;
    };

    explicit DataLoggerSimulator(bool zk4);
    ~DataLoggerSimulator() override;

    // A record with the time stamp and the value of channel 0.
    void log(int dataset, quint32 time, float value);

    std::array<QList<QByteArray>, 2> records;
    std::array<quint32, 2> counters{};
    quint16 interval = 60;
    int busyPolls = 0;
    quint16 errorCode = 0;
    QList<Pass> passes;

protected:
    QModbusResponse processRequest(const QModbusPdu &request) override;

private:
    quint16 word(int address) const;
    void setWords(int address, const QVector<quint16> &words);
    void execute();

    // Control word, position, count, error code, block, the counters and the
    // intervals of dataset 0 and 1.
    const std::array<int, 9> m_registers;
    const std::array<int, 2> m_recordSizes;
    int m_busyLeft = 0;
};
