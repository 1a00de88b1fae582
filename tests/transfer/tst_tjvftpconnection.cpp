#include "tjvftppeer.h"

#include <QtCore/QBuffer>
#include <QtCore/QDir>
#include <QtTest/QTest>

using quelta::base::connection::chamberconnection::TjvFtpConnection;

namespace {

const QString password = QStringLiteral("5206_KLMnorpaq_Z731");

// A reply with a given error text, for errorString().
struct ErrorReply : QNetworkReply
{
    explicit ErrorReply(const QString &text) { setError(UnknownNetworkError, text); }
    void abort() override {}
    qint64 readData(char *, qint64) override { return -1; }
};

} // namespace

class tst_TjvFtpConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createRequest_data();
    void createRequest();
    void errorString_data();
    void errorString();
    void requests_reachTheServersFiles();
};

void tst_TjvFtpConnection::createRequest_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("urlPath");
    QTest::newRow("absolute path behind a doubled slash")
            << "/Program/User0/ProgramTime/0/ProgName.txt" << "//Program/User0/ProgramTime/0/ProgName.txt";
    QTest::newRow("empty path is the root") << "" << "/";
    // Listed names once lost everything from "#" or "?" on, and "%41" became "A".
    QTest::newRow("URL delimiters are part of a name")
            << "/Program/User0/ProgramTime/1/a#b?c%41 d.tpg" << "//Program/User0/ProgramTime/1/a%23b%3Fc%2541 d.tpg";
}

void tst_TjvFtpConnection::createRequest()
{
    QFETCH(QString, path);
    QFETCH(QString, urlPath);
    // Built only: nothing goes to the private address.
    const TjvFtpConnection connection(QHostAddress("192.168.1.20"));
    const QUrl url = connection.createRequest(path).url();
    QCOMPARE(url.toString(), "ftp://QUELTA:" + password + "@192.168.1.20:21" + urlPath);
    QCOMPARE(url.path(), "/" + path);
}

void tst_TjvFtpConnection::errorString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("URL with the account") << "get of ftp://QUELTA:" + password + "@192.168.1.20//a failed: 550"
                                          << "get of ftp://192.168.1.20//a failed: 550";
    QTest::newRow("account twice") << "QUELTA:" + password + "@a QUELTA:" + password + "@b" << "a b";
    QTest::newRow("user name alone stays") << "ftp://QUELTA@192.168.1.20/" << "ftp://QUELTA@192.168.1.20/";
}

void tst_TjvFtpConnection::errorString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(TjvFtpConnection(QHostAddress("192.168.1.20")).errorString(std::make_unique<ErrorReply>(text).get()), expected);
}

void tst_TjvFtpConnection::requests_reachTheServersFiles()
{
    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("dir/in.txt", "inner\r\n"));
    QVERIFY(QDir().mkpath(peer.localPath("dir/sub")));
    QVERIFY(peer.start());
    const auto connection = peer.connect();
    QByteArray content = QByteArray("new\r\n").repeated(30000);
    QBuffer device(&content);
    QVERIFY(device.open(QIODevice::ReadOnly));

    auto reply = awaitReply(connection->get("/dir/in.txt"));
    QVERIFY(reply);
    QCOMPARE(reply->readAll(), "inner\r\n");
    QVERIFY(awaitReply(connection->put("/dir/new.txt", &device)));
    QCOMPARE(peer.readFile("dir/new.txt"), content);
    reply = awaitReply(connection->list("/dir"));
    QVERIFY(reply);
    QByteArrayList names = reply->readAll().split(';');
    std::sort(names.begin(), names.end());
    QCOMPARE(names, QByteArrayList({"in.txt", "new.txt", "sub"}));
    QVERIFY(awaitReply(connection->makeDirectory("/dir/made")));
    QVERIFY(awaitReply(connection->removeDirectory("/dir/sub")));
    QVERIFY(awaitReply(connection->deleteFile("/dir/in.txt")));
    QCOMPARE(QDir(peer.localPath("dir")).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList("made"));
    QCOMPARE(QDir(peer.localPath("dir")).entryList(QDir::Files), QStringList("new.txt"));

    // One slash comes off each end, and a relative path lands in the directory.
    reply = awaitReply(connection->changeDirectory("/dir/made/"));
    QVERIFY(reply);
    QCOMPARE(reply->url().path(), "/dir/made");
    QVERIFY(awaitReply(connection->put("ProgName.txt", QByteArray("Test\r\n"))));
    QCOMPARE(peer.readFile("dir/made/ProgName.txt"), "Test\r\n");

    reply = awaitReply(connection->get("/dir/none.txt"), QNetworkReply::ContentNotFoundError);
    QVERIFY(reply);
    QVERIFY(connection->errorString(reply.get()).startsWith(QStringLiteral("FTP get of ftp://127.0.0.1:%1//dir/none.txt failed: 550 ").arg(peer.port())));
}

QTEST_GUILESS_MAIN(tst_TjvFtpConnection)

#include "tst_tjvftpconnection.moc"
