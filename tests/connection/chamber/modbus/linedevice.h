#pragma once

#include <QtCore/QList>
#include <QtCore/QPointer>
#include <QtNetwork/QTcpServer>
#include <QtNetwork/QTcpSocket>

// A line-protocol device: on loopback TCP, or on any open stream handed to
// attach(), such as the far end of a pseudo-terminal pair. It records every
// request line, answers the n-th one with the n-th answer and every later
// one with the last answer; an empty answer stays silent. A device that hangs
// up closes the connection at the first byte it receives.
class LineDevice : public QObject
{
    Q_OBJECT

public:
    explicit LineDevice(const QList<QByteArray> &answers = {}, bool hangUp = false);

    // Listens at a free port of 127.0.0.1, or where it is told, and serves
    // every connection.
    bool listen(const QHostAddress &address = QHostAddress::LocalHost, quint16 port = 0)
    {
        return m_server.listen(address, port);
    }
    quint16 port() const { return m_server.serverPort(); }
    void attach(QIODevice *stream);
    // Stops listening and closes the TCP connections: the device has gone.
    void close();

    QList<QByteArray> lines;
    // The latest TCP connection.
    QPointer<QTcpSocket> socket;

private:
    const QList<QByteArray> m_answers;
    const bool m_hangUp;
    QTcpServer m_server;
};
