#include "ftpnetworkaccessmanager.h"

#include "ftpcommand.h"
#include "ftpreply.h"
#include "ftpsession.h"

#include <QtCore/QUrl>

#include <utility>

namespace quelta::base::connection::chamberconnection {

namespace {

// Working directories belong to one account on one server.
QString serverOf(const QUrl &url)
{
    return QStringLiteral("%1@%2:%3").arg(url.userName(), url.host(), QString::number(url.port(FtpCommand::DefaultPort)));
}

} // namespace

FtpNetworkAccessManager::FtpNetworkAccessManager(QObject *parent)
    : QNetworkAccessManager(parent)
    , m_session(new FtpSession(this))
{
    setTransferTimeout(int(DefaultTransferTimeout.count()));
}

FtpNetworkAccessManager::~FtpNetworkAccessManager()
{
    // The sessions end before the replies, which are children as well.
    qDeleteAll(findChildren<FtpSession *>(QString(), Qt::FindDirectChildrenOnly));
}

void FtpNetworkAccessManager::clearConnectionCache()
{
    QNetworkAccessManager::clearConnectionCache();
    FtpSession *const ended = std::exchange(m_session, new FtpSession(this));
    if (ended->isIdle()) {
        ended->deleteLater();
        return;
    }
    connect(ended, &FtpSession::drained, ended, &QObject::deleteLater);
}

QNetworkReply *FtpNetworkAccessManager::createRequest(Operation operation, const QNetworkRequest &request,
                                                      QIODevice *outgoingData)
{
    const QUrl url = request.url();
    if (url.scheme() != QLatin1String("ftp"))
        return QNetworkAccessManager::createRequest(operation, request, outgoingData);

    const QString server = serverOf(url);
    const QByteArray verb = request.attribute(QNetworkRequest::CustomVerbAttribute).toByteArray();
    const FtpCommand command = FtpCommand::create(operation, verb, url, m_session->workingDirectory(server));
    const int timeout = request.transferTimeout() > 0 ? request.transferTimeout() : transferTimeout();
    // QNetworkAccessManager passes the reply's finished() on as its own.
    return new FtpReply(command, operation, request, outgoingData, m_session, server,
                        std::chrono::milliseconds(timeout), this);
}

} // namespace quelta::base::connection::chamberconnection
