#include "connection/chamber/modbus/modbusmasterwapper.h"

#include "connection/chamber/modbus/modbusmasterimpl.h"
#include "connection/chamber/modbus/modbusmasterthread.h"

#include <QtCore/QMetaObject>

#include <atomic>

namespace quelta::base::connection::chamberconnection {

namespace {

// Attachments and jobs are numbered across all wrappers, so that the news of
// a shared worker can name its receiver; 0 is never handed out.
quint64 nextId()
{
    static std::atomic<quint64> lastId{0};
    return ++lastId;
}

} // namespace

ModbusMasterWapper::ModbusMasterWapper(const QSharedPointer<ModbusMasterThread> &thread, QObject *parent)
    : QObject(parent)
    , m_thread(thread)
{
    Q_ASSERT(m_thread);
    if (ModbusMasterImpl *worker = m_thread->worker()) {
        connect(worker, &ModbusMasterImpl::attachmentStateChanged, this,
                &ModbusMasterWapper::onAttachmentStateChanged, Qt::QueuedConnection);
        connect(worker, &ModbusMasterImpl::attachmentErrorOccurred, this,
                &ModbusMasterWapper::onAttachmentErrorOccurred, Qt::QueuedConnection);
        connect(worker, &ModbusMasterImpl::jobFinished, this, &ModbusMasterWapper::onJobFinished,
                Qt::QueuedConnection);
    }
}

ModbusMasterWapper::~ModbusMasterWapper()
{
    if (m_attachment != 0) {
        const quint64 attachment = m_attachment;
        invokeWorker([attachment](ModbusMasterImpl *worker) { worker->detach(attachment); });
    }
}

ModbusClientSettings ModbusMasterWapper::settings() const
{
    return m_thread->settings();
}

QThread *ModbusMasterWapper::workerThread() const
{
    return m_thread->thread();
}

void ModbusMasterWapper::connectDevice()
{
    if (m_state != QModbusDevice::UnconnectedState)
        return;
    const quint64 attachment = nextId();
    m_attachment = attachment;
    setState(QModbusDevice::ConnectingState);
    invokeWorker([attachment](ModbusMasterImpl *worker) { worker->attach(attachment); });
}

void ModbusMasterWapper::disconnectDevice()
{
    m_jobs.clear();
    if (m_attachment != 0) {
        const quint64 attachment = m_attachment;
        m_attachment = 0;
        invokeWorker([attachment](ModbusMasterImpl *worker) { worker->detach(attachment); });
    }
    setState(QModbusDevice::UnconnectedState);
}

quint64 ModbusMasterWapper::sendJob(const ModbusJob &job)
{
    if (m_state != QModbusDevice::ConnectedState || !m_thread->worker())
        return 0;
    const quint64 attachment = m_attachment;
    const quint64 jobId = nextId();
    m_jobs.insert(jobId);
    invokeWorker([attachment, jobId, job](ModbusMasterImpl *worker) { worker->execute(attachment, jobId, job); });
    return jobId;
}

void ModbusMasterWapper::cancelJobs()
{
    m_jobs.clear();
    if (m_attachment == 0)
        return;
    const quint64 attachment = m_attachment;
    invokeWorker([attachment](ModbusMasterImpl *worker) { worker->cancelJobs(attachment); });
}

template<typename Call>
void ModbusMasterWapper::invokeWorker(Call call) const
{
    // The worker is gone only after its thread was stopped as the application
    // ends; there is nobody left to ask then.
    ModbusMasterImpl *worker = m_thread->worker();
    if (!worker)
        return;
    QMetaObject::invokeMethod(
        worker, [worker, call] { call(worker); }, Qt::QueuedConnection);
}

void ModbusMasterWapper::setState(QModbusDevice::State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void ModbusMasterWapper::onAttachmentStateChanged(quint64 attachment, QModbusDevice::State state)
{
    if (attachment != m_attachment)
        return;
    // The worker lets go of every attachment with the line; the jobs sent
    // before still come back, each with its own error.
    if (state == QModbusDevice::UnconnectedState)
        m_attachment = 0;
    setState(state);
}

void ModbusMasterWapper::onAttachmentErrorOccurred(quint64 attachment, QModbusDevice::Error error,
                                                   const QString &errorString)
{
    if (attachment == m_attachment)
        Q_EMIT errorOccurred(error, errorString);
}

void ModbusMasterWapper::onJobFinished(quint64 jobId, const ModbusJobResult &result)
{
    if (m_jobs.remove(jobId))
        Q_EMIT jobFinished(jobId, result);
}

} // namespace quelta::base::connection::chamberconnection
