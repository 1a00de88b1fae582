#include "connection/database/stores/sqlprotocoldatabaseconnection.h"

#include "domain/types/metatypes.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::errorsOf;
using Store = SqlProtocolDatabaseConnection;
using Range = QPair<QDateTime, QDateTime>;

namespace {

QDateTime at(int hour, int minute = 0)
{
    // An hour east of UTC, so that times must be compared as instants.
    return QDateTime(QDate(2024, 3, 1), QTime(hour, minute), Qt::OffsetFromUTC, 3600);
}

QStringList descriptionsOf(const QList<SystemLogEntry> &entries)
{
    QStringList descriptions;
    for (const SystemLogEntry &entry : entries)
        descriptions.append(entry.eventDescription());
    return descriptions;
}

} // namespace

class tst_SqlProtocolDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }
    void arguments_comeBackInOrder_data();
    void arguments_comeBackInOrder();
    void reads_areGuardedThenFilterByRangeLevelAndUser();
};

void tst_SqlProtocolDatabaseConnection::arguments_comeBackInOrder_data()
{
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QVariantList>("readBack");
    QVariantList ten;
    for (int number = 1; number <= 10; ++number)
        ten.append(number % 2 ? QVariant(number) : QVariant(QString("arg %1").arg(number)));
    QTest::newRow("none") << QVariantList() << QVariantList();
    QTest::newRow("three of mixed kinds") << QVariantList{"Oven 1", 42, 2.5} << QVariantList{"Oven 1", 42, 2.5};
    QTest::newRow("ten") << ten << ten;
    QTest::newRow("twelve keep their count") << ten + QVariantList{11, 12} << ten + QVariantList{QVariant(), QVariant()};
}

void tst_SqlProtocolDatabaseConnection::arguments_comeBackInOrder()
{
    QFETCH(QVariantList, arguments);
    QFETCH(QVariantList, readBack);
    quelta::test::DataStoreFixture database;
    Store store(false);
    QVERIFY(database.isValid() && store.setConnections(&database.connection()));
    QVERIFY(database.run("INSERT INTO application_user (id, login_name) VALUES (1, 'ann')"));
    if (arguments.size() > 10)
        QTest::ignoreMessage(QtWarningMsg, "Too many description arguments: 12 instead of 10");

    store.addLogEntry(SystemLogEntry(at(10), "Chamber %1 reached %2", arguments, 1, QString()));
    QCOMPARE(store.getUserLogEntries({}, 1),
             QList<SystemLogEntry>{SystemLogEntry(at(10), "Chamber %1 reached %2", readBack, 1, "ann")});
    QCOMPARE(database.value("SELECT num_args FROM log_entry").toInt(), arguments.size());

    // A corrupt count used to size the list as it stood.
    QVERIFY(database.run("UPDATE log_entry SET num_args = -5"));
    QCOMPARE(store.getUserLogEntries({}, 1).value(0).arguments(), QVariantList());
    QVERIFY(database.run("UPDATE log_entry SET num_args = 1000000000"));
    QCOMPARE(store.getUserLogEntries({}, 1).value(0).arguments().size(), 99);
}

void tst_SqlProtocolDatabaseConnection::reads_areGuardedThenFilterByRangeLevelAndUser()
{
    Store store(false);
    QSignalSpy errors(&store, &Store::error);
    store.addLogEntry(SystemLogEntry(at(10), "x", {}, 1, QString()));
    QVERIFY(store.getLogEntries({}, 0).isEmpty() && store.getUserLogEntries({}, 1).isEmpty());
    QVERIFY(!store.getLogEntryCount(1) && !store.initialize());
    QCOMPARE(errorsOf(errors), QVector<DatabaseConnectionError>(5, NOT_INITIALIZED).toList());

    quelta::test::DataStoreFixture database;
    Store folding(true);
    QVERIFY(database.isValid() && store.setConnections(&database.connection()));
    QVERIFY(folding.setConnections(&database.connection()));
    QVERIFY(database.run("INSERT INTO application_user (id, login_name, user_level, is_deleted) VALUES "
                         "(1, 'ann', 1, NULL), (2, 'bob', 2, 0), (3, 'carol', 3, 1)"));
    store.addLogEntry(SystemLogEntry(at(12), "ann", {}, 1, QString()));
    store.addLogEntry(SystemLogEntry(at(10), "bob", {}, 2, QString()));
    store.addLogEntry(SystemLogEntry(at(9), "nobody", {}, 0, QString()));
    store.addLogEntry(SystemLogEntry(at(11), "carol", {}, 3, QString()));
    QCOMPARE(database.value("SELECT typeof(user_id) FROM log_entry WHERE event_description = 'nobody'"), "null");

    const QList<SystemLogEntry> all = store.getLogEntries({}, 0);
    QCOMPARE(descriptionsOf(all), QStringList({"bob", "carol", "ann"}));
    QCOMPARE(all.at(1).userName(), "carol (deleted)");
    QCOMPARE(all.at(0).creationTime().timeSpec(), Qt::LocalTime);
    QCOMPARE(descriptionsOf(store.getLogEntries({at(11), QDateTime()}, 0)), QStringList({"carol", "ann"}));
    QCOMPARE(descriptionsOf(store.getLogEntries({QDateTime(), at(11)}, 0)), QStringList({"bob", "carol"}));
    QCOMPARE(descriptionsOf(store.getLogEntries({at(10, 30), at(12)}, 0)), QStringList({"carol", "ann"}));
    QCOMPARE(descriptionsOf(store.getLogEntries({}, 1)), QStringList({"ann"}));
    QCOMPARE(descriptionsOf(store.getLogEntries({at(10, 30), QDateTime()}, 2)), QStringList({"ann"}));
    QCOMPARE(descriptionsOf(folding.getLogEntries({}, 1)), QStringList({"bob", "ann"}));
    QCOMPARE(descriptionsOf(store.getUserLogEntries({at(11), QDateTime()}, 2)), QStringList());
    QCOMPARE(descriptionsOf(store.getUserLogEntries({at(11), QDateTime()}, 3)), QStringList({"carol"}));
    QVERIFY(store.getLogEntryCount(3) && !store.getLogEntryCount(4));
}

QTEST_GUILESS_MAIN(tst_SqlProtocolDatabaseConnection)
#include "tst_sqlprotocoldatabaseconnection.moc"
