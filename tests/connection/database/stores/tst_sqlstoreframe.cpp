#include "connection/database/stores/sqlstoreframe.h"

#include "connection/database/core/sqliteconnection.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlConnection;
using namespace quelta::domain::types;

namespace {

// Two dependencies, standing in for other stores.
struct FirstStore
{
};
struct SecondStore
{
};

// A store with two dependencies, shaped as the real stores are.
class TestStore : public QObject
{
    Q_OBJECT

public:
    bool setConnections(ISqlConnection *connection, FirstStore *first, SecondStore *second)
    {
        frame.setConnections(connection, first, second);
        return isInitialized();
    }
    bool isInitialized() const { return frame.isComplete(); }

    SqlStoreFrame<TestStore, FirstStore, SecondStore> frame{this};

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error);
};

QList<DatabaseConnectionError> errorsOf(const QSignalSpy &spy)
{
    QList<DatabaseConnectionError> errors;
    for (const QList<QVariant> &arguments : spy)
        errors.append(arguments.at(0).value<DatabaseConnectionError>());
    return errors;
}

} // namespace

class tst_SqlStoreFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void isReadyOnlyWithEveryPointer();
    void checkTables_stopsAtTheFirstMissingTable();

private:
    QTemporaryDir m_directory;
    // Holds the tables "one" and "two".
    QString m_path;
    FirstStore m_first;
    SecondStore m_second;
};

void tst_SqlStoreFrame::initTestCase()
{
    qRegisterMetaType<DatabaseConnectionError>();
    m_path = m_directory.filePath("tables.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(m_path, "CREATE TABLE one (x); CREATE TABLE two (x);"), QString());
}

void tst_SqlStoreFrame::isReadyOnlyWithEveryPointer()
{
    SqliteConnection connection("storeFrame");
    QVERIFY(connection.open(m_path, QString(), QString(), DatabaseKey));
    TestStore store;
    QSignalSpy errors(&store, &TestStore::error);

    QVERIFY(!store.setConnections(nullptr, &m_first, &m_second));
    QVERIFY(!store.setConnections(&connection, nullptr, &m_second));
    QVERIFY(!store.setConnections(&connection, &m_first, nullptr));
    QVERIFY(!store.frame.ensureReady());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{NOT_INITIALIZED});

    QVERIFY(store.setConnections(&connection, &m_first, &m_second));
    QVERIFY(store.frame.ensureReady());
    QCOMPARE(store.frame.dependency<SecondStore>(), &m_second);
    QCOMPARE(errors.count(), 1);
}

void tst_SqlStoreFrame::checkTables_stopsAtTheFirstMissingTable()
{
    SqliteConnection connection("storeFrame");
    QVERIFY(connection.open(m_path, QString(), QString(), DatabaseKey));
    TestStore store;
    store.setConnections(&connection, &m_first, &m_second);
    QSignalSpy errors(&store, &TestStore::error);

    QVERIFY(store.frame.checkTables({"one", "two"}, MissingTableReport::EmitError));
    QVERIFY(!store.frame.checkTables({"one", "three"}, MissingTableReport::Silent));
    QCOMPARE(errors.count(), 0);
    // Two tables missing, one report.
    QVERIFY(!store.frame.checkTables({"three", "one", "four"}, MissingTableReport::EmitError));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{MISSING_TABLE});
}

QTEST_GUILESS_MAIN(tst_SqlStoreFrame)
#include "tst_sqlstoreframe.moc"
