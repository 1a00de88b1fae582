#include "connection/chamber/protocol/linechamberconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/core/chamberreply.h"

#include <QtCore/QIODevice>
#include <QtCore/QTimer>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberError;
using domain::types::ChamberState;

LineChamberConnection::LineChamberConnection(std::unique_ptr<LineProtocolImpl> protocol, QObject *parent)
    : ChamberConnection(parent),
      m_protocol(std::move(protocol)),
      m_openTimer(new QTimer(this)),
      m_writeTimer(new QTimer(this)),
      m_replyTimer(new QTimer(this))
{
    Q_ASSERT(m_protocol);
    m_openTimer->setSingleShot(true);
    m_openTimer->setInterval(0);
    m_writeTimer->setSingleShot(true);
    m_replyTimer->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; a device gets its full reply time.
    m_writeTimer->setTimerType(Qt::PreciseTimer);
    m_replyTimer->setTimerType(Qt::PreciseTimer);
    connect(m_openTimer, &QTimer::timeout, this, &LineChamberConnection::onOpenTimeout);
    connect(m_writeTimer, &QTimer::timeout, this, &LineChamberConnection::onWriteTimeout);
    connect(m_replyTimer, &QTimer::timeout, this, &LineChamberConnection::onReplyTimeout);
}

LineChamberConnection::~LineChamberConnection()
{
    abortAll(QStringLiteral("Connection destroyed"));
}

void LineChamberConnection::setReplyTimeout(std::chrono::milliseconds timeout)
{
    m_replyTimeout = std::max(timeout, MinimumReplyTimeout);
}

void LineChamberConnection::setRepeatInterval(std::chrono::milliseconds interval)
{
    m_repeatInterval = std::max(interval, std::chrono::milliseconds::zero());
}

void LineChamberConnection::attachDevice(QIODevice *device)
{
    Q_ASSERT(device && !m_device);
    m_device = device;
    connect(m_device, &QIODevice::readyRead, this, &LineChamberConnection::onReadyRead);
    connect(m_device, &QIODevice::bytesWritten, this, &LineChamberConnection::onBytesWritten);
}

bool LineChamberConnection::connectDevice()
{
    if (state() != ChamberState::STATE_UNCONNECTED) {
        qCWarning(lcChamberConnection).noquote() << prefix() << "Connect ignored, the connection is not closed";
        return false;
    }
    qCInfo(lcChamberConnection).noquote() << prefix() << "Connecting to" << peerName();
    setState(ChamberState::STATE_CONNECTING);
    // A stream can fail at once, a socket to an address that has no route
    // for one: the caller hears of it from the event loop, like of any other
    // outcome, never from inside this call.
    m_openTimer->start();
    return true;
}

void LineChamberConnection::disconnectDevice()
{
    if (state() == ChamberState::STATE_UNCONNECTED || state() == ChamberState::STATE_CLOSING)
        return;
    setState(ChamberState::STATE_CLOSING);
    abortAll(QStringLiteral("Connection closed"));
    closeDevice();
    m_framer.clear();
    qCInfo(lcChamberConnection).noquote() << prefix() << "Disconnected from" << peerName();
    setState(ChamberState::STATE_UNCONNECTED);
}

void LineChamberConnection::reset()
{
    abortAll(QStringLiteral("Connection reset"));
    m_framer.clear();
}

void LineChamberConnection::onOpenTimeout()
{
    // A disconnectDevice() since connectDevice() leaves nothing to open.
    if (state() == ChamberState::STATE_CONNECTING)
        openDevice();
}

void LineChamberConnection::deviceOpened()
{
    if (state() != ChamberState::STATE_CONNECTING)
        return;
    m_framer.clear();
    qCInfo(lcChamberConnection).noquote() << prefix() << "Connected to" << peerName();
    setState(ChamberState::STATE_CONNECTED);
}

void LineChamberConnection::deviceFailed(ChamberError::Error error, const QString &errorString)
{
    // Streams report one failure through several signals; the first one counts.
    if (state() != ChamberState::STATE_CONNECTING && state() != ChamberState::STATE_CONNECTED)
        return;
    qCWarning(lcChamberConnection).noquote() << prefix() << "Connection to" << peerName() << "failed:" << errorString;
    setState(ChamberState::STATE_CLOSING);
    abortAll(QStringLiteral("Connection lost: %1").arg(errorString));
    closeDevice();
    m_framer.clear();
    Q_EMIT errorOccured(ChamberError(error, errorString));
    setState(ChamberState::STATE_UNCONNECTED);
}

QSharedPointer<domain::api::IChamberReply> LineChamberConnection::checkCommunication(
        const domain::types::ControllerAddress &checkAddress)
{
    Q_UNUSED(checkAddress)
    const QSharedPointer<ChamberReply> reply = ChamberReply::create(1);
    if (state() != ChamberState::STATE_CONNECTED) {
        qCWarning(lcChamberConnection).noquote() << prefix() << "Check refused, not connected to" << peerName();
        reply->finishWithError(ChamberError::ConnectionError);
        return reply;
    }

    m_queue.enqueue(Request{reply, LineFramerImpl::frame(m_protocol->checkRequest()), 0});
    if (m_stage == Stage::Idle)
        scheduleWrite(std::chrono::milliseconds::zero());
    return reply;
}

