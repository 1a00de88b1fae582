#include "connection/chamber/protocol/tcplinechamberconnection.h"

#include <QtNetwork/QTcpSocket>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberError;

namespace {

ChamberError::Error chamberError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::SocketTimeoutError:
        return ChamberError::TimeoutError;
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::RemoteHostClosedError:
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::SocketAccessError:
    case QAbstractSocket::SocketResourceError:
    case QAbstractSocket::NetworkError:
    case QAbstractSocket::AddressInUseError:
    case QAbstractSocket::SocketAddressNotAvailableError:
    case QAbstractSocket::TemporaryError:
        return ChamberError::ConnectionError;
    case QAbstractSocket::DatagramTooLargeError:
    case QAbstractSocket::UnsupportedSocketOperationError:
    case QAbstractSocket::UnfinishedSocketOperationError:
    case QAbstractSocket::OperationError:
        return ChamberError::ConfigurationError;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
    case QAbstractSocket::ProxyConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
    case QAbstractSocket::ProxyNotFoundError:
    case QAbstractSocket::ProxyProtocolError:
        return ChamberError::ConnectionError;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return ChamberError::ProtocolError;
    case QAbstractSocket::UnknownSocketError:
        return ChamberError::UnknownError;
    }
    return ChamberError::UnknownError;
}

} // namespace

TcpLineChamberConnection::TcpLineChamberConnection(std::unique_ptr<LineProtocolImpl> protocol,
                                                   const QHostAddress &address, quint16 port, QObject *parent)
    : LineChamberConnection(std::move(protocol), parent), m_address(address), m_port(port), m_socket(new QTcpSocket(this))
{
    attachDevice(m_socket);
    connect(m_socket, &QTcpSocket::connected, this, &TcpLineChamberConnection::deviceOpened);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        deviceFailed(chamberError(error), m_socket->errorString());
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        deviceFailed(ChamberError::ConnectionError, QStringLiteral("The remote host closed the connection"));
    });
}

TcpLineChamberConnection::~TcpLineChamberConnection()
{
    // Nothing of the socket's own shutdown may reach a half-destroyed connection.
    m_socket->disconnect(this);
}

void TcpLineChamberConnection::openDevice()
{
    m_socket->connectToHost(m_address, m_port);
}

void TcpLineChamberConnection::closeDevice()
{
    m_socket->abort();
}

QString TcpLineChamberConnection::peerName() const
{
    return QStringLiteral("%1:%2").arg(m_address.toString()).arg(m_port);
}

} // namespace quelta::base::connection::chamberconnection
