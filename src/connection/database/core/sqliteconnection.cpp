#include "connection/database/core/sqliteconnection.h"

#include "connection/database/core/sqlcipherdriver.h"
#include "connection/database/core/sqlcipherkey.h"
#include "connection/database/core/sqlcipherresult.h"
#include "connection/database/core/sqlcipherrowview.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QLoggingCategory>
#include <QtCore/QMutexLocker>
#include <QtCore/QStringList>
#include <QtSql/QSqlDriver>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>

#include <sqlcipher/sqlite3.h>

namespace quelta::base::connection::databaseconnection {

using domain::api::ISqlConnection;
using domain::api::ISqlQuery;
using domain::types::DatabaseConnectionError;

namespace {

Q_LOGGING_CATEGORY(lcSqliteConnection, "quelta.SqliteConnection")

const QLatin1String DummySuffix("dummy");
const QLatin1String VersionTable("database_version_info");
const QLatin1String VersionColumn("version");
const QLatin1String MasterTable("sqlite_master");

// Enough for the statements that the stores repeat; others are prepared anew.
constexpr int PreparedStatementCapacity = 64;

// What we tried, what SQLCipher said and its result code, in one line.
QString describe(const QSqlError &error)
{
    QString text = error.driverText();
    if (!error.databaseText().isEmpty())
        text += QLatin1String(": ") + error.databaseText();
    if (!error.nativeErrorCode().isEmpty())
        text += QLatin1String(" (code ") + error.nativeErrorCode() + QLatin1Char(')');
    return text;
}

QString quotedIdentifier(QString name)
{
    name.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

ISqlConnection::Row readRow(const SqlCipherResult &statement)
{
    ISqlConnection::Row row;
    statement.readRow(&row);
    return row;
}

void warnAboutColumns(int columnCount)
{
    qCWarning(lcSqliteConnection,
              "The result should consist of exactly 1 or 0 columns but instead it consists of %d "
              "columns",
              columnCount);
}

void warnAboutRows(int rowCount)
{
    qCWarning(lcSqliteConnection,
              "The result should consist of 1 or 0 rows but instead it consists of %d rows",
              rowCount);
}

// Keys database with key and proves the key with a first read: SQLCipher
// only finds out whether a key fits when it first reads. refusal gets what
// went wrong.
SqlCipherKey::Answer tryKey(const QSqlDatabase &database, const QString &key, QString *refusal)
{
    {
        // Doubling single quotes keeps any key inside its literal. SQLCipher's
        // messages about this statement could quote the key, so none is kept.
        QString escapedKey = key;
        escapedKey.replace(QLatin1Char('\''), QLatin1String("''"));
        QSqlQuery keyQuery(database);
        if (!keyQuery.exec(QLatin1String("PRAGMA key = '") + escapedKey + QLatin1String("';"))) {
            refusal->clear();
            return SqlCipherKey::Answer::Failed;
        }
    }

    QSqlQuery probe(database);
    if (probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master;")))
        return SqlCipherKey::Answer::Accepted;
    *refusal = describe(probe.lastError());
    return probe.lastError().nativeErrorCode() == QString::number(SQLITE_NOTADB) ? SqlCipherKey::Answer::Refused
                                                                                 : SqlCipherKey::Answer::Failed;
}

// Rolls the transaction back unless commit() succeeded.
class TransactionGuard
{
public:
    explicit TransactionGuard(QSqlDatabase &database)
        : m_database(database)
    {
    }

    ~TransactionGuard()
    {
        if (!m_committed && !m_database.rollback()) {
            qCCritical(lcSqliteConnection, "Could not roll back the transaction: %s",
                       qUtf8Printable(describe(m_database.lastError())));
        }
    }

    bool commit()
    {
        m_committed = m_database.commit();
        return m_committed;
    }

private:
    Q_DISABLE_COPY_MOVE(TransactionGuard)

    QSqlDatabase &m_database;
    bool m_committed = false;
};

} // namespace

SqliteConnection::SqliteConnection(const QString &connectionName, QObject *parent)
    : QObject(parent)
    , m_connectionName(connectionName)
    , m_statements(PreparedStatementCapacity)
{
    registerSqlCipherDriver();

    // A throw-away connection shows at once whether the driver can be
    // created, without taking the connection's own name before open().
    const QString dummyName = m_connectionName + DummySuffix;
    if (!QSqlDatabase::addDatabase(SqlCipherDriver::driverName(), dummyName).isValid()) {
        qCCritical(lcSqliteConnection, "The SQL driver \"%s\" is not available",
                   qUtf8Printable(SqlCipherDriver::driverName()));
    }
    QSqlDatabase::removeDatabase(dummyName);
}

SqliteConnection::~SqliteConnection()
{
    m_statements.clear();
    if (!m_database.isValid())
        return;
    m_database.close();
    // Qt only lets a connection go once no handle to it is left.
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool SqliteConnection::open(const QString &databasePath, const QString &userName,
                            const QString &password, const QString &key, OpenMode mode)
{
    Q_UNUSED(userName)
    Q_UNUSED(password)

    const QMutexLocker locker(&m_mutex);
    m_statements.clear();
    if (m_database.isOpen())
        m_database.close();

    if (!m_database.isValid()) {
        // Adding a name that is taken would silently cut off its owner.
        if (QSqlDatabase::contains(m_connectionName)) {
            qCCritical(lcSqliteConnection, "The connection name '%s' is already in use",
                       qUtf8Printable(m_connectionName));
            Q_EMIT error(DatabaseConnectionError::OPEN_FAILED);
            return false;
        }
        m_database = QSqlDatabase::addDatabase(SqlCipherDriver::driverName(), m_connectionName);
        if (!m_database.isValid()) {
            qCCritical(lcSqliteConnection, "The SQL driver \"%s\" is not available",
                       qUtf8Printable(SqlCipherDriver::driverName()));
            Q_EMIT error(DatabaseConnectionError::INVALID_DATABASE);
            return false;
        }
        // Qt gives the driver to the thread that added the connection; it
        // belongs with this object, wherever open() runs.
        m_database.driver()->moveToThread(thread());
    }

    m_database.setDatabaseName(databasePath);
    m_database.setConnectOptions(mode == OpenMode::CreateIfMissing
                                     ? QStringLiteral("QSQLCIPHER_CREATE_IF_MISSING")
                                     : QString());
    if (!m_database.open()) {
        qCCritical(lcSqliteConnection, "Could not open database '%s'", qUtf8Printable(databasePath));
        qCCritical(lcSqliteConnection, "%s", qUtf8Printable(describe(m_database.lastError())));
        Q_EMIT error(DatabaseConnectionError::OPEN_FAILED);
        return false;
    }

    if (!configure(key)) {
        m_statements.clear();
        m_database.close();
        return false;
    }
    qCInfo(lcSqliteConnection, "Opened database '%s'", qUtf8Printable(databasePath));
    return true;
}

void SqliteConnection::close()
{
    const QMutexLocker locker(&m_mutex);
    m_statements.clear();
    if (m_database.isValid())
        m_database.close();
}

QPair<bool, quint64> SqliteConnection::execute(const ISqlQuery &query)
{
    return executeBound(query, {});
}

QPair<bool, quint64> SqliteConnection::executeBound(const ISqlQuery &query, const BindFunction &bind)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!run(statement, query, DatabaseConnectionError::PREPARE_FAILED, bind))
        return qMakePair(false, quint64(0));
    const QVariant insertedId = statement->insertedId();
    return qMakePair(true, insertedId.isValid() ? insertedId.toULongLong() : quint64(0));
}

bool SqliteConnection::executeTransaction(const QList<QSharedPointer<ISqlQuery>> &queries)
{
    return executeInTransaction([this, &queries] {
        for (const QSharedPointer<ISqlQuery> &query : queries) {
            if (!query) {
                qCCritical(lcSqliteConnection, "A transaction holds a null statement; rolled back");
                Q_EMIT error(DatabaseConnectionError::EXECUTION_FAILED);
                return false;
            }
            PreparedStatements::Handle statement;
            if (!run(statement, *query, DatabaseConnectionError::PREPARE_FAILED))
                return false;
        }
        return true;
    });
}

bool SqliteConnection::executeInTransaction(const std::function<bool()> &work)
{
    const QMutexLocker locker(&m_mutex);
    if (!m_database.isOpen()) {
        qCCritical(lcSqliteConnection, "Could not begin the transaction: the database is not open");
        Q_EMIT error(DatabaseConnectionError::EXECUTION_FAILED);
        return false;
    }
    return inTransaction(work);
}

QList<ISqlConnection::Row> SqliteConnection::select(const ISqlQuery &query)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!executeSelect(statement, query))
        return {};
    QList<Row> rows;
    while (statement->nextRow())
        rows.append(readRow(*statement));
    if (!finishSelect(statement, query))
        return {};
    return rows;
}

