#include "connection/chamber/modbus/qmodbusovertcpclientbase.h"

#include "connection/chamber/modbus/modbusadu.h"
#include "connection/chamber/modbus/modbuslogging.h"
#include "connection/chamber/modbus/modbuspducodec.h"
#include "connection/chamber/modbus/timer.h"

#include <QtCore/QMetaObject>
#include <QtCore/QScopedValueRollback>
#include <QtNetwork/QTcpSocket>

QModbusOverTcpClientBase::QModbusOverTcpClientBase(const QString &logPrefix, QObject *parent)
    : QModbusDevice(parent)
    , m_logPrefix(logPrefix)
    , m_socket(new QTcpSocket(this))
    , m_responseTimer(new Timer(this))
{
    connect(m_socket, &QAbstractSocket::stateChanged, this,
            &QModbusOverTcpClientBase::onSocketStateChanged);
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            &QModbusOverTcpClientBase::onSocketError);
    connect(m_socket, &QIODevice::bytesWritten, this, &QModbusOverTcpClientBase::onBytesWritten);
    connect(m_socket, &QIODevice::readyRead, this, &QModbusOverTcpClientBase::onReadyRead);
    connect(m_responseTimer, &Timer::timeout, this, &QModbusOverTcpClientBase::onResponseTimeout);
}

QModbusOverTcpClientBase::~QModbusOverTcpClientBase()
{
    abortAllRequests();
    m_socket->disconnect(this);
    m_socket->abort();
}

QModbusReply *QModbusOverTcpClientBase::sendReadRequest(const QModbusDataUnit &read,
                                                        int serverAddress)
{
    return enqueueRequest(ModbusPduCodec::readRequest(read), read, serverAddress);
}

QModbusReply *QModbusOverTcpClientBase::sendWriteRequest(const QModbusDataUnit &write,
                                                         int serverAddress)
{
    return enqueueRequest(ModbusPduCodec::writeRequest(write), write, serverAddress);
}

std::chrono::milliseconds QModbusOverTcpClientBase::timeout() const
{
    return m_timeout;
}

void QModbusOverTcpClientBase::setTimeout(std::chrono::milliseconds timeout)
{
    if (timeout < MinimumTimeout) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Ignoring a response timeout of " << timeout.count()
            << " ms, the minimum is " << MinimumTimeout.count() << " ms";
        return;
    }
    m_timeout = timeout;
}

int QModbusOverTcpClientBase::numberOfRetries() const
{
    return m_numberOfRetries;
}

void QModbusOverTcpClientBase::setNumberOfRetries(int number)
{
    if (number < 0) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Ignoring a negative number of retries: " << number;
        return;
    }
    m_numberOfRetries = number;
}

bool QModbusOverTcpClientBase::open()
{
    bool portOk = false;
    const int port = connectionParameter(NetworkPortParameter).toInt(&portOk);
    const QString address = connectionParameter(NetworkAddressParameter).toString();
    if (!portOk || port < 1 || port > 0xFFFF || address.isEmpty()) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Invalid network address " << address << ':'
            << connectionParameter(NetworkPortParameter).toString();
        setError(tr("Invalid network address or port."), ConfigurationError);
        return false;
    }
    qCDebug(lcModbus).noquote().nospace() << m_logPrefix << "Connecting to " << address << ':' << port;
    m_buffer.clear();
    m_socket->connectToHost(address, quint16(port));
    return true;
}

void QModbusOverTcpClientBase::close()
{
    abortAllRequests();
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        setState(UnconnectedState);
        return;
    }
    // Nothing is waiting for the bytes still unsent; abort() reports the
    // unconnected socket through onSocketStateChanged() at once.
    m_socket->abort();
}

