#pragma once

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtSql/QSqlDriver>
#include <QtSql/QSqlError>

struct sqlite3;
Q_DECLARE_OPAQUE_POINTER(sqlite3 *)
Q_DECLARE_METATYPE(sqlite3 *)

namespace quelta::base::connection::databaseconnection {

class SqlCipherResult;

// The Qt SQL driver "QSQLCIPHER": SQLite with SQLCipher encryption, used
// through QSqlDatabase like any other driver. The driver owns the sqlite3
// handle and knows every live result, so that close() can finalize their
// statements before it closes the handle.
//
// The key is not a driver setting: the caller sends "PRAGMA key = '...';"
// as the first statement after open(), as SqliteConnection does.
//
// Connection options (QSqlDatabase::setConnectOptions, separated by ";"):
//   QSQLCIPHER_CREATE_IF_MISSING  create the file when it does not exist;
//                                 without it, opening a missing file fails
//   QSQLCIPHER_OPEN_READONLY      open the file read-only
//   QSQLCIPHER_BUSY_TIMEOUT=<ms>  how long to wait for a locked file (5000)
//
// Like every Qt SQL driver, one instance is not thread-safe: callers that
// share it between threads must serialise all use of the database and its
// queries (SqliteConnection does).
class SqlCipherDriver : public QSqlDriver
{
    Q_OBJECT

public:
    static QString driverName();

    explicit SqlCipherDriver(QObject *parent = nullptr);
    ~SqlCipherDriver() override;

    bool hasFeature(DriverFeature feature) const override;
    bool open(const QString &databaseName, const QString &userName, const QString &password,
              const QString &hostName, int port, const QString &connectOptions) override;
    void close() override;
    QSqlResult *createResult() const override;
    // The open sqlite3 handle, as a QVariant of type "sqlite3*" (as Qt's own
    // SQLite driver gives it), for calls that the driver does not wrap, such
    // as sqlite3_interrupt(); null while closed.
    QVariant handle() const override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

private:
    friend class SqlCipherResult;

    // One failure in QSqlError's three parts: what we tried, what SQLCipher
    // said, and its result code.
    static QSqlError makeError(sqlite3 *connection, const QString &whatFailed,
                               QSqlError::ErrorType type, int resultCode);

    bool executeTransactionStatement(const char *statement, const QString &whatFailed);
    void finalizeResults();

    sqlite3 *m_connection = nullptr;
    // Results register themselves here; the list is bookkeeping of the
    // handle's statements, not state that a const member could change.
    mutable QList<SqlCipherResult *> m_results;
};

// Makes "QSQLCIPHER" known to QSqlDatabase::addDatabase(). Safe to call any
// number of times from any thread.
void registerSqlCipherDriver();

} // namespace quelta::base::connection::databaseconnection
