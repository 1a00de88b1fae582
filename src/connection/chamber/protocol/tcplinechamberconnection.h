#pragma once

#include "connection/chamber/protocol/linechamberconnection.h"

#include <QtNetwork/QHostAddress>

class QTcpSocket;

namespace quelta::base::connection::chamberconnection {

// A line protocol over TCP: to the device itself, or to the data port of a
// serial-to-Ethernet converter in front of it.
class TcpLineChamberConnection final : public LineChamberConnection
{
    Q_OBJECT

public:
    TcpLineChamberConnection(std::unique_ptr<LineProtocolImpl> protocol, const QHostAddress &address, quint16 port,
                             QObject *parent = nullptr);
    ~TcpLineChamberConnection() override;

    [[nodiscard]] QHostAddress address() const { return m_address; }
    [[nodiscard]] quint16 port() const { return m_port; }

protected:
    void openDevice() override;
    void closeDevice() override;
    [[nodiscard]] QString peerName() const override;

private:
    const QHostAddress m_address;
    const quint16 m_port;
    QTcpSocket *const m_socket;
};

} // namespace quelta::base::connection::chamberconnection
