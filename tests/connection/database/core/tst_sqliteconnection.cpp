#include "connection/database/core/sqliteconnection.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "domain/api/isqlbinder.h"
#include "domain/api/isqlrowview.h"
#include "domain/types/metatypes.h"
#include "support/damageddatabase.h"
#include "support/databaseerrors.h"
#include "support/encrypteddatabase.h"
#include "support/interruptingconnection.h"
#include "support/scopedkdfiterations.h"
#include "support/sqltext.h"

#include <QtCore/QDateTime>
#include <QtCore/QFile>
#include <QtCore/QPoint>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlDriver>
#include <QtTest/QtTest>

#include <sqlcipher/sqlite3.h>

#include <functional>
#include <thread>
#include <vector>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlBinder;
using quelta::domain::api::ISqlConnection;
using quelta::domain::api::ISqlQuery;
using quelta::domain::api::ISqlRowView;
using quelta::domain::types::DatabaseConnectionError;
using quelta::test::errorsOf;
using quelta::test::SqlText;

Q_DECLARE_METATYPE(quelta::base::connection::databaseconnection::SqlQuery)
Q_DECLARE_METATYPE(QSharedPointer<quelta::domain::api::ISqlQuery>)
Q_DECLARE_METATYPE(quelta::domain::api::ISqlRowView::Storage)
Q_DECLARE_METATYPE(std::function<void(quelta::domain::api::ISqlBinder &)>)

namespace {

const QString Fixture = QStringLiteral(
    "CREATE TABLE chamber (id INTEGER PRIMARY KEY, chamber_name TEXT NOT NULL);\n"
    "CREATE TABLE room_chamber_position (chamber_id INTEGER NOT NULL REFERENCES chamber (id),\n"
    "    room_id INTEGER);\n"
    "CREATE TABLE database_version_info (version INTEGER);\n"
    "INSERT INTO database_version_info VALUES (17);\n"
    "INSERT INTO chamber VALUES (1, 'Alpha'), (2, 'Beta');\n"
    "INSERT INTO room_chamber_position VALUES (1, 10), (2, 20);\n");

using Errors = QList<DatabaseConnectionError>;
using Storage = ISqlRowView::Storage;
using Bind = std::function<void(ISqlBinder &)>;

// A table of values of every storage class, next to their ids.
const QString KeptValues = QStringLiteral("CREATE TABLE kept (id INTEGER PRIMARY KEY, value)");
const QString InsertKept = QStringLiteral("INSERT INTO kept (id, value) VALUES (?, ?)");

SqlQuery chamberNames()
{
    SqlQuery query;
    query.select("chamber_name").from("chamber").orderBy("id");
    return query;
}

QSharedPointer<ISqlQuery> shared(const SqlQuery &query)
{
    return QSharedPointer<SqlQuery>::create(query);
}

QSharedPointer<ISqlQuery> insertChamber(const QVariant &id, const QVariant &name)
{
    return shared(SqlQuery().insertInto("chamber").columns({"id", "chamber_name"}).values({id, name}));
}

} // namespace

class tst_SqliteConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void writtenFileIsEncrypted();
    void readsAFileKeyedWithThePassphrase();
    void reopensWhatItCreated_data();
    void reopensWhatItCreated();
    void openKeepsJournalAndTemporaryDataInMemory();
    void openFailsLoudly_data();
    void openFailsLoudly();
    void keyCannotBreakOutOfItsLiteral_data();
    void keyCannotBreakOutOfItsLiteral();
    void connectionNamesAreTakenAndReleased();
    void openedOnAnotherThreadBelongsToTheConnectionsThread();

    void executeReportsTheInsertedRow();
    void transactionRollsBackAtTheFirstFailure_data();
    void transactionRollsBackAtTheFirstFailure();
    void transactionOfWorkKeepsItOnlyWhenItSucceeds_data();
    void transactionOfWorkKeepsItOnlyWhenItSucceeds();

    void selectsCheckTheResultShape_data();
    void selectsCheckTheResultShape();
    void selectFailuresCallNothing();
    void selectsFailingMidwayFail_data();
    void selectsFailingMidwayFail();
    void tableExistsAndDatabaseVersion();
    void emptyAllTablesKeepsVersionAndForeignKeys();
    void closedConnectionRefusesStatements();
    void preparedStatementsFollowTheDatabase();
    void selectEachFunctionMayUseTheConnection();
    void workerThreadsShareTheConnection();

    void rowViewConvertsAsRowValuesDo_data();
    void rowViewConvertsAsRowValuesDo();
    void rowViewWalksTheRowsOrCallsNothing();
    void boundValuesAreStoredAsVariantsAre_data();
    void boundValuesAreStoredAsVariantsAre();
    void boundValuesMustFillThePlaceholders_data();
    void boundValuesMustFillThePlaceholders();

