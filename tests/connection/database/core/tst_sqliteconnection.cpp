#include "connection/database/core/sqliteconnection.h"

#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "domain/types/metatypes.h"
#include "support/encrypteddatabase.h"
#include "support/sqltext.h"

#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtTest/QtTest>

#include <thread>
#include <vector>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlQuery;
using quelta::domain::types::DatabaseConnectionError;
using quelta::test::SqlText;

Q_DECLARE_METATYPE(quelta::base::connection::databaseconnection::SqlQuery)
Q_DECLARE_METATYPE(QSharedPointer<quelta::domain::api::ISqlQuery>)

namespace {

const QString Fixture = QStringLiteral(
    "CREATE TABLE chamber (id INTEGER PRIMARY KEY, chamber_name TEXT NOT NULL);\n"
    "CREATE TABLE room_chamber_position (chamber_id INTEGER NOT NULL REFERENCES chamber (id),\n"
    "    room_id INTEGER);\n"
    "CREATE TABLE database_version_info (version INTEGER);\n"
    "INSERT INTO database_version_info VALUES (17);\n"
    "INSERT INTO chamber VALUES (1, 'Alpha'), (2, 'Beta');\n"
    "INSERT INTO room_chamber_position VALUES (1, 10), (2, 20);\n");

DatabaseConnectionError errorAt(const QSignalSpy &spy, int index)
{
    return spy.at(index).at(0).value<DatabaseConnectionError>();
}

SqlQuery chamberNames()
{
    SqlQuery query;
    query.select("chamber_name").from("chamber").orderBy("id");
    return query;
}

QSharedPointer<ISqlQuery> insertChamber(const QVariant &id, const QVariant &name)
{
    auto query = QSharedPointer<SqlQuery>::create();
    query->insertInto("chamber").columns({"id", "chamber_name"}).values({id, name});
    return query;
}

} // namespace

class tst_SqliteConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void writtenFileIsEncrypted();
    void openFailsLoudly_data();
    void openFailsLoudly();
    void keyCannotBreakOutOfItsLiteral_data();
    void keyCannotBreakOutOfItsLiteral();
    void createModeKeepsAnExistingFile();
    void connectionNamesAreTakenAndReleased();

    void executeReportsTheInsertedRow();
    void executeFailures_data();
    void executeFailures();
    void transactionRollsBackAtTheFirstFailure_data();
    void transactionRollsBackAtTheFirstFailure();
    void transactionCommitsEveryStatement();
    void valuesRoundTrip();

    void selectsReadRowsInOrder();
    void selectsReportUnexpectedShapes_data();
    void selectsReportUnexpectedShapes();
    void selectFailuresCallNothing();
    void tableExistsAndDatabaseVersion();
    void emptyAllTablesKeepsVersionAndForeignKeys();
    void closedConnectionRefusesStatements();
    void preparedStatementsFollowTheDatabase();
    void selectEachFunctionMayUseTheConnection();
    void workerThreadsShareTheConnection();

private:
    QString createFixture(const QString &fileName = QStringLiteral("data.sqlite3"));

    QScopedPointer<QTemporaryDir> m_directory;
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
}

QString tst_SqliteConnection::createFixture(const QString &fileName)
{
    const QString path = m_directory->filePath(fileName);
    const QString failure = quelta::test::createEncryptedDatabase(path, Fixture);
    if (!failure.isEmpty())
        qWarning("%s", qPrintable(failure));
    return path;
}

void tst_SqliteConnection::writtenFileIsEncrypted()
{
    const QString path = createFixture();

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.size() > 0);
    QVERIFY(!file.read(16).startsWith("SQLite format 3"));
    file.close();

    // An independent, plain SQLite reader.
    const QString python = qEnvironmentVariable("PYTHON3", QStringLiteral("/usr/bin/python3"));
    if (!QFileInfo(python).isExecutable())
        QSKIP("No Python 3 with sqlite3 to read the file");
    QProcess reader;
    reader.start(python, {"-c",
                          "import sqlite3, sys\n"
                          "try:\n"
                          "    sqlite3.connect(sys.argv[1]).execute('SELECT * FROM chamber').fetchall()\n"
                          "except sqlite3.DatabaseError as error:\n"
                          "    print(error)\n"
                          "    sys.exit(3)\n",
                          path});
    QVERIFY(reader.waitForFinished(30000));
    QCOMPARE(reader.exitCode(), 3);
    QCOMPARE(reader.readAllStandardOutput().trimmed(), QByteArray("file is not a database"));

    SqliteConnection connection("reader");
    QVERIFY(connection.open(path, QString(), QString(), DatabaseKey));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
}

