#include "dataloggersimulator.h"

#include "loopbackmodbustcpserver.h"

#include <QtCore/QtEndian>

namespace {

constexpr quint16 BusyBit = 0x8000;
constexpr int BlockBytes = 220;
enum Register { Control, Position, Count, ErrorCode, Block, Counter, Interval = Counter + 2 };

} // namespace

DataLoggerSimulator::DataLoggerSimulator(bool zk4)
    : m_registers(zk4 ? std::array<int, 9>{0xA400, 0xA401, 0xA403, 0xA404, 0xA405, 0xA477, 0xA479, 0xA475, 0xA476}
                      : std::array<int, 9>{0x1307, 0x1308, 0x130A, 0x130B, 0x6500, 0x1310, 0x1312, 0x130E, 0x130F})
    , m_recordSizes(zk4 ? std::array<int, 2>{19, 29} : std::array<int, 2>{27, 27})
{
    loadHoldingRegisters(*this, 1, QVector<quint16>(0x10000));
}

DataLoggerSimulator::~DataLoggerSimulator()
{
    waitForClientsGone(*this);
}

void DataLoggerSimulator::log(int dataset, quint32 time, float value)
{
    QByteArray record(m_recordSizes.at(dataset), '\0');
    qToLittleEndian(time, record.data() + 4);
    qToLittleEndian(value, record.data() + 8);
    records.at(dataset).append(record);
    ++counters.at(dataset);
}

QModbusResponse DataLoggerSimulator::processRequest(const QModbusPdu &request)
{
    quint16 start = 0;
    quint16 count = 0;
    request.decodeData(&start, &count);
    const bool isRead = request.functionCode() == QModbusPdu::ReadHoldingRegisters;
    const int end = start + (request.functionCode() == QModbusPdu::WriteSingleRegister ? 1 : count);
    const bool touchesControl = start <= m_registers.at(Control) && m_registers.at(Control) < end;
    if (isRead && touchesControl && m_busyLeft == 0)
        setWords(m_registers.at(Control), {quint16(word(m_registers.at(Control)) & ~BusyBit)});
    else if (isRead && touchesControl && m_busyLeft > 0)
        --m_busyLeft;
    for (int i = 0; i < 2; ++i) {
        setWords(m_registers.at(Counter + i), {quint16(counters.at(i) >> 16), quint16(counters.at(i))});
        setWords(m_registers.at(Interval + i), {interval});
    }
    const QModbusResponse response = QModbusTcpServer::processRequest(request);
    if (!isRead && touchesControl)
        execute();
    return response;
}

quint16 DataLoggerSimulator::word(int address) const
{
    quint16 value = 0;
    data(QModbusDataUnit::HoldingRegisters, quint16(address), &value);
    return value;
}

void DataLoggerSimulator::setWords(int address, const QVector<quint16> &words)
{
    setData(QModbusDataUnit(QModbusDataUnit::HoldingRegisters, address, words));
}

void DataLoggerSimulator::execute()
{
    const int position = m_registers.at(Position);
    const Pass pass{word(m_registers.at(Control)), quint32(word(position)) << 16 | word(position + 1),
                    word(m_registers.at(Count))};
    passes.append(pass);
    const int dataset = pass.command & 1;
    const QList<QByteArray> &logged = records.at(dataset);
    QByteArray block;
    quint16 available = 0;
    for (; available < pass.count && block.size() + m_recordSizes.at(dataset) <= BlockBytes; ++available) {
        const quint32 age = counters.at(dataset) - (pass.position + available);
        if (age == 0 || age > quint32(logged.size()))
            break;
        block += logged.at(logged.size() - int(age));
    }
    block = block.leftJustified(BlockBytes, '\0');
    QVector<quint16> words;
    for (int i = 0; i < BlockBytes; i += 2)
        words.append(quint16(quint8(block.at(i)) << 8 | quint8(block.at(i + 1))));
    setWords(m_registers.at(Block), words);
    setWords(m_registers.at(Count), {available});
    setWords(m_registers.at(ErrorCode), {errorCode});
    m_busyLeft = busyPolls;
}
