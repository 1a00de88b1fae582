#pragma once

#include "connection/chamber/modbus/modbusclientsettings.h"
#include "connection/chamber/modbus/modbusjob.h"
#include "connection/chamber/modbus/modbusjobresult.h"

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QQueue>
#include <QtCore/QSet>
#include <QtSerialBus/QModbusDevice>

class QModbusReply;

namespace quelta::base::connection::chamberconnection {

// The worker that owns one Modbus client on its worker thread. The wrappers
// on the GUI thread reach it only by queued invocation of its public
// functions, which run on the worker thread, and it answers them only by its
// signals, which reach them queued.
//
// A wrapper that wants the line open holds an attachment, an id of its own;
// state changes and errors are reported per attachment, so a wrapper can
// tell news of its current attachment from news of an earlier one. The
// client exists only while an attachment wants it: the first attachment
// builds and opens it, the last detach or the loss of the line destroys it,
// and the next attachment builds a fresh one. The client is destroyed rather
// than closed and kept, because QModbusRtuSerialMaster keeps its queue timers
// running past close() and then touches the closed port.
//
// Jobs run one at a time in the order they arrive, and a job hands the
// client one transaction at a time, so the client never holds a queue that
// closing could leave behind.
class ModbusMasterImpl : public QObject
{
    Q_OBJECT

public:
    explicit ModbusMasterImpl(const ModbusClientSettings &settings);
    ~ModbusMasterImpl() override;

    ModbusClientSettings settings() const { return m_settings; }

    // Opens the line for the attachment, or reports its state when it is open
    // or opening already.
    void attach(quint64 attachment);
    // Drops the attachment and its jobs; the last one closes the line.
    void detach(quint64 attachment);
    // Carries out the job and reports it by jobFinished(), unless it is
    // cancelled first. A job of an attachment that is not connected fails at
    // once with ConnectionError.
    void execute(quint64 attachment, quint64 jobId, const ModbusJob &job);
    // Drops the attachment's jobs without reporting them. A transaction on the
    // wire still runs to its end, but its job goes no further.
    void cancelJobs(quint64 attachment);

Q_SIGNALS:
    void attachmentStateChanged(quint64 attachment, QModbusDevice::State state);
    void attachmentErrorOccurred(quint64 attachment, QModbusDevice::Error error, const QString &errorString);
    void jobFinished(quint64 jobId, const quelta::base::connection::chamberconnection::ModbusJobResult &result);

private:
    struct PendingJob
    {
        quint64 attachment = 0;
        quint64 id = 0;
        ModbusJob job;
        ModbusJobResult result;
        int nextTransaction = 0;
        bool cancelled = false;
    };

    void buildClient();
    void dropClient();
    void scheduleDrop();
    bool isConnected() const;
    void onClientStateChanged(QModbusDevice::State state);
    void onClientErrorOccurred(QModbusDevice::Error error);

    void scheduleJobs();
    void processJobs();
    QModbusReply *sendTransaction(const PendingJob &job);
    void onReplyFinished();
    void finishHeadJob();
    void failHeadJob(QModbusDevice::Error error, const QString &errorString);

    QString peerName() const;

    const ModbusClientSettings m_settings;
    QModbusDevice *m_client = nullptr;
    QSet<quint64> m_attachments;
    // The head is the job being carried out.
    QQueue<PendingJob> m_jobs;
    // The transaction of the head job on the wire.
    QPointer<QModbusReply> m_reply;
    bool m_jobsScheduled = false;
    bool m_sendingTransaction = false;
    // The client whose drop is queued; a client built after it gets its own.
    QPointer<QModbusDevice> m_dropScheduledFor;
    // Whether the users have heard of an error since the client's state last
    // changed.
    bool m_errorReported = false;
};

} // namespace quelta::base::connection::chamberconnection
