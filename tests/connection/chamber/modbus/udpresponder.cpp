#include "udpresponder.h"

#include <QtNetwork/QNetworkDatagram>

UdpResponder::UdpResponder(quint16 port, const QList<QPair<QHostAddress, QByteArray>> &answers)
{
    m_listener.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    QObject::connect(&m_listener, &QUdpSocket::readyRead, &m_listener, [this, answers] {
        while (m_listener.hasPendingDatagrams()) {
            const QNetworkDatagram request = m_listener.receiveDatagram();
            requests.append(request.data());
            for (const auto &answer : answers) {
                QUdpSocket sender;
                if (sender.bind(answer.first, 0))
                    sender.writeDatagram(answer.second, request.senderAddress(), request.senderPort());
            }
        }
    });
}