void tst_SqliteConnection::openFailsLoudly_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("key");
    QTest::addColumn<DatabaseConnectionError>("error");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");

    QTest::newRow("wrong key") << "data.sqlite3" << "00000000000000000000000000000000"
                               << DatabaseConnectionError::INVALID_DATABASE
                               << "Could not decrypt database '%1'" << ".*file is encrypted or is not a database \\(code 26\\)";
    QTest::newRow("missing file") << "missing.sqlite3" << QString(DatabaseKey)
                                  << DatabaseConnectionError::OPEN_FAILED
                                  << "Could not open database '%1'" << ".*unable to open database file.*";
    QTest::newRow("empty path") << QString() << QString(DatabaseKey)
                                << DatabaseConnectionError::OPEN_FAILED
                                << "Could not open database ''" << ".*No database file name given.*";
    QTest::newRow("directory") << "." << QString(DatabaseKey) << DatabaseConnectionError::OPEN_FAILED
                               << "Could not open database '%1'" << ".*";
    QTest::newRow("not a database") << "notes.txt" << QString(DatabaseKey)
                                    << DatabaseConnectionError::INVALID_DATABASE
                                    << "Could not decrypt database '%1'" << ".*is not a database.*";
    QTest::newRow("empty key") << "data.sqlite3" << QString() << DatabaseConnectionError::INVALID_DATABASE
                               << "Could not decrypt database '%1'" << "No key given";
}

void tst_SqliteConnection::openFailsLoudly()
{
    QFETCH(QString, fileName);
    QFETCH(QString, key);
    QFETCH(DatabaseConnectionError, error);
    QFETCH(QString, message);
    QFETCH(QString, detail);

    createFixture();
    QFile notes(m_directory->filePath("notes.txt"));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write(QByteArray(4096, 'x'));
    notes.close();
    const QStringList filesBefore = QDir(m_directory->path()).entryList(QDir::Files);

    const QString path = fileName.isEmpty() ? QString() : QDir::cleanPath(m_directory->filePath(fileName));
    SqliteConnection connection("failing");
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, qPrintable(message.contains("%1") ? message.arg(path) : message));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(detail));

    QVERIFY(!connection.open(path, QString(), QString(), key));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errorAt(errors, 0), error);
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
    QTest::newRow("only quotes") << "''''" << "";
    QTest::newRow("comment") << "k' --" << "k";
}

void tst_SqliteConnection::keyCannotBreakOutOfItsLiteral()
{
    QFETCH(QString, key);
    QFETCH(QString, injectedKey);

    const QString path = m_directory->filePath("keyed.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(path, Fixture, key), QString());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(!file.read(16).startsWith("SQLite format 3"));

    SqliteConnection connection("keyed");
    QVERIFY(connection.open(path, QString(), QString(), key));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
    connection.close();

    if (!injectedKey.isEmpty()) {
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(QString("Could not decrypt database '%1'").arg(path)));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(".*is not a database.*"));
        QVERIFY(!connection.open(path, QString(), QString(), injectedKey));
    }
}

void tst_SqliteConnection::createModeKeepsAnExistingFile()
{
    const QString path = createFixture();
    SqliteConnection connection("export");
    QVERIFY(connection.open(path, QString(), QString(), DatabaseKey,
                            SqliteConnection::OpenMode::CreateIfMissing));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
}