bool SqliteConnection::selectEach(const ISqlQuery &query, const RowFunction &function)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!executeSelect(statement, query))
        return false;
    // One row object is refilled for every row; a function that keeps a copy
    // makes the next refill detach from it.
    Row row;
    int rowIndex = 0;
    while (statement->nextRow()) {
        statement->readRow(&row);
        function(row, rowIndex);
        ++rowIndex;
    }
    return finishSelect(statement, query);
}

bool SqliteConnection::selectEachView(const ISqlQuery &query, const RowViewFunction &function)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!executeSelect(statement, query))
        return false;
    SqlCipherRowView row(*statement);
    int rowIndex = 0;
    while (row.next()) {
        function(row, rowIndex);
        ++rowIndex;
    }
    return finishSelect(statement, query);
}

QList<QVariant> SqliteConnection::selectColumn(const ISqlQuery &query)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!executeSelect(statement, query))
        return {};
    const int columnCount = statement->columnCount();
    if (columnCount > 1) {
        warnAboutColumns(columnCount);
        Q_EMIT error(DatabaseConnectionError::UNEXPECTED_RESULT);
        return {};
    }
    QList<QVariant> values;
    while (statement->nextRow())
        values.append(statement->value(0));
    if (!finishSelect(statement, query))
        return {};
    return values;
}

