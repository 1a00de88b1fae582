#include "transfer/modbusdataloggerreader.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "transfer/dataloggerrecordlayout.h"
#include "transfer/replywaiter.h"

#include <QtCore/QDateTime>
#include <QtCore/QTimer>

#include <limits>
#include <utility>

namespace quelta::base::connection::chamberconnection {

using domain::api::IChamberConnection;
using domain::api::IChamberReply;
using domain::types::ChamberSignal;
using domain::types::ChamberState;
using domain::types::ControllerAddress;
using domain::types::RecordingData;
using domain::types::Recordset;

namespace {

// Set in the control word while the controller fills the block.
constexpr quint32 BusyBit = 0x8000;
constexpr qint64 MaxRecordsPerRead = std::numeric_limits<quint16>::max();

} // namespace

ModbusDataLoggerReader::ModbusDataLoggerReader(
    const ControllerAddress &controlWordRegister, const ControllerAddress &errorCodeRegister,
    const ControllerAddress &readPositionRegister, const ControllerAddress &readCountRegister,
    const ControllerAddress &dataBlockRegister, const ControllerAddress &firstDatasetCounterRegister,
    const ControllerAddress &secondDatasetCounterRegister, const ControllerAddress &firstDatasetIntervalRegister,
    const ControllerAddress &secondDatasetIntervalRegister, QObject *parent)
    : QObject(parent)
    , m_controlWordRegister(controlWordRegister)
    , m_errorCodeRegister(errorCodeRegister)
    , m_readPositionRegister(readPositionRegister)
    , m_readCountRegister(readCountRegister)
    , m_dataBlockRegister(dataBlockRegister)
    , m_datasetSettingsRegisters{firstDatasetCounterRegister, secondDatasetCounterRegister,
                                 firstDatasetIntervalRegister, secondDatasetIntervalRegister}
    , m_replyWaiter(new ReplyWaiter(this))
{
}

ModbusDataLoggerReader::~ModbusDataLoggerReader() = default;

bool ModbusDataLoggerReader::setChamberConnection(const QSharedPointer<IChamberConnection> &connection)
{
    const QSharedPointer<ModbusChamberConnection> modbus = connection.dynamicCast<ModbusChamberConnection>();
    m_chamberConnection = modbus;
    return !modbus.isNull();
}

bool ModbusDataLoggerReader::readDataLogger(const RecordingData &recording,
                                            const QList<ChamberSignal> &chamberSignals, bool secondDataset)
{
    if (m_readData) {
        qCWarning(lcChamberConnection) << "(Modbus) Already reading data log";
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    // Without a start the span, and so the number of records, is unknown.
    if (!recording.startTime().isValid()) {
        qCWarning(lcChamberConnection) << "(Modbus) Start timepoint is not set";
        return false;
    }
    if (now < recording.startTime()) {
        qCWarning(lcChamberConnection) << "(Modbus) Start timepoint is in the future";
        return false;
    }
    if (!isConnected()) {
        qCWarning(lcChamberConnection) << "(Modbus) Connection not active";
        return false;
    }
    m_readData = std::make_unique<ReadData>();
    m_readData->recording = recording;
    m_readData->recording.setEndTime(now);
    m_readData->readCommand = secondDataset ? SecondDatasetCommand : FirstDatasetCommand;
    m_readData->chamberSignals = chamberSignals;
    schedule(&ModbusDataLoggerReader::readDatasetSettings);
    return true;
}

quint16 ModbusDataLoggerReader::recordsPerRead(quint16 readCommand) const
{
    const quint16 size = recordSize(readCommand);
    return size == 0 ? 0 : quint16(BlockSize / size);
}

const ModbusDataLoggerReader::ReadData &ModbusDataLoggerReader::readData() const
{
    Q_ASSERT(m_readData);
    return *m_readData;
}

int ModbusDataLoggerReader::appendRecords(QList<Recordset> &recordsets, const QList<ChamberSignal> &chamberSignals,
                                          const QVector<uchar> &block, const DataLoggerRecordLayout &layout,
                                          uint recordingId) const
{
    const QList<Recordset> records = layout.parse(block, readData().recordsToRead, chamberSignals, recordingId);
    recordsets.append(records);
    return records.size();
}

bool ModbusDataLoggerReader::isConnected() const
{
    const QSharedPointer<ModbusChamberConnection> connection = m_chamberConnection.toStrongRef();
    return connection && connection->state() == ChamberState::STATE_CONNECTED;
}

QSharedPointer<IChamberReply> ModbusDataLoggerReader::readValues(const QList<ControllerAddress> &addresses)
{
    const QSharedPointer<ModbusChamberConnection> connection = m_chamberConnection.toStrongRef();
    return connection ? connection->readValues(addresses) : nullptr;
}

QSharedPointer<IChamberReply> ModbusDataLoggerReader::writeValues(
    const QList<QPair<ControllerAddress, QVariant>> &values)
{
    const QSharedPointer<ModbusChamberConnection> connection = m_chamberConnection.toStrongRef();
    return connection ? connection->writeValues(values) : nullptr;
}

void ModbusDataLoggerReader::await(const QSharedPointer<IChamberReply> &reply,
                                   void (ModbusDataLoggerReader::*handler)(const ChamberReply &), const char *warning)
{
    const bool waiting = m_replyWaiter->wait(reply, [this, handler](const ChamberReply &finished) {
        if (hasReadData())
            (this->*handler)(finished);
    });
    if (!waiting)
        endWithError(warning);
}

void ModbusDataLoggerReader::schedule(Step step)
{
    QTimer::singleShot(0, this, [this, step] {
        if (hasReadData())
            (this->*step)();
    });
}

bool ModbusDataLoggerReader::hasReadData()
{
    if (m_readData)
        return true;
    qCCritical(lcChamberConnection) << "No current transmission data";
    Q_EMIT error();
    return false;
}

void ModbusDataLoggerReader::endWithError(const char *warning)
{
    if (warning)
        qCWarning(lcChamberConnection) << warning;
    resetReadData();
    Q_EMIT error();
}

void ModbusDataLoggerReader::resetReadData()
{
    m_readData.reset();
}

void ModbusDataLoggerReader::readDatasetSettings()
{
    const int dataset = m_readData->readCommand == SecondDatasetCommand ? 1 : 0;
    await(readValues({m_datasetSettingsRegisters.at(dataset), m_datasetSettingsRegisters.at(2 + dataset)}),
          &ModbusDataLoggerReader::handleDatasetSettings, "ReadDataset Setting returns not valid replay");
}

void ModbusDataLoggerReader::handleDatasetSettings(const ChamberReply &reply)
{
    if (!ReplyWaiter::succeeded(reply)) {
        endWithError("handleDatasetSettings replay not valid or error");
        return;
    }
    const quint32 counter = reply.result(0).toUInt();
    const int interval = reply.result(1).toInt();
    RecordingData &recording = m_readData->recording;
    recording.setSecondsInterval(interval);
    if (interval <= 0) {
        qCWarning(lcChamberConnection) << "(Modbus) Record interval of" << interval << "s; cannot count the records";
        endWithError(nullptr);
        return;
    }
    const qint64 records = recording.startTime().secsTo(recording.endTime()) / interval;
    // The counter's 16-bit register cannot ask for more; the oldest records
    // of a longer span are left out rather than all of them.
    if (records > MaxRecordsPerRead) {
        qCWarning(lcChamberConnection) << "(Modbus) Recording spans" << records << "records; reading the last"
                                       << MaxRecordsPerRead;
    }
    m_readData->recordsToRead = quint16(qBound<qint64>(0, records, MaxRecordsPerRead));
    m_readData->readPosition = counter - m_readData->recordsToRead;
    schedule(&ModbusDataLoggerReader::writeReadData);
}

void ModbusDataLoggerReader::writeReadData()
{
    const ReadData &read = *m_readData;
    const quint16 count = qMin(recordsPerRead(read.readCommand), read.recordsToRead);
    await(writeValues({{m_readPositionRegister, QVariant(read.readPosition)},
                       {m_readCountRegister, QVariant::fromValue(count)},
                       {m_controlWordRegister, QVariant::fromValue(read.readCommand)}}),
          &ModbusDataLoggerReader::checkReadDataWritten, "writeReadData replay not valid");
}

void ModbusDataLoggerReader::checkReadDataWritten(const ChamberReply &reply)
{
    if (reply.hasAnyError())
        endWithError("readControlWord sender not valid");
    else
        readControlWord();
}

void ModbusDataLoggerReader::readControlWord()
{
    await(readValues({m_controlWordRegister}), &ModbusDataLoggerReader::checkForReadReady,
          "readControlWord read request returns not valid reply");
}

void ModbusDataLoggerReader::checkForReadReady(const ChamberReply &reply)
{
    if (!ReplyWaiter::succeeded(reply))
        endWithError("checkForReadReady not called from reply object");
    else if (reply.result(0).toUInt() & BusyBit)
        schedule(&ModbusDataLoggerReader::readControlWord);
    else
        schedule(&ModbusDataLoggerReader::readErrorCode);
}

void ModbusDataLoggerReader::readErrorCode()
{
    await(readValues({m_errorCodeRegister}), &ModbusDataLoggerReader::handleErrorCodeResponse,
          "readErrorCode not called from reply object");
}

void ModbusDataLoggerReader::handleErrorCodeResponse(const ChamberReply &reply)
{
    if (!ReplyWaiter::succeeded(reply)) {
        endWithError("handleErrorCodeResponse not called from reply object");
    } else if (const uint errorCode = reply.result(0).toUInt(); errorCode != 0) {
        qCWarning(lcChamberConnection) << "handleErrorCodeResponse not expected value" << errorCode;
        endWithError(nullptr);
    } else {
        schedule(&ModbusDataLoggerReader::readLoggerData);
    }
}

void ModbusDataLoggerReader::readLoggerData()
{
    await(readValues({m_readCountRegister, m_dataBlockRegister}), &ModbusDataLoggerReader::handleLoggerData,
          "Read logger Data failed.");
}

void ModbusDataLoggerReader::handleLoggerData(const ChamberReply &reply)
{
    if (!ReplyWaiter::succeeded(reply)) {
        endWithError("handle Logger Data not called from chamber reply");
        return;
    }
    ReadData &read = *m_readData;
    const uint available = reply.result(0).toUInt();
    const QVector<uchar> block = reply.result(1).value<QVector<uchar>>();
    if (available < recordsPerRead(read.readCommand))
        read.recordsToRead = quint16(available);
    const int parsed = parseLoggerData(read.recordsets, read.chamberSignals, block);
    // The same block would come again, and again.
    if (parsed == 0 && read.recordsToRead != 0) {
        qCWarning(lcChamberConnection) << "(Modbus) No whole record in a block of" << block.size() << "bytes;"
                                       << read.recordsToRead << "records still wanted";
        endWithError(nullptr);
        return;
    }
    read.recordsToRead -= quint16(parsed);
    read.readPosition += quint32(parsed);
    if (read.recordsToRead != 0) {
        schedule(&ModbusDataLoggerReader::writeReadData);
        return;
    }
    const std::unique_ptr<ReadData> done = std::exchange(m_readData, nullptr);
    Q_EMIT finished(done->recording, done->recordsets);
}

} // namespace quelta::base::connection::chamberconnection
