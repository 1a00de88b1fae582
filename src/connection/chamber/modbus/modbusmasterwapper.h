#pragma once

#include "connection/chamber/modbus/modbusclientsettings.h"
#include "connection/chamber/modbus/modbusjob.h"
#include "connection/chamber/modbus/modbusjobresult.h"

#include <QtCore/QObject>
#include <QtCore/QSet>
#include <QtCore/QSharedPointer>
#include <QtSerialBus/QModbusDevice>

class QThread;

namespace quelta::base::connection::chamberconnection {

class ModbusMasterThread;

// The GUI thread's side of a Modbus client that lives on a worker thread,
// for one chamber connection. It reaches the client's worker only by queued
// invocation, and the worker's news reaches it queued.
//
// What it reports is its own: its state follows the line only while it has
// asked for it, and only the jobs that it sent come back to it. Several
// wrappers may share one client (ModbusMasterWapperMultiClient); a wrapper
// that lets go of the line closes it only when no other wrapper holds it.
class ModbusMasterWapper : public QObject
{
    Q_OBJECT

public:
    ~ModbusMasterWapper() override;

    QModbusDevice::State state() const { return m_state; }
    ModbusClientSettings settings() const;
    // The thread that runs the client; wrappers of a shared client share it.
    QThread *workerThread() const;

    // Asks for the line: ConnectingState at once, then the state of the line
    // (ConnectedState, or UnconnectedState with errorOccurred() first when it
    // cannot be opened). Does nothing unless unconnected.
    void connectDevice();
    // Lets go of the line: UnconnectedState at once. Unfinished jobs are
    // dropped and not reported.
    void disconnectDevice();

    // Sends the job and returns its id, under which jobFinished() reports it
    // later, never inside this call; 0 when the wrapper is not connected.
    quint64 sendJob(const ModbusJob &job);
    // Drops the unfinished jobs; they are not reported.
    void cancelJobs();

Q_SIGNALS:
    void stateChanged(QModbusDevice::State state);
    void errorOccurred(QModbusDevice::Error error, const QString &errorString);
    void jobFinished(quint64 jobId, const quelta::base::connection::chamberconnection::ModbusJobResult &result);

protected:
    ModbusMasterWapper(const QSharedPointer<ModbusMasterThread> &thread, QObject *parent);

private:
    template<typename Call>
    void invokeWorker(Call call) const;
    void setState(QModbusDevice::State state);
    void onAttachmentStateChanged(quint64 attachment, QModbusDevice::State state);
    void onAttachmentErrorOccurred(quint64 attachment, QModbusDevice::Error error, const QString &errorString);
    void onJobFinished(quint64 jobId, const ModbusJobResult &result);

    const QSharedPointer<ModbusMasterThread> m_thread;
    QModbusDevice::State m_state = QModbusDevice::UnconnectedState;
    // 0 while the wrapper does not hold the line.
    quint64 m_attachment = 0;
    QSet<quint64> m_jobs;
};

} // namespace quelta::base::connection::chamberconnection
