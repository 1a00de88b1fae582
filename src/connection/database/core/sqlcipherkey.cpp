#include "connection/database/core/sqlcipherkey.h"

#include <QtCore/QFile>
#include <QtCore/QVariant>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlQuery>

// The SHA-1 context API is deprecated in OpenSSL 3 in favour of EVP_MD_CTX,
// whose copy per round costs more than the hashing: HMAC through it takes
// twice as long as SQLCipher's own derivation instead of half.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <future>
#include <system_error>
#include <vector>

namespace quelta::base::connection::databaseconnection {

namespace {

constexpr int BlockSize = SHA_DIGEST_LENGTH;
using Block = std::array<unsigned char, BlockSize>;

// SQLCipher 4 names its algorithm; SQLCipher 3 always uses this one.
const QLatin1String Pbkdf2HmacSha1("PBKDF2_HMAC_SHA1");

// HMAC-SHA1 with one key: both pads are hashed once, each message then
// costs two compressions.
class HmacSha1
{
public:
    explicit HmacSha1(const QByteArray &key)
    {
        constexpr int PadSize = SHA_CBLOCK;
        std::array<unsigned char, PadSize> innerPad;
        std::array<unsigned char, PadSize> outerPad;
        innerPad.fill(0x36);
        outerPad.fill(0x5c);

        Block hashedKey;
        const unsigned char *keyData = reinterpret_cast<const unsigned char *>(key.constData());
        size_t keySize = size_t(key.size());
        if (keySize > PadSize) {
            SHA1(keyData, keySize, hashedKey.data());
            keyData = hashedKey.data();
            keySize = hashedKey.size();
        }
        for (size_t i = 0; i < keySize; ++i) {
            innerPad[i] ^= keyData[i];
            outerPad[i] ^= keyData[i];
        }

        SHA1_Init(&m_inner);
        SHA1_Update(&m_inner, innerPad.data(), innerPad.size());
        SHA1_Init(&m_outer);
        SHA1_Update(&m_outer, outerPad.data(), outerPad.size());
        OPENSSL_cleanse(innerPad.data(), innerPad.size());
        OPENSSL_cleanse(outerPad.data(), outerPad.size());
        OPENSSL_cleanse(hashedKey.data(), hashedKey.size());
    }

    ~HmacSha1()
    {
        OPENSSL_cleanse(&m_inner, sizeof m_inner);
        OPENSSL_cleanse(&m_outer, sizeof m_outer);
    }

    HmacSha1(const HmacSha1 &) = delete;
    HmacSha1 &operator=(const HmacSha1 &) = delete;

