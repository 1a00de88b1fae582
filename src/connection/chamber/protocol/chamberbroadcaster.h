#pragma once

#include "connection/chamber/protocol/discoveryinterface.h"
#include "connection/chamber/protocol/discoveryprotocolimpl.h"
#include "domain/types/networkconfiguration.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QSet>

#include <memory>

class QUdpSocket;

namespace quelta::base::connection::chamberconnection {

class BroadcastTarget;

// Sends one kind of discovery request to every IPv4 subnet of the given
// interfaces and reports each device that answers. A broadcaster serves one
// search: start() it once, and finish() it when the search ends.
class ChamberBroadcaster : public QObject
{
    Q_OBJECT

public:
    explicit ChamberBroadcaster(std::unique_ptr<DiscoveryProtocolImpl> protocol, QObject *parent = nullptr);
    ~ChamberBroadcaster() override;

    [[nodiscard]] const DiscoveryProtocolImpl &protocol() const { return *m_protocol; }

    // Binds one UDP socket to the first address of every subnet that
    // BroadcastTarget::fromInterfaces() picks and sends the request to the
    // subnet's broadcast address. A send that fails is logged and skipped.
    // Answers are reported until finish().
    void start(const QList<DiscoveryInterface> &interfaces);

public Q_SLOTS:
    // Stops listening and deletes the broadcaster from the event loop; no
    // answer is reported after this call.
    void finish();

Q_SIGNALS:
    // Once per answering device and search.
    void networkChamberFound(const quelta::domain::types::NetworkConfiguration &networkConfiguration);

private:
    void sendTo(const BroadcastTarget &target);
    void onReadyRead(QUdpSocket *socket);

    std::unique_ptr<DiscoveryProtocolImpl> const m_protocol;
    QList<QUdpSocket *> m_sockets;
    QSet<quint32> m_answeredAddresses;
    bool m_started = false;
    bool m_finished = false;
};

} // namespace quelta::base::connection::chamberconnection
