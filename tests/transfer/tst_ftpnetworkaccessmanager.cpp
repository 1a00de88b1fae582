#include "tjvftppeer.h"

#include "transfer/ftpnetworkaccessmanager.h"

#include <QtCore/QDir>
#include <QtNetwork/QTcpServer>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

using quelta::base::connection::chamberconnection::FtpNetworkAccessManager;
using quelta::base::connection::chamberconnection::TjvFtpConnection;

namespace {

QNetworkRequest request(quint16 port, const QString &path)
{
    QUrl url(QStringLiteral("ftp://127.0.0.1:%1%2").arg(port).arg(path));
    url.setUserName(TjvFtpConnection::ftpUserName);
    url.setPassword(TjvFtpConnection::ftpPassword);
    return QNetworkRequest(url);
}

} // namespace

class tst_FtpNetworkAccessManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void failures_data();
    void failures();
    void changeDirectory_movesRelativePaths_untilTheCacheIsCleared();
    void silentServer_endsTheRequestWithTimeout();
};

void tst_FtpNetworkAccessManager::failures_data()
{
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("serverPassword");
    QTest::addColumn<bool>("closedPort");
    QTest::addColumn<QNetworkReply::NetworkError>("error");

    const QString right = TjvFtpConnection::ftpPassword;
    const auto invalid = QNetworkReply::ProtocolInvalidOperationError;
    QTest::newRow("closed port") << QByteArray("GET") << "/top.txt" << right << true << QNetworkReply::ConnectionRefusedError;
    QTest::newRow("wrong password") << QByteArray("GET") << "/top.txt" << "wrong" << false << QNetworkReply::AuthenticationRequiredError;
    QTest::newRow("get of a directory") << QByteArray("GET") << "/dir/" << right << false << invalid;
    QTest::newRow("put without device") << QByteArray("PUT") << "/new.txt" << right << false << invalid;
    QTest::newRow("unknown verb") << QByteArray("chmod") << "/top.txt" << right << false << invalid;
    // The line break would start a command of its own.
    QTest::newRow("name with a line break") << QByteArray("DELETE") << "/x%0D%0ADELE%20top.txt" << right << false << invalid;
}

void tst_FtpNetworkAccessManager::failures()
{
    QFETCH(QByteArray, verb);
    QFETCH(QString, path);
    QFETCH(QString, serverPassword);
    QFETCH(bool, closedPort);
    QFETCH(QNetworkReply::NetworkError, error);

    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("top.txt", "top"));
    QVERIFY(QDir().mkpath(peer.localPath("dir")));
    TjvFtpPeer::Options options;
    options.password = serverPassword;
    QVERIFY(peer.start(options));
    quint16 port = peer.port();
    if (closedPort) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
    }
    FtpNetworkAccessManager manager;
    QSignalSpy managerSpy(&manager, &QNetworkAccessManager::finished);
    QNetworkReply *const reply = verb == "GET"    ? manager.get(request(port, path))
                               : verb == "PUT"    ? manager.put(request(port, path), static_cast<QIODevice *>(nullptr))
                               : verb == "DELETE" ? manager.deleteResource(request(port, path))
                                                  : manager.sendCustomRequest(request(port, path), verb);
    QVERIFY(reply && !reply->isFinished());
    QSignalSpy finishedSpy(reply, &QNetworkReply::finished);
    QVERIFY(finishedSpy.wait(10000));
    QCOMPARE(reply->error(), error);
    QVERIFY(reply->errorString().startsWith(QStringLiteral("FTP %1 of ftp://127.0.0.1:%2/").arg(QString::fromLatin1(verb.toLower())).arg(port)));

    // Any stray second end of the first reply would come before a later one
    // ends, which fails alike unless the first was refused before sending.
    const bool refused = error == QNetworkReply::ProtocolInvalidOperationError;
    QVERIFY(awaitReply(manager.get(request(port, "/top.txt")), refused ? QNetworkReply::NoError : error));
    QCOMPARE(finishedSpy.count(), 1);
    QCOMPARE(managerSpy.count(), 2);
    QCOMPARE(peer.readFile("top.txt"), "top");
}

void tst_FtpNetworkAccessManager::changeDirectory_movesRelativePaths_untilTheCacheIsCleared()
{
    TjvFtpPeer peer;
    QVERIFY(QDir().mkpath(peer.localPath("a/b")));
    QVERIFY(peer.start());
    FtpNetworkAccessManager manager;
    const auto cd = [&](const QString &path) { return manager.sendCustomRequest(request(peer.port(), path), "cd"); };
    const auto put = [&](const QString &path) { return manager.put(request(peer.port(), path), path.toUtf8()); };

    QVERIFY(awaitReply(cd("/a")));
    QVERIFY(awaitReply(cd("/b")));
    QVERIFY(awaitReply(put("/1")));
    QVERIFY(awaitReply(cd("/none"), QNetworkReply::ContentNotFoundError));
    QVERIFY(awaitReply(put("/2")));
    QVERIFY(awaitReply(put("//3")));
    manager.clearConnectionCache();
    QVERIFY(awaitReply(put("/4")));

    QCOMPARE(peer.readFile("a/b/1"), "/1");
    QCOMPARE(peer.readFile("a/b/2"), "/2");
    QCOMPARE(peer.readFile("3"), "//3");
    QCOMPARE(peer.readFile("4"), "/4");
}

void tst_FtpNetworkAccessManager::silentServer_endsTheRequestWithTimeout()
{
    TjvFtpPeer peer;
    for (const char *name : {"1", "2", "3"})
        QVERIFY(peer.writeFile(name, QByteArray(name).repeated(100000)));
    QVERIFY(peer.start());
    FtpNetworkAccessManager manager;
    manager.setTransferTimeout(200);

    // Downloads run side by side, each on a connection of its own, which stays.
    std::vector<std::unique_ptr<QNetworkReply>> replies;
    for (const char *name : {"1", "2", "3"})
        replies.emplace_back(manager.get(request(peer.port(), QStringLiteral("/") + name)));
    for (const auto &reply : replies) {
        QVERIFY(reply->isFinished() || QSignalSpy(reply.get(), &QNetworkReply::finished).wait(10000));
        QCOMPARE(reply->readAll(), reply->url().fileName().toUtf8().repeated(100000));
    }

    QVERIFY(peer.freeze());
    QVERIFY(awaitReply(manager.get(request(peer.port(), "/1")), QNetworkReply::TimeoutError));
    // The manager ends while the silent server holds its idle connections.
}

QTEST_GUILESS_MAIN(tst_FtpNetworkAccessManager)

#include "tst_ftpnetworkaccessmanager.moc"
