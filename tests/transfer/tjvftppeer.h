#pragma once

#include "transfer/tjvftpconnection.h"

#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtNetwork/QNetworkReply>

#include <memory>

// The reply once it has ended with error. Null, with a warning, when there was
// none, when it ended before control returned to the event loop, or when it
// does not end so.
std::unique_ptr<QNetworkReply> awaitReply(QNetworkReply *reply,
                                          QNetworkReply::NetworkError error = QNetworkReply::NoError);

// The FTP server of a TJV controller for tests: Debian's pyftpdlib in a
// process of its own (tests/peers/pyftpdlib_server.py) on 127.0.0.1 at a free
// port, serving a fresh temporary directory to the TJV account.
class TjvFtpPeer
{
public:
    // How the server differs from a plain one.
    struct Options
    {
        // The one it accepts.
        QString password = quelta::base::connection::chamberconnection::TjvFtpConnection::ftpPassword;
        // Control connections of one address beyond this are refused with
        // 421; 0 for no limit.
        int maxConnectionsPerAddress = 0;
        // A command that the server never answers, such as "NLST".
        QString stalledCommand;
        // A directory and a name listed in it besides its files.
        QList<QPair<QString, QString>> listedNames;
        // The reply code, such as 450 or 550, that refuses the name list of
        // an empty directory; 0 sends an empty list.
        int emptyListingReply = 0;
    };

    ~TjvFtpPeer();

    // Waits until the server listens.
    bool start();
    bool start(const Options &options);
    quint16 port() const { return m_port; }
    // A connection of the program to this server.
    std::unique_ptr<quelta::base::connection::chamberconnection::TjvFtpConnection> connect() const;

    // Files below the served directory; writing creates the directories.
    QString localPath(const QString &path) const { return m_root.filePath(path); }
    bool writeFile(const QString &path, const QByteArray &content) const;
    QByteArray readFile(const QString &path) const;

    // The server keeps its connections but answers nothing any more, as a
    // controller that hangs.
    bool freeze();

private:
    QByteArray nextLine();

    QTemporaryDir m_root;
    QProcess m_process;
    quint16 m_port = 0;
};
