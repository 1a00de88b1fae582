#include "tjvftppeer.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtTest/QSignalSpy>

using quelta::base::connection::chamberconnection::TjvFtpConnection;

std::unique_ptr<QNetworkReply> awaitReply(QNetworkReply *reply, QNetworkReply::NetworkError error)
{
    std::unique_ptr<QNetworkReply> owned(reply);
    const bool pending = reply && !reply->isFinished();
    if (pending && QSignalSpy(reply, &QNetworkReply::finished).wait(10000) && reply->error() == error)
        return owned;
    qWarning() << "Reply" << (pending ? reply->errorString() : QStringLiteral("missing or ended at once"));
    return nullptr;
}

TjvFtpPeer::~TjvFtpPeer()
{
    // Should this process die first, the server ends as its stdin closes.
    m_process.kill();
    m_process.waitForFinished();
}

bool TjvFtpPeer::start()
{
    return start(Options());
}

bool TjvFtpPeer::start(const Options &options)
{
    QStringList arguments{QStringLiteral(QUELTA_TEST_SOURCE_DIR "/peers/pyftpdlib_server.py"),
                          "--root", m_root.path(), "--user", TjvFtpConnection::ftpUserName,
                          "--password", options.password,
                          "--max-connections-per-address", QString::number(options.maxConnectionsPerAddress)};
    if (!options.stalledCommand.isEmpty())
        arguments << "--stall" << options.stalledCommand;
    for (const auto &listed : options.listedNames)
        arguments << "--listed" << listed.first << listed.second;
    if (options.emptyListingReply != 0)
        arguments << "--empty-listing-reply" << QString::number(options.emptyListingReply);
    m_process.start(qEnvironmentVariable("PYTHON3", "/usr/bin/python3"), arguments);
    const QByteArray line = nextLine();
    m_port = line.startsWith("PORT ") ? quint16(line.mid(5).toUInt()) : 0;
    return m_port != 0;
}

std::unique_ptr<TjvFtpConnection> TjvFtpPeer::connect() const
{
    return std::make_unique<TjvFtpConnection>(QHostAddress(QHostAddress::LocalHost), m_port);
}

bool TjvFtpPeer::writeFile(const QString &path, const QByteArray &content) const
{
    QFile file(localPath(path));
    return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray TjvFtpPeer::readFile(const QString &path) const
{
    QFile file(localPath(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TjvFtpPeer::freeze()
{
    m_process.write("freeze\n");
    return nextLine() == "FROZEN";
}

QByteArray TjvFtpPeer::nextLine()
{
    QSignalSpy output(&m_process, &QProcess::readyReadStandardOutput);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning) {
        if (!output.wait(15000))
            return QByteArray();
    }
    return m_process.readLine().trimmed();
}
