#include "connection/database/stores/sqlstoreframe.h"

#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QSet>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using quelta::domain::api::ISqlConnection;
using quelta::domain::api::ISqlQuery;
using quelta::domain::types::DatabaseConnectionError;

namespace {

// Answers the table test from a set of table names and records what was
// asked; every statement would fail the test.
class TableListConnection : public ISqlConnection
{
public:
    explicit TableListConnection(const QSet<QString> &tables)
        : m_tables(tables)
    {
    }

    bool open(const QString &, const QString &, const QString &, const QString &, OpenMode) override
    {
        return true;
    }
    void close() override {}
    QPair<bool, quint64> execute(const ISqlQuery &) override { return fail(); }
    bool executeTransaction(const QList<QSharedPointer<ISqlQuery>> &) override { return fail().first; }
    QList<Row> select(const ISqlQuery &) override
    {
        fail();
        return {};
    }
    void selectEach(const ISqlQuery &, const RowFunction &) override { fail(); }
    QList<QVariant> selectColumn(const ISqlQuery &) override
    {
        fail();
        return {};
    }
    Row selectRow(const ISqlQuery &) override
    {
        fail();
        return {};
    }
    QVariant selectValue(const ISqlQuery &) override
    {
        fail();
        return {};
    }
    bool tableExists(const QString &table) override
    {
        asked.append(table);
        return m_tables.contains(table);
    }
    int databaseVersion() override { return 0; }
    void emptyAllTables() override {}

    QStringList asked;
    int statements = 0;

private:
    QPair<bool, quint64> fail()
    {
        ++statements;
        return {false, 0};
    }

    const QSet<QString> m_tables;
};

class IFirstStore
{
public:
    virtual ~IFirstStore() = default;
};

class ISecondStore
{
public:
    virtual ~ISecondStore() = default;
};

class FirstStore : public IFirstStore
{
};

class SecondStore : public ISecondStore
{
};

// A store with two dependencies, shaped as the real stores are.
class TestStore : public QObject
{
    Q_OBJECT

public:
    bool setConnections(ISqlConnection *connection, IFirstStore *first, ISecondStore *second)
    {
        frame.setConnections(connection, first, second);
        return isInitialized();
    }
    bool isInitialized() const { return frame.isComplete(); }

    SqlStoreFrame<TestStore, IFirstStore, ISecondStore> frame{this};

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error);
};

} // namespace

class tst_SqlStoreFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void setConnections_isReadyOnlyWithEveryPointer();
    void guard_emitsNotInitializedOnceWhenNotReady();
    void checkTables_stopsAtFirstMissingTable_data();
    void checkTables_stopsAtFirstMissingTable();
    void checkTables_beforeSetConnections_asksNothing();
};

void tst_SqlStoreFrame::initTestCase()
{
    qRegisterMetaType<DatabaseConnectionError>();
}

void tst_SqlStoreFrame::setConnections_isReadyOnlyWithEveryPointer()
{
    TableListConnection connection({});
    FirstStore first;
    SecondStore second;
    TestStore store;
    QVERIFY(!store.isInitialized());
    QCOMPARE(store.frame.connection(), nullptr);

    QVERIFY(!store.setConnections(nullptr, &first, &second));
    QVERIFY(!store.setConnections(&connection, nullptr, &second));
    QVERIFY(!store.setConnections(&connection, &first, nullptr));
    QVERIFY(store.setConnections(&connection, &first, &second));
    QCOMPARE(store.frame.connection(), &connection);
    QCOMPARE(store.frame.dependency<IFirstStore>(), &first);
    QCOMPARE(store.frame.dependency<ISecondStore>(), &second);

    // A later call replaces what was stored, null included.
    QVERIFY(!store.setConnections(nullptr, &first, &second));
    QVERIFY(!store.isInitialized());
    QCOMPARE(store.frame.connection(), nullptr);
}

void tst_SqlStoreFrame::guard_emitsNotInitializedOnceWhenNotReady()
{
    TableListConnection connection({});
    FirstStore first;
    SecondStore second;
    TestStore store;
    store.setConnections(&connection, &first, nullptr);
    QSignalSpy errors(&store, &TestStore::error);

    QVERIFY(!store.frame.ensureReady());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<DatabaseConnectionError>(), quelta::domain::types::NOT_INITIALIZED);

    store.setConnections(&connection, &first, &second);
    QVERIFY(store.frame.ensureReady());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(connection.statements, 0);
}

void tst_SqlStoreFrame::checkTables_stopsAtFirstMissingTable_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<int>("report");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<int>("missingTableErrors");

    const QStringList all{"one", "two", "three", "four"};
    QTest::newRow("all present") << all << int(MissingTableReport::EmitError) << true << all << 0;
    QTest::newRow("third missing, reported")
        << QStringList{"one", "two", "four"} << int(MissingTableReport::EmitError) << false
        << QStringList{"one", "two", "three"} << 1;
    QTest::newRow("third missing, silent")
        << QStringList{"one", "two", "four"} << int(MissingTableReport::Silent) << false
        << QStringList{"one", "two", "three"} << 0;
    QTest::newRow("first missing") << QStringList{"two", "three", "four"} << int(MissingTableReport::EmitError)
                                   << false << QStringList{"one"} << 1;
    QTest::newRow("names are case-sensitive")
        << QStringList{"One", "two", "three", "four"} << int(MissingTableReport::EmitError) << false
        << QStringList{"one"} << 1;
}

void tst_SqlStoreFrame::checkTables_stopsAtFirstMissingTable()
{
    QFETCH(QStringList, present);
    QFETCH(int, report);
    QFETCH(bool, result);
    QFETCH(QStringList, asked);
    QFETCH(int, missingTableErrors);

    TableListConnection connection(QSet<QString>(present.cbegin(), present.cend()));
    FirstStore first;
    SecondStore second;
    TestStore store;
    store.setConnections(&connection, &first, &second);
    QSignalSpy errors(&store, &TestStore::error);

    QCOMPARE(store.frame.checkTables({"one", "two", "three", "four"}, MissingTableReport(report)), result);
    QCOMPARE(connection.asked, asked);
    QCOMPARE(errors.count(), missingTableErrors);
    for (const QList<QVariant> &arguments : qAsConst(errors))
        QCOMPARE(arguments.at(0).value<DatabaseConnectionError>(), quelta::domain::types::MISSING_TABLE);
    QCOMPARE(connection.statements, 0);
}

void tst_SqlStoreFrame::checkTables_beforeSetConnections_asksNothing()
{
    TestStore store;
    QSignalSpy errors(&store, &TestStore::error);

    QVERIFY(!store.frame.checkTables({"one"}, MissingTableReport::EmitError));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).value<DatabaseConnectionError>(), quelta::domain::types::NOT_INITIALIZED);
}

QTEST_GUILESS_MAIN(tst_SqlStoreFrame)
#include "tst_sqlstoreframe.moc"
