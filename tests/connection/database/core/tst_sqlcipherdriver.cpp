#include "connection/database/core/databasekey.h"
#include "connection/database/core/sqlcipherdriver.h"

#include <QtCore/QDateTime>
#include <QtCore/QPoint>
#include <QtCore/QTemporaryDir>
#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlError>
#include <QtSql/QSqlQuery>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;

// The driver as any Qt SQL user meets it: through QSqlDatabase and QSqlQuery,
// on real encrypted files.
class tst_SqlCipherDriver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void refusesBadOpenRequests_data();
    void refusesBadOpenRequests();
    void refusesSecondStatements_data();
    void refusesSecondStatements();
    void checksTheParameterCount_data();
    void checksTheParameterCount();
    void valuesRoundTripByType_data();
    void valuesRoundTripByType();
    void reportsTheRowsAffected();
    void queriesMoveThroughTheirRows();
    void closeReleasesRunningStatements();
    void queryOutlivingItsDriverFailsCleanly();

private:
    QSqlDatabase openDatabase(const QString &name, const QString &options = QString());

    QScopedPointer<QTemporaryDir> m_directory;
    QString m_path;
    QSqlDatabase m_database;
};

void tst_SqlCipherDriver::initTestCase()
{
    registerSqlCipherDriver();
    QVERIFY(QSqlDatabase::isDriverAvailable(SqlCipherDriver::driverName()));
}

void tst_SqlCipherDriver::init()
{
    m_directory.reset(new QTemporaryDir);
    QVERIFY(m_directory->isValid());
    m_path = m_directory->filePath("driver.sqlite3");
    m_database = openDatabase("driver", "QSQLCIPHER_CREATE_IF_MISSING");
    QVERIFY(m_database.isOpen());
    QSqlQuery query(m_database);
    QVERIFY(query.exec("CREATE TABLE item (id INTEGER PRIMARY KEY, name TEXT, value)"));
}

void tst_SqlCipherDriver::cleanup()
{
    m_database.close();
    m_database = QSqlDatabase();
    for (const QString &name : QSqlDatabase::connectionNames())
        QSqlDatabase::removeDatabase(name);
    m_directory.reset();
}

QSqlDatabase tst_SqlCipherDriver::openDatabase(const QString &name, const QString &options)
{
    QSqlDatabase database = QSqlDatabase::addDatabase(SqlCipherDriver::driverName(), name);
    database.setDatabaseName(m_path);
    database.setConnectOptions(options);
    if (database.open()) {
        QSqlQuery key(database);
        key.exec(QStringLiteral("PRAGMA key = '%1';").arg(DatabaseKey));
    }
    return database;
}

void tst_SqlCipherDriver::refusesBadOpenRequests_data()
{
    QTest::addColumn<QString>("options");

    // Only QSQLCIPHER_CREATE_IF_MISSING, as init() gives it, creates a missing file.
    QTest::newRow("missing file") << QString();
    QTest::newRow("unknown option") << "QSQLCIPHER_CREATE_IF_MISSING;QSQLITE_OPEN_URI";
    QTest::newRow("busy timeout not a number") << "QSQLCIPHER_BUSY_TIMEOUT=soon";
}

void tst_SqlCipherDriver::refusesBadOpenRequests()
{
    QFETCH(QString, options);

    QSqlDatabase database = QSqlDatabase::addDatabase(SqlCipherDriver::driverName(), "refused");
    database.setDatabaseName(m_directory->filePath("x.sqlite3"));
    database.setConnectOptions(options);

    QVERIFY(!database.open());
    QCOMPARE(database.lastError().type(), QSqlError::ConnectionError);
    QCOMPARE(QDir(m_directory->path()).entryList(QDir::Files), QStringList{"driver.sqlite3"});
}

void tst_SqlCipherDriver::refusesSecondStatements_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("closing semicolon") << "SELECT 1;" << true;
    QTest::newRow("trailing blank and comment") << "SELECT 1;  \n\t-- done" << true;
    QTest::newRow("second statement") << "SELECT 1; DELETE FROM item" << false;
    QTest::newRow("second statement that does not parse") << "SELECT 1; nonsense" << false;
}