void tst_SqliteConnection::connectionNamesAreTakenAndReleased()
{
    const QString path = createFixture();
    {
        SqliteConnection connection("configuration");
        // The driver check's throw-away connection is gone at once, and the
        // connection's own name is taken only by open().
        QVERIFY(!QSqlDatabase::contains("configurationdummy"));
        QVERIFY(!QSqlDatabase::contains("configuration"));
        QVERIFY(connection.open(path, QString(), QString(), DatabaseKey));
        QVERIFY(QSqlDatabase::contains("configuration"));

        // A second user of the name would cut the first one off.
        SqliteConnection clash("configuration");
        QSignalSpy errors(&clash, &SqliteConnection::error);
        QTest::ignoreMessage(QtCriticalMsg, "The connection name 'configuration' is already in use");
        QVERIFY(!clash.open(path, QString(), QString(), DatabaseKey));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errorAt(errors, 0), DatabaseConnectionError::OPEN_FAILED);
        QCOMPARE(connection.selectColumn(chamberNames()).size(), 2);
    }
    QVERIFY(!QSqlDatabase::contains("configuration"));
}

void tst_SqliteConnection::executeReportsTheInsertedRow()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));

    SqlQuery insert;
    insert.insertInto("chamber").columns({"chamber_name"}).values({"Gamma"});
    QCOMPARE(connection.execute(insert), qMakePair(true, quint64(3)));

    const quint64 bigId = 3000000000u;
    QCOMPARE(connection.execute(*insertChamber(bigId, "Delta")), qMakePair(true, bigId));

    SqlQuery update;
    update.update("chamber").set("chamber_name", "Epsilon").where("id").equals(bigId);
    QCOMPARE(connection.execute(update), qMakePair(true, quint64(0)));
    SqlQuery name;
    name.select("chamber_name").from("chamber").where("id").equals(bigId);
    QCOMPARE(connection.selectValue(name), QVariant("Epsilon"));
}

void tst_SqliteConnection::executeFailures_data()
{
    QTest::addColumn<QSharedPointer<ISqlQuery>>("query");
    QTest::addColumn<DatabaseConnectionError>("error");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown table") << QSharedPointer<ISqlQuery>(QSharedPointer<SqlQuery>::create(SqlQuery().deleteFrom("nowhere")))
                                   << DatabaseConnectionError::PREPARE_FAILED
                                   << "Could not prepare statement \" DELETE FROM nowhere\": Unable to "
                                      "prepare the statement: no such table: nowhere \\(code 1\\)";
    QTest::newRow("constraint") << insertChamber(5, QVariant())
                                << DatabaseConnectionError::EXECUTION_FAILED
                                << "Could not execute statement.*NOT NULL constraint failed.*";
    QTest::newRow("foreign key")
        << QSharedPointer<ISqlQuery>(QSharedPointer<SqlQuery>::create(
               SqlQuery().insertInto("room_chamber_position").columns({"chamber_id"}).values({99})))
        << DatabaseConnectionError::EXECUTION_FAILED << "Could not execute statement.*FOREIGN KEY.*";
    QTest::newRow("too few values")
        << QSharedPointer<ISqlQuery>(QSharedPointer<SqlText>::create(
               "UPDATE chamber SET chamber_name = ? WHERE id = ?", QVariantList{"x"}))
        << DatabaseConnectionError::EXECUTION_FAILED
        << "Could not execute statement.*Parameter count mismatch";
    QTest::newRow("two statements")
        << QSharedPointer<ISqlQuery>(QSharedPointer<SqlText>::create("DELETE FROM room_chamber_position; DELETE FROM chamber"))
        << DatabaseConnectionError::PREPARE_FAILED
        << "Could not prepare statement.*Unable to execute multiple statements at a time";
}

void tst_SqliteConnection::executeFailures()
{
    QFETCH(QSharedPointer<ISqlQuery>, query);
    QFETCH(DatabaseConnectionError, error);
    QFETCH(QString, message);

    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(message));

    QCOMPARE(connection.execute(*query), qMakePair(false, quint64(0)));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errorAt(errors, 0), error);
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));
}

