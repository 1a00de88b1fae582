#include "connection/database/stores/sqlchamberdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/cataloguebuilder.h"
#include "support/datadatabase.h"
#include "support/democatalogue.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::domain::api::IChamberDatabaseConnection;
using quelta::domain::api::IRoomDatabaseConnection;
using quelta::test::RecordingConnection;
using quelta::test::SqlText;
using D = quelta::test::DemoCatalogue;

namespace quelta::domain::types {
char *toString(const ChamberData &chamber)
{
    QString text;
    QDebug(&text) << chamber;
    return qstrdup(qPrintable(text));
}
} // namespace quelta::domain::types

namespace {

// Keeps the positions it is told; the chamber store uses nothing else.
class FakeRoomStore : public IRoomDatabaseConnection
{
public:
    QMap<int, ChamberLocation> positions;
    bool acceptsPositions = true;

    QList<RoomData> getRooms() override { return {}; }
    QUrl getRoom(int) override { return {}; }
    bool addRoom(RoomData &) override { return false; }
    bool updateRoom(const RoomData &) override { return false; }
    bool deleteRoom(int) override { return false; }
    ChamberLocation getChamberPosition(int chamberId) override { return positions.value(chamberId); }
    bool setChamberPosition(int chamberId, const ChamberLocation &location) override
    {
        if (acceptsPositions)
            positions.insert(chamberId, location);
        return acceptsPositions;
    }
    QList<int> getRoomChambers(int) override { return {}; }
    void error(DatabaseConnectionError) override {}
};

QList<DatabaseConnectionError> errorsOf(const QSignalSpy &spy)
{
    QList<DatabaseConnectionError> errors;
    for (const QList<QVariant> &arguments : spy)
        errors.append(arguments.at(0).value<DatabaseConnectionError>());
    return errors;
}

ChamberData networkChamber(const QString &address)
{
    return ChamberData(ChamberData::NewChamberId, "Chamber " + address, "S-" + address, {D::TemperatureChamber, 0},
                       QHostAddress(address), {}, ActivationState::STATE_ACTIVE, ChamberOperationMode::MODE_UNDEFINED,
                       false, false, {}, -1, -1, -1, -1, 1, 5, ChamberData::NoConverter, {});
}

QDateTime at(int hour, int minute = 0)
{
    // An hour east of UTC, so that moments must be compared as instants.
    return QDateTime(QDate(2024, 3, 1), QTime(hour, minute), Qt::OffsetFromUTC, 3600);
}

bool isNear(const ToleranceRange &actual, const ToleranceRange &expected)
{
    const auto near = [](const UnitValue &a, const UnitValue &b) {
        return a.unit() == b.unit() && a.isValid() == b.isValid()
            && (!a.isValid() || qAbs(a.value().toDouble() - b.value().toDouble()) < 1e-4);
    };
    return actual.type() == expected.type() && near(actual.lower(), expected.lower())
        && near(actual.upper(), expected.upper());
}

} // namespace

class tst_SqlChamberDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void notReady_givesErrorZeroAndRunsNoStatement_data();
    void notReady_givesErrorZeroAndRunsNoStatement();
    void initialize_needsChamberAndSubscriptionTables_data();
    void initialize_needsChamberAndSubscriptionTables();

    void chamber_roundTripsFieldByField_data();
    void chamber_roundTripsFieldByField();
    void updateChamber_freesTheAddressItGivesUp_data();
    void updateChamber_freesTheAddressItGivesUp();
    void singleField_storesAMissingAddressAsNull_data();
    void singleField_storesAMissingAddressAsNull();
    void archiveAndDelete_leaveNothingForTheNextChamber();

    void subscriptions_perChamberAndSignal();
    void signalDelays_perSignalAndChoice();
    void customSignalNames_replaceNameByName();
    void signalDefinitions_comeFromTheChambersType();
    void toleranceRanges_holdFromTheirMomentOn_data();
    void toleranceRanges_holdFromTheirMomentOn();