private:
    QScopedPointer<QTemporaryDir> m_directory;
    // The fixture, open, named "data".
    QString m_path;
    QScopedPointer<SqliteConnection> m_connection;
};

void tst_SqliteConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.SqliteConnection.info=false"));
}

void tst_SqliteConnection::init()
{
    m_directory.reset(new QTemporaryDir);
    QVERIFY(m_directory->isValid());
    m_path = m_directory->filePath("data.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(m_path, Fixture), QString());
    m_connection.reset(new SqliteConnection("data"));
    QVERIFY(m_connection->open(m_path, QString(), QString(), DatabaseKey));
}

void tst_SqliteConnection::cleanup()
{
    m_connection.reset();
    m_directory.reset();
}

void tst_SqliteConnection::writtenFileIsEncrypted()
{
    // A plain SQLite reader knows a database only by this header; SQLCipher
    // encrypts it with the rest of the first page.
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.size() > 0);
    QVERIFY(!file.read(16).startsWith("SQLite format 3"));
}

void tst_SqliteConnection::readsAFileKeyedWithThePassphrase()
{
    // The configuration database comes from elsewhere: a file keyed with the
    // key text as SQLCipher passphrase, written here through the C API alone.
    const QString path = m_directory->filePath("foreign.sqlite3");
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
             SQLITE_OK);
    const QByteArray script = "PRAGMA key = '" + QByteArray(DatabaseKey.data(), DatabaseKey.size())
        + "';CREATE TABLE chamber (id INTEGER PRIMARY KEY, chamber_name TEXT);"
          "INSERT INTO chamber VALUES (1, 'Foreign');";
    const int written = sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(written, SQLITE_OK);

    SqliteConnection connection("foreign");
    QVERIFY(connection.open(path, QString(), QString(), DatabaseKey));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Foreign"}));
}

void tst_SqliteConnection::reopensWhatItCreated_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("kdfIterations");

    // 0 keeps SQLCipher's own number of derivation rounds.
    const QString key(DatabaseKey);
    QTest::newRow("more derivation rounds") << key << 256000;
    QTest::newRow("unpaired surrogate") << key.left(8) + QChar(0xd800) + key.mid(8) << 0;
    QTest::newRow("unpaired surrogate at the end") << key + QChar(0xdc00) << 0;
}

void tst_SqliteConnection::reopensWhatItCreated()
{
    QFETCH(QString, key);
    QFETCH(int, kdfIterations);

    QScopedPointer<quelta::test::ScopedKdfIterations> iterations;
    if (kdfIterations > 0)
        iterations.reset(new quelta::test::ScopedKdfIterations(kdfIterations));
    const QString path = m_directory->filePath("created.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(path, Fixture, key), QString());

    SqliteConnection connection("created");
    QVERIFY(connection.open(path, QString(), QString(), key));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
    connection.close();

    QSignalSpy errors(&connection, &SqliteConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, qPrintable(QString("Could not decrypt database '%1'").arg(path)));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(".*is not a database.*"));
    QVERIFY(!connection.open(path, QString(), QString(), key.left(key.size() - 1)));
    QCOMPARE(errorsOf(errors), Errors{DatabaseConnectionError::INVALID_DATABASE});
}

void tst_SqliteConnection::openKeepsJournalAndTemporaryDataInMemory()
{
    SqliteConnection &connection = *m_connection;
    QCOMPARE(connection.selectValue(SqlText("PRAGMA foreign_keys")), QVariant(1));
    QCOMPARE(connection.selectValue(SqlText("PRAGMA journal_mode")), QVariant("memory"));
    // 2 is MEMORY.
    QCOMPARE(connection.selectValue(SqlText("PRAGMA temp_store")), QVariant(2));
}

void tst_SqliteConnection::openFailsLoudly_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("key");
    QTest::addColumn<DatabaseConnectionError>("error");
    QTest::addColumn<QString>("detail");

    const QString key(DatabaseKey);
    const DatabaseConnectionError notOpened = DatabaseConnectionError::OPEN_FAILED;
    const DatabaseConnectionError notDecrypted = DatabaseConnectionError::INVALID_DATABASE;
    QTest::newRow("wrong key") << "data.sqlite3" << QString(32, '0') << notDecrypted
                               << ".*file is encrypted or is not a database \\(code 26\\)";
    QTest::newRow("missing file") << "missing.sqlite3" << key << notOpened << ".*unable to open database file.*";
    QTest::newRow("empty path") << QString() << key << notOpened << ".*No database file name given.*";
    QTest::newRow("directory") << "." << key << notOpened << ".*";
    QTest::newRow("not a database") << "notes.txt" << key << notDecrypted << ".*is not a database.*";
    QTest::newRow("empty key") << "data.sqlite3" << QString() << notDecrypted << "No key given";
}

