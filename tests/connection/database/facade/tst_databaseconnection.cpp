#include "connection/database/facade/databaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "support/cataloguebuilder.h"
#include "support/databaseerrors.h"
#include "support/datadatabase.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QLoggingCategory>
#include <QtCore/QRegularExpression>
#include <QtCore/QScopeGuard>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QtTest>

#include <functional>
#include <type_traits>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::api;
using namespace quelta::domain::types;
using quelta::test::RecordingConnection;
using quelta::test::SqlText;
using D = quelta::test::DemoCatalogue;

using Call = std::function<void(QObject *facade)>;
Q_DECLARE_METATYPE(Call)

namespace {

// A lone pointer must never be taken for the fold flag, not even one that
// does not convert to QObject* (a const or an incomplete one).
struct Incomplete;
static_assert(std::is_constructible_v<DatabaseConnection, std::nullptr_t>);
static_assert(std::is_constructible_v<DatabaseConnection, QTimer *>);
static_assert(!std::is_constructible_v<DatabaseConnection, const QObject *>);
static_assert(!std::is_constructible_v<DatabaseConnection, Incomplete *>);
static_assert(!std::is_constructible_v<DatabaseConnection, bool>);

const QStringList CreationOrder = {
    "chamber",          "global_settings",       "application_user",
    "recording",        "meta_recording_has_recording",
    "log_entry",        "record_set",            "record_set_comment",
    "tolerance_range",  "room",                  "room_chamber_position",
    "user_has_chamber_signal_visibility_preference", "user_preferences",
};

QString versionScript(int version)
{
    return QString("CREATE TABLE database_version_info (version INTEGER);"
                   "INSERT INTO database_version_info (version) VALUES (%1);")
        .arg(version);
}

QStringList createdTables(const QStringList &statements)
{
    static const QRegularExpression create("^CREATE TABLE IF NOT EXISTS (\\w+) ");
    QStringList tables;
    for (const QString &statement : statements) {
        const QRegularExpressionMatch match = create.match(statement);
        if (match.hasMatch())
            tables << match.captured(1);
    }
    return tables;
}

} // namespace

class tst_DatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void constructors_passTheFoldFlagAndTheParent_data();
    void constructors_passTheFoldFlagAndTheParent();
    void interfaces_reachTheirStoresOnTheirConnections_data();
    void interfaces_reachTheirStoresOnTheirConnections();
    void open_withANullConnectionTouchesNoStore_data();
    void open_withANullConnectionTouchesNoStore();
    void openBeforeTheConnection_thenReadTypes();
    void getAlarms_fillsInChamberNames();
    void storeErrors_reachTheFacadeOncePerConnection();
    void createTables_createsTheMissingCoreTablesInDependencyOrder_data();
    void createTables_createsTheMissingCoreTablesInDependencyOrder();
    void createdTables_agreeWithTheStoresFixture();
    void creatorFailure_namesTheTableThatLacksItsReference_data();
    void creatorFailure_namesTheTableThatLacksItsReference();

private:
    // A new file with the catalogue and the data tables, as this program keeps them.
    QString newCombinedFile();
    QString newFile(const QString &script);

    QTemporaryDir m_directory;
    int m_fileCount = 0;
    SqliteConnection m_connection{"facadeTest"};
};

void tst_DatabaseConnection::init()
{
    m_connection.close();
}

QString tst_DatabaseConnection::newCombinedFile()
{
    const QString path = m_directory.filePath(QString("combined%1.sqlite3").arg(++m_fileCount));
    const QString failure = quelta::test::createDataDatabaseWithCatalogue(path, D::content());
    return failure.isEmpty() ? path : failure;
}

QString tst_DatabaseConnection::newFile(const QString &script)
{
    const QString path = m_directory.filePath(QString("file%1.sqlite3").arg(++m_fileCount));
    const QString failure = quelta::test::createEncryptedDatabase(path, script);
    return failure.isEmpty() ? path : failure;
}

void tst_DatabaseConnection::constructors_passTheFoldFlagAndTheParent_data()
{
    QTest::addColumn<bool>("fold");
    QTest::addColumn<int>("level");
    QTest::newRow("parent only") << false << int(UserLevel::ADVANCED);
    QTest::newRow("fold and parent") << true << int(UserLevel::BASIC);
}

void tst_DatabaseConnection::constructors_passTheFoldFlagAndTheParent()
{
    QFETCH(bool, fold);
    QFETCH(int, level);
    QVERIFY(m_connection.open(newCombinedFile(), {}, {}, DatabaseKey));
    QVERIFY(m_connection.execute(SqlText("INSERT INTO application_user (id, login_name, user_level) "
                                         "VALUES (1, 'ada', 2)")).first);

    QObject parent;
    auto *facade = fold ? new DatabaseConnection(true, &parent) : new DatabaseConnection(&parent);
    QCOMPARE(facade->parent(), &parent);
    QVERIFY(facade->open(&m_connection, &m_connection));
    QCOMPARE(facade->getUser(1)->userLevel(), level);
}

