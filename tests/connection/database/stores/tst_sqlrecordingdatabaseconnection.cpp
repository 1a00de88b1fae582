#include "connection/database/stores/sqlrecordingdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"
#include "support/cataloguebuilder.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"
#include "support/democatalogue.h"
#include "support/fakeroomstore.h"
#include "support/recordingconnection.h"

#include <QtCore/QRegularExpression>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using D = quelta::test::DemoCatalogue;

namespace {

constexpr int Chamber = 1;
constexpr uint User = 1;
const QDateTime Start(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC);

// The recording and every row that names it: the recording, its record sets,
// their comments, its signal columns, the links that group it, its cameras
// and users' configurations of it.
const char RowsNaming[] = "SELECT (SELECT count(*) FROM recording WHERE id = %1) || ',' || (SELECT count(*) FROM "
    "record_set WHERE recording_id = %1) || ',' || (SELECT count(*) FROM record_set_comment) || ',' || (SELECT "
    "count(*) FROM recording_has_signal_column WHERE recording_id = %1) || ',' || (SELECT count(*) FROM "
    "meta_recording_has_recording WHERE recording_id = %1) || ',' || (SELECT count(*) FROM camera WHERE "
    "recording_id = %1) || ',' || (SELECT count(*) FROM user_recording_config WHERE recording_id = %1)";

RecordingData withSignals(const QMap<int, ChamberSignal> &signalMap, const QList<uint> &grouped = {})
{
    RecordingData recording;
    recording.setRecordingSignals(signalMap);
    recording.setMetaRecordingIds(grouped);
    return recording;
}

} // namespace

class tst_SqlRecordingDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void notReady_givesEmptyResultsAndRunsNoStatement();
    void recording_roundTrips_data();
    void recording_roundTrips();
    void addRecording_addsAllOrNothing_data();
    void addRecording_addsAllOrNothing();
    void deleteRecording_sparesGroupedRecordings_andLeavesNothingToInherit();
    void withoutOptionalTables_addAndDeleteAsAWhole();
    void readsFailing_giveNoRecordingAndKeepNone_data();
    void readsFailing_giveNoRecordingAndKeepNone();

private:
    QMap<int, ChamberSignal> signalsNamed(const QList<int> &ids);
    QString rowsNaming(uint id) { return m_data->value(QString(RowsNaming).arg(id)).toString(); }

    QTemporaryDir m_directory;
    SqliteConnection m_catalogue{"catalogue"};
    SqlConfigurationDatabaseConnection m_configuration;
    quelta::test::FakeRoomStore m_rooms;
    std::unique_ptr<quelta::test::DataStoreFixture> m_data;
    std::unique_ptr<SqlChamberDatabaseConnection> m_chambers;
    std::unique_ptr<SqlRecordsetDatabaseConnection> m_recordsets;
    std::unique_ptr<SqlRecordingDatabaseConnection> m_store;
};

void tst_SqlRecordingDatabaseConnection::initTestCase()
{
    const QString catalogue = m_directory.filePath("catalogue");
    QCOMPARE(quelta::test::CatalogueBuilder::create(catalogue, D::content()), QString());
    QVERIFY(m_catalogue.open(catalogue, {}, {}, DatabaseKey));
    QVERIFY(m_configuration.setConnections(&m_catalogue));
}

void tst_SqlRecordingDatabaseConnection::init()
{
    m_data = std::make_unique<quelta::test::DataStoreFixture>();
    m_chambers = std::make_unique<SqlChamberDatabaseConnection>();
    m_recordsets = std::make_unique<SqlRecordsetDatabaseConnection>();
    m_store = std::make_unique<SqlRecordingDatabaseConnection>();
    QVERIFY(m_data->isValid());
    QVERIFY(m_chambers->setConnections(&m_data->connection(), &m_configuration, &m_rooms));
    QVERIFY(m_recordsets->setConnections(&m_data->connection(), &m_configuration, m_chambers.get()));
    QVERIFY(m_store->setConnections(&m_data->connection(), m_chambers.get(), m_recordsets.get()));
    QVERIFY(m_data->run("INSERT INTO chamber (id) VALUES (1)"));
    QVERIFY(m_data->run("INSERT INTO application_user (id) VALUES (1)"));
    m_chambers->setCustomSignalNames(Chamber, {{D::ClimateHumidity, "Chamber humidity"}});
}