QModbusReply *QModbusOverTcpClientBase::enqueueRequest(const QModbusRequest &request,
                                                       const QModbusDataUnit &unit,
                                                       int serverAddress)
{
    if (state() != ConnectedState) {
        qCWarning(lcModbus).noquote().nospace() << m_logPrefix << "Device is not connected";
        setError(tr("Device not connected."), ConnectionError);
        return nullptr;
    }
    if (!isValidServerAddress(serverAddress)) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Refusing a request to the invalid server address " << serverAddress;
        setError(tr("Invalid server address %1.").arg(serverAddress), ConfigurationError);
        return nullptr;
    }
    if (!request.isValid()) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Refusing an invalid request for " << unit.valueCount()
            << " registers from address " << unit.startAddress() << " of table "
            << unit.registerType();
        setError(tr("Invalid Modbus request."), ProtocolError);
        return nullptr;
    }

    auto *reply = new QModbusReply(QModbusReply::Common, serverAddress, this);
    QueueElement element;
    element.reply = reply;
    element.request = request;
    element.unit = unit;
    element.serverAddress = serverAddress;
    element.retriesLeft = m_numberOfRetries;
    m_queue.enqueue(element);
    if (m_state == State::Idle) {
        // Nothing on the wire: the request goes out at once rather than on
        // the next turn of the event loop. A write that fails, or a connection
        // that breaks as it goes out, ends it only from the event loop.
        const QScopedValueRollback<bool> sending(m_sendingInCall, true);
        sendNextRequest();
    }
    return reply;
}

void QModbusOverTcpClientBase::scheduleNextRequest()
{
    if (m_sendScheduled || m_queue.isEmpty())
        return;
    m_sendScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_sendScheduled = false;
            sendNextRequest();
        },
        Qt::QueuedConnection);
}

void QModbusOverTcpClientBase::sendNextRequest()
{
    if (m_state != State::Idle || state() != ConnectedState)
        return;
    while (!m_queue.isEmpty() && m_queue.head().reply.isNull()) {
        qCDebug(lcModbus).noquote().nospace()
            << m_logPrefix << "Skipping a request whose reply was deleted";
        m_queue.dequeue();
    }
    if (m_queue.isEmpty())
        return;

    QueueElement &element = m_queue.head();
    element.transactionId = m_nextTransactionId++;
    element.adu = encodeAdu(element.request, element.serverAddress, element.transactionId);
    m_state = State::WaitingForReply;
    writeCurrentRequest();
}

void QModbusOverTcpClientBase::writeCurrentRequest()
{
    QueueElement &element = m_queue.head();
    // Bytes still buffered belong to an earlier send. Kept, they could join
    // the start of the coming response into one frame of wrong data.
    dropBufferedBytes("a request is sent");
    m_responseTimer->stop();
    element.timerId = 0;
    element.bytesToWrite = m_socket->bytesToWrite() + element.adu.size();

    qCDebug(lcModbus).noquote().nospace()
        << m_logPrefix << "Sending request " << element.transactionId << " to server address "
        << element.serverAddress << ", function code " << int(element.request.functionCode())
        << ", retries left " << element.retriesLeft;
    qCDebug(lcModbusLowLevel).noquote().nospace()
        << m_logPrefix << "Sending ADU: " << element.adu.toHex();

    if (m_socket->write(element.adu) != element.adu.size()) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Could not write the request: " << m_socket->errorString();
        failCurrentRequestLater(WriteError, tr("Could not write the request to the socket."));
        return;
    }
    // Hands the request to the system now rather than on the next turn of
    // the event loop. It never blocks; what the system cannot take yet goes
    // out later as usual.
    m_socket->flush();
}

void QModbusOverTcpClientBase::onBytesWritten(qint64 bytes)
{
    if (m_state != State::WaitingForReply)
        return;
    QueueElement &element = m_queue.head();
    if (element.timerId != 0)
        return;
    element.bytesToWrite -= bytes;
    // The server cannot answer before it has the whole request, so the
    // response time counts from the last byte.
    if (element.bytesToWrite <= 0)
        element.timerId = m_responseTimer->start(m_timeout);
}

