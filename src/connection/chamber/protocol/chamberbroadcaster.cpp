#include "connection/chamber/protocol/chamberbroadcaster.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "connection/chamber/protocol/broadcasttarget.h"

#include <QtCore/QPointer>
#include <QtNetwork/QNetworkDatagram>
#include <QtNetwork/QUdpSocket>

namespace quelta::base::connection::chamberconnection {

ChamberBroadcaster::ChamberBroadcaster(std::unique_ptr<DiscoveryProtocolImpl> protocol, QObject *parent)
    : QObject(parent), m_protocol(std::move(protocol))
{
    Q_ASSERT(m_protocol);
}

ChamberBroadcaster::~ChamberBroadcaster() = default;

void ChamberBroadcaster::start(const QList<DiscoveryInterface> &interfaces)
{
    if (m_started || m_finished) {
        qCWarning(lcChamberConnection).noquote()
                << QStringLiteral("(%1 discovery) A broadcaster serves one search; start ignored").arg(m_protocol->name());
        return;
    }
    m_started = true;

    const QList<BroadcastTarget> targets = BroadcastTarget::fromInterfaces(interfaces);
    if (targets.isEmpty()) {
        qCWarning(lcChamberConnection).noquote()
                << QStringLiteral("(%1 discovery) No IPv4 network to search").arg(m_protocol->name());
    }
    for (const BroadcastTarget &target : targets)
        sendTo(target);
}

void ChamberBroadcaster::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    // Closing drops what is still queued, which also ends a readyRead handler
    // that called us. The sockets may be inside that handler right now, so
    // they are deleted with this object, not here.
    for (QUdpSocket *socket : qAsConst(m_sockets))
        socket->close();
    deleteLater();
}

void ChamberBroadcaster::sendTo(const BroadcastTarget &target)
{
    const QString route = QStringLiteral("from %1 to %2:%3")
                                  .arg(target.localAddress().toString(), target.broadcastAddress().toString())
                                  .arg(m_protocol->port());
    const auto logFailure = [this, &route](const QUdpSocket *socket) {
        qCCritical(lcChamberConnection).noquote() << QStringLiteral("Broadcast failed: %1 request %2 (%3)")
                                                             .arg(m_protocol->name(), route, socket->errorString());
    };

    auto *socket = new QUdpSocket(this);
    if (!socket->bind(target.localAddress(), 0)) {
        logFailure(socket);
        delete socket;
        return;
    }

    const QByteArray request = m_protocol->request();
    if (socket->writeDatagram(request, target.broadcastAddress(), m_protocol->port()) != request.size()) {
        logFailure(socket);
        delete socket;
        return;
    }

    qCDebug(lcChamberConnection).noquote() << QStringLiteral("(%1 discovery) Request sent %2 on %3: %4")
                                                      .arg(m_protocol->name(), route, target.interfaceName(),
                                                           QString::fromLatin1(request.toHex(' ')));
    connect(socket, &QUdpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    m_sockets.append(socket);
}

void ChamberBroadcaster::onReadyRead(QUdpSocket *socket)
{
    const QPointer<ChamberBroadcaster> self(this);
    while (socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!datagram.isValid())
            break;

        const QHostAddress sender = datagram.senderAddress();
        const QByteArray data = datagram.data();
        const std::optional<domain::types::MacAddress> macAddress = m_protocol->parseAnswer(data);
        if (!macAddress || sender.protocol() != QAbstractSocket::IPv4Protocol) {
            qCDebug(lcChamberConnection).noquote()
                    << QStringLiteral("(%1 discovery) Ignored %2 bytes from %3: %4")
                               .arg(m_protocol->name())
                               .arg(data.size())
                               .arg(sender.toString(), QString::fromLatin1(data.left(64).toHex(' ')));
            continue;
        }

        if (m_answeredAddresses.contains(sender.toIPv4Address()))
            continue;
        m_answeredAddresses.insert(sender.toIPv4Address());

        qCInfo(lcChamberConnection).noquote() << QStringLiteral("(%1 discovery) Found %2 (%3)")
                                                         .arg(m_protocol->name(), sender.toString(),
                                                              macAddress->toString());
        Q_EMIT networkChamberFound(
                domain::types::NetworkConfiguration(sender, *macAddress, m_protocol->converter()));
        // A receiver may have deleted us or ended the search, which closes
        // the socket.
        if (!self || m_finished)
            return;
    }
}

} // namespace quelta::base::connection::chamberconnection
