#include "scriptedmodbuspeer.h"

#include "connection/chamber/modbus/modbusrtuadu.h"
#include "connection/chamber/modbus/modbustcpadu.h"

#include <QtCore/QtEndian>

#include <sys/socket.h>

ScriptedModbusPeer::ScriptedModbusPeer(Framing framing)
    : m_framing(framing)
{
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedModbusPeer::onNewConnection);
}

QByteArray ScriptedModbusPeer::frame(quint16 transactionId, int unitId, const QModbusPdu &pdu) const
{
    return m_framing == Framing::Tcp ? ModbusTcpAdu::encode(transactionId, quint8(unitId), pdu)
                                     : ModbusRtuAdu::encode(quint8(unitId), pdu);
}

QModbusResponse ScriptedModbusPeer::normalResponse(const QModbusRequest &request) const
{
    quint16 start = 0;
    quint16 count = 0;
    request.decodeData(&start, &count);
    return QModbusResponse(request.functionCode(), quint8(2 * count), m_registers.mid(start, count));
}

void ScriptedModbusPeer::resetConnection()
{
    if (!m_client)
        return;
    // Lingering for no time makes the close a reset.
    const linger reset{1, 0};
    setsockopt(int(m_client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    m_client->abort();
}

void ScriptedModbusPeer::onNewConnection()
{
    // Only the latest connection counts; the server owns every socket.
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        m_client = socket;
        m_buffer.clear();
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedModbusPeer::onReadyRead);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void ScriptedModbusPeer::onReadyRead()
{
    if (sender() != m_client)
        return;
    m_buffer += m_client->readAll();
    // The header (MBAP, or the server address), five bytes of a read
    // request's PDU and, for RTU, the CRC.
    const int header = m_framing == Framing::Tcp ? ModbusTcpAdu::HeaderSize : 1;
    const int size = header + 5 + (m_framing == Framing::Rtu ? ModbusRtuAdu::CrcSize : 0);
    while (m_buffer.size() >= size) {
        const auto functionCode = QModbusPdu::FunctionCode(quint8(m_buffer.at(header)));
        const Request request{m_buffer.left(size),
                              m_framing == Framing::Tcp ? qFromBigEndian<quint16>(m_buffer.constData()) : quint16(0),
                              quint8(m_buffer.at(header - 1)), QModbusRequest(functionCode, m_buffer.mid(header + 1, 4))};
        m_buffer.remove(0, size);
        m_requests.append(request);
        if (m_handler)
            m_handler(request);
        else
            answer(request);
        Q_EMIT requestReceived();
    }
}
