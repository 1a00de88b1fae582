#include "connection/database/stores/sqlaccessdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "domain/types/metatypes.h"
#include "support/datastorefixture.h"

#include <QtCore/QRegularExpression>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;

class tst_SqlAccessDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void requiredLevel_restrictsWhenTheTableCannotSay_data();
    void requiredLevel_restrictsWhenTheTableCannotSay();
    void allowedActivities_onlyValidRowsAtOrBelowTheLevel();

private:
    void insertRows(const QString &rows)
    {
        const QString statement = "INSERT INTO activity_access (component_id, activity_id, min_user_level) VALUES ";
        QVERIFY(m_database->run(statement + rows));
    }

    std::unique_ptr<quelta::test::DataStoreFixture> m_database;
    SqlAccessDatabaseConnection m_store;
};

void tst_SqlAccessDatabaseConnection::init()
{
    registerMetaTypes();
    m_database = std::make_unique<quelta::test::DataStoreFixture>();
    QVERIFY(m_database->isValid());
    QVERIFY(m_store.setConnections(&m_database->connection()));
}

void tst_SqlAccessDatabaseConnection::requiredLevel_restrictsWhenTheTableCannotSay_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<int>("level");
    QTest::addColumn<QList<int>>("storeErrors");
    QTest::newRow("listed") << "(1, 7, 3), (1, 8, 6)" << 3 << QList<int>();
    QTest::newRow("not listed") << "(1, 8, 6), (2, 7, 6)" << 0 << QList<int>();
    // These used to answer 0, opening the action to every user.
    QTest::newRow("listed twice") << "(1, 7, 3), (1, 7, 3)" << 5 << QList<int>{UNEXPECTED_RESULT};
    QTest::newRow("not a number") << "(1, 7, 'high')" << 5 << QList<int>{UNEXPECTED_RESULT};
    QTest::newRow("NULL") << "(1, 7, NULL)" << 5 << QList<int>{UNEXPECTED_RESULT};
    QTest::newRow("negative") << "(1, 7, -1)" << 5 << QList<int>{UNEXPECTED_RESULT};
    QTest::newRow("no table") << "DROP" << 5 << QList<int>{MISSING_TABLE};
    QTest::newRow("not connected") << QString() << 5 << QList<int>{NOT_INITIALIZED, NOT_INITIALIZED};
}

void tst_SqlAccessDatabaseConnection::requiredLevel_restrictsWhenTheTableCannotSay()
{
    QFETCH(QString, rows);
    QFETCH(int, level);
    QFETCH(QList<int>, storeErrors);
    if (rows == "DROP") {
        QVERIFY(m_database->run("DROP TABLE activity_access"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
    } else if (rows.isEmpty()) {
        QVERIFY(!m_store.setConnections(nullptr));
    } else {
        insertRows(rows);
    }
    QSignalSpy errors(&m_store, &SqlAccessDatabaseConnection::error);
    QCOMPARE(m_store.initialize(), !rows.isEmpty() && rows != "DROP");
    QCOMPARE(int(m_store.getRequiredUserLevel(ActivityId(ActivityId::CHAMBER_MANAGEMENT, 7))), level);
    QList<int> emitted;
    for (const QList<QVariant> &arguments : errors)
        emitted.append(arguments.at(0).value<DatabaseConnectionError>());
    QCOMPARE(emitted, storeErrors);
}

void tst_SqlAccessDatabaseConnection::allowedActivities_onlyValidRowsAtOrBelowTheLevel()
{
    // Unknown components, activity 0 and activities beyond 16 bits (65537
    // would name activity 1 if cut) are never allowed.
    insertRows("(1, 1, 1), (255, 65535, 0), (1, 2, 4), (12, 3, 6), (1, 65537, 1), (99, 1, 1), (1, 0, 1), "
               "(NULL, 1, 1), (1, 'x', 1), (1, -1, 1)");
    const ActivityId first(ActivityId::CHAMBER_MANAGEMENT, 1);
    const ActivityId gui(ActivityId::GUI, 65535);
    QCOMPARE(m_store.getAllowedActivities(UserLevel::BASIC), (QList<ActivityId>{first, gui}));
    QCOMPARE(m_store.getAllowedActivities(UserLevel::SUPERUSER),
             (QList<ActivityId>{first, gui, {ActivityId::CHAMBER_MANAGEMENT, 2}, {ActivityId::COMPONENT_12, 3}}));
    QVERIFY(!m_store.setConnections(nullptr));
    QVERIFY(m_store.getAllowedActivities(UserLevel::SUPERUSER).isEmpty());
}

QTEST_GUILESS_MAIN(tst_SqlAccessDatabaseConnection)
#include "tst_sqlaccessdatabaseconnection.moc"
