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
// asked; it counts every statement, which the frame must never run.
class TableListConnection : public ISqlConnection
{
public:
    explicit TableListConnection(const QSet<QString> &tables = {})
        : m_tables(tables)
    {
    }

    bool open(const QString &, const QString &, const QString &, const QString &, OpenMode) override { return true; }
    void close() override {}
    QPair<bool, quint64> execute(const ISqlQuery &) override { return counted<QPair<bool, quint64>>(); }
    bool executeTransaction(const QList<QSharedPointer<ISqlQuery>> &) override { return counted<bool>(); }
    QList<Row> select(const ISqlQuery &) override { return counted<QList<Row>>(); }
    void selectEach(const ISqlQuery &, const RowFunction &) override { counted<bool>(); }
    QList<QVariant> selectColumn(const ISqlQuery &) override { return counted<QList<QVariant>>(); }
    Row selectRow(const ISqlQuery &) override { return counted<Row>(); }
    QVariant selectValue(const ISqlQuery &) override { return counted<QVariant>(); }
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
    template<typename Result>
    Result counted()
    {
        ++statements;
        return Result();
    }

    const QSet<QString> m_tables;
};

// Two dependencies, as other stores are for the real ones.
struct IFirstStore
{
    virtual ~IFirstStore() = default;
};
struct ISecondStore
{
    virtual ~ISecondStore() = default;
};
struct FirstStore : IFirstStore
{
};
struct SecondStore : ISecondStore
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

QList<DatabaseConnectionError> errorsOf(const QSignalSpy &spy)
{
    QList<DatabaseConnectionError> errors;
    for (const QList<QVariant> &arguments : spy)
        errors.append(arguments.at(0).value<DatabaseConnectionError>());
    return errors;
}

} // namespace

Q_DECLARE_METATYPE(QList<DatabaseConnectionError>)

class tst_SqlStoreFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void isReadyOnlyWithEveryPointer();
    void checkTables_stopsAtFirstMissingTable_data();
    void checkTables_stopsAtFirstMissingTable();
};

void tst_SqlStoreFrame::initTestCase()
{
    qRegisterMetaType<DatabaseConnectionError>();
}

void tst_SqlStoreFrame::isReadyOnlyWithEveryPointer()
{
    TableListConnection connection;
    FirstStore first;
    SecondStore second;
    TestStore store;
    QSignalSpy errors(&store, &TestStore::error);

    QVERIFY(!store.setConnections(nullptr, &first, &second));
    QVERIFY(!store.setConnections(&connection, nullptr, &second));
    QVERIFY(!store.setConnections(&connection, &first, nullptr));
    QVERIFY(!store.frame.ensureReady());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{quelta::domain::types::NOT_INITIALIZED});

    QVERIFY(store.setConnections(&connection, &first, &second));
    QVERIFY(store.frame.ensureReady());
    QCOMPARE(store.frame.connection(), &connection);
    QCOMPARE(store.frame.dependency<IFirstStore>(), &first);
    QCOMPARE(store.frame.dependency<ISecondStore>(), &second);
    QCOMPARE(errors.count(), 1);

    // A later call replaces what was stored, null included.
    QVERIFY(!store.setConnections(nullptr, &first, &second));
    QCOMPARE(store.frame.connection(), nullptr);
    QCOMPARE(connection.statements, 0);
}

void tst_SqlStoreFrame::checkTables_stopsAtFirstMissingTable_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<int>("report");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QList<DatabaseConnectionError>>("errors");

    using quelta::domain::types::MISSING_TABLE;
    const QStringList all{"one", "two", "three", "four"};
    const int reported = int(MissingTableReport::EmitError);
    const QStringList third{"one", "two", "three"};
    QTest::newRow("all present") << true << all << reported << true << all << QList<DatabaseConnectionError>();
    QTest::newRow("third missing, reported") << true << QStringList{"one", "two", "four"} << reported << false
                                             << third << QList<DatabaseConnectionError>{MISSING_TABLE};
    QTest::newRow("third missing, silent") << true << QStringList{"one", "two", "four"}
                                           << int(MissingTableReport::Silent) << false << third
                                           << QList<DatabaseConnectionError>();
    QTest::newRow("not connected") << false << all << reported << false << QStringList()
                                   << QList<DatabaseConnectionError>{quelta::domain::types::NOT_INITIALIZED};
}

void tst_SqlStoreFrame::checkTables_stopsAtFirstMissingTable()
{
    QFETCH(bool, connected);
    QFETCH(QStringList, present);
    QFETCH(int, report);
    QFETCH(bool, result);
    QFETCH(QStringList, asked);
    QFETCH(QList<DatabaseConnectionError>, errors);

    TableListConnection connection(QSet<QString>(present.cbegin(), present.cend()));
    FirstStore first;
    SecondStore second;
    TestStore store;
    if (connected)
        store.setConnections(&connection, &first, &second);
    QSignalSpy spy(&store, &TestStore::error);

    QCOMPARE(store.frame.checkTables({"one", "two", "three", "four"}, MissingTableReport(report)), result);
    QCOMPARE(connection.asked, asked);
    QCOMPARE(errorsOf(spy), errors);
    QCOMPARE(connection.statements, 0);
}

QTEST_GUILESS_MAIN(tst_SqlStoreFrame)
#include "tst_sqlstoreframe.moc"