void QModbusOverTcpClientBase::onReadyRead()
{
    // Straight into the buffer: readAll() on a socket allocates a 16 KiB
    // chunk and grows it once more before it sees that nothing is left.
    const int start = m_buffer.size();
    m_buffer.resize(start + int(m_socket->bytesAvailable()));
    const qint64 received = m_socket->read(m_buffer.data() + start, m_buffer.size() - start);
    m_buffer.resize(start + int(qMax<qint64>(received, 0)));
    qCDebug(lcModbusLowLevel).noquote().nospace()
        << m_logPrefix << "Received: " << QByteArray::fromRawData(m_buffer.constData() + start,
                                                                  m_buffer.size() - start).toHex();
    processBuffer();
}

void QModbusOverTcpClientBase::processBuffer()
{
    while (!m_buffer.isEmpty()) {
        const ModbusAdu adu = decodeAdu(m_buffer);
        switch (adu.status()) {
        case ModbusAdu::Status::Incomplete:
            return;
        case ModbusAdu::Status::Invalid:
            qCWarning(lcModbus).noquote().nospace()
                << m_logPrefix << "Dropping " << adu.size() << " bytes that are no response, "
                << adu.reason() << ": " << m_buffer.left(adu.size()).toHex();
            m_buffer.remove(0, adu.size());
            break;
        case ModbusAdu::Status::Complete:
            m_buffer.remove(0, adu.size());
            processAdu(adu);
            break;
        }
    }
}

void QModbusOverTcpClientBase::processAdu(const ModbusAdu &adu)
{
    const QModbusResponse response = adu.pdu();
    if (m_state != State::WaitingForReply) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Dropping a response while no request is waiting: " << response;
        return;
    }
    const QueueElement &element = m_queue.head();
    if (adu.transactionId() && *adu.transactionId() != element.transactionId) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Dropping a response with tid " << *adu.transactionId()
            << ", expected tid " << element.transactionId;
        return;
    }
    if (adu.serverAddress() != element.serverAddress) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Dropping a response from server address " << adu.serverAddress()
            << ", expected server address " << element.serverAddress;
        return;
    }
    if (response.functionCode() != element.request.functionCode()) {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Dropping a response with function code "
            << int(response.functionCode()) << ", expected function code "
            << int(element.request.functionCode());
        return;
    }

    if (response.isException()) {
        finishCurrentRequest(ProtocolError,
                             tr("Modbus exception response, exception code %1.")
                                 .arg(int(response.exceptionCode())),
                             response, QModbusDataUnit());
        return;
    }
    const std::optional<QModbusDataUnit> result =
        ModbusPduCodec::decodeResponse(element.request, element.unit, response);
    if (!result) {
        finishCurrentRequest(ProtocolError, tr("An invalid response has been received."),
                             response, QModbusDataUnit());
        return;
    }
    finishCurrentRequest(NoError, QString(), response, *result);
}

void QModbusOverTcpClientBase::onResponseTimeout(int timerId)
{
    if (m_state != State::WaitingForReply || m_queue.head().timerId != timerId) {
        qCDebug(lcModbus).noquote().nospace() << m_logPrefix << "Ignoring a stale timeout";
        return;
    }
    QueueElement &element = m_queue.head();
    if (element.retriesLeft > 0) {
        --element.retriesLeft;
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "No response to request " << element.transactionId << " within "
            << m_timeout.count() << " ms, sending it again";
        writeCurrentRequest();
        return;
    }
    qCWarning(lcModbus).noquote().nospace()
        << m_logPrefix << "No response to request " << element.transactionId << " within "
        << m_timeout.count() << " ms, giving up";
    finishCurrentRequest(TimeoutError, tr("Request timeout."), QModbusResponse(),
                         QModbusDataUnit());
}

