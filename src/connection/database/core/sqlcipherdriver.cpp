#include "connection/database/core/sqlcipherdriver.h"

#include "connection/database/core/sqlcipherresult.h"

#include <QtCore/QFile>
#include <QtCore/QStringList>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlDriverCreator>

#include <sqlcipher/sqlite3.h>

namespace quelta::base::connection::databaseconnection {

namespace {

// How long a statement waits for a file that another connection has locked.
constexpr int DefaultBusyTimeoutMs = 5000;

const QLatin1String CreateIfMissingOption("QSQLCIPHER_CREATE_IF_MISSING");
const QLatin1String ReadOnlyOption("QSQLCIPHER_OPEN_READONLY");
const QLatin1String BusyTimeoutOption("QSQLCIPHER_BUSY_TIMEOUT=");

} // namespace

QString SqlCipherDriver::driverName()
{
    return QStringLiteral("QSQLCIPHER");
}

SqlCipherDriver::SqlCipherDriver(QObject *parent)
    : QSqlDriver(parent)
{
}

SqlCipherDriver::~SqlCipherDriver()
{
    close();
    for (SqlCipherResult *result : qAsConst(m_results))
        result->forgetDriver();
}

bool SqlCipherDriver::hasFeature(DriverFeature feature) const
{
    switch (feature) {
    case Transactions:
    case BLOB:
    case Unicode:
    case PreparedQueries:
    case PositionalPlaceholders:
    case LastInsertId:
    case SimpleLocking:
    case FinishQuery:
        return true;
    case QuerySize:
    case NamedPlaceholders:
    case BatchOperations:
    case LowPrecisionNumbers:
    case EventNotifications:
    case MultipleResultSets:
    case CancelQuery:
        return false;
    }
    return false;
}

bool SqlCipherDriver::open(const QString &databaseName, const QString &userName,
                           const QString &password, const QString &hostName, int port,
                           const QString &connectOptions)
{
    Q_UNUSED(userName)
    Q_UNUSED(password)
    Q_UNUSED(hostName)
    Q_UNUSED(port)

    if (isOpen())
        close();

    const auto refuse = [this](const QString &reason) {
        setLastError(QSqlError(tr("Could not open database"), reason, QSqlError::ConnectionError));
        setOpenError(true);
        return false;
    };

    bool createIfMissing = false;
    bool readOnly = false;
    int busyTimeoutMs = DefaultBusyTimeoutMs;
    const QStringList options = connectOptions.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &entry : options) {
        const QString option = entry.trimmed();
        if (option.isEmpty())
            continue;
        if (option == CreateIfMissingOption) {
            createIfMissing = true;
        } else if (option == ReadOnlyOption) {
            readOnly = true;
        } else if (option.startsWith(BusyTimeoutOption)) {
            bool valid = false;
            busyTimeoutMs = option.mid(BusyTimeoutOption.size()).toInt(&valid);
            if (!valid || busyTimeoutMs < 0)
                return refuse(tr("Invalid connection option '%1'").arg(option));
        } else {
            return refuse(tr("Unknown connection option '%1'").arg(option));
        }
    }

    // SQLite would open an empty name as a private temporary database.
    if (databaseName.isEmpty())
        return refuse(tr("No database file name given"));

    // A Qt SQL connection is used by one thread at a time (SqliteConnection
    // guards its own), so SQLite need not lock the handle on every call.
    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (createIfMissing && !readOnly)
        flags |= SQLITE_OPEN_CREATE;

    sqlite3 *connection = nullptr;
    const int resultCode =
        sqlite3_open_v2(QFile::encodeName(databaseName).constData(), &connection, flags, nullptr);
    if (resultCode != SQLITE_OK) {
        setLastError(makeError(connection, tr("Could not open database"),
                               QSqlError::ConnectionError, resultCode));
        // sqlite3_open_v2 hands out a handle even when it fails.
        sqlite3_close(connection);
        setOpenError(true);
        return false;
    }

    sqlite3_extended_result_codes(connection, 1);
    sqlite3_busy_timeout(connection, busyTimeoutMs);
    m_connection = connection;
    setOpen(true);
    setOpenError(false);
    return true;
}

void SqlCipherDriver::close()
{
    if (!m_connection)
        return;

    finalizeResults();
    // Every statement of ours is finalized; close_v2 also copes with any that
    // someone prepared on the raw handle.
    sqlite3_close_v2(m_connection);
    m_connection = nullptr;
    setOpen(false);
    setOpenError(false);
}

QSqlResult *SqlCipherDriver::createResult() const
{
    return new SqlCipherResult(this);
}

QVariant SqlCipherDriver::handle() const
{
    return QVariant::fromValue(m_connection);
}

bool SqlCipherDriver::beginTransaction()
{
    return executeTransactionStatement("BEGIN", tr("Could not begin the transaction"));
}

bool SqlCipherDriver::commitTransaction()
{
    return executeTransactionStatement("COMMIT", tr("Could not commit the transaction"));
}

bool SqlCipherDriver::rollbackTransaction()
{
    return executeTransactionStatement("ROLLBACK", tr("Could not roll back the transaction"));
}

QSqlError SqlCipherDriver::makeError(sqlite3 *connection, const QString &whatFailed,
                                     QSqlError::ErrorType type, int resultCode)
{
    const QString lowerLayerSaid = connection ? QString::fromUtf8(sqlite3_errmsg(connection))
                                              : QString::fromUtf8(sqlite3_errstr(resultCode));
    return QSqlError(whatFailed, lowerLayerSaid, type, QString::number(resultCode));
}

bool SqlCipherDriver::executeTransactionStatement(const char *statement, const QString &whatFailed)
{
    if (!m_connection) {
        setLastError(QSqlError(whatFailed, tr("The database is not open"),
                               QSqlError::TransactionError));
        return false;
    }
    const int resultCode = sqlite3_exec(m_connection, statement, nullptr, nullptr, nullptr);
    if (resultCode != SQLITE_OK) {
        setLastError(makeError(m_connection, whatFailed, QSqlError::TransactionError, resultCode));
        return false;
    }
    return true;
}

void SqlCipherDriver::finalizeResults()
{
    for (SqlCipherResult *result : qAsConst(m_results))
        result->finalize();
}

void registerSqlCipherDriver()
{
    // A function-local static is initialised once, even when several threads
    // get here at the same time.
    static const bool registered = [] {
        QSqlDatabase::registerSqlDriver(SqlCipherDriver::driverName(),
                                        new QSqlDriverCreator<SqlCipherDriver>);
        return true;
    }();
    Q_UNUSED(registered)
}

} // namespace quelta::base::connection::databaseconnection
