#include "connection/chamber/modbus/modbusmasterimpl.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/serialportnaming.h"
#include "connection/chamber/modbus/qmodbusqueuedtcpclient.h"
#include "connection/chamber/modbus/qmodbusrtuovertcpclient.h"

#include <QtCore/QMetaObject>
#include <QtSerialBus/QModbusReply>
#include <QtSerialBus/QModbusRtuSerialMaster>

#include <utility>

namespace quelta::base::connection::chamberconnection {

ModbusMasterImpl::ModbusMasterImpl(const ModbusClientSettings &settings)
    : m_settings(settings)
{
}

ModbusMasterImpl::~ModbusMasterImpl()
{
    dropClient();
}

void ModbusMasterImpl::attach(quint64 attachment)
{
    // A client that lost its line waits for its queued drop; a new attachment
    // gets a fresh one at once.
    if (m_client && m_client->state() == QModbusDevice::UnconnectedState)
        dropClient();

    m_attachments.insert(attachment);
    if (m_client) {
        Q_EMIT attachmentStateChanged(attachment, m_client->state());
        return;
    }
    buildClient();
}

void ModbusMasterImpl::detach(quint64 attachment)
{
    cancelJobs(attachment);
    if (!m_attachments.remove(attachment) || !m_attachments.isEmpty())
        return;
    if (m_client)
        qCInfo(lcChamberConnection).noquote() << "(Modbus) Closing" << peerName() << "after its last user";
    dropClient();
}

void ModbusMasterImpl::execute(quint64 attachment, quint64 jobId, const ModbusJob &job)
{
    if (!m_attachments.contains(attachment) || !isConnected()) {
        Q_EMIT jobFinished(jobId, ModbusJobResult(QModbusDevice::ConnectionError, tr("Device not connected.")));
        return;
    }
    PendingJob pending;
    pending.attachment = attachment;
    pending.id = jobId;
    pending.job = job;
    m_jobs.enqueue(pending);
    // Jobs arrive by queued invocation, never inside a signal of the client,
    // so the first transaction may go out at once.
    processJobs();
}

void ModbusMasterImpl::cancelJobs(quint64 attachment)
{
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        if (it->attachment != attachment) {
            ++it;
        } else if (it == m_jobs.begin() && !m_reply.isNull()) {
            it->cancelled = true;
            ++it;
        } else {
            it = m_jobs.erase(it);
        }
    }
}

void ModbusMasterImpl::buildClient()
{
    switch (m_settings.transport()) {
    case ModbusClientSettings::Transport::Tcp:
    case ModbusClientSettings::Transport::RtuOverTcp: {
        QModbusOverTcpClientBase *client = nullptr;
        if (m_settings.transport() == ModbusClientSettings::Transport::Tcp)
            client = new QModbusQueuedTcpClient(this);
        else
            client = new QModbusRtuOverTcpClient(this);
        client->setTimeout(m_settings.timeout());
        client->setNumberOfRetries(m_settings.numberOfRetries());
        client->setConnectionParameter(QModbusDevice::NetworkAddressParameter, m_settings.hostName());
        client->setConnectionParameter(QModbusDevice::NetworkPortParameter, m_settings.port());
        m_client = client;
        break;
    }
    case ModbusClientSettings::Transport::RtuSerial: {
        // Built here, on the worker thread, so that the port and the timers of
        // the client belong to the thread that runs them.
        auto *client = new QModbusRtuSerialMaster(this);
        client->setTimeout(int(m_settings.timeout().count()));
        client->setNumberOfRetries(m_settings.numberOfRetries());
        // A COM name is looked up among the ports that the PC has now.
        const QString device = SerialPortNaming::resolve(m_settings.portName());
        if (device != m_settings.portName())
            qCInfo(lcChamberConnection).noquote() << "(Modbus)" << m_settings.portName() << "is" << device;
        client->setConnectionParameter(QModbusDevice::SerialPortNameParameter, device);
        client->setConnectionParameter(QModbusDevice::SerialBaudRateParameter, m_settings.baudRate());
        client->setConnectionParameter(QModbusDevice::SerialDataBitsParameter, m_settings.dataBits());
        client->setConnectionParameter(QModbusDevice::SerialParityParameter, m_settings.parity());
        client->setConnectionParameter(QModbusDevice::SerialStopBitsParameter, m_settings.stopBits());
        m_client = client;
        break;
    }
    }
    connect(m_client, &QModbusDevice::stateChanged, this, &ModbusMasterImpl::onClientStateChanged);
    connect(m_client, &QModbusDevice::errorOccurred, this, &ModbusMasterImpl::onClientErrorOccurred);

    qCInfo(lcChamberConnection).noquote() << "(Modbus) Connecting to" << peerName();
    // A failure is reported through the signals, the same as a later one.
    m_client->connectDevice();
}