void tst_SqliteConnection::transactionRollsBackAtTheFirstFailure_data()
{
    QTest::addColumn<int>("failingIndex");
    QTest::addColumn<QSharedPointer<ISqlQuery>>("failing");
    QTest::addColumn<int>("errorCount");

    QTest::newRow("execution fails") << 2 << insertChamber(1, "duplicate id") << 1;
    QTest::newRow("preparation fails")
        << 1 << QSharedPointer<ISqlQuery>(QSharedPointer<SqlText>::create("INSERT INTO nowhere VALUES (1)")) << 1;
    QTest::newRow("null entry") << 2 << QSharedPointer<ISqlQuery>() << 1;
    QTest::newRow("first statement fails") << 0 << insertChamber(2, "duplicate id") << 1;
}

void tst_SqliteConnection::transactionRollsBackAtTheFirstFailure()
{
    QFETCH(int, failingIndex);
    QFETCH(QSharedPointer<ISqlQuery>, failing);
    QFETCH(int, errorCount);

    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QList<QSharedPointer<ISqlQuery>> statements = {insertChamber(10, "A"), insertChamber(11, "B"),
                                                   insertChamber(12, "C"), insertChamber(13, "D")};
    statements.insert(failingIndex, failing);
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(".*"));

    QVERIFY(!connection.executeTransaction(statements));
    QCOMPARE(errors.count(), errorCount);
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta"}));

    // The connection is usable afterwards: no transaction was left open.
    QVERIFY(connection.executeTransaction({insertChamber(20, "After")}));
    QCOMPARE(connection.selectColumn(chamberNames()).size(), 3);
}

void tst_SqliteConnection::transactionCommitsEveryStatement()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);

    QVERIFY(connection.executeTransaction({}));
    QVERIFY(connection.executeTransaction({insertChamber(3, "Gamma"), insertChamber(4, "Delta")}));
    QCOMPARE(connection.selectColumn(chamberNames()), (QVariantList{"Alpha", "Beta", "Gamma", "Delta"}));
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::valuesRoundTrip()
{
    SqliteConnection connection("values");
    QVERIFY(connection.open(m_directory->filePath("values.sqlite3"), QString(), QString(), DatabaseKey,
                            SqliteConnection::OpenMode::CreateIfMissing));
    using Type = SqlQuery::DataType;
    using Flag = SqlQuery::ColumnFlag;
    SqlQuery create;
    create.createTable("record", {{"id", Type::INTEGER, Flag::PRIMARY_KEY | Flag::NOT_NULL},
                                  {"name", Type::TEXT, Flag::NONE},
                                  {"factor", Type::REAL, Flag::NONE},
                                  {"active", Type::BOOLEAN, Flag::NONE},
                                  {"created", Type::DATETIME, Flag::NONE},
                                  {"backup_time", Type::TEXT, Flag::NONE},
                                  {"hash", Type::BLOB, Flag::NONE}});
    QVERIFY(connection.execute(create).first);

    const quint64 id = (quint64(1) << 31) + 7;
    const QDateTime created(QDate(2024, 7, 15), QTime(13, 45, 10, 125), Qt::LocalTime);
    const QTime backupTime(2, 30);
    const QByteArray hash = QByteArray::fromHex("00ff10");
    SqlQuery insert;
    insert.insertInto("record")
        .columns({"id", "name", "factor", "active", "created", "backup_time", "hash"})
        .values({id, QString(), 1.5f, true, created, backupTime, hash});
    QCOMPARE(connection.execute(insert), qMakePair(true, id));

    SqlQuery byId;
    byId.select(QStringList{"id", "name", "factor", "active", "created", "backup_time", "hash", "typeof(id)"})
        .from("record")
        .where("id")
        .equals(id);
    const QVariantList row = connection.selectRow(byId);
    QCOMPARE(row.size(), 8);
    QCOMPARE(row.at(0).userType(), int(QMetaType::LongLong));
    QCOMPARE(row.at(0).toULongLong(), id);
    // SQL NULL arrives as a valid, empty text.
    QVERIFY(row.at(1).isValid());
    QCOMPARE(row.at(1).userType(), int(QMetaType::QString));
    QVERIFY(!isUsable(row.at(1)));
    QCOMPARE(toStringOr(row.at(1), "none"), QString("none"));
    QCOMPARE(toFloatOr(row.at(2), 0.0f), 1.5f);
    QCOMPARE(toBoolOr(row.at(3), false), true);
    QCOMPARE(toDateTimeOr(row.at(4), QDateTime()), created);
    QCOMPARE(toDateTimeOr(row.at(4), QDateTime()).toLocalTime(), created);
    QCOMPARE(toTimeOr(row.at(5), QTime()), backupTime);
    QCOMPARE(row.at(6).toByteArray(), hash);
    QCOMPARE(row.at(7).toString(), QString("integer"));
}