ISqlConnection::Row SqliteConnection::selectRow(const ISqlQuery &query)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!executeSelect(statement, query))
        return {};
    Row row;
    int rowCount = 0;
    while (statement->nextRow()) {
        if (rowCount == 0)
            row = readRow(*statement);
        ++rowCount;
    }
    if (!finishSelect(statement, query))
        return {};
    if (rowCount > 1) {
        warnAboutRows(rowCount);
        Q_EMIT error(DatabaseConnectionError::UNEXPECTED_RESULT);
        return {};
    }
    return row;
}

QVariant SqliteConnection::selectValue(const ISqlQuery &query)
{
    const QMutexLocker locker(&m_mutex);
    PreparedStatements::Handle statement;
    if (!executeSelect(statement, query))
        return QVariant();
    const int columnCount = statement->columnCount();
    if (columnCount > 1) {
        warnAboutColumns(columnCount);
        Q_EMIT error(DatabaseConnectionError::UNEXPECTED_RESULT);
        return QVariant();
    }
    QVariant value;
    int rowCount = 0;
    while (statement->nextRow()) {
        if (rowCount == 0)
            value = statement->value(0);
        ++rowCount;
    }
    if (!finishSelect(statement, query))
        return QVariant();
    if (rowCount > 1) {
        warnAboutRows(rowCount);
        Q_EMIT error(DatabaseConnectionError::UNEXPECTED_RESULT);
        return QVariant();
    }
    return value;
}

bool SqliteConnection::tableExists(const QString &table)
{
    SqlQuery query;
    query.select(QStringLiteral("name"))
        .from(MasterTable)
        .where(QStringLiteral("type"))
        .equals(QStringLiteral("table"))
        .andWhere(QStringLiteral("name"))
        .equals(table);
    return selectValue(query).isValid();
}

int SqliteConnection::databaseVersion()
{
    const QMutexLocker locker(&m_mutex);
    if (!tableExists(VersionTable))
        return 0;
    SqlQuery query;
    query.select(VersionColumn).from(VersionTable);
    return toIntOr(selectValue(query), 0);
}

void SqliteConnection::emptyAllTables()
{
    const QMutexLocker locker(&m_mutex);
    // SQLite ignores this pragma inside a transaction, so it brackets it.
    if (!executeInternal(QStringLiteral("PRAGMA foreign_keys = OFF")))
        return;
    const bool emptied = inTransaction([this] { return emptyTables(); });
    executeInternal(QStringLiteral("PRAGMA foreign_keys = ON"));
    if (emptied)
        executeInternal(QStringLiteral("VACUUM"));
}

bool SqliteConnection::run(PreparedStatements::Handle &statement, const ISqlQuery &query,
                           DatabaseConnectionError prepareFailure, const BindFunction &bind)
{
    if (!m_database.isOpen()) {
        qCCritical(lcSqliteConnection, "Could not prepare statement \"%s\": the database is not open",
                   qUtf8Printable(query.getQuery()));
        Q_EMIT error(prepareFailure);
        return false;
    }
    QSqlError failure;
    statement = m_statements.acquire(m_database.driver(), query.getQuery(), &failure);
    if (!statement) {
        qCCritical(lcSqliteConnection, "Could not prepare statement \"%s\": %s",
                   qUtf8Printable(query.getQuery()), qUtf8Printable(describe(failure)));
        Q_EMIT error(prepareFailure);
        return false;
    }
    if (!statement->execute(query.getValues(), bind)) {
        qCCritical(lcSqliteConnection, "Could not execute statement \"%s\": %s",
                   qUtf8Printable(query.getQuery()), qUtf8Printable(describe(statement->error())));
        Q_EMIT error(DatabaseConnectionError::EXECUTION_FAILED);
        return false;
    }
    return true;
}