void tst_SqlCipherDriver::refusesSecondStatements()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);

    QSqlQuery query(m_database);
    QCOMPARE(query.prepare(text), accepted);
    if (!accepted) {
        QCOMPARE(query.lastError().driverText(),
                 QString("Unable to execute multiple statements at a time"));
        QCOMPARE(query.lastError().type(), QSqlError::StatementError);
    }
}

void tst_SqlCipherDriver::checksTheParameterCount_data()
{
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("too few") << QVariantList{1} << false;
    QTest::newRow("exact") << QVariantList{1, "one"} << true;
    QTest::newRow("too many") << QVariantList{1, "one", 2} << false;
}

void tst_SqlCipherDriver::checksTheParameterCount()
{
    QFETCH(QVariantList, values);
    QFETCH(bool, accepted);

    QSqlQuery query(m_database);
    QVERIFY(query.prepare("INSERT INTO item (id, name) VALUES (?, ?)"));
    for (const QVariant &value : values)
        query.addBindValue(value);
    QCOMPARE(query.exec(), accepted);
    if (!accepted)
        QCOMPARE(query.lastError().driverText(), QString("Parameter count mismatch"));

    QSqlQuery count(m_database);
    QVERIFY(count.exec("SELECT count(*) FROM item"));
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), accepted ? 1 : 0);
}

void tst_SqlCipherDriver::valuesRoundTripByType_data()
{
    QTest::addColumn<QVariant>("bound");
    QTest::addColumn<QVariant>("read");
    QTest::addColumn<QString>("storage");

    const qint64 aboveInt32 = qint64(1) << 40;
    const QDateTime utc(QDate(2024, 3, 1), QTime(8, 5, 3, 7), Qt::UTC);
    const QDateTime local(QDate(2024, 7, 1), QTime(12, 0), Qt::LocalTime);

    QTest::newRow("invalid is NULL") << QVariant() << QVariant(QString()) << "null";
    QTest::newRow("null text is NULL") << QVariant(QString()) << QVariant(QString()) << "null";
    QTest::newRow("empty text stays text") << QVariant(QString("")) << QVariant(QString("")) << "text";
    QTest::newRow("text") << QVariant(QString("Prüfkammer €")) << QVariant(QString("Prüfkammer €"))
                          << "text";
    QTest::newRow("int") << QVariant(-42) << QVariant(qint64(-42)) << "integer";
    QTest::newRow("uint above 2^31") << QVariant(3000000000u) << QVariant(qint64(3000000000))
                                     << "integer";
    QTest::newRow("qint64 above 2^32") << QVariant(aboveInt32) << QVariant(aboveInt32) << "integer";
    QTest::newRow("quint64 above 2^32") << QVariant(quint64(aboveInt32)) << QVariant(aboveInt32)
                                        << "integer";
    QTest::newRow("bool") << QVariant(true) << QVariant(qint64(1)) << "integer";
    QTest::newRow("double") << QVariant(2.5) << QVariant(2.5) << "real";
    QTest::newRow("float") << QVariant(1.25f) << QVariant(1.25) << "real";
    QTest::newRow("blob with zero bytes") << QVariant(QByteArray("a\0b", 3))
                                          << QVariant(QByteArray("a\0b", 3)) << "blob";
    // Date-times are written in UTC with every field at its full width, so
    // that their text order is their order in time.
    QTest::newRow("UTC date-time") << QVariant(utc) << QVariant(QString("2024-03-01T08:05:03.007Z")) << "text";
    QTest::newRow("date-time with an offset")
        << QVariant(QDateTime(QDate(2024, 3, 1), QTime(1, 30), Qt::OffsetFromUTC, 3 * 3600))
        << QVariant(QString("2024-02-29T22:30:00.000Z")) << "text";
    QTest::newRow("local date-time")
        << QVariant(local) << QVariant(local.toUTC().toString(Qt::ISODateWithMs)) << "text";
    QTest::newRow("invalid date-time is NULL") << QVariant(QDateTime()) << QVariant(QString())
                                               << "null";
    QTest::newRow("date") << QVariant(QDate(2024, 3, 1)) << QVariant(QString("2024-03-01")) << "text";
    QTest::newRow("time") << QVariant(QTime(7, 5, 3, 20)) << QVariant(QString("07:05:03.020"))
                          << "text";
    QTest::newRow("other types as text") << QVariant(QUrl("file:///x")) << QVariant(QString("file:///x"))
                                         << "text";
    QTest::newRow("value without a text form fails") << QVariant(QPoint(1, 2)) << QVariant() << QString();
}

