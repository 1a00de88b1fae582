#include "dataloggersimulator.h"

#include "loopbackmodbustcpserver.h"

#include <QtCore/QtEndian>

#include <cstring>

namespace {

constexpr quint16 BusyBit = 0x8000;
constexpr int BlockBytes = 220;
constexpr auto Holding = QModbusDataUnit::HoldingRegisters;

} // namespace

DataLoggerSimulator::DataLoggerSimulator(Generation generation)
    : m_map(generation == Generation::QX2
                ? RegisterMap{0x1307, 0x1308, 0x130A, 0x130B, 0x6500, {0x1310, 0x1312}, {0x130E, 0x130F}, {27, 27}}
                : RegisterMap{0xA400, 0xA401, 0xA403, 0xA404, 0xA405, {0xA477, 0xA479}, {0xA475, 0xA476}, {19, 29}})
{
    loadHoldingRegisters(*this, 1, QVector<quint16>(0x10000));
}

DataLoggerSimulator::~DataLoggerSimulator()
{
    waitForClientsGone(*this);
}

quint16 DataLoggerSimulator::listen()
{
    return listenOnLoopback(*this);
}

void DataLoggerSimulator::log(int dataset, quint32 time, const QVector<float> &floats, const QByteArray &bytes)
{
    QByteArray record(8, '\0');
    qToLittleEndian(time, record.data() + 4);
    for (const float value : floats) {
        quint32 bits;
        std::memcpy(&bits, &value, sizeof bits);
        record.append(QByteArray(4, '\0'));
        qToLittleEndian(bits, record.data() + record.size() - 4);
    }
    datasets.at(dataset).records.append((record + bytes).leftJustified(m_map.recordSize.at(dataset), '\0', true));
    ++datasets.at(dataset).counter;
}

QModbusResponse DataLoggerSimulator::processRequest(const QModbusPdu &request)
{
    quint16 start = 0;
    quint16 count = 0;
    request.decodeData(&start, &count);
    if (request.functionCode() == QModbusPdu::WriteSingleRegister)
        count = 1;
    const auto touches = [start, count](int address) { return address >= start && address < start + count; };
    if (touches(refusedRegister)) {
        refusedRegister = -1;
        return QModbusExceptionResponse(request.functionCode(), QModbusExceptionResponse::ServerDeviceFailure);
    }
    const bool isRead = request.functionCode() == QModbusPdu::ReadHoldingRegisters;
    if (isRead && touches(m_map.control)) {
        if (m_busyLeft == 0)
            setWords(m_map.control, {quint16(word(m_map.control) & ~BusyBit)});
        else if (m_busyLeft > 0)
            --m_busyLeft;
    }
    if (isRead)
        publishSettings();
    const QModbusResponse response = QModbusTcpServer::processRequest(request);
    if (!isRead && touches(m_map.control))
        execute();
    return response;
}

quint16 DataLoggerSimulator::word(quint16 address) const
{
    quint16 value = 0;
    data(Holding, address, &value);
    return value;
}

void DataLoggerSimulator::setWords(quint16 address, const QVector<quint16> &words)
{
    setData(QModbusDataUnit(Holding, address, words));
}

void DataLoggerSimulator::publishSettings()
{
    for (int i = 0; i < 2; ++i) {
        const quint32 counter = datasets.at(i).counter;
        setWords(m_map.counter.at(i), {quint16(counter >> 16), quint16(counter)});
        setWords(m_map.interval.at(i), {datasets.at(i).interval});
    }
}

void DataLoggerSimulator::execute()
{
    const Pass pass{word(m_map.control), quint32(word(m_map.position)) << 16 | word(m_map.position + 1),
                    word(m_map.count)};
    passes.append(pass);
    const int dataset = pass.command & 1;
    const Dataset &logged = datasets.at(dataset);
    QByteArray block;
    quint16 available = 0;
    for (; available < pass.count; ++available) {
        const quint32 age = logged.counter - (pass.position + available);
        if (age == 0 || age > quint32(logged.records.size())
            || block.size() + m_map.recordSize.at(dataset) > BlockBytes) {
            break;
        }
        block += logged.records.at(logged.records.size() - int(age));
    }
    block = block.leftJustified(BlockBytes, '\0');
    QVector<quint16> words;
    for (int i = 0; i < BlockBytes; i += 2)
        words.append(quint16(quint8(block.at(i)) << 8 | quint8(block.at(i + 1))));
    setWords(m_map.block, words);
    setWords(m_map.count, {available});
    setWords(m_map.errorCode, {errorCode});
    m_busyLeft = busyPolls;
}