// The catalogue's signals, under the chamber's custom names.
QMap<int, ChamberSignal> tst_SqlRecordingDatabaseConnection::signalsNamed(const QList<int> &ids)
{
    QMap<int, ChamberSignal> signalMap = m_configuration.getSignals(ids);
    if (signalMap.contains(D::ClimateHumidity))
        signalMap[D::ClimateHumidity].setName("Chamber humidity");
    return signalMap;
}

void tst_SqlRecordingDatabaseConnection::notReady_givesEmptyResultsAndRunsNoStatement()
{
    quelta::test::RecordingConnection recorder(m_data->connection());
    SqlRecordingDatabaseConnection store;
    QSignalSpy errors(&store, &SqlRecordingDatabaseConnection::error);
    QVERIFY(!store.setConnections(&recorder, m_chambers.get(), nullptr));
    RecordingData recording = withSignals(signalsNamed({D::ClimateDoor}));
    QVERIFY(!store.addRecording(recording));
    QVERIFY(store.getRecordings().isEmpty());
    QVERIFY(!store.getRecording(1));
    QVERIFY(!store.deleteRecording(1));
    QVERIFY(!store.initialize());
    QCOMPARE(quelta::test::errorsOf(errors), QVector<DatabaseConnectionError>(5, NOT_INITIALIZED).toList());
    QCOMPARE(recorder.statements(), QStringList());

    errors.clear();
    QVERIFY(store.setConnections(&recorder, m_chambers.get(), m_recordsets.get()));
    // A recording that is not there reads as a row of the wrong width.
    QVERIFY(!store.getRecording(7));
    QVERIFY(store.initialize());
    QVERIFY(m_data->run("DROP TABLE recording"));
    QVERIFY(!store.initialize());
    QCOMPARE(quelta::test::errorsOf(errors), (QList<DatabaseConnectionError>{UNEXPECTED_RESULT, MISSING_TABLE}));
}

void tst_SqlRecordingDatabaseConnection::recording_roundTrips_data()
{
    QTest::addColumn<RecordingData>("written");
    QTest::addColumn<RecordingData>("rewritten");
    // Whether the name, chamber, user, interval and both times are NULL.
    QTest::addColumn<QList<bool>>("nulls");

    const RecordingData every(0, "Run 7", Chamber, User, 60, Start.toLocalTime(), Start.addDays(2), true, true, "info",
                              "notes", 2, signalsNamed({D::ClimateTemperature, D::ClimateHumidity}), {}, false, 5);
    QTest::newRow("every field, then none") << every << RecordingData() << QList<bool>{false, true};
    QTest::newRow("no field, then every") << RecordingData() << every << QList<bool>{true, false};
}

void tst_SqlRecordingDatabaseConnection::recording_roundTrips()
{
    QFETCH(RecordingData, written);
    QFETCH(RecordingData, rewritten);
    QFETCH(QList<bool>, nulls);
    const auto allAbsent = [this] {
        return m_data->value("SELECT recording_name IS NULL AND chamber_id IS NULL AND user_id IS NULL AND "
                             "seconds_interval IS NULL AND start_time IS NULL AND end_time IS NULL FROM recording")
            .toBool();
    };

    QVERIFY(m_store->addRecording(written));
    QCOMPARE(*m_store->getRecording(written.id()), written);
    QCOMPARE(allAbsent(), nulls.at(0));
    QCOMPARE(m_store->getActiveRecordingId(Chamber), written.isActive() ? written.id() : 0U);

    // The signals stay as they were added, named as the recording's chamber names them.
    const QList<int> signalIds = written.recordingSignals().keys();
    rewritten.setId(written.id());
    rewritten.setRecordingSignals(rewritten.chamberId() == Chamber ? signalsNamed(signalIds)
                                                                   : m_configuration.getSignals(signalIds));
    QVERIFY(m_store->updateRecording(rewritten));
    const QList<QSharedPointer<RecordingData>> recordings = m_store->getRecordings();
    QCOMPARE(recordings.size(), 1);
    QCOMPARE(*recordings.first(), rewritten);
    QCOMPARE(allAbsent(), nulls.at(1));

    rewritten.setFreeText("renamed");
    QVERIFY(m_store->updateRecordingField(rewritten, RecordingColumn::FREE_TEXT));
    QCOMPARE(m_store->getRecordingValue(written.id(), RecordingColumn::FREE_TEXT), QVariant("renamed"));
}

