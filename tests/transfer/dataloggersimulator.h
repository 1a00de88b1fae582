#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QList>
#include <QtCore/QVector>
#include <QtSerialBus/QModbusTcpServer>

#include <array>

// The data logger of a QX2 or ZK4 controller, unit 1 of Qt's Modbus TCP server
// on 127.0.0.1 at a free port.
//
// Each dataset keeps its records oldest first and counts every record logged
// in a 32-bit counter; the record at position p is the one that is
// (counter - p) records old, so positions wrap with the counter. A read
// command written to the control word puts the records from the read
// position into the block, as many as were wanted, exist and fit, and their
// number into the count register. The control word then keeps bit 15 set for
// busyPolls reads, for ever when busyPolls is negative.
class DataLoggerSimulator : public QModbusTcpServer
{
public:
    enum class Generation { QX2, ZK4 };

    struct Dataset
    {
        QList<QByteArray> records;
        quint32 counter = 0;
        quint16 interval = 60;
    };

    // One read command as the simulator received it.
    struct Pass
    {
        quint16 command;
        quint32 position;
        quint16 count;
    };

    explicit DataLoggerSimulator(Generation generation);
    ~DataLoggerSimulator() override;

    // The port; 0 when the server did not start.
    quint16 listen();

    // Logs a record of the dataset's size: the time stamp at byte 4, then the
    // floats and the bytes as far as they fit, numbers little-endian.
    void log(int dataset, quint32 time, const QVector<float> &floats, const QByteArray &bytes = {});

    std::array<Dataset, 2> datasets;
    int busyPolls = 0;
    quint16 errorCode = 0;
    // The next request that touches this register gets an exception.
    int refusedRegister = -1;
    QList<Pass> passes;

protected:
    QModbusResponse processRequest(const QModbusPdu &request) override;

private:
    struct RegisterMap
    {
        quint16 control, position, count, errorCode, block;
        std::array<quint16, 2> counter, interval;
        std::array<int, 2> recordSize;
    };

    quint16 word(quint16 address) const;
    void setWords(quint16 address, const QVector<quint16> &words);
    void publishSettings();
    void execute();

    const RegisterMap m_map;
    int m_busyLeft = 0;
};