void tst_SqliteConnection::openFailsLoudly()
{
    QFETCH(QString, fileName);
    QFETCH(QString, key);
    QFETCH(DatabaseConnectionError, error);
    QFETCH(QString, detail);

    QFile notes(m_directory->filePath("notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write(QByteArray(4096, 'x'));
    notes.close();
    const QStringList filesBefore = QDir(m_directory->path()).entryList(QDir::Files);

    const QString path = fileName.isEmpty() ? QString() : QDir::cleanPath(m_directory->filePath(fileName));
    SqliteConnection connection("failing");
    QSignalSpy errors(&connection, &SqliteConnection::error);
    const QString failure = error == DatabaseConnectionError::OPEN_FAILED ? "Could not open database '%1'"
                                                                          : "Could not decrypt database '%1'";
    QTest::ignoreMessage(QtCriticalMsg, qPrintable(failure.arg(path)));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(detail));

    QVERIFY(!connection.open(path, QString(), QString(), key));
    QCOMPARE(errorsOf(errors), Errors{error});
    // Nothing was created and nothing can be read.
    QCOMPARE(QDir(m_directory->path()).entryList(QDir::Files), filesBefore);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*not open"));
    QVERIFY(connection.select(chamberNames()).isEmpty());
}

void tst_SqliteConnection::keyCannotBreakOutOfItsLiteral_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("injectedKey");

    QTest::newRow("quote") << "it's a key" << "it";
    QTest::newRow("second statement") << "x'; PRAGMA key = 'other" << "other";
    // SQLite would pair the surrogate with the quote after it.
    QTest::newRow("unpaired surrogate before a quote")
        << QString("x") + QChar(0xd800) + "'--" << QString("x") + QChar(0xd800) + QChar(0xdc27);
}

void tst_SqliteConnection::keyCannotBreakOutOfItsLiteral()
{
    QFETCH(QString, key);
    QFETCH(QString, injectedKey);

    // Writing the fixture opens the file with the whole key.
    const QString path = m_directory->filePath("keyed.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(path, Fixture, key), QString());

    SqliteConnection connection("keyed");
    QTest::ignoreMessage(QtCriticalMsg, qPrintable(QString("Could not decrypt database '%1'").arg(path)));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(".*is not a database.*"));
    QVERIFY(!connection.open(path, QString(), QString(), injectedKey));
}

void tst_SqliteConnection::openedOnAnotherThreadBelongsToTheConnectionsThread()
{
    // Start-up opens the configuration database on a worker while the
    // window compiles; the connection is used on the main thread after.
    SqliteConnection connection("opened elsewhere");
    bool opened = false;
    std::thread opener([&] { opened = connection.open(m_path, QString(), QString(), DatabaseKey); });
    opener.join();
    QVERIFY(opened);

    // Qt hands a connection by name only to the thread that its driver lives on.
    const QSqlDatabase database = QSqlDatabase::database("opened elsewhere", false);
    QVERIFY(database.isValid());
    QCOMPARE(database.driver()->thread(), QThread::currentThread());
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
}

void tst_SqliteConnection::connectionNamesAreTakenAndReleased()
{
    // The driver check's throw-away connection is gone at once, and a
    // connection's own name is taken only by open().
    SqliteConnection unopened("configuration");
    QVERIFY(!QSqlDatabase::contains("configurationdummy"));
    QVERIFY(!QSqlDatabase::contains("configuration"));

    // A second user of a name would cut the first one off.
    SqliteConnection clash("data");
    QSignalSpy errors(&clash, &SqliteConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, "The connection name 'data' is already in use");
    QVERIFY(!clash.open(m_path, QString(), QString(), DatabaseKey));
    QCOMPARE(errorsOf(errors), Errors{DatabaseConnectionError::OPEN_FAILED});
    QCOMPARE(m_connection->selectColumn(chamberNames()).size(), 2);

    m_connection.reset();
    QVERIFY(!QSqlDatabase::contains("data"));
}

void tst_SqliteConnection::executeReportsTheInsertedRow()
{
    // Ids above 2^31 come back whole; an UPDATE inserts no row, a REPLACE does.
    const quint64 bigId = 3000000000u;
    QCOMPARE(m_connection->execute(*insertChamber(bigId, "Delta")), qMakePair(true, bigId));
    SqlQuery update;
    update.update("chamber").set("chamber_name", "Epsilon").where("id").equals(bigId);
    QCOMPARE(m_connection->execute(update), qMakePair(true, quint64(0)));
    SqlQuery replace;
    replace.insertOrReplaceInto("chamber").columns({"id", "chamber_name"}).values({bigId, "Zeta"});
    QCOMPARE(m_connection->execute(replace), qMakePair(true, bigId));
    QCOMPARE(m_connection->selectColumn(chamberNames()).last(), QVariant("Zeta"));
    // SQLite keeps the id of the last row inserted: an INSERT that inserted
    // nothing must not report it again.
    QCOMPARE(m_connection->execute(SqlText("INSERT INTO chamber (chamber_name) SELECT 'none' WHERE 0")),
             qMakePair(true, quint64(0)));
}

