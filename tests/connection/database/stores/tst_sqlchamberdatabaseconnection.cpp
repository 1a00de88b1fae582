#include "connection/database/stores/sqlchamberdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"
#include "domain/types/metatypes.h"
#include "support/cataloguebuilder.h"
#include "support/databaseerrors.h"
#include "support/datadatabase.h"
#include "support/democatalogue.h"
#include "support/fakeroomstore.h"
#include "support/interruptingconnection.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QSemaphore>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

#include <functional>
#include <memory>
#include <thread>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::domain::api::IChamberDatabaseConnection;
using quelta::test::errorsOf;
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

// More records than one block of the record-set store's reads: its pooled
// load makes its first band lookup while it still reads the rows, and the
// later ones on the threads of its pool.
constexpr int LoadedRecords = 3000;

using Ranges = QMap<int, ToleranceRange>;
const ToleranceRange Absolute{ToleranceRange::Absolute, {Unit::DegreeCelsius, 20.0}, {Unit::DegreeCelsius, 30.0}};

} // namespace

class tst_SqlChamberDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void notReady_givesErrorZeroAndRunsNoStatement();
    void initialize_needsChamberAndSubscriptionTables_data();
    void initialize_needsChamberAndSubscriptionTables();
    void chamber_roundTripsFieldByField_data();
    void chamber_roundTripsFieldByField();
    void updateChamber_freesTheAddressItGivesUp();
    void flagsSubscriptionsAndDelays_perChamberAndSignal();
    void signalNames_customOverrideTheTypes();
    void toleranceRanges_holdFromTheirMomentOn_data();
    void toleranceRanges_holdFromTheirMomentOn();
    void recordingToleranceRanges_cacheFiftyRecordingsBySignals();
    void recordingToleranceRanges_tenThreadsOneAtATime();
    void bandLookups_readAgainAfterAnInterruptedRead_data();
    void bandLookups_readAgainAfterAnInterruptedRead();
    void toleranceRange_failedCatalogueReadNeitherReadsNorStores();

private:
    int addChamber(ChamberData chamber) { return m_store->addChamber(chamber) ? chamber.id() : -1; }

    QTemporaryDir m_directory;
    int m_fileCount = 0;
    QString m_dataTemplate;
    // The catalogue is only read.
    SqliteConnection m_catalogue{"catalogue"};
    SqlConfigurationDatabaseConnection m_configuration;
    std::unique_ptr<SqliteConnection> m_data;
    std::unique_ptr<quelta::test::RecordingConnection> m_recorder;
    quelta::test::FakeRoomStore m_rooms;
    std::unique_ptr<SqlChamberDatabaseConnection> m_store;
};