// One call per interface, found by its interface id: the access and
// configuration stores run on the configuration connection, the others on
// the data connection.
void tst_DatabaseConnection::interfaces_reachTheirStoresOnTheirConnections_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<QString>("table");
    QTest::addColumn<bool>("onConfiguration");

#define ROW(Interface, call, table, onConfiguration)                                                                   \
    QTest::newRow(#Interface) << Call([](QObject *facade) {                                                             \
        Interface *store = qobject_cast<Interface *>(facade);                                                          \
        QCOMPARE(store, static_cast<Interface *>(static_cast<DatabaseConnection *>(facade)));                         \
        store->call;                                                                                                   \
    }) << QString(table) << onConfiguration
    ROW(IAccessDatabaseConnection, getAllowedActivities(UserLevel::BASIC), "activity_access", true);
    ROW(IAlarmDatabaseConnection, getAlarmCount(1), "application_alarm", false);
    ROW(ICameraDatabaseConnection, getCameras(1), "camera", false);
    ROW(IChamberDatabaseConnection, isChamberSubscribed(1), "chamber", false);
    ROW(IConfigurationDatabaseConnection, getSignalUnit(1), "signal", true);
    ROW(IProgramDatabaseConnection, getProgramName(1), "program", false);
    ROW(IProtocolDatabaseConnection, getLogEntryCount(1), "log_entry", false);
    ROW(IRecordingDatabaseConnection, getRecordingCount(1), "recording", false);
    ROW(IRecordsetDatabaseConnection, getRecordsetCount(1), "record_set", false);
    ROW(IRoomDatabaseConnection, getRooms(), "room", false);
    ROW(ISettingsDatabaseConnection, getMailRecipients(), "mail_recipient", false);
    ROW(IUserDatabaseConnection, getLoginNames(), "application_user", false);
#undef ROW
}

void tst_DatabaseConnection::interfaces_reachTheirStoresOnTheirConnections()
{
    QFETCH(Call, call);
    QFETCH(QString, table);
    QFETCH(bool, onConfiguration);
    QVERIFY(m_connection.open(newCombinedFile(), {}, {}, DatabaseKey));
    RecordingConnection data(m_connection);
    RecordingConnection configuration(m_connection);
    DatabaseConnection facade;
    QCOMPARE(facade.qt_metacast("quelta::base::connection::databaseconnection::DatabaseConnection"),
             static_cast<void *>(&facade));
    QVERIFY(facade.open(&data, &configuration));

    call(&facade);
    RecordingConnection &used = onConfiguration ? configuration : data;
    RecordingConnection &unused = onConfiguration ? data : configuration;
    const QRegularExpression fromTable(QString("\\bFROM %1\\b").arg(table));
    QVERIFY2(!used.statements().filter(fromTable).isEmpty(), qPrintable(used.statements().join('\n')));
    QCOMPARE(unused.statements(), QStringList());
}

void tst_DatabaseConnection::open_withANullConnectionTouchesNoStore_data()
{
    QTest::addColumn<bool>("dataIsNull");
    QTest::addColumn<bool>("configurationIsNull");
    QTest::newRow("data") << true << false;
    QTest::newRow("configuration") << false << true;
    QTest::newRow("both") << true << true;
}

void tst_DatabaseConnection::open_withANullConnectionTouchesNoStore()
{
    QFETCH(bool, dataIsNull);
    QFETCH(bool, configurationIsNull);
    QVERIFY(m_connection.open(newCombinedFile(), {}, {}, DatabaseKey));
    RecordingConnection wired(m_connection);
    RecordingConnection other(m_connection);
    DatabaseConnection facade;
    QVERIFY(!facade.isOpen());
    QVERIFY(facade.open(&wired, &wired) && facade.isOpen());

    QVERIFY(!facade.open(dataIsNull ? nullptr : &other, configurationIsNull ? nullptr : &other));
    QVERIFY(!facade.isOpen());
    QVERIFY(!facade.getChamberTypes(false).isEmpty());
    facade.getRooms();
    QCOMPARE(other.statements(), QStringList());
    QVERIFY(!wired.statements().filter(QRegularExpression("\\bFROM room\\b")).isEmpty());
}