void tst_SqliteConnection::transactionRollsBackAtTheFirstFailure_data()
{
    QTest::addColumn<int>("failingIndex");
    QTest::addColumn<QSharedPointer<ISqlQuery>>("failing");
    QTest::addColumn<DatabaseConnectionError>("error");

    QTest::newRow("execution fails") << 2 << insertChamber(1, "duplicate id") << DatabaseConnectionError::EXECUTION_FAILED;
    QTest::newRow("preparation fails") << 1 << shared(SqlQuery().deleteFrom("nowhere"))
                                       << DatabaseConnectionError::PREPARE_FAILED;
    QTest::newRow("null entry") << 2 << QSharedPointer<ISqlQuery>() << DatabaseConnectionError::EXECUTION_FAILED;
}

void tst_SqliteConnection::transactionRollsBackAtTheFirstFailure()
{
    QFETCH(int, failingIndex);
    QFETCH(QSharedPointer<ISqlQuery>, failing);
    QFETCH(DatabaseConnectionError, error);

    SqliteConnection &connection = *m_connection;
    QList<QSharedPointer<ISqlQuery>> statements = {insertChamber(10, "A"), insertChamber(11, "B"),
                                                   insertChamber(12, "C"), insertChamber(13, "D")};
    statements.insert(failingIndex, failing);
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(".*"));

    QVERIFY(!connection.executeTransaction(statements));
    QCOMPARE(errorsOf(errors), Errors{error});
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));

    // No transaction was left open: the next one commits every statement.
    QVERIFY(connection.executeTransaction({insertChamber(20, "After"), insertChamber(21, "Later")}));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta", "After", "Later"}));
    QCOMPARE(errors.count(), 1);
}

void tst_SqliteConnection::transactionOfWorkKeepsItOnlyWhenItSucceeds_data()
{
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("succeeds") << true;
    QTest::newRow("decides against its statements") << false;
}

// The second statement needs the id that the first one gave.
void tst_SqliteConnection::transactionOfWorkKeepsItOnlyWhenItSucceeds()
{
    QFETCH(bool, succeeds);
    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);

    const bool committed = connection.executeInTransaction([&connection, succeeds] {
        const QPair<bool, quint64> chamber = connection.execute(*insertChamber(QVariant(), "Gamma"));
        SqlQuery position;
        position.insertInto("room_chamber_position").columns({"chamber_id", "room_id"}).values({chamber.second, 30});
        return chamber.first && connection.execute(position).first && succeeds;
    });
    QCOMPARE(committed, succeeds);
    const QVariantList rooms = succeeds ? QVariantList{10, 20, 30} : QVariantList{10, 20};
    QCOMPARE(connection.selectColumn(SqlText("SELECT room_id FROM room_chamber_position JOIN chamber "
                                             "ON chamber_id = id ORDER BY id")),
             rooms);
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::selectsCheckTheResultShape_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<SqlQuery>("query");
    QTest::addColumn<QString>("warning");

    const SqlQuery none = SqlQuery().select("chamber_name").from("chamber").where("id").equals(99);
    const SqlQuery twoColumns = SqlQuery().select(QStringList{"id", "chamber_name"}).from("chamber").where("id").equals(1);
    const SqlQuery twoRows = SqlQuery().select("id").from("chamber");
    const QString columnWarning =
        "The result should consist of exactly 1 or 0 columns but instead it consists of 2 columns";
    const QString rowWarning = "The result should consist of 1 or 0 rows but instead it consists of 2 rows";

    // 0 selectColumn, 1 selectRow, 2 selectValue. No row is no error.
    QTest::newRow("column of no row") << 0 << none << QString();
    QTest::newRow("row of no row") << 1 << none << QString();
    QTest::newRow("value of no row") << 2 << none << QString();
    QTest::newRow("column of two columns") << 0 << twoColumns << columnWarning;
    QTest::newRow("row of two rows") << 1 << twoRows << rowWarning;
    QTest::newRow("value of two columns") << 2 << twoColumns << columnWarning;
    QTest::newRow("value of two rows") << 2 << twoRows << rowWarning;
}

void tst_SqliteConnection::selectsCheckTheResultShape()
{
    QFETCH(int, call);
    QFETCH(SqlQuery, query);
    QFETCH(QString, warning);

    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));

    QVERIFY(call == 0   ? connection.selectColumn(query).isEmpty()
            : call == 1 ? connection.selectRow(query).isEmpty()
                        : !connection.selectValue(query).isValid());
    QCOMPARE(errorsOf(errors), warning.isEmpty() ? Errors() : Errors{DatabaseConnectionError::UNEXPECTED_RESULT});
}

