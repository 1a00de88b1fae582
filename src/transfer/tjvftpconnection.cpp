#include "tjvftpconnection.h"

#include <QtCore/QUrl>
#include <QtNetwork/QNetworkReply>

namespace quelta::base::connection::chamberconnection {

const QString TjvFtpConnection::ftpUserName = QStringLiteral("QUELTA");
const QString TjvFtpConnection::ftpPassword = QStringLiteral("5206_KLMnorpaq_Z731");

TjvFtpConnection::TjvFtpConnection(const QHostAddress &address, QObject *parent)
    : TjvFtpConnection(address, FtpPort, parent)
{
}

TjvFtpConnection::TjvFtpConnection(const QHostAddress &address, quint16 port, QObject *parent)
    : QObject(parent)
    , m_address(address)
    , m_port(port)
    , m_manager(this)
{
}

QNetworkReply *TjvFtpConnection::get(const QString &path)
{
    return m_manager.get(createRequest(path));
}

QNetworkReply *TjvFtpConnection::put(const QString &path, const QByteArray &data)
{
    return m_manager.put(createRequest(path), data);
}

QNetworkReply *TjvFtpConnection::put(const QString &path, QIODevice *device)
{
    return m_manager.put(createRequest(path), device);
}

QNetworkReply *TjvFtpConnection::list(const QString &path)
{
    return m_manager.sendCustomRequest(createRequest(path), QByteArrayLiteral("ls"));
}

QNetworkReply *TjvFtpConnection::makeDirectory(const QString &path)
{
    return m_manager.sendCustomRequest(createRequest(path), QByteArrayLiteral("mkdir"));
}

QNetworkReply *TjvFtpConnection::removeDirectory(const QString &path)
{
    return m_manager.sendCustomRequest(createRequest(path), QByteArrayLiteral("rmdir"));
}

QNetworkReply *TjvFtpConnection::deleteFile(const QString &path)
{
    return m_manager.deleteResource(createRequest(path));
}

QNetworkReply *TjvFtpConnection::changeDirectory(const QString &path)
{
    QString directory = path;
    if (directory.startsWith(QLatin1Char('/')))
        directory.remove(0, 1);
    if (directory.endsWith(QLatin1Char('/')))
        directory.chop(1);
    return m_manager.sendCustomRequest(createRequest(directory), QByteArrayLiteral("cd"));
}

// The path is taken character by character, never as URL text: "#", "?" and
// "%" of a listed file name are part of the name.
QNetworkRequest TjvFtpConnection::createRequest(const QString &path) const
{
    QUrl url;
    url.setScheme(QStringLiteral("ftp"));
    url.setHost(m_address.toString());
    url.setPort(m_port);
    url.setUserName(ftpUserName, QUrl::DecodedMode);
    url.setPassword(ftpPassword, QUrl::DecodedMode);
    url.setPath(QLatin1Char('/') + path, QUrl::DecodedMode);
    return QNetworkRequest(url);
}

QString TjvFtpConnection::errorString(const QNetworkReply *reply) const
{
    if (!reply)
        return QString();
    const QString credentials = QStringLiteral("%1:%2@").arg(ftpUserName, ftpPassword);
    return reply->errorString().remove(credentials, Qt::CaseSensitive);
}

// FtpNetworkAccessManager reports every reply code from 400 up with these
// two, save 530 (a refused log-in) and 421 (which curl takes for a time-out).
bool TjvFtpConnection::isRefusedByServer(const QNetworkReply &reply)
{
    return reply.error() == QNetworkReply::ContentNotFoundError
        || reply.error() == QNetworkReply::ContentOperationNotPermittedError;
}

void TjvFtpConnection::clearConnectionCache()
{
    m_manager.clearConnectionCache();
}

std::chrono::milliseconds TjvFtpConnection::timeout() const
{
    return std::chrono::milliseconds(m_manager.transferTimeout());
}

void TjvFtpConnection::setTimeout(std::chrono::milliseconds timeout)
{
    m_manager.setTransferTimeout(int(timeout.count()));
}

} // namespace quelta::base::connection::chamberconnection