void tst_SqlRecordingDatabaseConnection::addRecording_addsAllOrNothing_data()
{
    QTest::addColumn<RecordingData>("recording");

    QMap<int, ChamberSignal> tooMany;
    for (int id = 101; id <= 149; ++id)
        tooMany.insert(id, ChamberSignal());
    QTest::newRow("49 signals") << withSignals(tooMany);
    QTest::newRow("grouping a missing recording") << withSignals(signalsNamed({D::ClimateDoor}), {99});
}

void tst_SqlRecordingDatabaseConnection::addRecording_addsAllOrNothing()
{
    QFETCH(RecordingData, recording);

    QVERIFY(!m_store->addRecording(recording));
    QCOMPARE(recording.id(), 0U);
    QCOMPARE(rowsNaming(1), QString("0,0,0,0,0,0,0"));
}

void tst_SqlRecordingDatabaseConnection::deleteRecording_sparesGroupedRecordings_andLeavesNothingToInherit()
{
    RecordingData grouped = withSignals(signalsNamed({D::ClimateTemperature, D::ClimateHumidity}));
    QVERIFY(m_store->addRecording(grouped));
    RecordingData meta = withSignals({}, {grouped.id()});
    QVERIFY(m_store->addRecording(meta));
    const uint id = grouped.id();
    Recordset record(-1, id, Start, {SetpointValue(D::ClimateTemperature, UnitValue(Unit::DegreeCelsius, 21.5f))},
                     false, {}, 0, {}, 0);
    QVERIFY(m_recordsets->addRecordset(record));
    QVERIFY(m_recordsets->addRecordsetComment({Start, User, record.id(), "door opened"}));
    QVERIFY(m_data->run(QString("INSERT INTO camera (usb_port, recording_id) VALUES ('usb0', %1)").arg(id)));
    QVERIFY(m_data->run(QString("INSERT INTO user_recording_config VALUES (1, %1, 'zoom')").arg(id)));
    QCOMPARE(m_recordsets->loadRecordsets(id, 0, 0, -1).size(), 1);

    // New links replace the old ones only as a whole.
    QVERIFY(!m_store->setMetaRecordingIds(meta.id(), {id, 99}));
    QCOMPARE(m_store->getMetaRecordingIds(meta.id()), QList<uint>{id});
    QTest::ignoreMessage(QtWarningMsg, "Can't delete recording 1: a meta recording groups it");
    QVERIFY(!m_store->deleteRecording(id));
    QCOMPARE(rowsNaming(id), QString("1,1,1,2,1,1,1"));

    QVERIFY(m_store->deleteRecording(meta.id()));
    QVERIFY(m_store->deleteRecording(id));
    QCOMPARE(rowsNaming(id), QString("0,0,0,0,0,0,0"));
    QVERIFY(m_recordsets->loadRecordsets(id, 0, 0, -1).isEmpty());

    // SQLite gives the newest id to the next recording.
    RecordingData next = withSignals(signalsNamed({D::ClimateDoor}));
    QVERIFY(m_store->addRecording(next));
    QCOMPARE(next.id(), id);
    QCOMPARE(rowsNaming(id), QString("1,0,0,1,0,0,0"));
    QCOMPARE(*m_store->getRecording(id), next);
    // Read while the id named no recording, its signal columns are read afresh.
    Recordset door(-1, id, Start, {SetpointValue(D::ClimateDoor, UnitValue(Unit::Bool, true))}, false, {}, 0, {}, 0);
    QVERIFY(m_recordsets->addRecordset(door));
    QCOMPARE(m_recordsets->loadRecordsets(id, 0, 0, -1).value(0).values().size(), 1);
}

