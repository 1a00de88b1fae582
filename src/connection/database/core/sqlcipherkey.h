#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QString>

#include <functional>

class QSqlDatabase;

namespace quelta::base::connection::databaseconnection {

// The text for "PRAGMA key" that opens a database as its passphrase does.
//
// SQLCipher 3 turns a passphrase into the database's key with PBKDF2-HMAC-SHA1
// over the salt in the file's first bytes, 64,000 rounds for a 32-byte key:
// about 30 ms of one thread, spent while the program starts. The two 20-byte
// blocks of that key do not depend on each other, so here they are derived
// side by side, each through OpenSSL's SHA-1 with the HMAC pads hashed once,
// and handed to SQLCipher as its raw key "x'...'". The key, and with it the
// file, is the same that the passphrase gives as long as the linked SQLCipher
// derives that way too; unlock() asks it first, and hands it the passphrase
// when it derives otherwise or refuses the derived key.
class SqlCipherKey
{
public:
    // SQLCipher's cipher settings of the files this system reads and writes.
    static constexpr int SaltSize = 16;
    static constexpr int KeySize = 32;
    static constexpr int Iterations = 64000;

    // How the linked SQLCipher derives the key of a connection keyed now, as
    // it reports itself. SQLCipher 3 names no algorithm and no plain header.
    struct Derivation
    {
        QString version;
        int iterations = 0;
        QString algorithm;
        int plaintextHeaderSize = 0;
    };

    // What SQLCipher made of a key.
    enum class Answer {
        Accepted,
        // The key does not fit the file.
        Refused,
        // Something else went wrong before SQLCipher could tell.
        Failed,
    };
    using Attempt = std::function<Answer(const QString &key)>;

    // Asks the SQLCipher behind database, open and not yet keyed.
    static Derivation derivationOf(const QSqlDatabase &database);

    // Whether SQLCipher derives as forDatabase() does.
    static bool derivesAsForDatabase(const Derivation &derivation);

    // Keys the database at path through attempt: first with the raw key of
    // forDatabase() when SQLCipher derives that way and the file has its
    // salt, then, when SQLCipher refused that key, with the passphrase. Both
    // stand for the bytes of passphrase.toUtf8(), so that a file created
    // with a passphrase that is no valid UTF-16 opens again.
    static Answer unlock(const QString &passphrase, const QString &path, const Derivation &derivation,
                         const Attempt &attempt);

    // The raw key derived from passphrase and the salt of the file at path.
    // passphrase as it stands when the file has no salt yet (missing or
    // shorter than the salt: SQLCipher gives a new file a random one), when
    // it cannot be read, or when passphrase is already a raw key.
    static QString forDatabase(const QString &passphrase, const QString &path);

    // PBKDF2-HMAC-SHA1 of passphrase and salt, length bytes long.
    static QByteArray derive(const QByteArray &passphrase, const QByteArray &salt, int iterations, int length);

    // Whether SQLCipher reads key as raw key data rather than a passphrase.
    static bool isRawKey(const QString &key);
};

} // namespace quelta::base::connection::databaseconnection