private:
    QString newPath() { return m_directory.filePath(QString("data%1.sqlite3").arg(++m_fileCount)); }
    int addChamber(ChamberData chamber);
    // SQLite's storage class of the column's value: "null", "text", "integer" ...
    QString storedType(int chamberId, ChamberColumn column);
    void runSql(const QString &statement, const QList<QVariant> &values = {});

    QTemporaryDir m_directory;
    int m_fileCount = 0;
    QString m_cataloguePath;
    QString m_dataTemplate;
    std::unique_ptr<SqliteConnection> m_catalogue;
    std::unique_ptr<SqliteConnection> m_data;
    std::unique_ptr<RecordingConnection> m_recorder;
    std::unique_ptr<SqlConfigurationDatabaseConnection> m_configuration;
    FakeRoomStore m_rooms;
    std::unique_ptr<SqlChamberDatabaseConnection> m_store;
};

void tst_SqlChamberDatabaseConnection::initTestCase()
{
    registerMetaTypes();
    QVERIFY(m_directory.isValid());
    m_cataloguePath = m_directory.filePath("catalogue.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(m_cataloguePath, D::content()), QString());
    m_dataTemplate = m_directory.filePath("template.sqlite3");
    QCOMPARE(quelta::test::createDataDatabase(m_dataTemplate), QString());
}

void tst_SqlChamberDatabaseConnection::init()
{
    const QString path = newPath();
    QVERIFY(QFile::copy(m_dataTemplate, path));
    m_data = std::make_unique<SqliteConnection>("data");
    QVERIFY(m_data->open(path, QString(), QString(), DatabaseKey));
    m_catalogue = std::make_unique<SqliteConnection>("catalogue");
    QVERIFY(m_catalogue->open(m_cataloguePath, QString(), QString(), DatabaseKey));
    m_configuration = std::make_unique<SqlConfigurationDatabaseConnection>();
    QVERIFY(m_configuration->setConnections(m_catalogue.get()));
    m_rooms.positions.clear();
    m_rooms.acceptsPositions = true;
    m_recorder = std::make_unique<RecordingConnection>(*m_data);
    m_store = std::make_unique<SqlChamberDatabaseConnection>();
    QVERIFY(m_store->setConnections(m_recorder.get(), m_configuration.get(), &m_rooms));
}

void tst_SqlChamberDatabaseConnection::cleanup()
{
    m_store.reset();
    m_recorder.reset();
    m_configuration.reset();
    m_catalogue.reset();
    m_data.reset();
}

int tst_SqlChamberDatabaseConnection::addChamber(ChamberData chamber)
{
    return m_store->addChamber(chamber) ? chamber.id() : -1;
}

QString tst_SqlChamberDatabaseConnection::storedType(int chamberId, ChamberColumn column)
{
    return m_data->selectValue(SqlText("SELECT typeof(" + columnNameChamber(column) + ") FROM chamber WHERE id = ?",
                                       {chamberId}))
        .toString();
}

void tst_SqlChamberDatabaseConnection::runSql(const QString &statement, const QList<QVariant> &values)
{
    QVERIFY2(m_data->execute(SqlText(statement, values)).first, qPrintable(statement));
}

void tst_SqlChamberDatabaseConnection::notReady_givesErrorZeroAndRunsNoStatement_data()
{
    QTest::addColumn<bool>("withConnection");
    QTest::addColumn<bool>("withConfiguration");
    QTest::addColumn<bool>("withRooms");
    QTest::newRow("nothing set") << false << false << false;
    QTest::newRow("no configuration store") << true << false << true;
    QTest::newRow("no room store") << true << true << false;
}

// The subscription and delay operations used to reach the missing
// connection before any test.
void tst_SqlChamberDatabaseConnection::notReady_givesErrorZeroAndRunsNoStatement()
{
    QFETCH(bool, withConnection);
    QFETCH(bool, withConfiguration);
    QFETCH(bool, withRooms);
    SqlChamberDatabaseConnection store;
    QVERIFY(!store.setConnections(withConnection ? m_recorder.get() : nullptr,
                                  withConfiguration ? m_configuration.get() : nullptr,
                                  withRooms ? &m_rooms : nullptr));
    QSignalSpy errors(&store, &SqlChamberDatabaseConnection::error);

    ChamberData chamber = networkChamber("10.0.0.1");
    const QDateTime now = QDateTime::currentDateTime();
    const QMap<int, ChamberSignal> definitions{{D::ClimateTemperature, ChamberSignal()}};
    store.updateChamberField(chamber, ChamberColumn::CHAMBER_NAME);
    store.setChamberValue(1, ChamberColumn::IS_ARCHIVED, true);
    store.setCustomSignalNames(1, {{1, "Air"}});
    store.archiveChamber(1);
    store.unarchiveChamber(1);
    store.subscribeChamber(1);
    store.unsubscribeChamber(1);
    const int withoutResult = errors.count();
    const QList<QPair<const char *, bool>> results{
        {"initialize", !store.initialize()},
        {"addChamber", !store.addChamber(chamber) && chamber.id() == ChamberData::NewChamberId},
        {"getChambers", store.getChambers(true).isEmpty()},
        {"getChamber", store.getChamber(1, true).isNull()},
        {"getChamberValue", !store.getChamberValue(1, ChamberColumn::ID).isValid()},
        {"getChamberSignalDefinitions", store.getChamberSignalDefinitions(1).isEmpty()},
        {"updateChamber", !store.updateChamber(chamber, true)},
        {"getCustomSignalNames", store.getCustomSignalNames(1).isEmpty()},
        {"deleteChamber", !store.deleteChamber(1)},
        {"getToleranceRanges", store.getToleranceRanges(now, 1, definitions).isEmpty()},
        {"getRecordingToleranceRanges", store.getRecordingToleranceRanges(now, 1, definitions).isEmpty()},
        {"getToleranceRange", store.getToleranceRange(now, 1, 1) == ToleranceRange()},
        {"addToleranceRange", !store.addToleranceRange(now, 1, 1, ToleranceRange())},
        {"isChamberSubscribed", !store.isChamberSubscribed(1)},
        {"getSubscribedSignals", store.getSubscribedSignals(1).isEmpty()},
        {"isAnySignalSubscribed", !store.isAnySignalSubscribed(1, {1})},
        {"isSignalSubscribed", !store.isSignalSubscribed(1, 1)},
        {"subscribeChambers", !store.subscribeChambers({1, 2})},
        {"unsubscribeChambers", !store.unsubscribeChambers({1, 2})},
        {"subscribeSignal", !store.subscribeSignal(1, 1)},
        {"unsubscribeSignal", !store.unsubscribeSignal(1, -1)},
        {"getSignalDelays", store.getSignalDelays(1, true).isEmpty()},
        {"getSignalDelay", store.getSignalDelay(1, 1, true) == -1},
        {"hasSignalDelay", !store.hasSignalDelay(1, 1, true)},
        {"setSignalDelay", !store.setSignalDelay(1, 1, true, 30)},
    };
    for (const auto &result : results)
        QVERIFY2(result.second, result.first);
    QCOMPARE(withoutResult, 7);
    QCOMPARE(errorsOf(errors).toVector(),
             QVector<DatabaseConnectionError>(withoutResult + results.size(), NOT_INITIALIZED));
    QCOMPARE(m_recorder->statements(), QStringList());
}

void tst_SqlChamberDatabaseConnection::initialize_needsChamberAndSubscriptionTables_data()
{
    QTest::addColumn<QString>("droppedTable");
    QTest::addColumn<QStringList>("lookups");
    QTest::newRow("complete") << QString() << QStringList{"chamber", "chamber_has_subscribed_signal"};
    QTest::newRow("no chamber table") << "chamber" << QStringList{"chamber"};
    QTest::newRow("no subscription table") << "chamber_has_subscribed_signal"
                                           << QStringList{"chamber", "chamber_has_subscribed_signal"};
}

void tst_SqlChamberDatabaseConnection::initialize_needsChamberAndSubscriptionTables()
{
    QFETCH(QString, droppedTable);
    QFETCH(QStringList, lookups);
    // The facade finds the store by its interface id and by the bare name.
    auto *asInterface = static_cast<IChamberDatabaseConnection *>(m_store.get());
    QCOMPARE(qobject_cast<IChamberDatabaseConnection *>(m_store.get()), asInterface);
    QCOMPARE(m_store->qt_metacast("IChamberDatabaseConnection"), static_cast<void *>(asInterface));

    if (!droppedTable.isEmpty())
        runSql("DROP TABLE " + droppedTable);
    QSignalSpy errors(m_store.get(), &SqlChamberDatabaseConnection::error);
    QCOMPARE(m_store->initialize(), droppedTable.isEmpty());
    QCOMPARE(errors.count(), droppedTable.isEmpty() ? 0 : 1);
    QCOMPARE(errorsOf(errors).value(0, MISSING_TABLE), MISSING_TABLE);
    for (QString &table : lookups)
        table.prepend("tableExists ");
    QCOMPARE(m_recorder->statements(), lookups);
}

void tst_SqlChamberDatabaseConnection::chamber_roundTripsFieldByField_data()
{
    QTest::addColumn<ChamberData>("chamber");
    // Storage classes of serial_no, com_port, ip_v4_address, ip_v6_address, mac_address.
    QTest::addColumn<QStringList>("storedTypes");
    const auto mac = [](const QString &text) { return MacAddress::fromString(text); };
    const auto S = ChamberOperationMode::MODE_UNDEFINED;

    QTest::newRow("IPv4, MAC, converter, serial with leading zeros")
        << ChamberData(-1, "KLH 1", "00815", {D::ClimateChamber, D::ClimateWaterSupply}, QHostAddress("192.168.10.20"),
                       mac("00-80-A3-01-02-03"), ActivationState::STATE_ACTIVE, S, false, true, {}, -1, -1, -1, -1, 17,
                       3, 1, {})
        << QStringList{"text", "null", "text", "null", "text"};
    QTest::newRow("IPv6") << ChamberData(-1, "TK 2", "4711", {D::TemperatureChamber, 0}, QHostAddress("fd00::20"), {},
                                         ActivationState::STATE_INACTIVE, S, true, false, {}, -1, -1, -1, -1, 2, 2, -1,
                                         {})
                          << QStringList{"text", "null", "null", "text", "null"};
    // Type ids are 64 bits wide.
    QTest::newRow("COM port, no address, type ids beyond 32 bits")
        << ChamberData(-1, "CVC", "0042", {3000000000ULL, 5000000000ULL}, {}, {}, ActivationState::STATE_UNDEFINED, S,
                       false, false, "COM3", 19200, 8, 1, 2, 0, 7, -1, {})
        << QStringList{"text", "text", "null", "null", "null"};
    QTest::newRow("nothing set") << ChamberData() << QStringList{"null", "null", "null", "null", "null"};
}

void tst_SqlChamberDatabaseConnection::chamber_roundTripsFieldByField()
{
    QFETCH(ChamberData, chamber);
    QFETCH(QStringList, storedTypes);

    QVERIFY(m_store->addChamber(chamber));
    QVERIFY(chamber.id() > 0);
    QCOMPARE(*m_store->getChamber(chamber.id(), false), chamber);
    const QList<QSharedPointer<ChamberData>> chambers = m_store->getChambers(false);
    QCOMPARE(chambers.size(), 1);
    QCOMPARE(*chambers.first(), chamber);

    QStringList types;
    for (const ChamberColumn column : {ChamberColumn::SERIAL_NO, ChamberColumn::COM_PORT, ChamberColumn::IP_V4_ADDRESS,
                                       ChamberColumn::IP_V6_ADDRESS, ChamberColumn::MAC_ADDRESS})
        types.append(storedType(chamber.id(), column));
    QCOMPARE(types, storedTypes);

    m_rooms.positions.insert(chamber.id(), {2, {1.5, 4.0}});
    chamber.setLocation({2, {1.5, 4.0}});
    QCOMPARE(*m_store->getChamber(chamber.id(), true), chamber);
}

void tst_SqlChamberDatabaseConnection::updateChamber_freesTheAddressItGivesUp_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("to IPv6") << "fd00::5";
    QTest::newRow("to no address") << QString();
}