    // The MAC of first followed by second, written to mac (which may be
    // either of them).
    void sign(const unsigned char *first, size_t firstSize, const unsigned char *second, size_t secondSize,
              Block &mac) const
    {
        SHA_CTX context = m_inner;
        SHA1_Update(&context, first, firstSize);
        SHA1_Update(&context, second, secondSize);
        Block innerHash;
        SHA1_Final(innerHash.data(), &context);
        context = m_outer;
        SHA1_Update(&context, innerHash.data(), innerHash.size());
        SHA1_Final(mac.data(), &context);
        OPENSSL_cleanse(&context, sizeof context);
    }

private:
    SHA_CTX m_inner;
    SHA_CTX m_outer;
};

// Block number index (from 1) of the derived key.
Block deriveBlock(const QByteArray &passphrase, const QByteArray &salt, int iterations, quint32 index)
{
    const HmacSha1 hmac(passphrase);
    const std::array<unsigned char, 4> bigEndianIndex = {
        static_cast<unsigned char>(index >> 24), static_cast<unsigned char>(index >> 16),
        static_cast<unsigned char>(index >> 8), static_cast<unsigned char>(index)};

    Block round;
    hmac.sign(reinterpret_cast<const unsigned char *>(salt.constData()), size_t(salt.size()),
              bigEndianIndex.data(), bigEndianIndex.size(), round);
    Block block = round;
    for (int i = 1; i < iterations; ++i) {
        hmac.sign(round.data(), round.size(), nullptr, 0, round);
        std::transform(block.cbegin(), block.cend(), round.cbegin(), block.begin(),
                       [](unsigned char a, unsigned char b) { return static_cast<unsigned char>(a ^ b); });
    }
    OPENSSL_cleanse(round.data(), round.size());
    return block;
}

bool isHexDigit(QChar character)
{
    const char16_t c = character.unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

SqlCipherKey::Derivation SqlCipherKey::derivationOf(const QSqlDatabase &database)
{
    // A setting that this SQLCipher does not know answers with no row.
    const auto answer = [&database](const char *setting) {
        QSqlQuery query(database);
        query.setForwardOnly(true);
        if (query.exec(QLatin1String("PRAGMA ") + QLatin1String(setting)) && query.next())
            return query.value(0).toString();
        return QString();
    };
    Derivation derivation;
    derivation.version = answer("cipher_version");
    derivation.iterations = answer("cipher_default_kdf_iter").toInt();
    derivation.algorithm = answer("cipher_default_kdf_algorithm");
    derivation.plaintextHeaderSize = answer("cipher_default_plaintext_header_size").toInt();
    return derivation;
}

bool SqlCipherKey::derivesAsForDatabase(const Derivation &derivation)
{
    if (derivation.iterations != Iterations)
        return false;
    // SQLCipher 4 may also leave the file's start, and with it the salt's
    // place, in plain text; a later one may derive in ways unknown here.
    switch (derivation.version.section(QLatin1Char('.'), 0, 0).toInt()) {
    case 3:
        return true;
    case 4:
        return derivation.algorithm == Pbkdf2HmacSha1 && derivation.plaintextHeaderSize == 0;
    default:
        return false;
    }
}

SqlCipherKey::Answer SqlCipherKey::unlock(const QString &passphrase, const QString &path,
                                          const Derivation &derivation, const Attempt &attempt)
{
    // SQLite turns an unpaired surrogate into other bytes than toUtf8() and
    // pairs it with the character after it, which may be the quote that
    // closes the key's literal. The text of the bytes that toUtf8() gives
    // has no unpaired surrogate and reaches SQLCipher as those bytes.
    const QString text = QString::fromUtf8(passphrase.toUtf8());
    if (derivesAsForDatabase(derivation)) {
        // forDatabase() returns what it cannot derive from unchanged.
        const QString key = forDatabase(text, path);
        if (key != text) {
            const Answer answer = attempt(key);
            if (answer != Answer::Refused)
                return answer;
        }
    }
    return attempt(text);
}

QString SqlCipherKey::forDatabase(const QString &passphrase, const QString &path)
{
    // A name beginning with a colon (":memory:") is no file, nor one of the
    // program's resources that QFile would open instead.
    if (isRawKey(passphrase) || path.startsWith(QLatin1Char(':')))
        return passphrase;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return passphrase;
    const QByteArray salt = file.read(SaltSize);
    if (salt.size() < SaltSize)
        return passphrase;

    QByteArray key = derive(passphrase.toUtf8(), salt, Iterations, KeySize);
    const QString rawKey = QLatin1String("x'") + QString::fromLatin1(key.toHex()) + QLatin1Char('\'');
    OPENSSL_cleanse(key.data(), size_t(key.size()));
    return rawKey;
}

QByteArray SqlCipherKey::derive(const QByteArray &passphrase, const QByteArray &salt, int iterations, int length)
{
    if (length <= 0)
        return {};
    const int blockCount = (length + BlockSize - 1) / BlockSize;
    const auto blockAt = [&](int index) { return deriveBlock(passphrase, salt, iterations, quint32(index)); };

    // Every block but the first on a thread of its own; a block without one
    // is derived here after the first.
    std::vector<std::future<Block>> laterBlocks;
    for (int index = 2; index <= blockCount; ++index) {
        try {
            laterBlocks.push_back(std::async(std::launch::async, blockAt, index));
        } catch (const std::system_error &) {
            laterBlocks.push_back(std::async(std::launch::deferred, blockAt, index));
        }
    }

    QByteArray key;
    key.reserve(blockCount * BlockSize);
    const auto append = [&key](Block block) {
        key.append(reinterpret_cast<const char *>(block.data()), BlockSize);
        OPENSSL_cleanse(block.data(), block.size());
    };
    append(blockAt(1));
    for (std::future<Block> &block : laterBlocks)
        append(block.get());
    OPENSSL_cleanse(key.data() + length, size_t(key.size() - length));
    key.truncate(length);
    return key;
}

bool SqlCipherKey::isRawKey(const QString &key)
{
    // SQLCipher's own test: "x'" in either case, then the key's or the key's
    // and salt's hexadecimal digits, and one character more.
    const int keyDigits = KeySize * 2;
    const int keyAndSaltDigits = (KeySize + SaltSize) * 2;
    const int digits = key.size() - 3;
    if ((digits != keyDigits && digits != keyAndSaltDigits) || !key.startsWith(QLatin1String("x'"), Qt::CaseInsensitive))
        return false;
    return std::all_of(key.cbegin() + 2, key.cbegin() + 2 + digits, isHexDigit);
}

} // namespace quelta::base::connection::databaseconnection