void tst_SqlCipherDriver::valuesRoundTripByType()
{
    QFETCH(QVariant, bound);
    QFETCH(QVariant, read);
    QFETCH(QString, storage);

    QSqlQuery insert(m_database);
    QVERIFY(insert.prepare("INSERT INTO item (value) VALUES (?)"));
    insert.addBindValue(bound);
    if (storage.isEmpty()) {
        QVERIFY(!insert.exec());
        QCOMPARE(insert.lastError().type(), QSqlError::StatementError);
        QVERIFY(insert.lastError().databaseText().contains(bound.typeName()));
        return;
    }
    QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));

    QSqlQuery select(m_database);
    QVERIFY(select.exec("SELECT value, typeof(value) FROM item"));
    QVERIFY(select.next());
    const QVariant value = select.value(0);
    QCOMPARE(value.userType(), read.userType());
    QCOMPARE(value, read);
    QCOMPARE(value.isNull(), read.isNull());
    QCOMPARE(select.isNull(0), storage == "null");
    QCOMPARE(select.value(1).toString(), storage);
}

void tst_SqlCipherDriver::reportsTheRowsAffected()
{
    QSqlQuery query(m_database);
    QVERIFY(query.exec("INSERT INTO item (name) VALUES ('a'), ('b'), ('c')"));
    QCOMPARE(query.numRowsAffected(), 3);
    // A statement that changes no row must not repeat the count of the last one.
    QVERIFY(query.exec("CREATE TABLE other (x)"));
    QCOMPARE(query.numRowsAffected(), 0);
}

void tst_SqlCipherDriver::queriesMoveThroughTheirRows()
{
    QSqlQuery insert(m_database);
    QVERIFY(insert.exec("INSERT INTO item (name) VALUES ('a'), ('b'), ('c'), ('d')"));
    const auto name = [](const QSqlQuery &query) { return query.value(0).toString(); };

    QSqlQuery scrollable(m_database);
    QVERIFY(scrollable.exec("SELECT name FROM item ORDER BY id"));
    QVERIFY(scrollable.last());
    QCOMPARE(name(scrollable), QString("d"));
    QVERIFY(scrollable.seek(1));
    QCOMPARE(name(scrollable), QString("b"));
    QVERIFY(scrollable.previous());
    QCOMPARE(name(scrollable), QString("a"));
    QVERIFY(!scrollable.seek(4));

    // Forward only, the last row is still readable after the statement ran out.
    QSqlQuery forward(m_database);
    forward.setForwardOnly(true);
    QVERIFY(forward.exec("SELECT name FROM item ORDER BY id"));
    QVERIFY(forward.next());
    QVERIFY(forward.last());
    QCOMPARE(forward.at(), 3);
    QCOMPARE(name(forward), QString("d"));
    QVERIFY(!forward.next());
}

void tst_SqlCipherDriver::closeReleasesRunningStatements()
{
    QSqlQuery insert(m_database);
    QVERIFY(insert.exec("INSERT INTO item (name) VALUES ('a'), ('b')"));

    QSqlQuery running(m_database);
    running.setForwardOnly(true);
    QVERIFY(running.exec("SELECT name FROM item"));
    QVERIFY(running.next());

    m_database.close();
    QVERIFY(!running.next());

    // A statement that was left running would still hold its read lock; a
    // second connection that does not wait could then not write.
    QSqlDatabase writer = openDatabase("writer", "QSQLCIPHER_BUSY_TIMEOUT=0");
    QVERIFY(writer.isOpen());
    QSqlQuery write(writer);
    QVERIFY2(write.exec("DELETE FROM item"), qPrintable(write.lastError().text()));
}

void tst_SqlCipherDriver::queryOutlivingItsDriverFailsCleanly()
{
    QSqlQuery survivor(m_database);
    QVERIFY(survivor.prepare("SELECT name FROM item"));

    // The last handle goes, and with it the driver.
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase("driver");

    QVERIFY(!survivor.exec());
}

QTEST_GUILESS_MAIN(tst_SqlCipherDriver)

#include "tst_sqlcipherdriver.moc"