// An update used to write only the new address's column, so that the old
// IPv4 address stayed, was still read, and kept other chambers from it.
void tst_SqlChamberDatabaseConnection::updateChamber_freesTheAddressItGivesUp()
{
    QFETCH(QString, address);
    ChamberData chamber = networkChamber("10.0.0.7");
    QVERIFY(m_store->addChamber(chamber));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*UNIQUE"));
    QTest::ignoreMessage(QtWarningMsg, "Failed to add chamber \"Chamber 10.0.0.7\"");
    QCOMPARE(addChamber(networkChamber("10.0.0.7")), -1);

    ChamberData changed = chamber;
    changed.setIpAddress(QHostAddress(address));
    changed.setComPort("COM4");
    changed.setActivationState(ActivationState::STATE_CONNECTION_ERROR);
    changed.setLocation({3, {10.5, 20.25}});
    QVERIFY(m_store->updateChamber(changed, true));
    QCOMPARE(m_rooms.positions.value(chamber.id()), changed.location());
    // The activation state is not the update's to write.
    changed.setActivationState(chamber.activationState());
    QCOMPARE(*m_store->getChamber(chamber.id(), true), changed);
    QCOMPARE(storedType(chamber.id(), ChamberColumn::IP_V4_ADDRESS), QString("null"));
    QVERIFY(addChamber(networkChamber("10.0.0.7")) > chamber.id());

    m_rooms.acceptsPositions = false;
    QVERIFY(!m_store->updateChamber(changed, true));
    QVERIFY(m_store->updateChamber(changed, false));
}