void tst_SqliteConnection::selectFailuresCallNothing()
{
    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);

    SqlQuery broken;
    broken.select("nothing").from("chamber");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*no such column.*"));
    int calls = 0;
    QVERIFY(!connection.selectEach(broken, [&calls](const QVariantList &, int) { ++calls; }));
    QCOMPARE(calls, 0);

    SqlQuery update;
    update.update("chamber").set("chamber_name", "Changed").where("id").equals(1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("The statement .* yields no result"));
    QVERIFY(connection.select(update).isEmpty());
    QCOMPARE(errorsOf(errors), (Errors{DatabaseConnectionError::EXECUTION_FAILED, DatabaseConnectionError::NO_RESULT}));
}

void tst_SqliteConnection::selectsFailingMidwayFail_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("reason");

    // sqlite3_interrupt(), as when a long read is cancelled, after 3 rows.
    QTest::newRow("interrupted") << "interrupt" << "interrupted";
    QTest::newRow("damaged page") << "damage" << "";
}

// A read that fails after some of its rows is a failed read, as one that
// cannot start: the rows it gave before are not the result.
void tst_SqliteConnection::selectsFailingMidwayFail()
{
    QFETCH(QString, failure);
    QFETCH(QString, reason);
    constexpr int LogRows = 2000;
    constexpr int RowsBeforeInterrupt = 3;
    const QString fillLog = QString("CREATE TABLE log (id INTEGER PRIMARY KEY, note TEXT);"
                                    "INSERT INTO log WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                                    "WHERE i < %1) SELECT i, hex(zeroblob(100)) FROM n;")
                                .arg(LogRows);
    // The file is changed while no connection holds its pages.
    m_connection->close();
    QCOMPARE(failure == "damage" ? quelta::test::runSqlScriptAndDamageItsMiddlePage(m_path, fillLog)
                                 : quelta::test::runSqlScript(m_path, fillLog),
             QString());
    QVERIFY(m_connection->open(m_path, QString(), QString(), DatabaseKey));
    SqliteConnection &connection = *m_connection;
    quelta::test::InterruptingConnection interrupting(connection, "data", "FROM log", RowsBeforeInterrupt);
    ISqlConnection &reader = failure == "interrupt" ? static_cast<ISqlConnection &>(interrupting) : connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);

    const SqlQuery read = SqlQuery().select(QStringList{"id", "note"}).from("log").orderBy("id");
    const QRegularExpression message("Could not read the result of .*" + reason);
    QList<int> rows{0, 0};
    QTest::ignoreMessage(QtCriticalMsg, message);
    QVERIFY(!reader.selectEach(read, [&rows](const QVariantList &, int) { ++rows[0]; }));
    QTest::ignoreMessage(QtCriticalMsg, message);
    QVERIFY(!reader.selectEachView(read, [&rows](const ISqlRowView &, int) { ++rows[1]; }));
    QCOMPARE(rows.at(1), rows.at(0));
    QVERIFY(rows.at(0) > 0 && rows.at(0) < LogRows);
    if (failure == "interrupt") {
        QCOMPARE(rows.at(0), RowsBeforeInterrupt);
    } else {
        QTest::ignoreMessage(QtCriticalMsg, message);
        QVERIFY(connection.select(read).isEmpty());
    }
    const int failedReads = failure == "interrupt" ? 2 : 3;
    const QVector<DatabaseConnectionError> failed(failedReads, DatabaseConnectionError::EXECUTION_FAILED);
    QCOMPARE(errorsOf(errors), failed.toList());
    // The rest of the file still reads.
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
}

void tst_SqliteConnection::tableExistsAndDatabaseVersion()
{
    SqliteConnection &connection = *m_connection;
    QVERIFY(connection.tableExists("chamber"));
    QVERIFY(!connection.tableExists("chamber'--"));
    QCOMPARE(connection.databaseVersion(), 17);

    // Without the version table the version is 0, and that is no error.
    QVERIFY(connection.execute(SqlText("DROP TABLE database_version_info")).first);
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QCOMPARE(connection.databaseVersion(), 0);
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::emptyAllTablesKeepsVersionAndForeignKeys()
{
    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);

    connection.emptyAllTables();

    QCOMPARE(errors.count(), 0);
    QVERIFY(connection.selectColumn(chamberNames()).isEmpty());
    QCOMPARE(connection.selectValue(SqlQuery().count(SqlQuery::CountType::ALL, "").from("room_chamber_position")),
             QVariant(0));
    QCOMPARE(connection.databaseVersion(), 17);

    // Foreign keys are enforced again.
    QCOMPARE(connection.selectValue(SqlText("PRAGMA foreign_keys")), QVariant(1));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*FOREIGN KEY.*"));
    SqlQuery orphan;
    orphan.insertInto("room_chamber_position").columns({"chamber_id"}).values({1});
    QVERIFY(!connection.execute(orphan).first);
}

