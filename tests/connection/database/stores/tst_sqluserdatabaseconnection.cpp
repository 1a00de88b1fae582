#include "connection/database/stores/sqluserdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"
#include "support/democatalogue.h"
#include "support/sqltext.h"

#include <QtCore/QRegularExpression>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::domain::api::IUserDatabaseConnection;
using D = quelta::test::DemoCatalogue;

namespace {

// Knows which users have entries; the user store asks nothing else.
class FakeEventLog : public quelta::domain::api::IProtocolDatabaseConnection
{
public:
    QSet<uint> namedUsers;

    void addLogEntry(const SystemLogEntry &) override {}
    QList<SystemLogEntry> getLogEntries(const QPair<QDateTime, QDateTime> &, int) override { return {}; }
    QList<SystemLogEntry> getUserLogEntries(const QPair<QDateTime, QDateTime> &, const uint &) override { return {}; }
    bool getLogEntryCount(const uint &userId) override { return namedUsers.contains(userId); }
    void error(DatabaseConnectionError) override {}
};

} // namespace

class tst_SqlUserDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void notReady_givesErrorZeroAndRunsNoStatement();
    void user_roundTripsWithPreferences_data();
    void user_roundTripsWithPreferences();
    void deleteUser_keepsOnlyWhatTheEventLogNeeds_data();
    void deleteUser_keepsOnlyWhatTheEventLogNeeds();
    void loginName_findsTheLiveHolderFirst();
    void visibleSignals_keepTheUsersOrder();
    void recordingConfig_insertsUpdatesAndReportsFailure();

private:
    void runSql(const QString &statement)
    {
        QVERIFY2(m_data->run(statement), qPrintable(statement));
    }

    std::unique_ptr<quelta::test::DataStoreFixture> m_data;
    SqlConfigurationDatabaseConnection m_configuration;
    FakeEventLog m_eventLog;
    std::unique_ptr<SqlUserDatabaseConnection> m_store;
};

// One file holds the catalogue and the users, as in this program.
void tst_SqlUserDatabaseConnection::init()
{
    registerMetaTypes();
    m_store.reset();
    m_data = std::make_unique<quelta::test::DataStoreFixture>(D::content());
    QVERIFY(m_data->isValid());
    QVERIFY(m_configuration.setConnections(&m_data->connection()));
    m_eventLog.namedUsers = {99};
    m_store = std::make_unique<SqlUserDatabaseConnection>(false);
    QVERIFY(m_store->setConnections(&m_data->connection(), &m_configuration, &m_eventLog));
}

// Without a connection any statement would crash. setRecordingConfig used to
// run its statements all the same; the others reach further stores.
void tst_SqlUserDatabaseConnection::notReady_givesErrorZeroAndRunsNoStatement()
{
    QCOMPARE(m_store->qt_metacast("IUserDatabaseConnection"),
             static_cast<void *>(static_cast<IUserDatabaseConnection *>(m_store.get())));
    SqlUserDatabaseConnection store(false);
    QVERIFY(!store.setConnections(nullptr, &m_configuration, &m_eventLog));
    QSignalSpy errors(&store, &SqlUserDatabaseConnection::error);
    QVERIFY(!store.setRecordingConfig(1, 1, "x"));
    QVERIFY(store.getVisibleSignals(1, 1).isEmpty());
    QVERIFY(!store.deleteUser(99));
    QVERIFY(store.getUsers().isEmpty());
    QCOMPARE(errors.count(), 4);
    for (const QList<QVariant> &arguments : errors)
        QCOMPARE(arguments.at(0).value<DatabaseConnectionError>(), NOT_INITIALIZED);
}