void tst_SqlChamberDatabaseConnection::singleField_storesAMissingAddressAsNull_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("storedType");
    QTest::newRow("MAC address") << int(ChamberColumn::MAC_ADDRESS) << "null";
    QTest::newRow("IPv4 address") << int(ChamberColumn::IP_V4_ADDRESS) << "null";
    QTest::newRow("IPv6 address") << int(ChamberColumn::IP_V6_ADDRESS) << "null";
    QTest::newRow("name, kept as written") << int(ChamberColumn::CHAMBER_NAME) << "text";
}

// Two chambers without an address: an empty text in a unique column used to
// refuse the second.
void tst_SqlChamberDatabaseConnection::singleField_storesAMissingAddressAsNull()
{
    QFETCH(int, column);
    QFETCH(QString, storedType);
    const auto field = ChamberColumn(column);
    QSignalSpy connectionErrors(m_data.get(), &SqliteConnection::error);
    ChamberData first;
    first.setChamberName(QString(""));
    ChamberData second = first;
    QVERIFY(m_store->addChamber(first) && m_store->addChamber(second));

    for (const ChamberData &chamber : {first, second}) {
        m_store->updateChamberField(chamber, field);
        m_store->setChamberValue(chamber.id(), field, QString(""));
    }
    QCOMPARE(connectionErrors.count(), 0);
    QCOMPARE(this->storedType(first.id(), field), storedType);
    QCOMPARE(this->storedType(second.id(), field), storedType);
}

