#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqlcipherdriver.h"
#include "connection/database/core/sqlcipherkey.h"
#include "support/scopedkdfiterations.h"

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtTest/QtTest>

#include <openssl/evp.h>
#include <sqlcipher/sqlite3.h>

using namespace quelta::base::connection::databaseconnection;
using Answer = SqlCipherKey::Answer;
using Derivation = SqlCipherKey::Derivation;

Q_DECLARE_METATYPE(quelta::base::connection::databaseconnection::SqlCipherKey::Answer)
Q_DECLARE_METATYPE(quelta::base::connection::databaseconnection::SqlCipherKey::Derivation)

namespace {

const QString Passphrase(DatabaseKey);

// Writes a table into a new file at path keyed with key, through SQLCipher's
// C API alone; empty when that worked, else SQLCipher's message.
QString writeKeyedFile(const QString &path, const QString &key)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const QByteArray script = "PRAGMA key = \"" + key.toUtf8() + "\";CREATE TABLE kept (value TEXT);"
                                                                  "INSERT INTO kept VALUES ('kept');";
    const int result = sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr);
    const QString message = result == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return message;
}

// The value in the file at path read with key, or SQLCipher's message.
QString readKeyedFile(const QString &path, const QString &key)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray keyStatement = "PRAGMA key = \"" + key.toUtf8() + "\";";
    sqlite3_exec(db, keyStatement.constData(), nullptr, nullptr, nullptr);
    QString value;
    const auto keepValue = [](void *target, int, char **values, char **) {
        *static_cast<QString *>(target) = QString::fromUtf8(values[0]);
        return 0;
    };
    if (sqlite3_exec(db, "SELECT value FROM kept;", keepValue, &value, nullptr) != SQLITE_OK)
        value = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    return value;
}

