#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QtGlobal>

#include <sqlcipher/sqlite3.h>

namespace quelta::test {

// Makes SQLCipher derive the key of every connection keyed from now on with
// this many PBKDF2 rounds, as a differently configured SQLCipher does, and
// sets its own number back when it goes. The setting holds for the whole
// process.
class ScopedKdfIterations
{
public:
    explicit ScopedKdfIterations(int iterations)
        : m_previous(exchange(iterations))
    {
    }

    ~ScopedKdfIterations() { exchange(m_previous); }

private:
    Q_DISABLE_COPY_MOVE(ScopedKdfIterations)

    // Sets the number and returns the one before.
    static int exchange(int iterations)
    {
        sqlite3 *db = nullptr;
        sqlite3_open(":memory:", &db);
        int previous = 0;
        const auto keepNumber = [](void *target, int, char **values, char **) {
            *static_cast<int *>(target) = QByteArray(values[0]).toInt();
            return 0;
        };
        sqlite3_exec(db, "PRAGMA cipher_default_kdf_iter;", keepNumber, &previous, nullptr);
        const QByteArray setting = "PRAGMA cipher_default_kdf_iter = " + QByteArray::number(iterations) + ";";
        sqlite3_exec(db, setting.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return previous;
    }

    const int m_previous;
};

} // namespace quelta::test