void tst_SqlChamberDatabaseConnection::archiveAndDelete_leaveNothingForTheNextChamber()
{
    const int id = addChamber(networkChamber("10.0.0.1"));
    m_store->archiveChamber(id);
    QVERIFY(m_store->getChamber(id, false)->isArchived());
    m_store->unarchiveChamber(id);
    QVERIFY(!m_store->getChamber(id, false)->isArchived());

    // A chamber that stands in a room is still referred to.
    runSql("INSERT INTO room (id) VALUES (1)");
    runSql("INSERT INTO room_chamber_position (chamber_id, room_id) VALUES (?, 1)", {id});
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*FOREIGN KEY"));
    QVERIFY(!m_store->deleteChamber(id));
    runSql("DELETE FROM room_chamber_position");

    // Its subscriptions, delays and names go with it: SQLite gives the next
    // chamber the same id.
    QVERIFY(m_store->subscribeSignal(id, 1));
    QVERIFY(m_store->setSignalDelay(id, 1, true, 30));
    m_store->setCustomSignalNames(id, {{1, "Air"}});
    QVERIFY(m_store->deleteChamber(id));
    QSignalSpy errors(m_store.get(), &SqlChamberDatabaseConnection::error);
    QVERIFY(m_store->getChambers(false).isEmpty());
    QVERIFY(m_store->getChamber(id, false).isNull());
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{UNEXPECTED_RESULT});
    QCOMPARE(addChamber(networkChamber("10.0.0.2")), id);
    QVERIFY(m_store->getSubscribedSignals(id).isEmpty());
    QVERIFY(!m_store->hasSignalDelay(id, 1, true));
    QVERIFY(m_store->getCustomSignalNames(id).isEmpty());
}