void ModbusMasterImpl::dropClient()
{
    if (!m_client)
        return;
    // The client must not call back while it is taken down: it would report
    // the aborts of replies that are finished here instead.
    QModbusDevice *client = std::exchange(m_client, nullptr);
    client->disconnect(this);
    m_errorReported = false;
    const bool transactionOnTheWire = !m_reply.isNull();
    if (transactionOnTheWire)
        m_reply->disconnect(this);
    m_reply = nullptr;
    delete client;

    if (transactionOnTheWire && !m_jobs.head().cancelled)
        failHeadJob(QModbusDevice::ReplyAbortedError, tr("Reply aborted due to connection closure."));
    while (!m_jobs.isEmpty()) {
        if (m_jobs.head().cancelled)
            m_jobs.dequeue();
        else
            failHeadJob(QModbusDevice::ConnectionError, tr("Device not connected."));
    }

    const QSet<quint64> attachments = std::exchange(m_attachments, {});
    for (const quint64 attachment : attachments)
        Q_EMIT attachmentStateChanged(attachment, QModbusDevice::UnconnectedState);
}

void ModbusMasterImpl::scheduleDrop()
{
    if (!m_client || m_dropScheduledFor == m_client)
        return;
    m_dropScheduledFor = m_client;
    // Never inside a signal of the client itself.
    const QPointer<QModbusDevice> client = m_client;
    QMetaObject::invokeMethod(
        this,
        [this, client] {
            if (!client.isNull() && client == m_client)
                dropClient();
        },
        Qt::QueuedConnection);
}

bool ModbusMasterImpl::isConnected() const
{
    return m_client && m_client->state() == QModbusDevice::ConnectedState;
}

void ModbusMasterImpl::onClientStateChanged(QModbusDevice::State state)
{
    m_errorReported = false;
    if (state == QModbusDevice::UnconnectedState) {
        // Failed to open, or lost the line. The users hear of it from the
        // drop, after the error that the client may still report about it.
        qCWarning(lcChamberConnection).noquote() << "(Modbus) Connection to" << peerName() << "closed";
        scheduleDrop();
        return;
    }
    if (state == QModbusDevice::ConnectedState)
        qCInfo(lcChamberConnection).noquote() << "(Modbus) Connected to" << peerName();
    for (const quint64 attachment : qAsConst(m_attachments))
        Q_EMIT attachmentStateChanged(attachment, state);
}

void ModbusMasterImpl::onClientErrorOccurred(QModbusDevice::Error error)
{
    // A transaction that the client refuses fails its own job; the line is
    // as good as before.
    if (error == QModbusDevice::NoError || m_sendingTransaction)
        return;
    const QString errorString = m_client->errorString();
    // One failure often comes as several errors, and a serial line that has
    // gone reports its error again on every read attempt until it is closed:
    // the users hear of the first one in each state.
    if (m_errorReported) {
        qCDebug(lcChamberConnection).noquote() << "(Modbus)" << peerName() << "reports" << error << errorString;
    } else {
        m_errorReported = true;
        qCWarning(lcChamberConnection).noquote() << "(Modbus)" << peerName() << "reports" << error << errorString;
        for (const quint64 attachment : qAsConst(m_attachments))
            Q_EMIT attachmentErrorOccurred(attachment, error, errorString);
    }

    // QModbusRtuSerialMaster stays connected to a serial line that has gone
    // (a pseudo-terminal whose other end closed, a USB adapter pulled out).
    const bool lineFailed = error == QModbusDevice::ConnectionError || error == QModbusDevice::ReadError
        || error == QModbusDevice::WriteError;
    if (lineFailed && m_client->state() == QModbusDevice::ConnectedState)
        scheduleDrop();
}

