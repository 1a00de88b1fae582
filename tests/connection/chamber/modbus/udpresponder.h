#pragma once

#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtNetwork/QHostAddress>
#include <QtNetwork/QUdpSocket>

// A discovery device: listens for broadcasts on a discovery port and answers
// every request with its scripted datagrams, each sent from its address (an
// address of the private network namespace's veth pair).
class UdpResponder
{
public:
    UdpResponder(quint16 port, const QList<QPair<QHostAddress, QByteArray>> &answers);

    QList<QByteArray> requests;

private:
    QUdpSocket m_listener;
};
