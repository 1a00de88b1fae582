#include "linedevice.h"

LineDevice::LineDevice(const QList<QByteArray> &answers, bool hangUp)
    : m_answers(answers)
    , m_hangUp(hangUp)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *next = m_server.nextPendingConnection()) {
            socket = next;
            connect(next, &QTcpSocket::disconnected, next, &QObject::deleteLater);
            attach(next);
        }
    });
}

void LineDevice::attach(QIODevice *stream)
{
    connect(stream, &QIODevice::readyRead, this, [this, stream] {
        if (m_hangUp)
            return stream->close();
        while (stream->canReadLine()) {
            lines.append(stream->readLine().chopped(2));
            const QByteArray answer = m_answers.value(lines.size() - 1, m_answers.value(m_answers.size() - 1));
            if (!answer.isEmpty())
                stream->write(answer + "\r\n");
        }
    });
}

void LineDevice::close()
{
    m_server.close();
    for (QTcpSocket *connection : m_server.findChildren<QTcpSocket *>())
        connection->close();
}