void tst_SqliteConnection::closedConnectionRefusesStatements()
{
    SqliteConnection &connection = *m_connection;
    connection.close();
    QSignalSpy errors(&connection, &SqliteConnection::error);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*not open"));
    QCOMPARE(connection.execute(*insertChamber(3, "Gamma")), qMakePair(false, quint64(0)));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not begin the transaction.*"));
    QVERIFY(!connection.executeTransaction({}));
    QCOMPARE(errorsOf(errors), (Errors{DatabaseConnectionError::PREPARE_FAILED,
                                       DatabaseConnectionError::EXECUTION_FAILED}));
}

void tst_SqliteConnection::preparedStatementsFollowTheDatabase()
{
    const QString second = m_directory->filePath("second.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(
                 second, "CREATE TABLE chamber (id INTEGER PRIMARY KEY, chamber_name TEXT);\n"
                         "INSERT INTO chamber VALUES (1, 'Other');\n"),
             QString());

    SqliteConnection &connection = *m_connection;
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));

    // A statement kept from the first file must not run on the second.
    QVERIFY(connection.open(second, QString(), QString(), DatabaseKey));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Other"}));

    // Nor on a changed schema.
    QVERIFY(connection.execute(SqlText("ALTER TABLE chamber ADD COLUMN serial_no TEXT")).first);
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Other"}));
}

void tst_SqliteConnection::selectEachFunctionMayUseTheConnection()
{
    SqliteConnection &connection = *m_connection;

    QVariantList seen;
    QList<QVariantList> kept;
    QVERIFY(connection.selectEach(chamberNames(), [&](const QVariantList &row, int index) {
        kept.append(row);
        // The same statement again, while the outer one is still running.
        seen.append(connection.selectColumn(chamberNames()).value(index));
        SqlQuery rename;
        rename.update("room_chamber_position").set("room_id", 30 + index).where("chamber_id").equals(index + 1);
        QVERIFY(connection.execute(rename).first);
    }));
    QCOMPARE(kept, (QList<QVariantList>{{"Alpha"}, {"Beta"}}));
    QCOMPARE(seen, (QVariantList{"Alpha", "Beta"}));
    SqlQuery rooms;
    rooms.select("room_id").from("room_chamber_position").orderBy("chamber_id");
    QCOMPARE(connection.selectColumn(rooms), (QVariantList{30, 31}));
}

