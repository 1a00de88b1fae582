#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QPointer>
#include <QtCore/QQueue>
#include <QtCore/QString>
#include <QtSerialBus/QModbusDataUnit>
#include <QtSerialBus/QModbusDevice>
#include <QtSerialBus/QModbusPdu>
#include <QtSerialBus/QModbusReply>

#include <chrono>

class ModbusAdu;
class QTcpSocket;
class Timer;

// The common part of the Modbus clients that reach their server over one TCP
// connection: the socket, one request queue with one request on the wire at
// a time, the response timer and the retries. A subclass supplies the
// framing.
//
// The API follows QModbusClient. QModbusClient itself cannot be the base:
// its send functions queue requests in private classes that a subclass
// cannot reach, so on any other subclass they refuse every request.
//
// Replies are children of the client; the caller deletes a reply with
// deleteLater() once it has finished. A reply finishes exactly once, never
// inside the call that created it: with its result, with an error, or with
// QModbusDevice::ReplyAbortedError when the connection closes or the client
// is destroyed first.
class QModbusOverTcpClientBase : public QModbusDevice
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultTimeout{1000};
    static constexpr std::chrono::milliseconds MinimumTimeout{10};
    static constexpr int DefaultNumberOfRetries = 3;

    ~QModbusOverTcpClientBase() override;

    // Reads holding registers (FC03) or input registers (FC04). Returns null,
    // and sets error(), when the device is not connected or the request
    // cannot be built.
    QModbusReply *sendReadRequest(const QModbusDataUnit &read, int serverAddress);
    // Writes holding registers: FC06 for one register, FC16 for more.
    QModbusReply *sendWriteRequest(const QModbusDataUnit &write, int serverAddress);

    // How long to wait for the response to each send once the request has
    // been written. At least MinimumTimeout; shorter values are ignored.
    std::chrono::milliseconds timeout() const;
    void setTimeout(std::chrono::milliseconds timeout);

    // How often a request is sent again after a timeout; at least 0.
    int numberOfRetries() const;
    void setNumberOfRetries(int number);

protected:
    QModbusOverTcpClientBase(const QString &logPrefix, QObject *parent);

    bool open() override;
    void close() override;

    virtual QByteArray encodeAdu(const QModbusRequest &request, int serverAddress,
                                 quint16 transactionId) const = 0;
    virtual ModbusAdu decodeAdu(const QByteArray &buffer) const = 0;
    virtual bool isValidServerAddress(int serverAddress) const = 0;

private:
    struct QueueElement
    {
        QPointer<QModbusReply> reply;
        QModbusRequest request;
        QModbusDataUnit unit;
        int serverAddress = 0;
        int retriesLeft = 0;
        // The MBAP transaction id; in framings without one it only numbers the
        // requests in the log.
        quint16 transactionId = 0;
        QByteArray adu;
        qint64 bytesToWrite = 0;
        int timerId = 0;
    };

    enum class State { Idle, WaitingForReply };

    QModbusReply *enqueueRequest(const QModbusRequest &request, const QModbusDataUnit &unit,
                                 int serverAddress);
    void scheduleNextRequest();
    void sendNextRequest();
    void writeCurrentRequest();
    void processBuffer();
    void processAdu(const ModbusAdu &adu);
    void finishCurrentRequest(QModbusDevice::Error error, const QString &errorText,
                              const QModbusResponse &response, const QModbusDataUnit &result);
    // Ends the request on the wire from the event loop, so never inside the
    // call that made it.
    void failCurrentRequestLater(QModbusDevice::Error error, const QString &errorText);
    void abortAllRequests();
    void dropBufferedBytes(const char *why);

    void onSocketStateChanged();
    void onSocketError();
    void onBytesWritten(qint64 bytes);
    void onReadyRead();
    void onResponseTimeout(int timerId);

    const QString m_logPrefix;
    QTcpSocket *const m_socket;
    Timer *const m_responseTimer;
    QQueue<QueueElement> m_queue;
    QByteArray m_buffer;
    State m_state = State::Idle;
    bool m_sendScheduled = false;
    // A request goes out inside enqueueRequest(): what the socket reports
    // meanwhile is handled from the event loop.
    bool m_sendingInCall = false;
    quint16 m_nextTransactionId = 1;
    std::chrono::milliseconds m_timeout = DefaultTimeout;
    int m_numberOfRetries = DefaultNumberOfRetries;
};