void QModbusOverTcpClientBase::finishCurrentRequest(QModbusDevice::Error error,
                                                    const QString &errorText,
                                                    const QModbusResponse &response,
                                                    const QModbusDataUnit &result)
{
    const QueueElement element = m_queue.dequeue();
    m_responseTimer->stop();
    m_state = State::Idle;
    scheduleNextRequest();

    if (error == NoError) {
        qCDebug(lcModbus).noquote().nospace()
            << m_logPrefix << "Request " << element.transactionId << " finished";
    } else {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Request " << element.transactionId << " failed: " << errorText;
    }
    if (element.reply.isNull())
        return;
    element.reply->setRawResult(response);
    if (error == NoError) {
        element.reply->setResult(result);
        element.reply->setFinished(true);
    } else {
        // QModbusReply::setError() finishes the reply as well.
        element.reply->setError(error, errorText);
    }
}

void QModbusOverTcpClientBase::failCurrentRequestLater(QModbusDevice::Error error,
                                                       const QString &errorText)
{
    const quint16 transactionId = m_queue.head().transactionId;
    QMetaObject::invokeMethod(
        this,
        [this, transactionId, error, errorText] {
            // Unless the request has ended otherwise in the meantime.
            if (m_state == State::WaitingForReply && m_queue.head().transactionId == transactionId)
                finishCurrentRequest(error, errorText, QModbusResponse(), QModbusDataUnit());
        },
        Qt::QueuedConnection);
}

void QModbusOverTcpClientBase::abortAllRequests()
{
    m_responseTimer->stop();
    m_state = State::Idle;
    if (m_queue.isEmpty())
        return;

    QQueue<QueueElement> pending;
    pending.swap(m_queue);
    qCWarning(lcModbus).noquote().nospace()
        << m_logPrefix << "Aborting " << pending.size() << " pending requests";
    for (const QueueElement &element : qAsConst(pending)) {
        if (!element.reply.isNull())
            element.reply->setError(ReplyAbortedError, tr("Reply aborted due to connection closure."));
    }
}

void QModbusOverTcpClientBase::dropBufferedBytes(const char *why)
{
    if (m_buffer.isEmpty())
        return;
    qCWarning(lcModbus).noquote().nospace()
        << m_logPrefix << "Dropping " << m_buffer.size() << " unused bytes because " << why
        << ": " << m_buffer.toHex();
    m_buffer.clear();
}

void QModbusOverTcpClientBase::onSocketStateChanged()
{
    if (m_sendingInCall) {
        // Lost as a request went out inside enqueueRequest(), which must not
        // finish its reply.
        QMetaObject::invokeMethod(this, &QModbusOverTcpClientBase::onSocketStateChanged,
                                  Qt::QueuedConnection);
        return;
    }
    switch (m_socket->state()) {
    case QAbstractSocket::ConnectedState:
        qCDebug(lcModbus).noquote().nospace()
            << m_logPrefix << "Connected to " << m_socket->peerName() << ':' << m_socket->peerPort();
        setState(ConnectedState);
        break;
    case QAbstractSocket::UnconnectedState:
        abortAllRequests();
        dropBufferedBytes("the connection closed");
        setState(UnconnectedState);
        break;
    case QAbstractSocket::HostLookupState:
    case QAbstractSocket::ConnectingState:
    case QAbstractSocket::BoundState:
    case QAbstractSocket::ListeningState:
    case QAbstractSocket::ClosingState:
        break;
    }
}

void QModbusOverTcpClientBase::onSocketError()
{
    // Closing the connection ourselves is no error.
    if (state() == ClosingState)
        return;
    const QAbstractSocket::SocketError error = m_socket->error();
    const QString errorString = m_socket->errorString();
    const auto report = [this, error, errorString] {
        qCWarning(lcModbus).noquote().nospace()
            << m_logPrefix << "Socket error " << error << ": " << errorString;
        setError(errorString, ConnectionError);
    };
    // Inside enqueueRequest() it waits for the event loop, as the state
    // change that follows it does, and still comes first.
    if (m_sendingInCall)
        QMetaObject::invokeMethod(this, report, Qt::QueuedConnection);
    else
        report();
}
