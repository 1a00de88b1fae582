#include "scriptedmodbuspeer.h"

#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/modbustcpadu.h"

#include <QtCore/QtEndian>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>

namespace {

constexpr int RegisterCount = 0x10000;

quint16 wordAt(const QByteArray &data, int offset)
{
    return qFromBigEndian<quint16>(reinterpret_cast<const uchar *>(data.constData()) + offset);
}

} // namespace

ScriptedModbusPeer::ScriptedModbusPeer(Framing framing, QObject *parent)
    : QObject(parent)
    , m_framing(framing)
    , m_server(new QTcpServer(this))
    , m_registers(RegisterCount)
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedModbusPeer::onNewConnection);
}

bool ScriptedModbusPeer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 ScriptedModbusPeer::port() const
{
    return m_server->serverPort();
}

QByteArray ScriptedModbusPeer::frame(quint16 transactionId, int unitId, const QModbusPdu &pdu) const
{
    return m_framing == Framing::Tcp ? ModbusTcpAdu::encode(transactionId, quint8(unitId), pdu)
                                     : ModbusRtuAdu::encode(quint8(unitId), pdu);
}

void ScriptedModbusPeer::answer(const Request &request)
{
    sendRaw(frame(request.transactionId, request.unitId, normalResponse(request.pdu)));
}

void ScriptedModbusPeer::sendRaw(const QByteArray &bytes)
{
    if (m_client)
        m_client->write(bytes);
}

void ScriptedModbusPeer::closeConnection()
{
    if (m_client) {
        m_client->flush();
        m_client->disconnectFromHost();
    }
}

QModbusResponse ScriptedModbusPeer::normalResponse(const QModbusRequest &request) const
{
    const int start = wordAt(request.data(), 0);
    const int count = wordAt(request.data(), 2);
    QByteArray payload(1, char(2 * count));
    for (int i = 0; i < count; ++i) {
        payload.append(char(m_registers.at(start + i) >> 8));
        payload.append(char(m_registers.at(start + i) & 0xFF));
    }
    return QModbusResponse(request.functionCode(), payload);
}

void ScriptedModbusPeer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client)
            m_client->deleteLater();
        m_client = socket;
        m_buffer.clear();
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedModbusPeer::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void ScriptedModbusPeer::onReadyRead()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (socket != m_client)
        return;
    m_buffer.append(socket->readAll());
    Request request;
    while (takeRequest(&request)) {
        m_requests.append(request);
        if (m_handler)
            m_handler(request);
        else
            answer(request);
        Q_EMIT requestReceived();
    }
}

bool ScriptedModbusPeer::takeRequest(Request *request)
{
    // The header (MBAP, or the server address), five bytes of a read
    // request's PDU and, for RTU, the CRC.
    const int headerSize = m_framing == Framing::Tcp ? ModbusTcpAdu::HeaderSize : 1;
    const int size = headerSize + 5 + (m_framing == Framing::Rtu ? ModbusRtuAdu::CrcSize : 0);
    if (m_buffer.size() < size)
        return false;
    request->adu = m_buffer.left(size);
    request->transactionId = m_framing == Framing::Tcp ? wordAt(m_buffer, 0) : 0;
    request->unitId = quint8(m_buffer.at(headerSize - 1));
    request->pdu = QModbusRequest(QModbusPdu::FunctionCode(quint8(m_buffer.at(headerSize))),
                                  m_buffer.mid(headerSize + 1, 4));
    m_buffer.remove(0, size);
    return true;
}
