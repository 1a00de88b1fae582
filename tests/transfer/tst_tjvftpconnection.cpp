#include "tjvftppeer.h"

#include <QtCore/QBuffer>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <QtNetwork/QNetworkReply>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

using quelta::base::connection::chamberconnection::TjvFtpConnection;

namespace {

const QString password = QStringLiteral("5206_KLMnorpaq_Z731");

// A reply with a given error text, for errorString().
class ErrorReply : public QNetworkReply
{
public:
    explicit ErrorReply(const QString &text) { setError(UnknownNetworkError, text); }
    void abort() override {}

protected:
    qint64 readData(char *, qint64) override { return -1; }
};

// The reply once it has finished; null when there was none, when it finished
// before control returned to the event loop or when it does not finish.
std::unique_ptr<QNetworkReply> finished(QNetworkReply *reply)
{
    std::unique_ptr<QNetworkReply> owned(reply);
    if (!reply || reply->isFinished())
        return nullptr;
    QSignalSpy spy(reply, &QNetworkReply::finished);
    return spy.wait(10000) ? std::move(owned) : nullptr;
}

QByteArray largeContent()
{
    QByteArray content;
    for (int i = 0; i < 50000; ++i)
        content += QByteArray::number(i) + "\r\n";
    return content;
}

QByteArray sortedNames(const QByteArray &listing)
{
    QByteArrayList names = listing.split(';');
    std::sort(names.begin(), names.end());
    return names.join(';');
}

} // namespace

class tst_TjvFtpConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createRequest_data();
    void createRequest();
    void errorString_data();
    void errorString();
    void requests_data();
    void requests();
    void changeDirectory_thenRelativePut_landsInThatDirectory();
};

void tst_TjvFtpConnection::createRequest_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("urlPath");
    QTest::newRow("absolute path behind a doubled slash")
            << "/Program/User0/ProgramTime/0/ProgName.txt" << "//Program/User0/ProgramTime/0/ProgName.txt";
    QTest::newRow("relative path") << "ProgName.txt" << "/ProgName.txt";
    QTest::newRow("empty path is the root") << "" << "/";
}

void tst_TjvFtpConnection::createRequest()
{
    QFETCH(QString, path);
    QFETCH(QString, urlPath);
    // Built only: nothing goes to the private address.
    const TjvFtpConnection connection(QHostAddress("192.168.1.20"));
    const QUrl url = connection.createRequest(path).url();
    QCOMPARE(url.scheme(), "ftp");
    QCOMPARE(url.host(), "192.168.1.20");
    QCOMPARE(url.port(), 21);
    QCOMPARE(url.userName(), "QUELTA");
    QCOMPARE(url.password(), password);
    QCOMPARE(url.path(), urlPath);
}

void tst_TjvFtpConnection::errorString_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("URL with the account")
            << "Error ftp://QUELTA:" + password + "@192.168.1.20//ProgName.txt: 550" << "Error ftp://192.168.1.20//ProgName.txt: 550";
    QTest::newRow("account twice") << "QUELTA:" + password + "@a QUELTA:" + password + "@b" << "a b";
    QTest::newRow("no account") << "Connection refused" << "Connection refused";
    QTest::newRow("user name alone stays") << "ftp://QUELTA@192.168.1.20/" << "ftp://QUELTA@192.168.1.20/";
}

void tst_TjvFtpConnection::errorString()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const TjvFtpConnection connection(QHostAddress("192.168.1.20"));
    const ErrorReply reply(text);
    QCOMPARE(connection.errorString(&reply), expected);
}

enum class Operation { Get, Put, PutDevice, List, MakeDirectory, RemoveDirectory, Delete, ChangeDirectory };
enum class Entry { File, Directory, Absent };
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Entry)