void ModbusMasterImpl::scheduleJobs()
{
    if (m_jobsScheduled)
        return;
    m_jobsScheduled = true;
    // Queued, so that the client has settled its own state after a reply
    // before the next transaction reaches it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_jobsScheduled = false;
            processJobs();
        },
        Qt::QueuedConnection);
}

void ModbusMasterImpl::processJobs()
{
    while (m_reply.isNull() && !m_jobs.isEmpty()) {
        PendingJob &job = m_jobs.head();
        if (job.cancelled) {
            m_jobs.dequeue();
            continue;
        }
        if (job.nextTransaction == job.job.transactions().size()) {
            finishHeadJob();
            continue;
        }
        if (!isConnected()) {
            failHeadJob(QModbusDevice::ConnectionError, tr("Device not connected."));
            continue;
        }
        m_sendingTransaction = true;
        QModbusReply *reply = sendTransaction(job);
        m_sendingTransaction = false;
        if (!reply) {
            // The connected client refused the transaction itself, such as a
            // server address that its framing cannot reach.
            failHeadJob(QModbusDevice::ProtocolError,
                        tr("Request could not be created: %1").arg(m_client->errorString()));
            continue;
        }
        m_reply = reply;
        if (reply->isFinished())
            onReplyFinished();
        else
            connect(reply, &QModbusReply::finished, this, &ModbusMasterImpl::onReplyFinished);
    }
}

QModbusReply *ModbusMasterImpl::sendTransaction(const PendingJob &job)
{
    const QModbusDataUnit unit = job.job.transactions().at(job.nextTransaction);
    const bool read = job.job.kind() == ModbusJob::Kind::Read;
    if (auto *client = qobject_cast<QModbusClient *>(m_client)) {
        return read ? client->sendReadRequest(unit, job.job.serverAddress())
                    : client->sendWriteRequest(unit, job.job.serverAddress());
    }
    auto *client = qobject_cast<QModbusOverTcpClientBase *>(m_client);
    Q_ASSERT(client);
    return read ? client->sendReadRequest(unit, job.job.serverAddress())
                : client->sendWriteRequest(unit, job.job.serverAddress());
}

void ModbusMasterImpl::onReplyFinished()
{
    QModbusReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();

    PendingJob &job = m_jobs.head();
    if (job.cancelled) {
        m_jobs.dequeue();
    } else if (reply->error() != QModbusDevice::NoError) {
        failHeadJob(reply->error(), reply->errorString());
    } else {
        const QModbusDataUnit sent = job.job.transactions().at(job.nextTransaction);
        const QVector<quint16> registers =
            job.job.kind() == ModbusJob::Kind::Read ? reply->result().values() : sent.values();
        if (registers.size() != int(sent.valueCount())) {
            failHeadJob(QModbusDevice::ProtocolError, tr("An invalid response has been received."));
        } else {
            job.result.addCompletedTransaction(registers);
            ++job.nextTransaction;
            // The users hear of a job as soon as its last transaction is
            // done; only the next transaction waits for the client to settle.
            if (job.nextTransaction == job.job.transactions().size())
                finishHeadJob();
        }
    }
    if (!m_jobs.isEmpty())
        scheduleJobs();
}

void ModbusMasterImpl::finishHeadJob()
{
    const PendingJob job = m_jobs.dequeue();
    Q_EMIT jobFinished(job.id, job.result);
}

void ModbusMasterImpl::failHeadJob(QModbusDevice::Error error, const QString &errorString)
{
    PendingJob &job = m_jobs.head();
    qCWarning(lcChamberConnection).noquote()
        << "(Modbus) Request to server address" << job.job.serverAddress() << "at" << peerName() << "failed after"
        << job.nextTransaction << "of" << job.job.transactions().size() << "transactions:" << errorString;
    job.result.setError(error, errorString);
    finishHeadJob();
}

QString ModbusMasterImpl::peerName() const
{
    return m_settings.key();
}

} // namespace quelta::base::connection::chamberconnection
