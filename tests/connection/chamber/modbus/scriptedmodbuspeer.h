#pragma once

#include <QtCore/QList>
#include <QtCore/QPointer>
#include <QtCore/QVector>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>
#include <QtSerialBus/QModbusPdu>

#include <functional>


// A Modbus server on 127.0.0.1 (or where it is told) that the test scripts: it cuts read requests
// (FC03) from the stream (MBAP or RTU framing), records every one, and hands
// each to a handler that may answer properly, late, wrongly, with garbage, or
// not at all, or cut the connection. Without a handler it answers from its
// own bank of registers.
class ScriptedModbusPeer : public QObject
{
    Q_OBJECT

public:
    enum class Framing { Tcp, Rtu };

    struct Request
    {
        QByteArray adu;
        quint16 transactionId = 0;
        int unitId = 0;
        QModbusRequest pdu;
    };
    using Handler = std::function<void(const Request &request)>;

    explicit ScriptedModbusPeer(Framing framing);

    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0)
    {
        return m_server.listen(address, port);
    }
    quint16 port() const { return m_server.serverPort(); }

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    QList<Request> requests() const { return m_requests; }
    QVector<quint16> &registers() { return m_registers; }

    // pdu framed as from unitId; the transaction id counts for Modbus TCP only.
    QByteArray frame(quint16 transactionId, int unitId, const QModbusPdu &pdu) const;
    // The answer a correct server gives, from the register bank.
    QModbusResponse normalResponse(const QModbusRequest &request) const;
    void answer(const Request &request)
    {
        sendRaw(frame(request.transactionId, request.unitId, normalResponse(request.pdu)));
    }
    void sendRaw(const QByteArray &bytes)
    {
        if (m_client)
            m_client->write(bytes);
    }
    // Writes what is pending first.
    void closeConnection()
    {
        if (m_client)
            m_client->disconnectFromHost();
    }
    // Drops the connection with a reset at once: the client's next write
    // fails.
    void resetConnection();

Q_SIGNALS:
    void requestReceived();

private:
    void onNewConnection();
    void onReadyRead();

    const Framing m_framing;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
    QList<Request> m_requests;
    QVector<quint16> m_registers = QVector<quint16>(0x10000);
    Handler m_handler;
};