void tst_SqlUserDatabaseConnection::user_roundTripsWithPreferences_data()
{
    QTest::addColumn<UserData>("user");
    // An hour east of UTC: stored in UTC, read back as the same instant.
    const QDateTime created(QDate(2024, 3, 1), QTime(9, 30), Qt::OffsetFromUTC, 3600);
    QTest::newRow("every field, English preferences")
        << UserData(0, "anna", "anna@example.org", "Anna", "Berg", QByteArray("\x00\x01hash", 6), "salt", created,
                    created.addDays(90), true, 2, true, 3,
                    QSharedPointer<LocalePreferences>::create(3, QLocale::English, "h:mm AP", "M/d/yy", QChar('.'),
                                                              Unit::DegreeFahrenheit, Unit::RelativeHumidityRH));
    QTest::newRow("nothing else set, no preferences")
        << UserData(0, "bare", {}, {}, {}, {}, {}, {}, {}, false, -1, false, 1, {});
}

// The preferences are compared with both sets of their fields.
void tst_SqlUserDatabaseConnection::user_roundTripsWithPreferences()
{
    QFETCH(UserData, user);
    QVERIFY(m_store->addUser(user));
    QCOMPARE(*m_store->getUser(user.id()), user);
    QCOMPARE(*m_store->getUserByLoginName(user.loginName()), user);
    QCOMPARE(m_store->getUsers().size(), 1);
    QCOMPARE(m_store->getLoginNames(), QStringList{user.loginName()});

    user.setMailAddress("new@example.org");
    user.setPreferences(QSharedPointer<LocalePreferences>::create(1, QLocale::French, "HH:mm", "dd/MM/yyyy",
                                                                  QChar(','), Unit::Kelvin, Unit::RelativeHumidityRF));
    m_store->updateUser(user);
    QCOMPARE(*m_store->getUser(user.id()), user);
}

void tst_SqlUserDatabaseConnection::deleteUser_keepsOnlyWhatTheEventLogNeeds_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("fold");
    QTest::newRow("not in the event log") << false << false;
    QTest::newRow("in the event log") << true << false;
    // Reading the user to clear him used to write the folded level back.
    QTest::newRow("in the event log, Advanced folded") << true << true;
}

void tst_SqlUserDatabaseConnection::deleteUser_keepsOnlyWhatTheEventLogNeeds()
{
    QFETCH(bool, named);
    QFETCH(bool, fold);
    SqlUserDatabaseConnection store(fold);
    QVERIFY(store.setConnections(&m_data->connection(), &m_configuration, &m_eventLog));
    UserData user(0, "dora", "d@example.org", "Dora", "Ek", "hash", "salt", QDateTime::currentDateTime(), {}, false,
                  4, false, 2, QSharedPointer<LocalePreferences>::create());
    QVERIFY(store.addUser(user));
    if (named)
        m_eventLog.namedUsers.insert(user.id());
    // A removed user's visibility rows used to block the delete by their foreign key.
    runSql("INSERT INTO chamber (id) VALUES (5)");
    store.addSignalVisibilityPreference(user.id(), 5, 1);
    QVERIFY(store.setRecordingConfig(user.id(), 7, "config"));

    QVERIFY(store.deleteUser(user.id()));
    QCOMPARE(store.getRecordingConfig(user.id()).isEmpty(), !named);
    QVERIFY(store.getUserPreferences(user.id()).isNull());
    QVERIFY(store.getUsers().isEmpty());
    QVERIFY(store.getLoginNames().isEmpty());
    const QVariantList kept = named ? QVariantList{"dora", 2, 1, "null", "null", "null"} : QVariantList();
    const quelta::test::SqlText keptColumns("SELECT login_name, user_level, is_deleted, typeof(mail_address), "
                                            "typeof(password_hash), typeof(number_failed_login_attempts) "
                                            "FROM application_user WHERE id = ?",
                                            {user.id()});
    QCOMPARE(m_data->connection().selectRow(keptColumns), kept);
    QCOMPARE(store.getUser(user.id()).isNull(), !named);
    if (named)
        QCOMPARE(store.getUser(user.id())->userLevel(), fold ? 1 : 2);
    QVERIFY(!store.deleteUser(99));
}