void tst_SqlChamberDatabaseConnection::subscriptions_perChamberAndSignal()
{
    const int a = addChamber(networkChamber("10.0.0.1"));
    const int b = addChamber(networkChamber("10.0.0.2"));
    for (const int signal : {1, 3, 5})
        QVERIFY(m_store->subscribeSignal(a, signal));
    QCOMPARE(m_store->getSubscribedSignals(a), (QList<int>{1, 3, 5}));
    QVERIFY(m_store->isSignalSubscribed(a, 3));
    QVERIFY(!m_store->isSignalSubscribed(a, 2));
    QVERIFY(!m_store->isSignalSubscribed(b, 3));
    QVERIFY(m_store->isAnySignalSubscribed(a, {2, 3}));
    QVERIFY(!m_store->isAnySignalSubscribed(a, {2, 4}));
    QVERIFY(!m_store->isAnySignalSubscribed(a, {}));

    m_store->subscribeChamber(a);
    QVERIFY(m_store->isChamberSubscribed(a));
    QVERIFY(m_store->unsubscribeSignal(a, 3));
    QCOMPARE(m_store->getSubscribedSignals(a), (QList<int>{1, 5}));
    m_store->unsubscribeChamber(a);
    QVERIFY(!m_store->isChamberSubscribed(a));
    QVERIFY(m_store->getSubscribedSignals(a).isEmpty());

    QVERIFY(m_store->subscribeChambers({a, b}));
    QVERIFY(m_store->isChamberSubscribed(a) && m_store->isChamberSubscribed(b));
    QVERIFY(m_store->subscribeSignal(b, 1));
    QVERIFY(m_store->unsubscribeChambers({a, b}));
    QVERIFY(!m_store->isChamberSubscribed(a) && !m_store->isChamberSubscribed(b));
    QVERIFY(m_store->getSubscribedSignals(b).isEmpty());
    QVERIFY(m_store->subscribeChambers({}));

    QSignalSpy errors(m_store.get(), &SqlChamberDatabaseConnection::error);
    QVERIFY(m_store->subscribeSignal(a, 1));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*UNIQUE"));
    QVERIFY(!m_store->subscribeSignal(a, 1));
    QCOMPARE(errorsOf(errors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
}

void tst_SqlChamberDatabaseConnection::signalDelays_perSignalAndChoice()
{
    const int a = addChamber(networkChamber("10.0.0.1"));
    const int b = addChamber(networkChamber("10.0.0.2"));
    QVERIFY(!m_store->hasSignalDelay(a, 1, true));
    QCOMPARE(m_store->getSignalDelay(a, 1, true), -1);

    QVERIFY(m_store->setSignalDelay(a, 1, true, 30));
    QVERIFY(m_store->hasSignalDelay(a, 1, true));
    QCOMPARE(m_store->getSignalDelay(a, 1, true), 30);
    // The second delay of the signal is unset: its row counts, its value is -1.
    QVERIFY(m_store->hasSignalDelay(a, 1, false));
    QCOMPARE(m_store->getSignalDelay(a, 1, false), -1);
    QCOMPARE(m_store->getSignalDelays(a, false), (QMap<int, int>{{1, -1}}));

    QVERIFY(m_store->setSignalDelay(a, 1, false, 60));
    QVERIFY(m_store->setSignalDelay(a, 2, false, 90));
    QVERIFY(m_store->setSignalDelay(b, 1, true, 5));
    QCOMPARE(m_store->getSignalDelays(a, true), (QMap<int, int>{{1, 30}, {2, -1}}));
    QCOMPARE(m_store->getSignalDelays(a, false), (QMap<int, int>{{1, 60}, {2, 90}}));
    QCOMPARE(m_store->getSignalDelays(b, true), (QMap<int, int>{{1, 5}}));
}

void tst_SqlChamberDatabaseConnection::customSignalNames_replaceNameByName()
{
    const int a = addChamber(networkChamber("10.0.0.1"));
    const int b = addChamber(networkChamber("10.0.0.2"));
    m_store->setCustomSignalNames(a, {{1, "Air"}, {3, "Door"}});
    m_store->setCustomSignalNames(a, {{1, "Air inlet"}});
    m_store->setCustomSignalNames(a, {});
    m_store->setCustomSignalNames(b, {{1, "Water"}});
    // A row without a signal names nothing.
    runSql("INSERT INTO chamber_has_custom_signal_name VALUES (?, 0, 'None')", {a});

    QCOMPARE(m_store->getCustomSignalNames(a), (QMap<int, QString>{{1, "Air inlet"}, {3, "Door"}}));
    QCOMPARE(m_store->getCustomSignalNames(b), (QMap<int, QString>{{1, "Water"}}));
}

// On one file, as this program keeps the catalogue and the data.
void tst_SqlChamberDatabaseConnection::signalDefinitions_comeFromTheChambersType()
{
    const QString path = newPath();
    QCOMPARE(quelta::test::createDataDatabaseWithCatalogue(path, D::content()), QString());
    SqliteConnection shared("oneFile");
    QVERIFY(shared.open(path, QString(), QString(), DatabaseKey));
    SqlConfigurationDatabaseConnection configuration;
    SqlChamberDatabaseConnection store;
    QVERIFY(configuration.setConnections(&shared) && store.setConnections(&shared, &configuration, &m_rooms));

    ChamberData typed = networkChamber("10.0.0.1");
    typed.setChamberTypeKey({D::ClimateChamber, D::ClimateLight});
    ChamberData untyped = networkChamber("10.0.0.2");
    untyped.setChamberTypeKey({});
    QVERIFY(store.addChamber(typed) && store.addChamber(untyped));

    const QMap<int, ChamberSignal> definitions = store.getChamberSignalDefinitions(typed.id());
    QCOMPARE(definitions.keys(), (QList<int>{1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(definitions, configuration.getChamberTypeSignals({D::ClimateChamber, 0}));
    QVERIFY(store.getChamberSignalDefinitions(untyped.id()).isEmpty());
}

void tst_SqlChamberDatabaseConnection::toleranceRanges_holdFromTheirMomentOn_data()
{
    QTest::addColumn<QDateTime>("moment");
    // -1 none, else the index of the band in force.
    QTest::addColumn<int>("chamberBand");
    QTest::addColumn<int>("recordingBand");
    QTest::newRow("before the first band") << at(9) << -1 << 0;
    QTest::newRow("when the first band begins") << at(10) << 0 << 0;
    QTest::newRow("between the bands") << at(11) << 0 << 0;
    QTest::newRow("after the second band began") << at(12, 30) << 1 << 1;
}

void tst_SqlChamberDatabaseConnection::toleranceRanges_holdFromTheirMomentOn()
{
    QFETCH(QDateTime, moment);
    QFETCH(int, chamberBand);
    QFETCH(int, recordingBand);
    const int chamber = addChamber(networkChamber("10.0.0.1"));
    const int other = addChamber(networkChamber("10.0.0.2"));
    runSql("INSERT INTO recording (id, chamber_id) VALUES (7, ?)", {chamber});
    const int signal = D::ClimateTemperature; // in °C
    const QList<ToleranceRange> bands{
        {ToleranceRange::Absolute, {Unit::DegreeCelsius, 20.0}, {Unit::DegreeCelsius, 30.0}},
        // Distances keep their size in °C: no offset of the unit applies.
        {ToleranceRange::Relative, {Unit::Kelvin, -2.0}, {Unit::DegreeFahrenheit, 3.6}},
    };
    QVERIFY(m_store->addToleranceRange(at(10), chamber, signal, bands.at(0)));
    QVERIFY(m_store->addToleranceRange(at(12), chamber, signal, bands.at(1)));
    QVERIFY(m_store->addToleranceRange(at(8), other, signal, bands.at(0)));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*UNIQUE"));
    QVERIFY(!m_store->addToleranceRange(at(10), chamber, signal, bands.at(1)));

    const ToleranceRange relativeInCelsius(ToleranceRange::Relative, {Unit::DegreeCelsius, -2.0},
                                           {Unit::DegreeCelsius, 2.0});
    const QList<ToleranceRange> stored{bands.at(0), relativeInCelsius};
    const QMap<int, ChamberSignal> definitions = m_configuration->getSignals({signal});
    const ToleranceRange expected = stored.value(chamberBand);

    const QMap<int, ToleranceRange> ranges = m_store->getToleranceRanges(moment, chamber, definitions);
    QCOMPARE(ranges.keys(), chamberBand < 0 ? QList<int>() : QList<int>{signal});
    QVERIFY(isNear(ranges.value(signal), expected));
    QVERIFY(isNear(m_store->getToleranceRange(moment, chamber, signal), expected));
    const QMap<int, ToleranceRange> ofRecording = m_store->getRecordingToleranceRanges(moment, 7, definitions);
    QCOMPARE(ofRecording.keys(), QList<int>{signal});
    QVERIFY(isNear(ofRecording.value(signal), stored.at(recordingBand)));
}

QTEST_GUILESS_MAIN(tst_SqlChamberDatabaseConnection)

#include "tst_sqlchamberdatabaseconnection.moc"