// Keys db with key and reads from it, as SqliteConnection does.
Answer keyAndRead(sqlite3 *db, const QString &key)
{
    const QByteArray keyStatement = "PRAGMA key = '" + QString(key).replace("'", "''").toUtf8() + "';";
    if (sqlite3_exec(db, keyStatement.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return Answer::Failed;
    switch (sqlite3_exec(db, "SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr)) {
    case SQLITE_OK:
        return Answer::Accepted;
    case SQLITE_NOTADB:
        return Answer::Refused;
    default:
        return Answer::Failed;
    }
}

} // namespace

class tst_SqlCipherKey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deriveIsPbkdf2HmacSha1_data();
    void deriveIsPbkdf2HmacSha1();
    void rawKeysAreRecognisedAsSqlCipherDoes_data();
    void rawKeysAreRecognisedAsSqlCipherDoes();
    void fileWithoutSaltKeepsThePassphrase();
    void derivedKeyOpensWhatThePassphraseWrote();
    void derivesAsForDatabaseOnlyWithItsSettings_data();
    void derivesAsForDatabaseOnlyWithItsSettings();
    void linkedSqlCipherReportsItsDerivation();
    void unlockFallsBackToThePassphrase_data();
    void unlockFallsBackToThePassphrase();
};

void tst_SqlCipherKey::deriveIsPbkdf2HmacSha1_data()
{
    QTest::addColumn<QByteArray>("passphrase");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<int>("iterations");
    QTest::addColumn<QByteArray>("expectedHex");

    // The published PBKDF2-HMAC-SHA1 test vectors: one block, several
    // blocks with a short last one, NUL bytes in passphrase and salt.
    QTest::newRow("one round") << QByteArray("password") << QByteArray("salt") << 1
                               << QByteArray("0c60c80f961f0e71f3a9b524af6012062fe037a6");
    QTest::newRow("4096 rounds") << QByteArray("password") << QByteArray("salt") << 4096
                                 << QByteArray("4b007901b765489abead49d926f721d065a429c1");
    QTest::newRow("two blocks") << QByteArray("passwordPASSWORDpassword")
                                << QByteArray("saltSALTsaltSALTsaltSALTsaltSALTsalt") << 4096
                                << QByteArray("3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
    QTest::newRow("NUL bytes") << QByteArray("pass\0word", 9) << QByteArray("sa\0lt", 5) << 4096
                               << QByteArray("56fa6aa75548099dcc37d7f03425e0c3");

    // HMAC hashes a key longer than SHA-1's block first: compared with
    // OpenSSL's own derivation.
    const QByteArray longPassphrase = QByteArray(100, 'k');
    const QByteArray salt = QByteArray::fromHex("00112233445566778899aabbccddeeff");
    QByteArray expected(SqlCipherKey::KeySize, '\0');
    QVERIFY(PKCS5_PBKDF2_HMAC_SHA1(longPassphrase.constData(), longPassphrase.size(),
                                   reinterpret_cast<const unsigned char *>(salt.constData()), salt.size(), 1000,
                                   expected.size(), reinterpret_cast<unsigned char *>(expected.data())));
    QTest::newRow("passphrase longer than a block") << longPassphrase << salt << 1000 << expected.toHex();
}

void tst_SqlCipherKey::deriveIsPbkdf2HmacSha1()
{
    QFETCH(QByteArray, passphrase);
    QFETCH(QByteArray, salt);
    QFETCH(int, iterations);
    QFETCH(QByteArray, expectedHex);

    const int length = expectedHex.size() / 2;
    QCOMPARE(SqlCipherKey::derive(passphrase, salt, iterations, length).toHex(), expectedHex);
}

void tst_SqlCipherKey::rawKeysAreRecognisedAsSqlCipherDoes_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("raw");

    const QString key(64, QLatin1Char('a'));
    const QString salt(32, QLatin1Char('B'));
    QTest::newRow("key") << "x'" + key + "'" << true;
    QTest::newRow("key and salt, capital X") << "X'" + key + salt + "'" << true;
    QTest::newRow("a digit short") << "x'" + key.left(63) + "'" << false;
    QTest::newRow("not hexadecimal") << "x'" + key.left(63) + "g'" << false;
    QTest::newRow("no x") << "''" + key + "'" << false;
    QTest::newRow("passphrase") << Passphrase << false;
}

void tst_SqlCipherKey::rawKeysAreRecognisedAsSqlCipherDoes()
{
    QFETCH(QString, key);
    QFETCH(bool, raw);

    QCOMPARE(SqlCipherKey::isRawKey(key), raw);
}

void tst_SqlCipherKey::fileWithoutSaltKeepsThePassphrase()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    QCOMPARE(SqlCipherKey::forDatabase(Passphrase, directory.filePath("missing.sqlite3")), Passphrase);
    QCOMPARE(SqlCipherKey::forDatabase(Passphrase, QStringLiteral(":memory:")), Passphrase);

    // SQLCipher gives a file shorter than the salt a salt of its own.
    const QString shortFile = directory.filePath("short.sqlite3");
    QFile file(shortFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(SqlCipherKey::SaltSize - 1, 'x'));
    file.close();
    QCOMPARE(SqlCipherKey::forDatabase(Passphrase, shortFile), Passphrase);

    const QString rawKey = "x'" + QString(64, QLatin1Char('0')) + "'";
    QCOMPARE(SqlCipherKey::forDatabase(rawKey, shortFile), rawKey);
}

void tst_SqlCipherKey::derivedKeyOpensWhatThePassphraseWrote()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString path = directory.filePath("keyed.sqlite3");
    QCOMPARE(writeKeyedFile(path, Passphrase), QString());

    const QString key = SqlCipherKey::forDatabase(Passphrase, path);
    QVERIFY(SqlCipherKey::isRawKey(key));
    QCOMPARE(readKeyedFile(path, key), QStringLiteral("kept"));

    const QString otherKey = SqlCipherKey::forDatabase(QStringLiteral("another passphrase"), path);
    QCOMPARE(readKeyedFile(path, otherKey), QStringLiteral("file is encrypted or is not a database"));
}