bool SqliteConnection::executeSelect(PreparedStatements::Handle &statement, const ISqlQuery &query)
{
    if (!run(statement, query, DatabaseConnectionError::EXECUTION_FAILED))
        return false;
    if (!statement->yieldsRows()) {
        qCWarning(lcSqliteConnection, "The statement \"%s\" yields no result",
                  qUtf8Printable(query.getQuery()));
        Q_EMIT error(DatabaseConnectionError::NO_RESULT);
        return false;
    }
    return true;
}

bool SqliteConnection::finishSelect(const PreparedStatements::Handle &statement,
                                    const ISqlQuery &query)
{
    // nextRow() returns false both at the end and on a failed step.
    if (!statement->hasFailed())
        return true;
    qCCritical(lcSqliteConnection, "Could not read the result of \"%s\": %s",
               qUtf8Printable(query.getQuery()), qUtf8Printable(describe(statement->error())));
    Q_EMIT error(DatabaseConnectionError::EXECUTION_FAILED);
    return false;
}

bool SqliteConnection::executeInternal(const QString &statement)
{
    QSqlQuery sqlQuery(m_database);
    if (m_database.isOpen() && sqlQuery.exec(statement))
        return true;
    qCCritical(lcSqliteConnection, "Could not execute statement \"%s\": %s",
               qUtf8Printable(statement),
               qUtf8Printable(m_database.isOpen() ? describe(sqlQuery.lastError())
                                                  : QStringLiteral("the database is not open")));
    Q_EMIT error(DatabaseConnectionError::EXECUTION_FAILED);
    return false;
}

bool SqliteConnection::emptyTables()
{
    SqlQuery tablesQuery;
    tablesQuery.select(QStringLiteral("name"))
        .from(MasterTable)
        .where(QStringLiteral("type"))
        .equals(QStringLiteral("table"));
    QStringList tables;
    {
        PreparedStatements::Handle statement;
        if (!executeSelect(statement, tablesQuery))
            return false;
        while (statement->nextRow())
            tables.append(statement->value(0).toString());
        if (!finishSelect(statement, tablesQuery))
            return false;
    }

    for (const QString &table : qAsConst(tables)) {
        if (table == VersionTable)
            continue;
        // The one place where a name comes from the database: every table it
        // lists is emptied, so the name is quoted as an identifier.
        SqlQuery deleteQuery;
        deleteQuery.deleteFrom(quotedIdentifier(table));
        PreparedStatements::Handle statement;
        if (!run(statement, deleteQuery, DatabaseConnectionError::PREPARE_FAILED))
            return false;
    }
    return true;
}

bool SqliteConnection::inTransaction(const std::function<bool()> &work)
{
    const auto failed = [this] {
        qCCritical(lcSqliteConnection, "%s", qUtf8Printable(describe(m_database.lastError())));
        Q_EMIT error(DatabaseConnectionError::EXECUTION_FAILED);
        return false;
    };
    if (!m_database.transaction())
        return failed();
    TransactionGuard transaction(m_database);
    if (!work())
        return false;
    return transaction.commit() || failed();
}

bool SqliteConnection::configure(const QString &key)
{
    const QString path = m_database.databaseName();
    const auto refuseKey = [this, &path](const QString &reason) {
        qCCritical(lcSqliteConnection, "Could not decrypt database '%s'", qUtf8Printable(path));
        if (!reason.isEmpty())
            qCCritical(lcSqliteConnection, "%s", qUtf8Printable(reason));
        Q_EMIT error(DatabaseConnectionError::INVALID_DATABASE);
        return false;
    };

    // An empty key would leave a new file unencrypted.
    if (key.isEmpty())
        return refuseKey(QStringLiteral("No key given"));

    QString refusal;
    const auto attempt = [this, &refusal](const QString &candidate) {
        return tryKey(m_database, candidate, &refusal);
    };
    const SqlCipherKey::Derivation derivation = SqlCipherKey::derivationOf(m_database);
    if (SqlCipherKey::unlock(key, path, derivation, attempt) != SqlCipherKey::Answer::Accepted)
        return refuseKey(refusal);

    const QStringList settings = {
        QStringLiteral("PRAGMA foreign_keys = ON;"),
        QStringLiteral("PRAGMA journal_mode = MEMORY"),
        QStringLiteral("PRAGMA temp_store = MEMORY"),
    };
    for (const QString &setting : settings) {
        QSqlQuery settingQuery(m_database);
        if (!settingQuery.exec(setting)) {
            qCCritical(lcSqliteConnection, "Could not open database '%s'", qUtf8Printable(path));
            qCCritical(lcSqliteConnection, "%s: %s", qUtf8Printable(setting),
                       qUtf8Printable(describe(settingQuery.lastError())));
            Q_EMIT error(DatabaseConnectionError::OPEN_FAILED);
            return false;
        }
    }
    return true;
}

} // namespace quelta::base::connection::databaseconnection
