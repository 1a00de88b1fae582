#include "connection/database/stores/sqlstoreframe.h"

#include "connection/database/core/sqliteconnection.h"
#include "support/databaseerrors.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlConnection;
using namespace quelta::domain::types;
using quelta::test::errorsOf;

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

} // namespace

class tst_SqlStoreFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isReadyOnlyWithEveryPointer_thenChecksTablesInOrder();
};

void tst_SqlStoreFrame::isReadyOnlyWithEveryPointer_thenChecksTablesInOrder()
{
    qRegisterMetaType<DatabaseConnectionError>();
    QTemporaryDir directory;
    const QString path = directory.filePath("tables.sqlite3");
    QCOMPARE(quelta::test::createEncryptedDatabase(path, "CREATE TABLE one (x); CREATE TABLE two (x);"), QString());
    SqliteConnection connection("storeFrame");
    QVERIFY(connection.open(path, QString(), QString(), DatabaseKey));
    FirstStore first;
    SecondStore second;
    TestStore store;
    QSignalSpy errors(&store, &TestStore::error);

    QVERIFY(!store.setConnections(nullptr, &first, &second));
    QVERIFY(!store.setConnections(&connection, nullptr, &second));
    QVERIFY(!store.setConnections(&connection, &first, nullptr));
    QVERIFY(!store.frame.ensureReady());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{NOT_INITIALIZED});

    QVERIFY(store.setConnections(&connection, &first, &second));
    QVERIFY(store.frame.ensureReady());
    QCOMPARE(store.frame.dependency<SecondStore>(), &second);
    QVERIFY(store.frame.hasWidth({1, 2}, 2));
    QCOMPARE(store.frame.rowsOfWidth({{1}, {1, 2}, {}, {3, 4}}, 2), QList<QList<QVariant>>({{1, 2}, {3, 4}}));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>({NOT_INITIALIZED, UNEXPECTED_RESULT, UNEXPECTED_RESULT}));
    errors.clear();

    QVERIFY(store.frame.checkTables({"one", "two"}, MissingTableReport::EmitError));
    QVERIFY(!store.frame.checkTables({"one", "three"}, MissingTableReport::Silent));
    QCOMPARE(errors.count(), 0);
    // Two tables missing, one report.
    QVERIFY(!store.frame.checkTables({"three", "one", "four"}, MissingTableReport::EmitError));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{MISSING_TABLE});
}

QTEST_GUILESS_MAIN(tst_SqlStoreFrame)
#include "tst_sqlstoreframe.moc"