void tst_SqliteConnection::workerThreadsShareTheConnection()
{
    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);

    constexpr int Threads = 4;
    constexpr int RowsPerThread = 50;
    std::vector<std::thread> workers;
    QAtomicInt failures;
    for (int thread = 0; thread < Threads; ++thread) {
        workers.emplace_back([&connection, &failures, thread] {
            for (int row = 0; row < RowsPerThread; ++row) {
                const int id = 100 + thread * RowsPerThread + row;
                if (!connection.execute(*insertChamber(id, QStringLiteral("worker"))).first
                    || connection.selectColumn(chamberNames()).size() < 3)
                    failures.ref();
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();

    QCOMPARE(failures.loadRelaxed(), 0);
    QCOMPARE(connection.selectColumn(chamberNames()).size(), 2 + Threads * RowsPerThread);
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::rowViewConvertsAsRowValuesDo_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<Storage>("storage");

    QTest::newRow("NULL") << "NULL" << Storage::Null;
    QTest::newRow("empty text") << "''" << Storage::Text;
    QTest::newRow("word") << "'abc'" << Storage::Text;
    QTest::newRow("number as text") << "' 12'" << Storage::Text;
    QTest::newRow("truth as text") << "'false'" << Storage::Text;
    QTest::newRow("beyond ASCII") << QString::fromUtf8("'\u00b0C'") << Storage::Text;
    QTest::newRow("led by U+FEFF") << QStringLiteral("'\uFEFFA'") << Storage::Text;
    QTest::newRow("led by U+FEFF, beyond ASCII") << QStringLiteral("'\uFEFF\u00b0C'") << Storage::Text;
    QTest::newRow("zero") << "0" << Storage::Integer;
    QTest::newRow("negative") << "-5" << Storage::Integer;
    QTest::newRow("beyond 32 bits") << "5000000000" << Storage::Integer;
    QTest::newRow("least 64-bit integer") << "-9223372036854775808" << Storage::Integer;
    QTest::newRow("beyond a double's precision") << "72339107669344257" << Storage::Integer;
    QTest::newRow("fraction") << "0.3" << Storage::Real;
    QTest::newRow("beyond float") << "-1e300" << Storage::Real;
    QTest::newRow("blob") << "x'00ff'" << Storage::Blob;
    QTest::newRow("blob of text bytes") << "x'4142'" << Storage::Blob;
}

// Every conversion of a value read in place gives what the same conversion
// of the value in a row gives.
void tst_SqliteConnection::rowViewConvertsAsRowValuesDo()
{
    QFETCH(QString, stored);
    QFETCH(Storage, storage);
    const SqlText query("SELECT " + stored);
    const QVariant value = m_connection->selectValue(query);
    QVERIFY(value.isValid());

    int rows = 0;
    QVERIFY(m_connection->selectEachView(query, [&](const ISqlRowView &row, int) {
        ++rows;
        QCOMPARE(row.columnCount(), 1);
        QCOMPARE(row.storage(0), storage);
        QCOMPARE(row.value(0), value);
        QCOMPARE(isUsable(row, 0), isUsable(value));
        QCOMPARE(toStringOr(row, 0, "absent"), toStringOr(value, "absent"));
        QCOMPARE(toIntOr(row, 0, -7), toIntOr(value, -7));
        QCOMPARE(toUIntOr(row, 0, 7u), toUIntOr(value, 7u));
        QCOMPARE(toInt64Or(row, 0, -7), toInt64Or(value, -7));
        QCOMPARE(toUInt64Or(row, 0, 7), toUInt64Or(value, 7));
        // Compared exactly: QCOMPARE would allow for rounding.
        QVERIFY(toFloatOr(row, 0, -1.5f) == toFloatOr(value, -1.5f));
        QCOMPARE(toBoolOr(row, 0, true), toBoolOr(value, true));
        if (storage == Storage::Text || storage == Storage::Null) {
            QCOMPARE(row.text(0), value.toString());
            QCOMPARE(row.text(0).isNull(), storage == Storage::Null);
            const std::string_view bytes = row.utf8(0);
            QCOMPARE(QByteArray(bytes.data(), int(bytes.size())), value.toString().toUtf8());
        } else {
            // Read as text, a value keeps its storage class and its value.
            QVERIFY(!row.text(0).isNull());
            QVERIFY(!row.utf8(0).empty());
            QCOMPARE(row.storage(0), storage);
            QCOMPARE(row.value(0), value);
        }
        // A column beyond the row reads as NULL.
        QCOMPARE(row.storage(1), Storage::Null);
        QVERIFY(!row.value(1).isValid());
        QVERIFY(row.utf8(1).empty());
    }));
    QCOMPARE(rows, 1);
}

void tst_SqliteConnection::rowViewWalksTheRowsOrCallsNothing()
{
    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);

    QStringList names;
    QList<int> indexes;
    QVERIFY(connection.selectEachView(chamberNames(), [&](const ISqlRowView &row, int index) {
        names.append(row.text(0));
        indexes.append(index);
        // The function may read through the connection again.
        QCOMPARE(connection.selectColumn(chamberNames()).value(index).toString(), names.last());
    }));
    QCOMPARE(names, (QStringList{"Alpha", "Beta"}));
    QCOMPARE(indexes, (QList<int>{0, 1}));

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*no such column.*"));
    int calls = 0;
    QVERIFY(!connection.selectEachView(SqlQuery().select("nothing").from("chamber"),
                                       [&calls](const ISqlRowView &, int) { ++calls; }));
    QCOMPARE(calls, 0);
    QCOMPARE(errorsOf(errors), Errors{DatabaseConnectionError::EXECUTION_FAILED});
}

void tst_SqliteConnection::boundValuesAreStoredAsVariantsAre_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<Bind>("bind");
    QTest::addColumn<QVariant>("readBack");

    const QDateTime utc(QDate(2024, 3, 1), QTime(8, 5, 3, 7), Qt::UTC);
    const QDateTime local(QDate(2024, 7, 1), QTime(12, 0), Qt::LocalTime);
    const QString localAsUtc = local.toUTC().toString(Qt::ISODateWithMs);
    QTest::newRow("NULL") << QVariant() << Bind([](ISqlBinder &binder) { binder.bindNull(); }) << QVariant(QString());
    QTest::newRow("integer beyond 32 bits")
        << QVariant(Q_INT64_C(5000000000)) << Bind([](ISqlBinder &binder) { binder.bindInteger(5000000000); })
        << QVariant(Q_INT64_C(5000000000));
    QTest::newRow("real") << QVariant(-2.5) << Bind([](ISqlBinder &binder) { binder.bindReal(-2.5); })
                          << QVariant(-2.5);
    const auto textRow = [](const char *name, const QString &text) {
        QTest::newRow(name) << QVariant(text) << Bind([text](ISqlBinder &binder) { binder.bindText(text); })
                            << QVariant(text);
    };
    textRow("text", QStringLiteral("Omega"));
    textRow("empty text", QStringLiteral(""));
    // SQLite takes a leading U+FEFF or U+FFFE of UTF-16 for a byte-order
    // mark, and QString::fromUtf8() drops a leading U+FEFF.
    textRow("text led by U+FEFF", QStringLiteral("\uFEFFA"));
    textRow("text led by U+FFFE", QStringLiteral("\uFFFEA"));
    textRow("text led by two U+FEFF", QStringLiteral("\uFEFF\uFEFF\u00b0C"));
    textRow("only U+FEFF", QStringLiteral("\uFEFF"));
    QTest::newRow("null text is NULL")
        << QVariant(QString()) << Bind([](ISqlBinder &binder) { binder.bindText(QString()); }) << QVariant(QString());
    QTest::newRow("date-time in UTC") << QVariant(utc) << Bind([utc](ISqlBinder &binder) { binder.bindDateTime(utc); })
                                      << QVariant("2024-03-01T08:05:03.007Z");
    QTest::newRow("local date-time")
        << QVariant(local) << Bind([local](ISqlBinder &binder) { binder.bindDateTime(local); })
        << QVariant(localAsUtc);
    QTest::newRow("invalid date-time is NULL")
        << QVariant(QDateTime()) << Bind([](ISqlBinder &binder) { binder.bindDateTime(QDateTime()); })
        << QVariant(QString());
    QTest::newRow("variant") << QVariant(true) << Bind([](ISqlBinder &binder) { binder.bindVariant(true); })
                             << QVariant(Q_INT64_C(1));
}

// A row bound through the binder reads back as the same row bound from
// values, value and storage class alike, and as written; the query's own
// values come first.
void tst_SqliteConnection::boundValuesAreStoredAsVariantsAre()
{
    QFETCH(QVariant, value);
    QFETCH(Bind, bind);
    QFETCH(QVariant, readBack);
    SqliteConnection &connection = *m_connection;
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QVERIFY(connection.execute(SqlText(KeptValues)).first);

    QCOMPARE(connection.execute(SqlText(InsertKept, {1, value})), qMakePair(true, quint64(1)));
    QCOMPARE(connection.executeBound(SqlText(InsertKept, {2}), bind), qMakePair(true, quint64(2)));

    const QList<QVariantList> rows = connection.select(SqlText("SELECT value, typeof(value) FROM kept ORDER BY id"));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.last(), rows.first());
    QCOMPARE(rows.first().first(), readBack);
    QCOMPARE(rows.first().first().userType(), readBack.userType());
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::boundValuesMustFillThePlaceholders_data()
{
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<Bind>("bind");
    QTest::addColumn<QString>("failure");

    const QString mismatch = "Parameter count mismatch";
    QTest::newRow("too few") << QVariantList{3} << Bind([](ISqlBinder &) {}) << mismatch;
    QTest::newRow("too many") << QVariantList{3}
                              << Bind([](ISqlBinder &binder) {
                                     binder.bindText("one");
                                     binder.bindText("two");
                                 })
                              << mismatch;
    QTest::newRow("more values than placeholders")
        << QVariantList{3, "one", "two"} << Bind([](ISqlBinder &) {}) << mismatch;
    QTest::newRow("value without a text form")
        << QVariantList{3} << Bind([](ISqlBinder &binder) { binder.bindVariant(QPoint(1, 2)); })
        << "Unable to bind the values";
}

void tst_SqliteConnection::boundValuesMustFillThePlaceholders()
{
    QFETCH(QVariantList, values);
    QFETCH(Bind, bind);
    QFETCH(QString, failure);
    SqliteConnection &connection = *m_connection;
    QVERIFY(connection.execute(SqlText(KeptValues)).first);
    QSignalSpy errors(&connection, &SqliteConnection::error);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*" + failure));
    QCOMPARE(connection.executeBound(SqlText(InsertKept, values), bind), qMakePair(false, quint64(0)));
    QCOMPARE(errorsOf(errors), Errors{DatabaseConnectionError::EXECUTION_FAILED});
    QVERIFY(connection.select(SqlText("SELECT id FROM kept")).isEmpty());

    // The statement runs again once its values fit, several rows at once.
    SqlQuery rows;
    rows.insertInto("kept").columns({"id", "value"}).valuePlaceholders(2, 2);
    QVERIFY(connection
                .executeBound(rows,
                              [](ISqlBinder &binder) {
                                  for (int id = 1; id <= 2; ++id) {
                                      binder.bindInteger(id);
                                      binder.bindText(QString::number(id * 10));
                                  }
                              })
                .first);
    QCOMPARE(connection.select(SqlText("SELECT id, value FROM kept ORDER BY id")),
             (QList<QVariantList>{{1, "10"}, {2, "20"}}));
}

QTEST_GUILESS_MAIN(tst_SqliteConnection)

#include "tst_sqliteconnection.moc"
