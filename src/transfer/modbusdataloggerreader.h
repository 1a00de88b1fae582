#pragma once

#include "domain/api/idataloggerreader.h"
#include "domain/types/chambersignal.h"
#include "domain/types/controlleraddress.h"
#include "domain/types/recordingdata.h"
#include "domain/types/recordset.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>
#include <QtCore/QVariant>
#include <QtCore/QVector>
#include <QtCore/QWeakPointer>

#include <array>
#include <memory>

namespace quelta::domain::api {
class IChamberConnection;
class IChamberReply;
}

namespace quelta::base::connection::chamberconnection {

class ChamberReply;
class DataLoggerRecordLayout;
class ModbusChamberConnection;
class ReplyWaiter;

// Reads the data logger of a Modbus controller into the records of a
// recording. The generations supply the registers, the record size and the
// parser of a block; this base runs the handshake:
//
//   1. read the record counter and the record interval of the dataset, and
//      from them the number of records in the recording's span, which end
//      at the newest record;
//   2. write the position of the first record wanted, the number of records
//      wanted (at most one block's) and the read command, which has bit 15
//      set, into the control word;
//   3. read the control word until the controller clears bit 15, with no
//      interval and no limit of its own (each read has the reply's time-out);
//   4. read the error code (0 for success), then the number of records in
//      the block and the block of 220 bytes;
//   5. parse the block and start again at 2 until no record is wanted.
//
// The connection is held weakly: a read whose connection is gone fails at its
// next request. Every accepted read ends in exactly one finished or error;
// the reader is idle again when either is emitted, so a receiver may start
// the next read or delete the reader.
class ModbusDataLoggerReader : public QObject, public domain::api::IDataLoggerReader
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IDataLoggerReader)

public:
    // The read commands of the two datasets.
    static constexpr quint16 FirstDatasetCommand = 0x8000;
    static constexpr quint16 SecondDatasetCommand = 0x8001;
    // The bytes of dataBlockRegister.
    static constexpr int BlockSize = 220;

    ~ModbusDataLoggerReader() override;

    // Keeps a weak reference to connection when it is a Modbus chamber
    // connection; otherwise keeps none and returns false.
    bool setChamberConnection(const QSharedPointer<domain::api::IChamberConnection> &connection);

    // Refused, with a warning and no signal, while a read runs, for a start
    // time that is not set or lies in the future, and without a connected
    // chamber connection.
    bool readDataLogger(const domain::types::RecordingData &recording,
                        const QList<domain::types::ChamberSignal> &chamberSignals, bool secondDataset) override;

    // Records asked for per block: as many as fit into it.
    virtual quint16 recordsPerRead(quint16 readCommand) const;
    // The bytes of one record of the command's dataset; 0 for no dataset.
    virtual quint16 recordSize(quint16 readCommand) const = 0;

Q_SIGNALS:
    void finished(const quelta::domain::types::RecordingData &recording,
                  const QList<quelta::domain::types::Recordset> &recordsets) override;
    void error(const QString &errorMessage = tr("Unknown Error")) override;

protected:
    // The state of one read.
    struct ReadData
    {
        // End time: when the read was accepted; interval: the logger's.
        domain::types::RecordingData recording;
        quint32 readPosition = 0;
        quint16 recordsToRead = 0;
        quint16 readCommand = FirstDatasetCommand;
        QList<domain::types::ChamberSignal> chamberSignals;
        QList<domain::types::Recordset> recordsets;
    };

    // The logger's registers; the four dataset settings are the record
    // counters of dataset 0 and 1 and their record intervals in seconds.
    ModbusDataLoggerReader(const domain::types::ControllerAddress &controlWordRegister,
                           const domain::types::ControllerAddress &errorCodeRegister,
                           const domain::types::ControllerAddress &readPositionRegister,
                           const domain::types::ControllerAddress &readCountRegister,
                           const domain::types::ControllerAddress &dataBlockRegister,
                           const domain::types::ControllerAddress &firstDatasetCounterRegister,
                           const domain::types::ControllerAddress &secondDatasetCounterRegister,
                           const domain::types::ControllerAddress &firstDatasetIntervalRegister,
                           const domain::types::ControllerAddress &secondDatasetIntervalRegister,
                           QObject *parent);

    // Appends the records of one block, at most recordsToRead of them, and
    // returns how many it appended. Called only while a read runs.
    virtual int parseLoggerData(QList<domain::types::Recordset> &recordsets,
                                const QList<domain::types::ChamberSignal> &chamberSignals,
                                const QVector<uchar> &block) = 0;

    // Valid inside a step: each one passes hasReadData() first.
    const ReadData &readData() const;
    // parseLoggerData() by a layout: the records of the block that the read
    // still wants, under recordingId.
    int appendRecords(QList<domain::types::Recordset> &recordsets,
                      const QList<domain::types::ChamberSignal> &chamberSignals, const QVector<uchar> &block,
                      const DataLoggerRecordLayout &layout, uint recordingId) const;
    // Drops the read state; a step of the read still on its way ends the read
    // with the error.
    void resetReadData();

private:
    using Step = void (ModbusDataLoggerReader::*)();

    bool isConnected() const;
    QSharedPointer<domain::api::IChamberReply> readValues(const QList<domain::types::ControllerAddress> &addresses);
    QSharedPointer<domain::api::IChamberReply> writeValues(
        const QList<QPair<domain::types::ControllerAddress, QVariant>> &values);
    // Waits for reply and hands it to handler; for a request that could not
    // be made, logs warning and ends the read with the error.
    void await(const QSharedPointer<domain::api::IChamberReply> &reply,
               void (ModbusDataLoggerReader::*handler)(const ChamberReply &), const char *warning);
    // Runs step on the next turn of the event loop, through hasReadData().
    void schedule(Step step);
    // The guard of every step: false, after a critical log line and the end
    // of the read with the error, when the read state was dropped while the
    // step waited.
    bool hasReadData();
    // Logs warning, unless it is null, and ends the read with the error.
    void endWithError(const char *warning);

    void readDatasetSettings();
    void handleDatasetSettings(const ChamberReply &reply);
    void writeReadData();
    void checkReadDataWritten(const ChamberReply &reply);
    void readControlWord();
    void checkForReadReady(const ChamberReply &reply);
    void readErrorCode();
    void handleErrorCodeResponse(const ChamberReply &reply);
    void readLoggerData();
    void handleLoggerData(const ChamberReply &reply);

    const domain::types::ControllerAddress m_controlWordRegister;
    const domain::types::ControllerAddress m_errorCodeRegister;
    const domain::types::ControllerAddress m_readPositionRegister;
    const domain::types::ControllerAddress m_readCountRegister;
    const domain::types::ControllerAddress m_dataBlockRegister;
    // Counter of dataset 0, of dataset 1, interval of dataset 0, of dataset 1.
    const std::array<domain::types::ControllerAddress, 4> m_datasetSettingsRegisters;
    QWeakPointer<ModbusChamberConnection> m_chamberConnection;
    std::unique_ptr<ReadData> m_readData;
    ReplyWaiter *const m_replyWaiter;
};

} // namespace quelta::base::connection::chamberconnection