// Neither the schema creation makes camera and user_recording_config nor
// does initialize() ask for them.
void tst_SqlRecordingDatabaseConnection::withoutOptionalTables_addAndDeleteAsAWhole()
{
    QVERIFY(m_data->run("DROP TABLE camera") && m_data->run("DROP TABLE user_recording_config"));
    const auto rowsLeft = [this] {
        return m_data->value("SELECT (SELECT count(*) FROM recording) || ',' || (SELECT count(*) FROM record_set) "
                             "|| ',' || (SELECT count(*) FROM recording_has_signal_column)").toString();
    };
    // Its clean-up used to fail on the missing table and leave the row.
    RecordingData refused = withSignals(signalsNamed({D::ClimateDoor}), {99});
    QVERIFY(!m_store->addRecording(refused));
    QCOMPARE(rowsLeft(), QString("0,0,0"));

    RecordingData recording = withSignals(signalsNamed({D::ClimateTemperature}));
    QVERIFY(m_store->addRecording(recording));
    Recordset record(-1, recording.id(), Start, {SetpointValue(D::ClimateTemperature, UnitValue(Unit::DegreeCelsius, 21.5f))},
                     false, {}, 0, {}, 0);
    QVERIFY(m_recordsets->addRecordset(record));
    // A refusal used to be blamed on the record sets.
    QVERIFY(m_data->run("CREATE TRIGGER keep BEFORE DELETE ON recording BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("kept"));
    QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("Can't delete recording %1: the database refused to delete "
                                                          "it or a row that names it").arg(recording.id())));
    QVERIFY(!m_store->deleteRecording(recording.id()));
    QCOMPARE(rowsLeft(), QString("1,1,1"));

    QVERIFY(m_data->run("DROP TRIGGER keep"));
    QVERIFY(m_store->deleteRecording(recording.id()));
    QCOMPARE(rowsLeft(), QString("0,0,0"));
}


void tst_SqlRecordingDatabaseConnection::readsFailing_giveNoRecordingAndKeepNone_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("the catalogue's signals") << "signal";
    QTest::newRow("the recording's signal columns") << "recording_has_signal_column";
    QTest::newRow("the chamber's names for them") << "chamber_has_custom_signal_name";
    QTest::newRow("its meta links") << "meta_recording_has_recording";
}

// A read that failed gave a recording without its signals, their names or
// its links, as if it had none.
void tst_SqlRecordingDatabaseConnection::readsFailing_giveNoRecordingAndKeepNone()
{
    QFETCH(QString, table);
    RecordingData recording = withSignals(signalsNamed({D::ClimateTemperature, D::ClimateHumidity}));
    recording.setChamberId(Chamber);
    QVERIFY(m_store->addRecording(recording));
    SqliteConnection &holder = table == "signal" ? m_catalogue : m_data->connection();
    const auto rename = [&holder](const QString &from, const QString &to) {
        return holder.execute(quelta::test::SqlText("ALTER TABLE " + from + " RENAME TO " + to)).first;
    };

    QVERIFY(rename(table, "renamed"));
    QSignalSpy errors(m_store.get(), &SqlRecordingDatabaseConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
    QVERIFY(m_store->getRecording(recording.id()).isNull());
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table"));
    QVERIFY(m_store->getRecordings().isEmpty());
    QCOMPARE(quelta::test::errorsOf(errors), (QList<DatabaseConnectionError>{EXECUTION_FAILED, EXECUTION_FAILED}));

    QVERIFY(rename("renamed", table));
    QCOMPARE(*m_store->getRecording(recording.id()), recording);
}

QTEST_GUILESS_MAIN(tst_SqlRecordingDatabaseConnection)

#include "tst_sqlrecordingdatabaseconnection.moc"
