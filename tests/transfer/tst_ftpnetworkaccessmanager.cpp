#include "tjvftppeer.h"

#include "transfer/ftpnetworkaccessmanager.h"

#include <QtCore/QDir>
#include <QtNetwork/QNetworkReply>
#include <QtNetwork/QTcpServer>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

using quelta::base::connection::chamberconnection::FtpNetworkAccessManager;
using quelta::base::connection::chamberconnection::TjvFtpConnection;

namespace {

QNetworkRequest request(quint16 port, const QString &path, const QString &password = TjvFtpConnection::ftpPassword)
{
    QUrl url(QStringLiteral("ftp://127.0.0.1:%1%2").arg(port).arg(path));
    url.setUserName(TjvFtpConnection::ftpUserName);
    url.setPassword(password);
    return QNetworkRequest(url);
}

// Waits for the reply's end; the reply must not have ended before control
// returned to the event loop.
bool finishes(QNetworkReply *reply, QNetworkReply::NetworkError error = QNetworkReply::NoError)
{
    if (!reply || reply->isFinished())
        return false;
    QSignalSpy spy(reply, &QNetworkReply::finished);
    const bool ended = spy.wait(10000) && reply->error() == error;
    if (!ended)
        qWarning() << reply->error() << reply->errorString();
    reply->deleteLater();
    return ended;
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
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("closedPort");
    QTest::addColumn<QNetworkReply::NetworkError>("error");

    const QString right = TjvFtpConnection::ftpPassword;
    QTest::newRow("closed port") << QByteArray("GET") << "/top.txt" << right << true
                                 << QNetworkReply::ConnectionRefusedError;
    QTest::newRow("wrong password") << QByteArray("GET") << "/top.txt" << "wrong" << false
                                    << QNetworkReply::AuthenticationRequiredError;
    QTest::newRow("missing file") << QByteArray("GET") << "/none.txt" << right << false
                                  << QNetworkReply::ContentNotFoundError;
    QTest::newRow("get of a directory") << QByteArray("GET") << "/dir/" << right << false
                                        << QNetworkReply::ProtocolInvalidOperationError;
    QTest::newRow("put without device") << QByteArray("PUT") << "/new.txt" << right << false
                                        << QNetworkReply::ProtocolInvalidOperationError;
    QTest::newRow("unknown verb") << QByteArray("chmod") << "/top.txt" << right << false
                                  << QNetworkReply::ProtocolInvalidOperationError;
    QTest::newRow("post") << QByteArray("POST") << "/top.txt" << right << false
                          << QNetworkReply::ProtocolInvalidOperationError;
    // The line break would start a command of its own.
    QTest::newRow("name with a line break") << QByteArray("DELETE") << "/x%0D%0ADELE%20top.txt" << right << false
                                            << QNetworkReply::ProtocolInvalidOperationError;
}

void tst_FtpNetworkAccessManager::failures()
{
    QFETCH(QByteArray, verb);
    QFETCH(QString, path);
    QFETCH(QString, password);
    QFETCH(bool, closedPort);
    QFETCH(QNetworkReply::NetworkError, error);

    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("top.txt", "top"));
    QVERIFY(QDir().mkpath(peer.localPath("dir")));
    QVERIFY(peer.start(password));
    quint16 port = peer.port();
    if (closedPort) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
    }
    FtpNetworkAccessManager manager;
    QNetworkReply *const reply = verb == "GET"   ? manager.get(request(port, path))
                               : verb == "PUT"   ? manager.put(request(port, path), static_cast<QIODevice *>(nullptr))
                               : verb == "POST"  ? manager.post(request(port, path), QByteArray("x"))
                               : verb == "DELETE" ? manager.deleteResource(request(port, path))
                                                  : manager.sendCustomRequest(request(port, path), verb);
    QVERIFY(reply);
    QVERIFY(!reply->isFinished());
    QSignalSpy finishedSpy(reply, &QNetworkReply::finished);
    QSignalSpy errorSpy(reply, &QNetworkReply::errorOccurred);
    QVERIFY(finishedSpy.wait(10000));
    QCOMPARE(reply->error(), error);
    QCOMPARE(errorSpy.count(), 1);
    QVERIFY(!reply->errorString().contains(TjvFtpConnection::ftpPassword));
    QVERIFY2(reply->errorString().contains(QStringLiteral("ftp://127.0.0.1:%1/").arg(port)), qPrintable(reply->errorString()));

    // Any stray second end of the first reply would come before a later one ends.
    const std::unique_ptr<QNetworkReply> later(manager.get(request(port, "/top.txt", password)));
    QVERIFY(QSignalSpy(later.get(), &QNetworkReply::finished).wait(10000));
    QCOMPARE(finishedSpy.count(), 1);
    QCOMPARE(peer.readFile("top.txt"), "top");
}

void tst_FtpNetworkAccessManager::changeDirectory_movesRelativePaths_untilTheCacheIsCleared()
{
    TjvFtpPeer peer;
    QVERIFY(QDir().mkpath(peer.localPath("a/b")));
    QVERIFY(peer.start());
    const quint16 port = peer.port();
    FtpNetworkAccessManager manager;
    const auto put = [&](const QString &path) { return finishes(manager.put(request(port, path), QByteArray(path.toUtf8()))); };
    const auto cd = [&](const QString &path, QNetworkReply::NetworkError error) {
        return finishes(manager.sendCustomRequest(request(port, path), "cd"), error);
    };

    QVERIFY(cd("/a", QNetworkReply::NoError));
    QVERIFY(put("/1"));
    QVERIFY(cd("/b", QNetworkReply::NoError));
    QVERIFY(put("/2"));
    QVERIFY(cd("/none", QNetworkReply::ContentNotFoundError));
    QVERIFY(put("/3"));
    QVERIFY(put("//4"));
    manager.clearConnectionCache();
    QVERIFY(put("/5"));

    QCOMPARE(peer.readFile("a/1"), "/1");
    QCOMPARE(peer.readFile("a/b/2"), "/2");
    QCOMPARE(peer.readFile("a/b/3"), "/3");
    QCOMPARE(peer.readFile("4"), "//4");
    QCOMPARE(peer.readFile("5"), "/5");
}

void tst_FtpNetworkAccessManager::silentServer_endsTheRequestWithTimeout()
{
    TjvFtpPeer peer;
    for (const char *name : {"1", "2", "3"})
        QVERIFY(peer.writeFile(name, QByteArray(name).repeated(100000)));
    QVERIFY(peer.start());
    FtpNetworkAccessManager manager;
    manager.setTransferTimeout(200);

    // Downloads run side by side, each on a connection of its own.
    QList<QNetworkReply *> replies;
    for (const char *name : {"1", "2", "3"})
        replies.append(manager.get(request(peer.port(), QStringLiteral("/") + name)));
    for (QNetworkReply *reply : replies) {
        QVERIFY(reply->isFinished() || QSignalSpy(reply, &QNetworkReply::finished).wait(10000));
        QCOMPARE(reply->readAll(), reply->url().fileName().toUtf8().repeated(100000));
        delete reply;
    }

    QVERIFY(peer.freeze());
    QVERIFY(finishes(manager.get(request(peer.port(), "/1")), QNetworkReply::TimeoutError));
    // The manager ends while the silent server holds its idle connections.
}

QTEST_GUILESS_MAIN(tst_FtpNetworkAccessManager)

#include "tst_ftpnetworkaccessmanager.moc"
