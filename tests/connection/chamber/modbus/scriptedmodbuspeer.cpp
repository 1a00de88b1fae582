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

QModbusResponse ScriptedModbusPeer::normalResponse(const QModbusRequest &request)
{
    const QByteArray data = request.data();
    switch (request.functionCode()) {
    case QModbusPdu::ReadHoldingRegisters: {
        const int start = wordAt(data, 0);
        const int count = wordAt(data, 2);
        QByteArray payload(1, char(2 * count));
        for (int i = 0; i < count; ++i) {
            payload.append(char(m_registers.at(start + i) >> 8));
            payload.append(char(m_registers.at(start + i) & 0xFF));
        }
        return QModbusResponse(request.functionCode(), payload);
    }
    case QModbusPdu::WriteSingleRegister:
        m_registers[wordAt(data, 0)] = wordAt(data, 2);
        return QModbusResponse(request.functionCode(), data);
    case QModbusPdu::WriteMultipleRegisters: {
        const int start = wordAt(data, 0);
        const int count = wordAt(data, 2);
        for (int i = 0; i < count; ++i)
            m_registers[start + i] = wordAt(data, 5 + 2 * i);
        return QModbusResponse(request.functionCode(), data.left(4));
    }
    default:
        return QModbusExceptionResponse(request.functionCode(),
                                        QModbusExceptionResponse::IllegalFunction);
    }
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
    int headerSize = 0;
    int pduSize = 0;
    if (m_framing == Framing::Tcp) {
        if (m_buffer.size() < ModbusTcpAdu::HeaderSize)
            return false;
        headerSize = ModbusTcpAdu::HeaderSize;
        pduSize = wordAt(m_buffer, 4) - 1;
        request->transactionId = wordAt(m_buffer, 0);
        request->unitId = quint8(m_buffer.at(6));
    } else {
        // Address, function code and enough data to know the request's size.
        if (m_buffer.size() < 7)
            return false;
        headerSize = 1;
        const QModbusRequest partial(QModbusPdu::FunctionCode(quint8(m_buffer.at(1))),
                                     m_buffer.mid(2, 5));
        pduSize = 1 + QModbusRequest::calculateDataSize(partial);
        request->transactionId = 0;
        request->unitId = quint8(m_buffer.at(0));
    }
    const int trailerSize = m_framing == Framing::Rtu ? ModbusRtuAdu::CrcSize : 0;
    const int size = headerSize + pduSize + trailerSize;
    if (m_buffer.size() < size)
        return false;
    request->adu = m_buffer.left(size);
    request->pdu = QModbusRequest(QModbusPdu::FunctionCode(quint8(m_buffer.at(headerSize))),
                                  m_buffer.mid(headerSize + 1, pduSize - 1));
    m_buffer.remove(0, size);
    return true;
}