void tst_SqlChamberDatabaseConnection::initTestCase()
{
    registerMetaTypes();
    QVERIFY(m_directory.isValid());
    const QString cataloguePath = m_directory.filePath("catalogue.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(cataloguePath, D::content()), QString());
    m_dataTemplate = m_directory.filePath("template.sqlite3");
    QCOMPARE(quelta::test::createDataDatabase(m_dataTemplate), QString());
    QVERIFY(m_catalogue.open(cataloguePath, QString(), QString(), DatabaseKey));
    QVERIFY(m_configuration.setConnections(&m_catalogue));
}

// The data on a file of its own: in one file with the catalogue, the
// catalogue's tolerance_range takes the place of the chamber's.
void tst_SqlChamberDatabaseConnection::init()
{
    m_store.reset();
    m_recorder.reset();
    m_data.reset();
    const QString path = m_directory.filePath(QString("data%1.sqlite3").arg(++m_fileCount));
    QVERIFY(QFile::copy(m_dataTemplate, path));
    m_data = std::make_unique<SqliteConnection>("data");
    QVERIFY(m_data->open(path, QString(), QString(), DatabaseKey));
    m_rooms.positions.clear();
    m_recorder = std::make_unique<quelta::test::RecordingConnection>(*m_data);
    m_store = std::make_unique<SqlChamberDatabaseConnection>();
    QVERIFY(m_store->setConnections(m_recorder.get(), &m_configuration, &m_rooms));
}

// The subscription and delay operations used to reach the missing
// connection before any test.
void tst_SqlChamberDatabaseConnection::notReady_givesErrorZeroAndRunsNoStatement()
{
    SqlChamberDatabaseConnection store;
    // With the connection at hand, an operation that forgets the test runs a statement.
    QVERIFY(!store.setConnections(m_recorder.get(), &m_configuration, nullptr));
    QSignalSpy errors(&store, &SqlChamberDatabaseConnection::error);

    ChamberData chamber = networkChamber("10.0.0.1");
    store.updateChamberField(chamber, ChamberColumn::CHAMBER_NAME);
    store.setChamberValue(1, ChamberColumn::IS_ARCHIVED, true);
    store.setCustomSignalNames(1, {{1, "Air"}});
    store.archiveChamber(1);
    store.unarchiveChamber(1);
    store.subscribeChamber(1);
    store.unsubscribeChamber(1);
    QVERIFY(!store.initialize());
    QVERIFY(!store.addChamber(chamber) && chamber.id() == ChamberData::NewChamberId);
    QVERIFY(store.getChambers(true).isEmpty() && store.getChamber(1, true).isNull());
    QVERIFY(!store.getChamberValue(1, ChamberColumn::ID).isValid());
    QVERIFY(store.getChamberSignalDefinitions(1).isEmpty() && store.getCustomSignalNames(1).isEmpty());
    QVERIFY(!store.updateChamber(chamber, true) && !store.deleteChamber(1));
    QVERIFY(store.getToleranceRanges(at(10), 1, {}).isEmpty());
    QVERIFY(store.getRecordingToleranceRanges(at(10), 1, {}).isEmpty());
    QCOMPARE(store.getToleranceRange(at(10), 1, 1), ToleranceRange());
    QVERIFY(!store.addToleranceRange(at(10), 1, 1, Absolute));
    QVERIFY(!store.isChamberSubscribed(1) && store.getSubscribedSignals(1).isEmpty());
    QVERIFY(!store.isAnySignalSubscribed(1, {1}) && !store.isSignalSubscribed(1, 1));
    QVERIFY(!store.subscribeChambers({1, 2}) && !store.unsubscribeChambers({1, 2}));
    QVERIFY(!store.subscribeSignal(1, 1) && !store.unsubscribeSignal(1, -1));
    QVERIFY(store.getSignalDelays(1, true).isEmpty() && store.getSignalDelay(1, 1, true) == -1);
    QVERIFY(!store.hasSignalDelay(1, 1, true) && !store.setSignalDelay(1, 1, true, 30));
    QCOMPARE(errors.count(), 32);
    for (const QList<QVariant> &arguments : errors)
        QCOMPARE(arguments.at(0).value<DatabaseConnectionError>(), NOT_INITIALIZED);
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
    // The facade finds the store by the interface's bare name as well.
    QCOMPARE(m_store->qt_metacast("IChamberDatabaseConnection"),
             static_cast<void *>(static_cast<IChamberDatabaseConnection *>(m_store.get())));

    if (!droppedTable.isEmpty())
        QVERIFY(m_data->execute(SqlText("DROP TABLE " + droppedTable)).first);
    QSignalSpy errors(m_store.get(), &SqlChamberDatabaseConnection::error);
    QCOMPARE(m_store->initialize(), droppedTable.isEmpty());
    QCOMPARE(errors.count(), droppedTable.isEmpty() ? 0 : 1);
    for (const QList<QVariant> &arguments : errors)
        QCOMPARE(arguments.at(0).value<DatabaseConnectionError>(), MISSING_TABLE);
    QCOMPARE(m_recorder->statements(), lookups.replaceInStrings(QRegularExpression("^"), "tableExists "));
}

void tst_SqlChamberDatabaseConnection::chamber_roundTripsFieldByField_data()
{
    QTest::addColumn<ChamberData>("chamber");
    const auto S = ChamberOperationMode::MODE_UNDEFINED;

    QTest::newRow("IPv4, MAC, converter, serial with leading zeros")
        << ChamberData(-1, "KLH 1", "00815", {D::ClimateChamber, D::ClimateWaterSupply}, QHostAddress("192.168.10.20"),
                       MacAddress::fromString("00-80-A3-01-02-03"), ActivationState::STATE_ACTIVE, S, false, true, {},
                       -1, -1, -1, -1, 17, 3, 1, {});
    QTest::newRow("IPv6") << ChamberData(-1, "TK 2", "4711", {D::TemperatureChamber, 0}, QHostAddress("fd00::20"), {},
                                         ActivationState::STATE_INACTIVE, S, true, false, {}, -1, -1, -1, -1, 2, 2, -1,
                                         {});
    // Type ids are 64 bits wide.
    QTest::newRow("COM port, no address, type ids beyond 32 bits")
        << ChamberData(-1, "CVC", "0042", {3000000000ULL, 5000000000ULL}, {}, {}, ActivationState::STATE_UNDEFINED, S,
                       false, false, "COM3", 19200, 8, 1, 2, 0, 7, -1, {});
    QTest::newRow("nothing set") << ChamberData();
}

void tst_SqlChamberDatabaseConnection::chamber_roundTripsFieldByField()
{
    QFETCH(ChamberData, chamber);
    QVERIFY(m_store->addChamber(chamber));
    QVERIFY(chamber.id() > 0);
    QCOMPARE(*m_store->getChamber(chamber.id(), false), chamber);
    QCOMPARE(m_store->getChambers(false).size(), 1);
}

// An update used to write only the new address's column, so that the old
// IPv4 address stayed, was still read, and kept other chambers from it; a
// single empty address used to be written as an empty text, which a second
// chamber without one could not share.
void tst_SqlChamberDatabaseConnection::updateChamber_freesTheAddressItGivesUp()
{
    ChamberData chamber = networkChamber("10.0.0.7");
    QVERIFY(m_store->addChamber(chamber));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not execute statement.*UNIQUE"));
    QTest::ignoreMessage(QtWarningMsg, "Failed to add chamber \"Chamber 10.0.0.7\"");
    QCOMPARE(addChamber(networkChamber("10.0.0.7")), -1);

    ChamberData changed = chamber;
    changed.setIpAddress(QHostAddress("fd00::5"));
    changed.setActivationState(ActivationState::STATE_CONNECTION_ERROR);
    changed.setLocation({3, {10.5, 20.25}});
    QVERIFY(m_store->updateChamber(changed, true));
    // The activation state is not the update's to write.
    changed.setActivationState(chamber.activationState());
    QCOMPARE(*m_store->getChamber(chamber.id(), true), changed);
    ChamberData taker = networkChamber("10.0.0.7");
    QVERIFY(m_store->addChamber(taker));

    QSignalSpy connectionErrors(m_data.get(), &SqliteConnection::error);
    m_store->updateChamberField(chamber, ChamberColumn::MAC_ADDRESS);
    m_store->setChamberValue(taker.id(), ChamberColumn::MAC_ADDRESS, QString(""));
    QCOMPARE(connectionErrors.count(), 0);
    QVERIFY(m_store->deleteChamber(chamber.id()));
    QCOMPARE(m_store->getChambers(false).size(), 1);
}

void tst_SqlChamberDatabaseConnection::flagsSubscriptionsAndDelays_perChamberAndSignal()
{
    const int a = addChamber(networkChamber("10.0.0.1"));
    const int b = addChamber(networkChamber("10.0.0.2"));
    m_store->archiveChamber(a);
    QVERIFY(m_store->getChamber(a, false)->isArchived() && !m_store->getChamber(b, false)->isArchived());
    m_store->unarchiveChamber(a);
    QVERIFY(!m_store->getChamber(a, false)->isArchived());

    for (const int signal : {1, 3, 5})
        QVERIFY(m_store->subscribeSignal(a, signal));
    QVERIFY(m_store->isSignalSubscribed(a, 3) && !m_store->isSignalSubscribed(a, 2));
    QVERIFY(!m_store->isSignalSubscribed(b, 3));
    QVERIFY(m_store->isAnySignalSubscribed(a, {2, 3}) && !m_store->isAnySignalSubscribed(a, {2, 4}));
    m_store->subscribeChamber(a);
    QVERIFY(m_store->isChamberSubscribed(a) && !m_store->isChamberSubscribed(b));
    QVERIFY(m_store->unsubscribeSignal(a, 3));
    QCOMPARE(m_store->getSubscribedSignals(a), (QList<int>{1, 5}));
    m_store->unsubscribeChamber(a);
    QVERIFY(!m_store->isChamberSubscribed(a) && m_store->getSubscribedSignals(a).isEmpty());
    QVERIFY(m_store->subscribeChambers({a, b}) && m_store->subscribeSignal(b, 1));
    QVERIFY(m_store->isChamberSubscribed(a) && m_store->unsubscribeChambers({a, b}));
    QVERIFY(!m_store->isChamberSubscribed(b) && m_store->getSubscribedSignals(b).isEmpty());

    QVERIFY(m_store->setSignalDelay(a, 1, true, 30) && m_store->setSignalDelay(a, 2, false, 90));
    QVERIFY(m_store->setSignalDelay(b, 1, true, 5));
    // The other delay of a signal with a row is unset: the row counts, the value is -1.
    QVERIFY(m_store->hasSignalDelay(a, 1, false));
    QCOMPARE(m_store->getSignalDelay(a, 1, false), -1);
    QCOMPARE(m_store->getSignalDelays(a, false), (QMap<int, int>{{1, -1}, {2, 90}}));
    QVERIFY(m_store->setSignalDelay(a, 1, false, 60));
    QCOMPARE(m_store->getSignalDelay(a, 1, false), 60);
    QCOMPARE(m_store->getSignalDelays(a, true), (QMap<int, int>{{1, 30}, {2, -1}}));
    QCOMPARE(m_store->getSignalDelays(b, true), (QMap<int, int>{{1, 5}}));
}

void tst_SqlChamberDatabaseConnection::signalNames_customOverrideTheTypes()
{
    ChamberData typed = networkChamber("10.0.0.1");
    typed.setChamberTypeKey({D::ClimateChamber, D::ClimateLight});
    QVERIFY(m_store->addChamber(typed));
    QCOMPARE(m_store->getChamberSignalDefinitions(typed.id()),
             m_configuration.getChamberTypeSignals({D::ClimateChamber, 0}));

    m_store->setCustomSignalNames(typed.id(), {{1, "Air"}, {3, "Door"}});
    m_store->setCustomSignalNames(typed.id(), {{1, "Air inlet"}});
    QCOMPARE(m_store->getCustomSignalNames(typed.id()), (QMap<int, QString>{{1, "Air inlet"}, {3, "Door"}}));
}

void tst_SqlChamberDatabaseConnection::toleranceRanges_holdFromTheirMomentOn_data()
{
    QTest::addColumn<QDateTime>("moment");
    // -1 none, else the index of the band in force.
    QTest::addColumn<int>("band");
    QTest::newRow("a moment before the first band") << at(9, 59) << -1;
    QTest::newRow("between the bands") << at(11) << 0;
    QTest::newRow("exactly when the last band begins") << at(12) << 1;
    QTest::newRow("after the last band began") << at(12, 30) << 1;
}

void tst_SqlChamberDatabaseConnection::toleranceRanges_holdFromTheirMomentOn()
{
    QFETCH(QDateTime, moment);
    QFETCH(int, band);
    const int chamber = addChamber(networkChamber("10.0.0.1"));
    QVERIFY(m_data->execute(SqlText("INSERT INTO recording (id, chamber_id) VALUES (7, ?)", {chamber})).first);
    const int signal = D::ClimateTemperature; // in °C
    const ToleranceRange inKelvin(ToleranceRange::Relative, {Unit::Kelvin, -2.0}, {Unit::Kelvin, 3.0});
    QVERIFY(m_store->addToleranceRange(at(10), chamber, signal, Absolute));
    QVERIFY(m_store->addToleranceRange(at(12), chamber, signal, inKelvin));
    QVERIFY(m_store->addToleranceRange(at(8), addChamber(networkChamber("10.0.0.2")), signal, Absolute));

    // A relative band keeps the size of its distances: no offset of the unit applies.
    const QList<ToleranceRange> stored{
        Absolute, {ToleranceRange::Relative, {Unit::DegreeCelsius, -2.0}, {Unit::DegreeCelsius, 3.0}}};
    const QMap<int, ChamberSignal> definitions = m_configuration.getSignals({signal});
    QCOMPARE(m_store->getToleranceRanges(moment, chamber, definitions),
             (band < 0 ? Ranges() : Ranges{{signal, stored.at(band)}}));
    QCOMPARE(m_store->getToleranceRange(moment, chamber, signal), stored.value(band));
    // A recording's signal takes its oldest band before the first began.
    QCOMPARE(m_store->getRecordingToleranceRanges(moment, 7, definitions),
             (Ranges{{signal, stored.at(qMax(band, 0))}}));
}

// The cache used to be keyed by the recording alone, so that a caller asking
// for other signals got the signals of the first.
void tst_SqlChamberDatabaseConnection::recordingToleranceRanges_cacheFiftyRecordingsBySignals()
{
    const int chamber = addChamber(networkChamber("10.0.0.1"));
    QVERIFY(m_data->execute(SqlText("INSERT INTO recording (id, chamber_id) VALUES (1, ?)", {chamber})).first);
    QVERIFY(m_store->addToleranceRange(at(10), chamber, D::ClimateTemperature, Absolute));
    QVERIFY(m_store->addToleranceRange(at(10), chamber, D::ClimateHumidity, Absolute));
    const auto statementsFor = [this](uint recording) {
        m_recorder->clear();
        m_store->getRecordingToleranceRanges(at(11), recording, m_configuration.getSignals({D::ClimateTemperature}));
        return m_recorder->statements().size();
    };
    for (uint recording = 1; recording <= 50; ++recording)
        QCOMPARE(statementsFor(recording), 1);
    QCOMPARE(statementsFor(1), 0);
    // The 51st evicts the recording asked for least recently: 2.
    QCOMPARE(statementsFor(51), 1);
    QCOMPARE(statementsFor(1), 0);
    QCOMPARE(statementsFor(2), 1);
    // A new band makes every recording's history stale.
    QVERIFY(m_store->addToleranceRange(at(11), chamber, D::ClimateTemperature, Absolute));
    QCOMPARE(statementsFor(1), 1);
    const QList<int> both{D::ClimateTemperature, D::ClimateHumidity};
    QCOMPARE(m_store->getRecordingToleranceRanges(at(11), 1, m_configuration.getSignals(both)).keys(), both);
}

// The record-set conversion asks from the threads of its pool.
void tst_SqlChamberDatabaseConnection::recordingToleranceRanges_tenThreadsOneAtATime()
{
    constexpr int Threads = 10;
    const int chamber = addChamber(networkChamber("10.0.0.1"));
    QVERIFY(m_store->addToleranceRange(at(10), chamber, D::ClimateTemperature, Absolute));
    // Recordings 1, 3, ... are of the chamber, the others of none.
    for (int recording = 1; recording <= Threads; ++recording)
        QVERIFY(m_data->execute(SqlText("INSERT INTO recording (id, chamber_id) VALUES (?, ?)",
               {recording, recording % 2 ? QVariant(chamber) : QVariant()})).first);
    const QMap<int, ChamberSignal> definitions = m_configuration.getSignals({D::ClimateTemperature});
    m_recorder->clear();

    QSemaphore start;
    QVector<Ranges> answers(Threads);
    std::vector<std::thread> threads;
    for (int thread = 0; thread < Threads; ++thread) {
        threads.emplace_back([&, thread] {
            start.acquire();
            answers[thread] = m_store->getRecordingToleranceRanges(at(11), thread + 1, definitions);
        });
    }
    start.release(Threads);
    for (std::thread &thread : threads)
        thread.join();
    for (int thread = 0; thread < Threads; ++thread)
        QCOMPARE(answers.at(thread), (thread % 2 ? Ranges() : Ranges{{D::ClimateTemperature, Absolute}}));
    QCOMPARE(m_recorder->statements().size(), Threads);
    QCOMPARE(m_recorder->mostStatementsAtOnce(), 1);
}

void tst_SqlChamberDatabaseConnection::bandLookups_readAgainAfterAnInterruptedRead_data()
{
    QTest::addColumn<QString>("read");
    // What the read that meets the interrupt gives: its answers, and those with the band.
    QTest::addColumn<int>("answers");
    QTest::addColumn<int>("withBand");
    QTest::newRow("lookup") << "lookup" << 0 << 0;
    // The interrupt stops the read of the rows as well, which is still running.
    QTest::newRow("pooled load") << "pooled load" << 0 << 0;
    QTest::newRow("before a time") << "before a time" << LoadedRecords << LoadedRecords - 1;
}

// A band history whose read was interrupted used to be kept as that of a
// chamber without bands: every later load of the recording gave its records
// without them, and reported nothing.
void tst_SqlChamberDatabaseConnection::bandLookups_readAgainAfterAnInterruptedRead()
{
    QFETCH(QString, read);
    QFETCH(int, answers);
    QFETCH(int, withBand);
    constexpr uint Recording = 7;
    const int signal = D::ClimateTemperature;
    const int chamber = addChamber(networkChamber("10.0.0.1"));
    QVERIFY(m_data->execute(SqlText("INSERT INTO recording (id, chamber_id) VALUES (?, ?)", {Recording, chamber})).first);
    // Two bands, so that the read stops after the first.
    QVERIFY(m_store->addToleranceRange(at(8), chamber, signal, Absolute));
    QVERIFY(m_store->addToleranceRange(at(9), chamber, signal, Absolute));
    SqlRecordsetDatabaseConnection recordsets;
    QVERIFY(recordsets.setConnections(m_data.get(), &m_configuration, m_store.get()));
    QVERIFY(recordsets.addSignalColumns(Recording, {signal}));
    QList<Recordset> records;
    for (int index = 0; index < LoadedRecords; ++index)
        records.append(Recordset(-1, Recording, at(10).addSecs(index),
                                 {SetpointValue(signal, UnitValue(Unit::DegreeCelsius, 21.5f))}, false, {}, 0, {}, 0));
    QVERIFY(recordsets.addRecordsets(records));
    quelta::test::InterruptingConnection interrupting(*m_data, "data", "FROM tolerance_range WHERE chamber_id = \\(",
                                                      1, 1);
    QVERIFY(m_store->setConnections(&interrupting, &m_configuration, &m_rooms));

    const auto bandsOf = [](const QList<Recordset> &loaded) {
        QList<ToleranceRange> bands;
        for (const Recordset &record : loaded)
            bands.append(record.values().value(0).toleranceRange());
        return bands;
    };
    const QMap<int, ChamberSignal> definitions = m_configuration.getSignals({signal});
    const QMap<QString, std::function<QList<ToleranceRange>()>> reads{
        {"lookup", [&] { return m_store->getRecordingToleranceRanges(at(11), Recording, definitions).values(); }},
        {"pooled load", [&] { return bandsOf(recordsets.loadRecordsets(Recording, 0, 0, -1)); }},
        {"before a time", [&] { return bandsOf(recordsets.getRecordsetsBeforeTime(Recording, -1, {})); }},
    };
    QSignalSpy connectionErrors(m_data.get(), &SqliteConnection::error);
    QSignalSpy storeErrors(m_store.get(), &SqlChamberDatabaseConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not read the result of .*FROM tolerance_range"));
    if (read == "pooled load")
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not read the result of .*FROM record_set"));
    const QList<ToleranceRange> interrupted = reads.value(read)();
    QCOMPARE(interrupting.interruptions(), 1);
    QCOMPARE(interrupted.size(), answers);
    QCOMPARE(interrupted.count(Absolute), withBand);
    QCOMPARE(errorsOf(storeErrors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
    connectionErrors.clear();
    storeErrors.clear();

    QCOMPARE(reads.value(read)(), QVector<ToleranceRange>(read == "lookup" ? 1 : LoadedRecords, Absolute).toList());
    QCOMPARE(errorsOf(connectionErrors), QList<DatabaseConnectionError>());
    QCOMPARE(errorsOf(storeErrors), QList<DatabaseConnectionError>());
}

// A failed read of the catalogue used to give the signal no unit: the band
// was read in none, and written unconverted.
void tst_SqlChamberDatabaseConnection::toleranceRange_failedCatalogueReadNeitherReadsNorStores()
{
    const int chamber = addChamber(networkChamber("10.0.0.1"));
    const int signal = D::ClimateTemperature;
    QVERIFY(m_store->addToleranceRange(at(10), chamber, signal, Absolute));
    SqliteConnection closed("closed catalogue");
    SqlConfigurationDatabaseConnection failing;
    QVERIFY(failing.setConnections(&closed));
    QVERIFY(m_store->setConnections(m_recorder.get(), &failing, &m_rooms));
    QSignalSpy errors(m_store.get(), &SqlChamberDatabaseConnection::error);

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("the database is not open"));
    QCOMPARE(m_store->getToleranceRange(at(11), chamber, signal), ToleranceRange());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("the database is not open"));
    QVERIFY(!m_store->addToleranceRange(at(12), chamber, signal, Absolute));
    QCOMPARE(errorsOf(errors), (QList<DatabaseConnectionError>{EXECUTION_FAILED, EXECUTION_FAILED}));
    QCOMPARE(m_data->selectValue(SqlText("SELECT COUNT(*) FROM tolerance_range")), QVariant(1));
}

QTEST_GUILESS_MAIN(tst_SqlChamberDatabaseConnection)

#include "tst_sqlchamberdatabaseconnection.moc"