void tst_SqliteConnection::selectsReadRowsInOrder()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);

    SqlQuery positions;
    positions.select(QStringList{"chamber_id", "room_id"}).from("room_chamber_position").orderBy("room_id", Qt::DescendingOrder);
    QCOMPARE(connection.select(positions), (QList<QVariantList>{{2, 20}, {1, 10}}));

    QList<QPair<QVariantList, int>> calls;
    connection.selectEach(positions, [&calls](const QVariantList &row, int index) {
        calls.append(qMakePair(row, index));
    });
    QCOMPARE(calls, (QList<QPair<QVariantList, int>>{{{2, 20}, 0}, {{1, 10}, 1}}));

    SqlQuery none;
    none.select("chamber_name").from("chamber").where("id").equals(99);
    QVERIFY(connection.selectColumn(none).isEmpty());
    QVERIFY(connection.selectRow(none).isEmpty());
    QVERIFY(!connection.selectValue(none).isValid());
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::selectsReportUnexpectedShapes_data()
{
    QTest::addColumn<int>("call");
    QTest::addColumn<SqlQuery>("query");
    QTest::addColumn<QString>("warning");

    const SqlQuery twoColumns = SqlQuery().select(QStringList{"id", "chamber_name"}).from("chamber").where("id").equals(1);
    const SqlQuery twoRows = SqlQuery().select("id").from("chamber");
    const QString columnWarning =
        "The result should consist of exactly 1 or 0 columns but instead it consists of 2 columns";
    const QString rowWarning = "The result should consist of 1 or 0 rows but instead it consists of 2 rows";

    QTest::newRow("column of two columns") << 0 << twoColumns << columnWarning;
    QTest::newRow("row of two rows") << 1 << twoRows << rowWarning;
    QTest::newRow("value of two rows") << 2 << twoRows << rowWarning;
    QTest::newRow("value of two columns") << 2 << twoColumns << columnWarning;
}

void tst_SqliteConnection::selectsReportUnexpectedShapes()
{
    QFETCH(int, call);
    QFETCH(SqlQuery, query);
    QFETCH(QString, warning);

    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);
    QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));

    switch (call) {
    case 0:
        QVERIFY(connection.selectColumn(query).isEmpty());
        break;
    case 1:
        QVERIFY(connection.selectRow(query).isEmpty());
        break;
    default:
        QVERIFY(!connection.selectValue(query).isValid());
        break;
    }
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errorAt(errors, 0), DatabaseConnectionError::UNEXPECTED_RESULT);
}

void tst_SqliteConnection::selectFailuresCallNothing()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);

    SqlQuery broken;
    broken.select("nothing").from("chamber");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*no such column.*"));
    int calls = 0;
    connection.selectEach(broken, [&calls](const QVariantList &, int) { ++calls; });
    QCOMPARE(calls, 0);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*no such column.*"));
    QVERIFY(connection.select(broken).isEmpty());
    QCOMPARE(errors.count(), 2);
    QCOMPARE(errorAt(errors, 0), DatabaseConnectionError::EXECUTION_FAILED);
    QCOMPARE(errorAt(errors, 1), DatabaseConnectionError::EXECUTION_FAILED);

    SqlQuery update;
    update.update("chamber").set("chamber_name", "Changed").where("id").equals(1);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("The statement .* yields no result"));
    QVERIFY(connection.select(update).isEmpty());
    QCOMPARE(errors.count(), 3);
    QCOMPARE(errorAt(errors, 2), DatabaseConnectionError::NO_RESULT);
}

