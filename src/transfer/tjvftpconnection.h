#pragma once

#include "ftpnetworkaccessmanager.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtNetwork/QHostAddress>
#include <QtNetwork/QNetworkRequest>

#include <chrono>

class QIODevice;
class QNetworkReply;

namespace quelta::base::connection::chamberconnection {

// The one access path to the files on a TJV controller: FTP requests to one
// controller address with the account of the controller family, sent through
// one FtpNetworkAccessManager so that they share its session.
//
// Every request returns its reply at once; the reply belongs to the caller,
// who waits for finished() and deletes it. Paths are used as given after the
// host, so "/Program/..." becomes an absolute "//Program/..." and a path
// without leading slash is relative to the directory of the last successful
// changeDirectory(). Every character of a path reaches the server as it
// stands; none has a meaning in the URL. The connection reports nothing
// itself: a failure
// arrives as the reply's error, and errorString() gives its text without the
// account.
class TjvFtpConnection : public QObject
{
    Q_OBJECT
public:
    static const QString ftpUserName;
    static const QString ftpPassword;
    static constexpr quint16 FtpPort = 21;

    explicit TjvFtpConnection(const QHostAddress &address, QObject *parent = nullptr);
    // For a server that does not listen on FtpPort, such as a test's.
    TjvFtpConnection(const QHostAddress &address, quint16 port, QObject *parent = nullptr);

    QNetworkReply *get(const QString &path);
    QNetworkReply *put(const QString &path, const QByteArray &data);
    // device must outlive the reply.
    QNetworkReply *put(const QString &path, QIODevice *device);
    QNetworkReply *list(const QString &path);
    QNetworkReply *makeDirectory(const QString &path);
    QNetworkReply *removeDirectory(const QString &path);
    QNetworkReply *deleteFile(const QString &path);
    // One leading and one trailing "/" are taken off, so the directory is
    // entered relative to the current one.
    QNetworkReply *changeDirectory(const QString &path);

    QNetworkRequest createRequest(const QString &path) const;
    QString errorString(const QNetworkReply *reply) const;
    // Whether the server refused the request with a 4xx or 5xx reply, rather
    // than leaving it without an answer (a time-out, a lost or refused
    // connection, a 421 that closes the connection) or refusing the log-in.
    static bool isRefusedByServer(const QNetworkReply &reply);
    // The next request logs in afresh, in the login directory.
    void clearConnectionCache();

    // How long a request waits on a controller that sends nothing.
    std::chrono::milliseconds timeout() const;
    void setTimeout(std::chrono::milliseconds timeout);

private:
    const QHostAddress m_address;
    const quint16 m_port;
    FtpNetworkAccessManager m_manager;
};

} // namespace quelta::base::connection::chamberconnection