// A new user who took over a deleted user's login name used to be unfindable by it.
void tst_SqlUserDatabaseConnection::loginName_findsTheLiveHolderFirst()
{
    UserData deleted(0, "eva", {}, {}, {}, {}, {}, {}, {}, false, -1, false, 3, {});
    UserData successor = deleted;
    QVERIFY(m_store->addUser(deleted));
    m_eventLog.namedUsers.insert(deleted.id());
    QVERIFY(m_store->deleteUser(deleted.id()));
    QCOMPARE(m_store->getUserByLoginName("eva")->id(), deleted.id());
    QVERIFY(m_store->addUser(successor));
    QCOMPARE(m_store->getUserByLoginName("eva")->id(), successor.id());
    QCOMPARE(m_store->getLoginNames(), QStringList{"eva"});
}

void tst_SqlUserDatabaseConnection::visibleSignals_keepTheUsersOrder()
{
    const ChamberSignal humidity = *m_configuration.getSignal(D::ClimateHumidity);
    const ChamberSignal temperature = *m_configuration.getSignal(D::ClimateTemperature);
    runSql("INSERT INTO application_user (id) VALUES (1)");
    runSql("INSERT INTO chamber (id) VALUES (5), (6)");
    QVERIFY(m_store->setSignalVisibilityPreferences(1, 6, {D::ClimateTemperature}));
    QVERIFY(m_store->setSignalVisibilityPreferences(1, 5, {D::ClimateHumidity, D::ClimateTemperature, 99}));
    QCOMPARE(m_store->getVisibleSignals(1, 5), (QList<ChamberSignal>{humidity, temperature, ChamberSignal()}));
    runSql("UPDATE user_has_chamber_signal_visibility_preference SET position = 4 - position WHERE chamber_id = 5");
    QCOMPARE(m_store->getVisibleSignals(1, 5), (QList<ChamberSignal>{ChamberSignal(), temperature, humidity}));
    m_store->removeSignalVisibilityPreference(1, 5, 99);
    QCOMPARE(m_store->getVisibleSignals(1, 5), (QList<ChamberSignal>{temperature, humidity}));
    QVERIFY(m_store->setSignalVisibilityPreferences(1, 5, {}));
    QVERIFY(m_store->getVisibleSignals(1, 5).isEmpty());
    QCOMPARE(m_store->getVisibleSignals(1, 6), QList<ChamberSignal>{temperature});

    // Definitions that could not be read used to give signals without a name.
    QSignalSpy errors(m_store.get(), &SqlUserDatabaseConnection::error);
    runSql("ALTER TABLE signal RENAME TO unreadable");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table: signal"));
    QVERIFY(m_store->getVisibleSignals(1, 6).isEmpty());
    QCOMPARE(quelta::test::errorsOf(errors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
    runSql("ALTER TABLE unreadable RENAME TO signal");
    QCOMPARE(m_store->getVisibleSignals(1, 6), QList<ChamberSignal>{temperature});
}

// Writing a configuration used to report success whatever happened.
void tst_SqlUserDatabaseConnection::recordingConfig_insertsUpdatesAndReportsFailure()
{
    QVERIFY(m_store->setRecordingConfig(1, 10, "a"));
    QVERIFY(m_store->setRecordingConfig(1, 10, "b"));
    QVERIFY(m_store->setRecordingConfig(1, 11, "c"));
    QVERIFY(m_store->setRecordingConfig(2, 10, "d"));
    QCOMPARE(m_store->getRecordingConfig(1), (QMap<int, QString>{{10, "b"}, {11, "c"}}));

    runSql("DROP TABLE user_recording_config");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
    QVERIFY(!m_store->setRecordingConfig(1, 10, "a"));
}

QTEST_GUILESS_MAIN(tst_SqlUserDatabaseConnection)
#include "tst_sqluserdatabaseconnection.moc"