// The event handler's start-up: the facade is wired before the connection
// has opened its file, and only then asked for the catalogue.
void tst_DatabaseConnection::openBeforeTheConnection_thenReadTypes()
{
    const QString path = m_directory.filePath("configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(path, D::content()), QString());
    SqliteConnection connection("configuration");
    DatabaseConnection facade(nullptr);
    QVERIFY(facade.open(&connection, &connection));
    QVERIFY(connection.open(path, {}, {}, DatabaseKey));

    SqlConfigurationDatabaseConnection catalogue;
    QVERIFY(catalogue.setConnections(&connection));
    const QList<ChamberTypeData> types = facade.getChamberTypes(false);
    QVERIFY(!types.isEmpty());
    QCOMPARE(types, catalogue.getChamberTypes(false));
    const ChamberTypeData type = facade.getChamberType({D::ClimateChamber, D::ClimateStandard}, true);
    QVERIFY(type.signals().contains(D::ClimateTemperature));
    QCOMPARE(type, catalogue.getChamberType({D::ClimateChamber, D::ClimateStandard}, true));
}

void tst_DatabaseConnection::getAlarms_fillsInChamberNames()
{
    QVERIFY(m_connection.open(newCombinedFile(), {}, {}, DatabaseKey));
    QVERIFY(m_connection.execute(SqlText("INSERT INTO chamber (id, chamber_name, is_archived) "
                                         "VALUES (1, 'Alpha', 0), (2, 'Beta', 1)")).first);
    QVERIFY(m_connection.execute(SqlText("INSERT INTO application_alarm (chamber_id, alarm_name) "
                                         "VALUES (2, 'a'), (9, 'b'), (1, 'c'), (-1, 'd')")).first);
    DatabaseConnection facade;
    QVERIFY(facade.open(&m_connection, &m_connection));

    QStringList names;
    for (const AlarmData &alarm : facade.getAlarms())
        names << alarm.alarmName() + ':' + alarm.chamberName();
    QCOMPARE(names, QStringList({"a:Beta", "b:", "c:Alpha", "d:"}));
    for (const AlarmData &alarm : facade.getChamberAlarms(-1))
        QCOMPARE(alarm.chamberName(), QString());

    // Chambers that could not be read used to leave every alarm without a name.
    const QList<AlarmData> alarms = facade.getAlarms();
    QSignalSpy errors(&facade, &DatabaseConnection::error);
    QVERIFY(m_connection.execute(SqlText("ALTER TABLE chamber RENAME TO unreadable")).first);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table: chamber"));
    QVERIFY(facade.getAlarms().isEmpty());
    QCOMPARE(quelta::test::errorsOf(errors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
    QVERIFY(m_connection.execute(SqlText("ALTER TABLE unreadable RENAME TO chamber")).first);
    QCOMPARE(facade.getAlarms(), alarms);
}

void tst_DatabaseConnection::storeErrors_reachTheFacadeOncePerConnection()
{
    DatabaseConnection facade;
    QSignalSpy errors(&facade, &DatabaseConnection::error);
    facade.getRooms();
    QCOMPARE(errors.count(), 0);
    facade.connectErrorSignals();
    facade.getRooms();
    QCOMPARE(quelta::test::errorsOf(errors), QList<DatabaseConnectionError>{NOT_INITIALIZED});
    // Never opened: no table is looked at, but the relay is made once more.
    QVERIFY(!facade.createTables() && !facade.isDatabaseOutdated());
    facade.getSignalUnit(1);
    QCOMPARE(errors.count(), 3);
}

void tst_DatabaseConnection::createTables_createsTheMissingCoreTablesInDependencyOrder_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("withConfiguration");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("outdated");
    QTest::addColumn<QStringList>("created");
    QTest::addColumn<QList<DatabaseConnectionError>>("errors");
    const QList<DatabaseConnectionError> none;

    QTest::newRow("no version") << "CREATE TABLE unrelated (x INTEGER)" << true << false << true << QStringList()
                                << none;
    QTest::newRow("version 16") << versionScript(16) << true << false << true << QStringList() << none;
    // The tables are made; then the access store misses its table, which the
    // data schema does not hold.
    QTest::newRow("version 17") << versionScript(17) << true << false << false << CreationOrder
                                << QList<DatabaseConnectionError>{MISSING_TABLE};
    QTest::newRow("version 18") << versionScript(18) << true << false << false << CreationOrder
                                << QList<DatabaseConnectionError>{MISSING_TABLE};
    QTest::newRow("no configuration connection")
        << versionScript(17) << false << false << false << QStringList()
        << QList<DatabaseConnectionError>{NOT_INITIALIZED};
    QTest::newRow("complete") << QString() << true << true << false << QStringList() << none;
}

void tst_DatabaseConnection::createTables_createsTheMissingCoreTablesInDependencyOrder()
{
    QFETCH(QString, script);
    QFETCH(bool, withConfiguration);
    QFETCH(bool, result);
    QFETCH(bool, outdated);
    QFETCH(QStringList, created);
    QFETCH(QList<DatabaseConnectionError>, errors);
    QVERIFY(m_connection.open(script.isEmpty() ? newCombinedFile() : newFile(script), {}, {}, DatabaseKey));
    RecordingConnection data(m_connection);
    DatabaseConnection facade;
    QCOMPARE(facade.open(&data, withConfiguration ? &data : nullptr), withConfiguration);
    QSignalSpy spy(&facade, &DatabaseConnection::error);

    QCOMPARE(facade.createTables(), result);
    QCOMPARE(facade.isDatabaseOutdated(), outdated);
    QCOMPARE(createdTables(data.statements()), created);
    QCOMPARE(quelta::test::errorsOf(spy), errors);

    // Nothing is made twice; each run relays the stores' errors once more.
    data.clear();
    QCOMPARE(facade.createTables(), result);
    QCOMPARE(createdTables(data.statements()), QStringList());
    const QList<DatabaseConnectionError> again = withConfiguration ? errors + errors : errors;
    QCOMPARE(quelta::test::errorsOf(spy), errors + again);
}

// The stores' tests run on their own text of the schema; the tables made
// here must be the same, but for the further columns that the stores add at
// the end.
void tst_DatabaseConnection::createdTables_agreeWithTheStoresFixture()
{
    QVERIFY(m_connection.open(newFile(versionScript(17)), {}, {}, DatabaseKey));
    DatabaseConnection facade;
    QVERIFY(facade.open(&m_connection, &m_connection));
    // The tables are made; the access store then misses its own table.
    QVERIFY(!facade.createTables());
    const QString fixturePath = m_directory.filePath("fixture.sqlite3");
    QCOMPARE(quelta::test::createDataDatabase(fixturePath), QString());
    SqliteConnection fixture("fixture");
    QVERIFY(fixture.open(fixturePath, {}, {}, DatabaseKey));

    // A table without foreign keys gives an empty list, and a warning.
    QLoggingCategory::setFilterRules("quelta.SqliteConnection.warning=false");
    const auto restoreLogging = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    const auto describe = [](SqliteConnection &connection, const QString &pragma) {
        QStringList rows;
        for (const ISqlConnection::Row &row : connection.select(SqlText("PRAGMA " + pragma))) {
            QStringList values;
            for (const QVariant &value : row)
                values << value.toString();
            rows << values.join('|');
        }
        return rows;
    };
    for (const QString &table : CreationOrder) {
        const QStringList columns = describe(m_connection, QString("table_info(%1)").arg(table));
        QCOMPARE(describe(fixture, QString("table_info(%1)").arg(table)).mid(0, columns.size()), columns);
        for (const char *pragma : {"foreign_key_list(%1)", "index_list(%1)"})
            QCOMPARE(describe(fixture, QString(pragma).arg(table)), describe(m_connection, QString(pragma).arg(table)));
    }
    QCOMPARE(describe(m_connection, "table_info(record_set)").size(), 4 + facade.maxSignalColumns());
}

void tst_DatabaseConnection::creatorFailure_namesTheTableThatLacksItsReference_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("created");
    QTest::newRow("user table") << "application_user"
                                << QStringList{"Could not create table 'application_user'",
                                               "Missing reference table. Can't create 'recording'",
                                               "Missing reference table. Can't create 'meta_recording_has_recording'"}
                                << QStringList(CreationOrder.mid(0, 2));
    QTest::newRow("recording table") << "recording"
                                     << QStringList{"Could not create table 'recording'",
                                                    "Missing reference table. Can't create "
                                                    "'meta_recording_has_recording'"}
                                     << QStringList(CreationOrder.mid(0, 3));
    QTest::newRow("comment table") << "record_set_comment"
                                   << QStringList{"Could not create table 'record_set_comment'"}
                                   << QStringList(CreationOrder.mid(0, 7));
}

// An index of the blocked table's name makes its CREATE TABLE fail.
void tst_DatabaseConnection::creatorFailure_namesTheTableThatLacksItsReference()
{
    QFETCH(QString, blocked);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, created);
    const QString block = QString("CREATE TABLE blocker (x INTEGER); CREATE INDEX %1 ON blocker (x);").arg(blocked);
    QVERIFY(m_connection.open(newFile(versionScript(17) + block), {}, {}, DatabaseKey));
    RecordingConnection data(m_connection);
    DatabaseConnection facade;
    QVERIFY(facade.open(&data, &data));

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("already an index named " + blocked));
    for (const QString &message : messages)
        QTest::ignoreMessage(QtCriticalMsg, qPrintable(message));
    QVERIFY(!facade.createTables());
    QCOMPARE(createdTables(data.statements()), created + QStringList{blocked});
}

QTEST_GUILESS_MAIN(tst_DatabaseConnection)

#include "tst_databaseconnection.moc"