QSharedPointer<domain::api::IChamberReply> LineChamberConnection::readValue(const domain::types::ControllerAddress &)
{
    return refuse("Reading values");
}

QSharedPointer<domain::api::IChamberReply> LineChamberConnection::readValues(
        const QList<domain::types::ControllerAddress> &)
{
    return refuse("Reading values");
}

QSharedPointer<domain::api::IChamberReply> LineChamberConnection::writeValue(const domain::types::ControllerAddress &,
                                                                             const QVariant &)
{
    return refuse("Writing values");
}

QSharedPointer<domain::api::IChamberReply> LineChamberConnection::writeValues(
        const QList<QPair<domain::types::ControllerAddress, QVariant>> &)
{
    return refuse("Writing values");
}

QString LineChamberConnection::prefix() const
{
    return QStringLiteral("(%1)").arg(m_protocol->name());
}

QSharedPointer<domain::api::IChamberReply> LineChamberConnection::refuse(const char *operation)
{
    qCWarning(lcChamberConnection).noquote()
            << prefix() << QLatin1String(operation) << "is not part of this line protocol; no request made";
    return {};
}

void LineChamberConnection::scheduleWrite(std::chrono::milliseconds delay)
{
    m_stage = Stage::WaitingToWrite;
    m_writeTimer->start(delay);
}

void LineChamberConnection::onWriteTimeout()
{
    if (m_stage != Stage::WaitingToWrite || m_queue.isEmpty())
        return;

    Request &request = m_queue.head();
    ++request.writes;
    m_stage = Stage::Writing;
    m_bytesToWrite = request.frame.size();
    qCDebug(lcChamberConnection).noquote()
            << prefix()
            << QStringLiteral("To %1, write %2 of %3:").arg(peerName()).arg(request.writes).arg(MaximumWrites)
            << request.frame.toHex(' ');
    if (m_device->write(request.frame) != request.frame.size()) {
        finishCurrent({}, ChamberError::WriteError,
                      QStringLiteral("Write to %1 failed: %2").arg(peerName(), m_device->errorString()));
    }
}

void LineChamberConnection::onBytesWritten(qint64 bytes)
{
    if (m_stage != Stage::Writing)
        return;
    m_bytesToWrite -= bytes;
    // The answer can only come after the last byte went out.
    if (m_bytesToWrite <= 0) {
        m_stage = Stage::WaitingForReply;
        m_replyTimer->start(m_replyTimeout);
    }
}

void LineChamberConnection::onReplyTimeout()
{
    if (m_stage != Stage::WaitingForReply || m_queue.isEmpty())
        return;

    const Request &request = m_queue.head();
    if (request.writes < MaximumWrites) {
        qCWarning(lcChamberConnection).noquote() << prefix() << "No answer from" << peerName() << "within"
                                                 << m_replyTimeout.count() << "ms, writing the request again";
        scheduleWrite(m_repeatInterval);
        return;
    }
    finishCurrent({}, ChamberError::TimeoutError,
                  QStringLiteral("No answer from %1 after %2 writes").arg(peerName()).arg(MaximumWrites));
}

void LineChamberConnection::onReadyRead()
{
    const LineFramerImpl::Chunk chunk = m_framer.append(m_device->readAll());
    if (chunk.discardedBytes > 0) {
        qCWarning(lcChamberConnection).noquote() << prefix() << "Dropped" << chunk.discardedBytes << "bytes from"
                                                 << peerName() << "that make no line";
    }

    for (const QByteArray &line : chunk.lines) {
        // An answer may still come for a write whose reply time ran out.
        const bool answering = !m_queue.isEmpty() && m_queue.head().writes > 0;
        if (answering && m_protocol->isCheckAnswer(line)) {
            qCDebug(lcChamberConnection).noquote() << prefix() << "From" << peerName() << "answer:" << line.toHex(' ');
            finishCurrent(QString::fromLatin1(line), ChamberError::NoError, QString());
        } else {
            qCDebug(lcChamberConnection).noquote() << prefix() << "From" << peerName() << "ignored line:"
                                                   << line.toHex(' ');
        }
    }
}

void LineChamberConnection::finishCurrent(const QVariant &result, ChamberError::Error error, const QString &reason)
{
    if (m_queue.isEmpty())
        return;
    const Request request = m_queue.dequeue();
    m_writeTimer->stop();
    m_replyTimer->stop();
    m_stage = Stage::Idle;
    m_bytesToWrite = 0;

    if (error == ChamberError::NoError) {
        request.reply->setResult(0, result);
        request.reply->finish();
    } else {
        qCWarning(lcChamberConnection).noquote() << prefix() << reason;
        request.reply->finishWithError(error);
    }

    if (!m_queue.isEmpty())
        scheduleWrite(std::chrono::milliseconds::zero());
}

void LineChamberConnection::abortAll(const QString &reason)
{
    m_writeTimer->stop();
    m_replyTimer->stop();
    m_stage = Stage::Idle;
    m_bytesToWrite = 0;
    const QQueue<Request> aborted = std::exchange(m_queue, {});
    if (!aborted.isEmpty()) {
        qCWarning(lcChamberConnection).noquote()
                << prefix() << reason << "- aborting" << aborted.size() << "request(s)";
    }
    for (const Request &request : aborted)
        request.reply->finishWithError(ChamberError::ReplyAbortedError);
}

} // namespace quelta::base::connection::chamberconnection