void tst_SqlCipherKey::derivesAsForDatabaseOnlyWithItsSettings_data()
{
    QTest::addColumn<Derivation>("derivation");
    QTest::addColumn<bool>("same");

    const QString sha1("PBKDF2_HMAC_SHA1");
    QTest::newRow("SQLCipher 3") << Derivation{"3.4.1", 64000, {}, 0} << true;
    QTest::newRow("SQLCipher 3, more rounds") << Derivation{"3.4.1", 256000, {}, 0} << false;
    QTest::newRow("SQLCipher 4") << Derivation{"4.5.6 community", 256000, "PBKDF2_HMAC_SHA512", 0} << false;
    QTest::newRow("SQLCipher 4 as SQLCipher 3") << Derivation{"4.5.6 community", 64000, sha1, 0} << true;
    QTest::newRow("SQLCipher 4, other hash") << Derivation{"4.5.6 community", 64000, "PBKDF2_HMAC_SHA256", 0}
                                             << false;
    QTest::newRow("SQLCipher 4, plain header") << Derivation{"4.5.6 community", 64000, sha1, 32} << false;
    QTest::newRow("later SQLCipher") << Derivation{"5.0.0", 64000, sha1, 0} << false;
    QTest::newRow("no answer") << Derivation{} << false;
}

void tst_SqlCipherKey::derivesAsForDatabaseOnlyWithItsSettings()
{
    QFETCH(Derivation, derivation);
    QFETCH(bool, same);

    QCOMPARE(SqlCipherKey::derivesAsForDatabase(derivation), same);
}

void tst_SqlCipherKey::linkedSqlCipherReportsItsDerivation()
{
    registerSqlCipherDriver();
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(SqlCipherDriver::driverName(), "asked");
        database.setDatabaseName(":memory:");
        QVERIFY(database.open());
        // Files written with SQLCipher's own settings take the fast way.
        QVERIFY(SqlCipherKey::derivesAsForDatabase(SqlCipherKey::derivationOf(database)));

        const quelta::test::ScopedKdfIterations iterations(256000);
        const Derivation derivation = SqlCipherKey::derivationOf(database);
        QCOMPARE(derivation.iterations, 256000);
        QVERIFY(!SqlCipherKey::derivesAsForDatabase(derivation));
    }
    QSqlDatabase::removeDatabase("asked");
}

void tst_SqlCipherKey::unlockFallsBackToThePassphrase_data()
{
    QTest::addColumn<int>("iterations");
    QTest::addColumn<int>("reportedIterations");
    QTest::addColumn<QString>("passphrase");
    QTest::addColumn<QStringList>("tried");
    QTest::addColumn<Answer>("answer");

    // SQLCipher derives with iterations rounds and reports reportedIterations.
    const QString derived("derived key");
    const QString given("passphrase");
    QTest::newRow("derived key fits") << 64000 << 64000 << Passphrase << QStringList{derived}
                                      << Answer::Accepted;
    QTest::newRow("SQLCipher derives otherwise") << 256000 << 256000 << Passphrase << QStringList{given}
                                                 << Answer::Accepted;
    QTest::newRow("derived key refused") << 256000 << 64000 << Passphrase << QStringList{derived, given}
                                         << Answer::Accepted;
    QTest::newRow("wrong passphrase") << 64000 << 64000 << "another passphrase"
                                      << QStringList{derived, given} << Answer::Refused;
}

void tst_SqlCipherKey::unlockFallsBackToThePassphrase()
{
    QFETCH(int, iterations);
    QFETCH(int, reportedIterations);
    QFETCH(QString, passphrase);
    QFETCH(QStringList, tried);
    QFETCH(Answer, answer);

    const quelta::test::ScopedKdfIterations sqlCipherIterations(iterations);
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString path = directory.filePath("keyed.sqlite3");
    QCOMPARE(writeKeyedFile(path, Passphrase), QString());

    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    QStringList keys;
    const auto attempt = [db, &passphrase, &keys](const QString &key) {
        keys.append(key == passphrase ? QStringLiteral("passphrase") : QStringLiteral("derived key"));
        return keyAndRead(db, key);
    };
    const Derivation reported{"3.4.1", reportedIterations, {}, 0};
    const Answer result = SqlCipherKey::unlock(passphrase, path, reported, attempt);
    sqlite3_close(db);
    QCOMPARE(keys, tried);
    QCOMPARE(result, answer);
}

QTEST_GUILESS_MAIN(tst_SqlCipherKey)
#include "tst_sqlcipherkey.moc"