void tst_TjvFtpConnection::requests_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("changed");
    QTest::addColumn<Entry>("entry");

    const QByteArray large = largeContent();
    const auto ok = QNetworkReply::NoError;
    const auto notFound = QNetworkReply::ContentNotFoundError;
    QTest::newRow("get") << Operation::Get << "/dir/in.txt" << QByteArray() << ok << QByteArray("inner\r\n") << "" << Entry::File;
    QTest::newRow("get large") << Operation::Get << "/dir/large.txt" << QByteArray() << ok << large << "" << Entry::File;
    QTest::newRow("put") << Operation::Put << "/dir/new.txt" << QByteArray("new\r\n") << ok << QByteArray() << "dir/new.txt" << Entry::File;
    QTest::newRow("put large from a device") << Operation::PutDevice << "/new.txt" << large << ok << QByteArray() << "new.txt" << Entry::File;
    QTest::newRow("ls") << Operation::List << "/dir" << QByteArray() << ok << QByteArray("in.txt;large.txt;sub") << "" << Entry::File;
    QTest::newRow("ls of an empty directory") << Operation::List << "/dir/sub" << QByteArray() << ok << QByteArray() << "" << Entry::File;
    QTest::newRow("mkdir") << Operation::MakeDirectory << "/dir/made" << QByteArray() << ok << QByteArray() << "dir/made" << Entry::Directory;
    QTest::newRow("rmdir") << Operation::RemoveDirectory << "/dir/sub" << QByteArray() << ok << QByteArray() << "dir/sub" << Entry::Absent;
    QTest::newRow("delete") << Operation::Delete << "/dir/in.txt" << QByteArray() << ok << QByteArray() << "dir/in.txt" << Entry::Absent;
    QTest::newRow("get of a missing file") << Operation::Get << "/dir/none.txt" << QByteArray() << notFound << QByteArray() << "" << Entry::File;
    QTest::newRow("ls of a missing directory") << Operation::List << "/none" << QByteArray() << notFound << QByteArray() << "" << Entry::File;
    QTest::newRow("rmdir of a missing directory") << Operation::RemoveDirectory << "/none" << QByteArray() << notFound << QByteArray() << "" << Entry::File;
    QTest::newRow("delete of a missing file") << Operation::Delete << "/none.txt" << QByteArray() << notFound << QByteArray() << "" << Entry::File;
    QTest::newRow("cd to a missing directory") << Operation::ChangeDirectory << "/none/" << QByteArray() << notFound << QByteArray() << "" << Entry::File;
}

void tst_TjvFtpConnection::requests()
{
    QFETCH(Operation, operation);
    QFETCH(QString, path);
    QFETCH(QByteArray, data);
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(QByteArray, body);
    QFETCH(QString, changed);
    QFETCH(Entry, entry);

    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("dir/in.txt", "inner\r\n"));
    QVERIFY(peer.writeFile("dir/large.txt", largeContent()));
    QVERIFY(QDir().mkpath(peer.localPath("dir/sub")));
    QVERIFY(peer.start());
    const auto connection = peer.connect();
    QBuffer device(&data);
    QVERIFY(device.open(QIODevice::ReadOnly));

    QNetworkReply *sent = nullptr;
    switch (operation) {
    case Operation::Get: sent = connection->get(path); break;
    case Operation::Put: sent = connection->put(path, data); break;
    case Operation::PutDevice: sent = connection->put(path, &device); break;
    case Operation::List: sent = connection->list(path); break;
    case Operation::MakeDirectory: sent = connection->makeDirectory(path); break;
    case Operation::RemoveDirectory: sent = connection->removeDirectory(path); break;
    case Operation::Delete: sent = connection->deleteFile(path); break;
    case Operation::ChangeDirectory: sent = connection->changeDirectory(path); break;
    }
    const auto reply = finished(sent);
    QVERIFY(reply);
    QCOMPARE(reply->error(), error);
    const QString errorText = connection->errorString(reply.get());
    QVERIFY(!errorText.contains(password));
    if (error != QNetworkReply::NoError)
        QVERIFY2(errorText.contains(QStringLiteral("ftp://127.0.0.1:%1/").arg(peer.port())), qPrintable(errorText));
    const QByteArray received = reply->readAll();
    QCOMPARE(operation == Operation::List ? sortedNames(received) : received, body);
    if (changed.isEmpty())
        return;
    const QFileInfo info(peer.localPath(changed));
    QCOMPARE(info.exists(), entry != Entry::Absent);
    QCOMPARE(info.isDir(), entry == Entry::Directory);
    if (entry == Entry::File)
        QCOMPARE(peer.readFile(changed), data);
}

void tst_TjvFtpConnection::changeDirectory_thenRelativePut_landsInThatDirectory()
{
    TjvFtpPeer peer;
    QVERIFY(peer.writeFile("top.txt", "top"));
    QVERIFY(QDir().mkpath(peer.localPath("Program/User0/ProgramTime/7")));
    QVERIFY(peer.start());
    const auto connection = peer.connect();

    auto reply = finished(connection->changeDirectory("/Program/User0/ProgramTime/7/"));
    QVERIFY(reply);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    reply = finished(connection->put("ProgName.txt", QByteArray("Test\r\n")));
    QVERIFY(reply);
    QCOMPARE(reply->error(), QNetworkReply::NoError);
    QCOMPARE(peer.readFile("Program/User0/ProgramTime/7/ProgName.txt"), "Test\r\n");
    // A path with a leading slash stays absolute.
    reply = finished(connection->get("/top.txt"));
    QVERIFY(reply);
    QCOMPARE(reply->readAll(), "top");
}

QTEST_GUILESS_MAIN(tst_TjvFtpConnection)

#include "tst_tjvftpconnection.moc"