void tst_SqliteConnection::tableExistsAndDatabaseVersion()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QVERIFY(connection.tableExists("chamber"));
    QVERIFY(!connection.tableExists("Chamber"));
    QVERIFY(!connection.tableExists("chamber'--"));
    QCOMPARE(connection.databaseVersion(), 17);

    SqliteConnection empty("empty");
    QVERIFY(empty.open(m_directory->filePath("empty.sqlite3"), QString(), QString(), DatabaseKey,
                       SqliteConnection::OpenMode::CreateIfMissing));
    QSignalSpy errors(&empty, &SqliteConnection::error);
    QCOMPARE(empty.databaseVersion(), 0);
    QCOMPARE(errors.count(), 0);
}

void tst_SqliteConnection::emptyAllTablesKeepsVersionAndForeignKeys()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
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
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QCOMPARE(connection.selectColumn(chamberNames()).size(), 2);
    connection.close();
    QSignalSpy errors(&connection, &SqliteConnection::error);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*not open"));
    QCOMPARE(connection.execute(*insertChamber(3, "Gamma")), qMakePair(false, quint64(0)));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*not open"));
    QVERIFY(connection.selectColumn(chamberNames()).isEmpty());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not begin the transaction.*"));
    QVERIFY(!connection.executeTransaction({}));
    QCOMPARE(errors.count(), 3);
    QCOMPARE(errorAt(errors, 0), DatabaseConnectionError::PREPARE_FAILED);
    QCOMPARE(errorAt(errors, 1), DatabaseConnectionError::EXECUTION_FAILED);
    QCOMPARE(errorAt(errors, 2), DatabaseConnectionError::EXECUTION_FAILED);
}

void tst_SqliteConnection::preparedStatementsFollowTheDatabase()
{
    const QString first = createFixture("first.sqlite3");
    const QString second = m_directory->filePath("second.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(
                 second, "CREATE TABLE chamber (id INTEGER PRIMARY KEY, chamber_name TEXT);\n"
                         "INSERT INTO chamber VALUES (1, 'Other');\n"),
             QString());

    SqliteConnection connection("data");
    QVERIFY(connection.open(first, QString(), QString(), DatabaseKey));
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
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));

    QVariantList seen;
    QList<QVariantList> kept;
    connection.selectEach(chamberNames(), [&](const QVariantList &row, int index) {
        kept.append(row);
        // The same statement again, while the outer one is still running.
        seen.append(connection.selectColumn(chamberNames()).value(index));
        SqlQuery rename;
        rename.update("room_chamber_position").set("room_id", 30 + index).where("chamber_id").equals(index + 1);
        QVERIFY(connection.execute(rename).first);
    });
    QCOMPARE(kept, (QList<QVariantList>{{"Alpha"}, {"Beta"}}));
    QCOMPARE(seen, (QVariantList{"Alpha", "Beta"}));
    SqlQuery rooms;
    rooms.select("room_id").from("room_chamber_position").orderBy("chamber_id");
    QCOMPARE(connection.selectColumn(rooms), (QVariantList{30, 31}));
}

void tst_SqliteConnection::workerThreadsShareTheConnection()
{
    SqliteConnection connection("data");
    QVERIFY(connection.open(createFixture(), QString(), QString(), DatabaseKey));
    QSignalSpy errors(&connection, &SqliteConnection::error);

    constexpr int Threads = 4;
    constexpr int RowsPerThread = 50;
    std::vector<std::thread> workers;
    QAtomicInt readFailures;
    for (int thread = 0; thread < Threads; ++thread) {
        workers.emplace_back([&connection, &readFailures, thread] {
            for (int row = 0; row < RowsPerThread; ++row) {
                const int id = 100 + thread * RowsPerThread + row;
                if (!connection.execute(*insertChamber(id, QStringLiteral("worker"))).first)
                    readFailures.ref();
                if (connection.selectColumn(chamberNames()).size() < 3)
                    readFailures.ref();
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();

    QCOMPARE(readFailures.loadRelaxed(), 0);
    QCOMPARE(connection.selectColumn(chamberNames()).size(), 2 + Threads * RowsPerThread);
    QCOMPARE(errors.count(), 0);
}

QTEST_GUILESS_MAIN(tst_SqliteConnection)

#include "tst_sqliteconnection.moc"
