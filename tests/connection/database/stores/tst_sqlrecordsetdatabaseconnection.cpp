#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "support/cataloguebuilder.h"
#include "support/damageddatabase.h"
#include "support/databaseerrors.h"
#include "support/datadatabase.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"
#include "support/fakeroomstore.h"
#include "support/interruptingconnection.h"
#include "support/pinnedtimezone.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtCore/QThread>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::SqlText;
using D = quelta::test::DemoCatalogue;
using Values = QList<SetpointValue>;

namespace {

constexpr uint Recording = 1;
constexpr uint OtherRecording = 2;
// Signals that the catalogue does not know, enough for a full recording.
constexpr int FirstProbe = 101;
const ToleranceRange Band(ToleranceRange::Absolute, {Unit::DegreeCelsius, 20.0}, {Unit::DegreeCelsius, 30.0});

// The real chamber store, counting its tolerance lookups from other threads
// and those that begin while another one is still inside it.
class OverlapCheckingChamberStore : public SqlChamberDatabaseConnection
{
public:
    QAtomicInt inside, overlaps, lookupsOffThread;

    QMap<int, ToleranceRange> getRecordingToleranceRanges(const QDateTime &moment, const uint &recordingId,
                                                          const QMap<int, ChamberSignal> &definitions) override
    {
        overlaps.fetchAndAddOrdered(inside.fetchAndAddOrdered(1) != 0 ? 1 : 0);
        lookupsOffThread.fetchAndAddOrdered(QThread::currentThread() != thread() ? 1 : 0);
        const auto ranges = SqlChamberDatabaseConnection::getRecordingToleranceRanges(moment, recordingId, definitions);
        inside.deref();
        return ranges;
    }
};

QDateTime timeOf(int index)
{
    return QDateTime(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC).addSecs(60 * index);
}

SetpointValue value(int signalId, int unit, const QVariant &number, const ToleranceRange &range = {})
{
    return SetpointValue(signalId, UnitValue(unit, number), range);
}

// Its chamber mode is its index, which tells the rows of a read apart; every
// tenth has a camera image.
Recordset record(int index, const Values &values, uint recordingId = Recording, int alarmType = 0)
{
    return Recordset(-1, recordingId, timeOf(index), values, false, {}, alarmType,
                     index % 10 == 0 ? QString("shot%1.png").arg(index) : QString(), index);
}

// The values to four decimals, as a display shows them: a conversion in
// single precision is off by a few parts in ten million.
Values toFourDecimals(const Values &values)
{
    Values rounded;
    for (const SetpointValue &value : values) {
        const bool isNumber = value.rawValue().userType() == QMetaType::Float;
        const float number = float(qRound64(value.rawValue().toFloat() * 1e4) / 1e4);
        rounded.append(isNumber ? SetpointValue(value.signalId(), UnitValue(value.unit(), number), value.toleranceRange())
                                : value);
    }
    return rounded;
}

QList<int> indexesOf(const QList<Recordset> &records)
{
    QList<int> indexes;
    for (const Recordset &record : records)
        indexes.append(record.chamberMode());
    return indexes;
}

// The signals of the values of each record.
QVector<QList<int>> signalsOf(const QList<Recordset> &records)
{
    QVector<QList<int>> signalIds(records.size());
    for (int index = 0; index < records.size(); ++index) {
        for (const SetpointValue &value : records.at(index).values())
            signalIds[index].append(value.signalId());
    }
    return signalIds;
}

QList<int> span(int first, int last)
{
    QList<int> indexes;
    for (int index = first; index <= last; ++index)
        indexes.append(index);
    return indexes;
}

} // namespace

class tst_SqlRecordsetDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void notReady_givesEmptyResultsAndRunsNoStatement();
    void values_pairWithTheirSignalsColumn_data();
    void values_pairWithTheirSignalsColumn();
    void addRecordsets_storesAllOrNothingInOneTransaction();
    void reads_seeEveryChange_data();
    void reads_seeEveryChange();
    void selection_data();
    void selection();
    void pooledLoad_keepsTimeOrderAndLooksUpOneAtATime();
    void readsFailingMidway_giveNoRecordsAndKeepNone_data();
    void readsFailingMidway_giveNoRecordsAndKeepNone();
    void dependentReadsFailing_failTheOperationAndKeepNone_data();
    void dependentReadsFailing_failTheOperationAndKeepNone();
    void comments_onlyForExistingRecordSets();
    void times_keepInstantAndWallClockAcrossDaylightSaving();

private:
    // Each test replaces the objects of the one before; a fresh connection
    // name keeps the old connection's removal away from the new one.
    QTemporaryDir m_directory;
    int m_fileCount = 0;
    std::unique_ptr<SqliteConnection> m_catalogue;
    std::unique_ptr<SqliteConnection> m_data;
    std::unique_ptr<quelta::test::RecordingConnection> m_recorder;
    std::unique_ptr<SqlConfigurationDatabaseConnection> m_configuration;
    // The chamber store needs a room store to be ready; the tolerance lookups never ask it.
    quelta::test::FakeRoomStore m_rooms;
    std::unique_ptr<OverlapCheckingChamberStore> m_chambers;
    std::unique_ptr<SqlRecordsetDatabaseConnection> m_store;
};

void tst_SqlRecordsetDatabaseConnection::initTestCase()
{
    QCOMPARE(quelta::test::CatalogueBuilder::create(m_directory.filePath("catalogue"), D::content()), QString());
    QCOMPARE(quelta::test::createDataDatabase(m_directory.filePath("template")), QString());
}

void tst_SqlRecordsetDatabaseConnection::init()
{
    const QString name = QString("data%1").arg(++m_fileCount);
    QVERIFY(QFile::copy(m_directory.filePath("template"), m_directory.filePath(name)));
    m_data = std::make_unique<SqliteConnection>(name);
    m_catalogue = std::make_unique<SqliteConnection>("catalogue" + name);
    QVERIFY(m_data->open(m_directory.filePath(name), {}, {}, DatabaseKey));
    QVERIFY(m_catalogue->open(m_directory.filePath("catalogue"), {}, {}, DatabaseKey));
    m_configuration = std::make_unique<SqlConfigurationDatabaseConnection>();
    m_chambers = std::make_unique<OverlapCheckingChamberStore>();
    m_recorder = std::make_unique<quelta::test::RecordingConnection>(*m_data);
    m_store = std::make_unique<SqlRecordsetDatabaseConnection>();
    QVERIFY(m_configuration->setConnections(m_catalogue.get()));
    QVERIFY(m_chambers->setConnections(m_data.get(), m_configuration.get(), &m_rooms));
    QVERIFY(m_store->setConnections(m_recorder.get(), m_configuration.get(), m_chambers.get()));
    QVERIFY(m_data->execute(SqlText("INSERT INTO chamber (id) VALUES (1)")).first);
    QVERIFY(m_data->execute(SqlText("INSERT INTO recording (id, chamber_id) VALUES (1, 1), (2, 1)")).first);
    QVERIFY(m_chambers->addToleranceRange(timeOf(-1000), 1, D::ClimateTemperature, Band));
}

void tst_SqlRecordsetDatabaseConnection::notReady_givesEmptyResultsAndRunsNoStatement()
{
    SqlRecordsetDatabaseConnection store;
    QSignalSpy errors(&store, &SqlRecordsetDatabaseConnection::error);
    QVERIFY(!store.setConnections(m_recorder.get(), m_configuration.get(), nullptr));
    Recordset written = record(0, {});
    QVERIFY(!store.addRecordset(written));
    QVERIFY(!store.addRecordsets({written}));
    QCOMPARE(store.getRecordset(1), Recordset());
    QVERIFY(store.loadRecordsets(Recording, 0, 0, -1).isEmpty());
    // Too many signals are refused before the store looks at anything else.
    QVERIFY(!store.addSignalColumns(Recording, span(1, 49)));
    QCOMPARE(store.getRecordsetCount(Recording), qint64(0));
    QVERIFY(!store.initialize());
    QCOMPARE(quelta::test::errorsOf(errors), QVector<DatabaseConnectionError>(5, NOT_INITIALIZED).toList());
    QCOMPARE(m_recorder->statements(), QStringList());

    errors.clear();
    QVERIFY(store.setConnections(m_data.get(), m_configuration.get(), m_chambers.get()));
    QVERIFY(store.initialize());
    QVERIFY(m_data->execute(SqlText("DROP TABLE record_set_comment")).first);
    QVERIFY(!store.initialize());
    QCOMPARE(quelta::test::errorsOf(errors), QList<DatabaseConnectionError>{MISSING_TABLE});
}

void tst_SqlRecordsetDatabaseConnection::values_pairWithTheirSignalsColumn_data()
{
    QTest::addColumn<QList<int>>("signalColumns");
    QTest::addColumn<Recordset>("written");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<Values>("read");

    constexpr int Humidity = Unit::RelativeHumidityRH;
    const SetpointValue temperature = value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f);
    const SetpointValue humidity = value(D::ClimateHumidity, Humidity, 55.0f);
    const SetpointValue door = value(D::ClimateDoor, Unit::Bool, true);
    const SetpointValue noTemperature = value(D::ClimateTemperature, Unit::DegreeCelsius, {});
    const Values all{value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f, Band), humidity, door};
    const QList<int> columns{D::ClimateDoor, D::ClimateTemperature, D::ClimateHumidity};
    QTest::newRow("shuffled") << columns << record(1, {humidity, door, temperature}) << true << all;
    QTest::newRow("signal the catalogue no longer knows")
        << QList<int>{999, D::ClimateHumidity, D::ClimateTemperature}
        << record(1, {value(999, Unit::DegreeCelsius, 7.0f), humidity, temperature}) << true << all.mid(0, 2);
    QTest::newRow("no value, no alarm") << columns << record(1, {noTemperature}) << true << Values();
    QTest::newRow("no value, alarm")
        << columns << record(1, {noTemperature}, Recording, 3) << true
        << Values{value(D::ClimateTemperature, Unit::DegreeCelsius, {}, Band), value(D::ClimateHumidity, Humidity, {}),
                  value(D::ClimateDoor, Unit::None, {})};
    QTest::newRow("another unit")
        << columns << record(1, {value(D::ClimateTemperature, Unit::DegreeFahrenheit, 212.0f)}) << true
        << Values{value(D::ClimateTemperature, Unit::DegreeCelsius, 100.0f, Band), value(D::ClimateHumidity, Humidity, {}),
                  value(D::ClimateDoor, Unit::None, {})};
    QTest::newRow("value without a column") << QList<int>{D::ClimateTemperature} << record(1, {temperature, humidity})
                                            << false << Values();
    QTest::newRow("two values of one signal") << columns << record(1, {temperature, temperature}) << false << Values();
}

void tst_SqlRecordsetDatabaseConnection::values_pairWithTheirSignalsColumn()
{
    QFETCH(QList<int>, signalColumns);
    QFETCH(Recordset, written);
    QFETCH(bool, stored);
    QFETCH(Values, read);
    QVERIFY(m_store->addSignalColumns(Recording, signalColumns));
    QVERIFY(m_store->addSignalColumns(OtherRecording, signalColumns));

    QCOMPARE(m_store->addRecordset(written), stored);
    QCOMPARE(toFourDecimals(m_store->getRecordset(written.id()).values()), read);
    QCOMPARE(toFourDecimals(m_store->loadRecordsets(Recording, 0, 0, -1).value(0).values()), read);
    // A batch pairs and converts its values alike.
    written.setRecordingId(OtherRecording);
    QCOMPARE(m_store->addRecordsets({written}), stored);
    QCOMPARE(toFourDecimals(m_store->loadRecordsets(OtherRecording, 0, 0, -1).value(0).values()), read);
}

void tst_SqlRecordsetDatabaseConnection::addRecordsets_storesAllOrNothingInOneTransaction()
{
    QVERIFY(m_store->addSignalColumns(Recording, span(FirstProbe, FirstProbe + 47)));
    QVERIFY(m_store->addSignalColumns(OtherRecording, span(FirstProbe, FirstProbe + 47)));
    // Numbering from 1 again would put two signals into one column.
    QVERIFY(!m_store->addSignalColumns(Recording, {D::ClimateTemperature}));
    QList<Recordset> records;
    for (int index = 0; index < 400; ++index) {
        Values descending;
        for (int probe = FirstProbe + 47; probe >= FirstProbe; --probe)
            descending.append(value(probe, Unit::DegreeCelsius, float(index + probe / 4.0)));
        records.append(record(index, descending));
    }
    QVERIFY(m_store->addRecordsets(records));
    // 22 statements of 18 rows and one of 4: at most 999 bound values each.
    QCOMPARE(m_recorder->statements().filter("INSERT INTO record_set").size(), 23);
    QCOMPARE(m_data->selectRow(SqlText("SELECT signal_1, signal_48 FROM record_set WHERE chamber_mode = 399")),
             (QList<QVariant>{399 + FirstProbe / 4.0, 399 + (FirstProbe + 47) / 4.0}));

    for (Recordset &recordset : records)
        recordset.setRecordingId(OtherRecording);
    // The tenth statement fails, as on a full disk.
    QVERIFY(m_data->execute(SqlText("CREATE TRIGGER full_disk BEFORE INSERT ON record_set WHEN (SELECT count(*) FROM record_set "
                   "WHERE recording_id = 2) = 162 BEGIN SELECT RAISE(ABORT, 'full disk'); END")).first);
    QVERIFY(!m_store->addRecordsets(records));
    QCOMPARE(m_store->getRecordsetCount(OtherRecording), 0);
    // One column list serves every record of a batch.
    QVERIFY(!m_store->addRecordsets({records.first(), record(1, records.first().values())}));
    QVERIFY(!m_store->addRecordsets({records.first(), record(1, records.first().values().mid(1), OtherRecording)}));
}

void tst_SqlRecordsetDatabaseConnection::reads_seeEveryChange_data()
{
    QTest::addColumn<QString>("change");
    for (const char *change : {"addRecordset", "addRecordsets", "deleteRecordset", "deleteRecordsets",
                               "addSignalColumns", "addRecordsetComment", "deleteRecordsetComment",
                               "a removal whose count of columns fails"})
        QTest::newRow(change) << QString(change);
}

void tst_SqlRecordsetDatabaseConnection::reads_seeEveryChange()
{
    QFETCH(QString, change);
    const Values temperature{value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f)};
    QVERIFY(m_store->addSignalColumns(Recording, {D::ClimateTemperature}));
    QVERIFY(m_store->addRecordsets({record(0, temperature), record(1, temperature)}));
    QVERIFY(m_store->addRecordsets({record(2, {}, OtherRecording, 3)}));
    QVERIFY(m_store->addRecordsetComment({timeOf(3), 4, 3, "door opened"}));
    for (const uint recording : {Recording, OtherRecording})
        m_store->loadRecordsets(recording, 0, 0, -1);

    const QMap<QString, std::function<bool()>> changes{
        {"addRecordset", [&] { Recordset added = record(5, temperature); return m_store->addRecordset(added); }},
        {"addRecordsets", [&] { return m_store->addRecordsets({record(6, temperature), record(7, temperature)}); }},
        {"deleteRecordset", [&] { return m_store->deleteRecordset(1); }},
        {"deleteRecordsets", [&] { return m_store->deleteRecordsets(Recording); }},
        {"addSignalColumns", [&] { return m_store->addSignalColumns(OtherRecording, {D::ClimateHumidity}); }},
        {"addRecordsetComment", [&] { return m_store->addRecordsetComment({timeOf(4), 4, 2, "checked"}); }},
        {"deleteRecordsetComment", [&] { return m_store->deleteRecordsetComment(3); }},
        // The recording store removes a recording's rows, then asks for no
        // columns to make this store forget it: its id goes to the next one.
        {"a removal whose count of columns fails", [&] {
             const auto run = [&](const char *statement) { return m_data->execute(SqlText(statement)).first; };
             QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("FROM recording_has_signal_column"));
             return run("DELETE FROM record_set WHERE recording_id = 1")
                 && run("DELETE FROM recording_has_signal_column WHERE recording_id = 1")
                 && run("ALTER TABLE recording_has_signal_column RENAME TO renamed")
                 && !m_store->addSignalColumns(Recording, {})
                 && run("ALTER TABLE renamed RENAME TO recording_has_signal_column");
         }},
    };
    QVERIFY(changes.value(change)());

    // A store without cached entries reads what the database holds now.
    SqlRecordsetDatabaseConnection fresh;
    QVERIFY(fresh.setConnections(m_data.get(), m_configuration.get(), m_chambers.get()));
    for (const uint recording : {Recording, OtherRecording})
        QCOMPARE(m_store->loadRecordsets(recording, 0, 0, -1), fresh.loadRecordsets(recording, 0, 0, -1));
}

void tst_SqlRecordsetDatabaseConnection::selection_data()
{
    QTest::addColumn<QString>("read");
    // load: start index, row count, maximum count; range and camera: the
    // indexes of from and to (-1 for a null time) and the count; before
    // time: the index of the time (-1 for a null time), unused, the count;
    // before id: the id, unused, the count.
    QTest::addColumn<QList<qint64>>("arguments");
    QTest::addColumn<QList<int>>("indexes");

    QTest::newRow("load all") << "load" << QList<qint64>{0, 0, -1} << span(0, 100);
    QTest::newRow("load 5 spread") << "load" << QList<qint64>{0, 0, 5} << QList<int>{0, 25, 50, 75, 100};
    QTest::newRow("load 1 spread") << "load" << QList<qint64>{0, 0, 1} << QList<int>{0};
    QTest::newRow("load the first rows") << "load" << QList<qint64>{0, 10, 20} << span(0, 9);
    QTest::newRow("load 4 of the first") << "load" << QList<qint64>{0, 10, 4} << QList<int>{0, 3, 6, 9};
    QTest::newRow("load spread past the end") << "load" << QList<qint64>{0, 200, 5} << QList<int>{0, 49, 99};
    QTest::newRow("load from index") << "load" << QList<qint64>{40, 100, 7} << span(40, 100);
    QTest::newRow("load from index, short") << "load" << QList<qint64>{40, 30, -1} << QList<int>();
    QTest::newRow("load from before the start") << "load" << QList<qint64>{-1, 0, -1} << QList<int>();
    QTest::newRow("range of some") << "range" << QList<qint64>{10, 20, -1} << span(10, 20);
    QTest::newRow("range open at the end") << "range" << QList<qint64>{95, -1, -1} << span(95, 100);
    QTest::newRow("range and count") << "range" << QList<qint64>{98, 100, 2} << QList<int>{98, 99, 100, 0, 100};
    QTest::newRow("neither range nor count") << "range" << QList<qint64>{-1, -1, -1} << QList<int>();
    QTest::newRow("camera images") << "camera" << QList<qint64>{0, 50, -1} << QList<int>{0, 10, 20, 30, 40, 50};
    QTest::newRow("before a time") << "before time" << QList<qint64>{50, 0, 3} << QList<int>{49, 48, 47};
    QTest::newRow("newest") << "before time" << QList<qint64>{-1, 0, 2} << QList<int>{100, 99};
    QTest::newRow("before a time, no limit") << "before time" << QList<qint64>{3, 0, -1} << QList<int>{2, 1, 0};
    // The ids run against the time: id 5 is the record of index 96.
    QTest::newRow("before an id") << "before id" << QList<qint64>{5, 0, 3} << QList<int>{97, 98, 99};
}

void tst_SqlRecordsetDatabaseConnection::selection()
{
    QFETCH(QString, read);
    QFETCH(QList<qint64>, arguments);
    QFETCH(QList<int>, indexes);
    // Stored latest first, as from a chamber's data log: the ids run against the time.
    QList<Recordset> records;
    for (int index = 100; index >= 0; --index)
        records.append(record(index, {}));
    QVERIFY(m_store->addRecordsets(records));
    const auto time = [](qint64 index) { return index < 0 ? QDateTime() : timeOf(int(index)); };
    const QPair<QDateTime, QDateTime> range{time(arguments.at(0)), time(arguments.at(1))};
    const int count = int(arguments.at(2));

    const QMap<QString, std::function<QList<Recordset>()>> reads{
        {"load", [&] { return m_store->loadRecordsets(Recording, int(arguments.at(0)), arguments.at(1), count); }},
        {"range", [&] { return m_store->getRecordsetsInRange(Recording, range, count); }},
        {"camera", [&] { return m_store->getRecordsetsWithCameraImage(Recording, range, count); }},
        {"before time", [&] { return m_store->getRecordsetsBeforeTime(Recording, count, range.first); }},
        {"before id", [&] { return m_store->getRecordsetsBeforeId(Recording, count, arguments.at(0)); }},
    };
    QCOMPARE(indexesOf(reads.value(read)()), indexes);
}

void tst_SqlRecordsetDatabaseConnection::pooledLoad_keepsTimeOrderAndLooksUpOneAtATime()
{
    constexpr int Count = 20000;
    QVERIFY(m_store->addSignalColumns(Recording, {D::ClimateTemperature, D::ClimateHumidity}));
    const auto values = [](int index, const ToleranceRange &band) {
        return Values{value(D::ClimateTemperature, Unit::DegreeCelsius, 20.0f + index % 10, band),
                      value(D::ClimateHumidity, Unit::RelativeHumidityRH, float(index))};
    };
    QList<Recordset> records;
    for (int index = Count - 1; index >= 0; --index)
        records.append(record(index, values(index, {})));
    QVERIFY(m_store->addRecordsets(records));

    const QList<Recordset> loaded = m_store->loadRecordsets(Recording, 0, 0, -1);
    QCOMPARE(loaded.size(), Count);
    for (int index = 0; index < Count; ++index)
        QCOMPARE(loaded.at(index).values(), values(index, Band));
    QVERIFY(m_chambers->lookupsOffThread.loadAcquire() > 0);
    QCOMPARE(m_chambers->overlaps.loadAcquire(), 0);
}

void tst_SqlRecordsetDatabaseConnection::readsFailingMidway_giveNoRecordsAndKeepNone_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("read");
    for (const QString failure : {"interrupted", "damaged"}) {
        for (const QString read : {"pooled load", "load of the first rows", "range", "before a time"})
            QTest::newRow(qPrintable(read + ", " + failure)) << failure << read;
    }
}

// Rows given before a read fails are not the recording: each read gives no
// records, and none are kept for the next one.
void tst_SqlRecordsetDatabaseConnection::readsFailingMidway_giveNoRecordsAndKeepNone()
{
    QFETCH(QString, failure);
    QFETCH(QString, read);
    constexpr int Count = 6000;
    // By then two blocks of rows have gone to the converter pool.
    constexpr int RowsBeforeInterrupt = 5000;
    QVERIFY(m_store->addSignalColumns(Recording, {D::ClimateTemperature}));
    QList<Recordset> records;
    for (int index = 0; index < Count; ++index)
        records.append(record(index, {value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f)}));
    QVERIFY(m_store->addRecordsets(records));

    // With an index on the times, as a long recording's database may have,
    // rows come in time order before the read has reached them all. The file
    // is changed while the connection holds none of its pages.
    const QString name = QString("data%1").arg(m_fileCount);
    const QString path = m_directory.filePath(name);
    const QString index = "CREATE INDEX record_set_time ON record_set (recording_id, record_time)";
    m_data->close();
    QCOMPARE(failure == "damaged" ? quelta::test::runSqlScriptAndDamageItsMiddlePage(path, index)
                                  : quelta::test::runSqlScript(path, index),
             QString());
    QVERIFY(m_data->open(path, {}, {}, DatabaseKey));
    quelta::test::InterruptingConnection interrupting(*m_data, name, "FROM record_set LEFT JOIN", RowsBeforeInterrupt);
    SqlRecordsetDatabaseConnection store;
    QVERIFY(store.setConnections(failure == "interrupted" ? &interrupting : m_recorder.get(), m_configuration.get(),
                                 m_chambers.get()));
    QSignalSpy errors(m_data.get(), &SqliteConnection::error);
    QSignalSpy storeErrors(&store, &SqlRecordsetDatabaseConnection::error);

    const QMap<QString, std::function<QList<Recordset>()>> reads{
        {"pooled load", [&] { return store.loadRecordsets(Recording, 0, 0, -1); }},
        {"load of the first rows", [&] { return store.loadRecordsets(Recording, 0, Count, -1); }},
        {"range", [&] { return store.getRecordsetsInRange(Recording, {timeOf(0), timeOf(Count)}, -1); }},
        {"before a time", [&] { return store.getRecordsetsBeforeTime(Recording, -1, {}); }},
    };
    for (int attempt = 0; attempt < 2; ++attempt) {
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not read the result of .*record_set"));
        QCOMPARE(reads.value(read)().size(), 0);
        QCOMPARE(quelta::test::errorsOf(errors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
        QCOMPARE(quelta::test::errorsOf(storeErrors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
        errors.clear();
        storeErrors.clear();
    }
    if (failure == "interrupted") {
        QCOMPARE(interrupting.interruptions(), 2);
        QCOMPARE(m_store->loadRecordsets(Recording, 0, 0, -1).size(), Count);
    }
}

void tst_SqlRecordsetDatabaseConnection::dependentReadsFailing_failTheOperationAndKeepNone_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("operation");
    // How many records, or signal maps, the operation gives with nothing
    // failing; a write, those of the recording after it.
    QTest::addColumn<int>("count");
    // The range reads share their road with the load of the first rows and
    // the read of camera images, that before a time with that before an id.
    const QList<QPair<QString, int>> reads{
        {"getRecordset", 1}, {"pooled load", 10}, {"range", 10}, {"before a time", 10}, {"getSignalColumns", 1}};
    const QList<QPair<QString, int>> writes{{"addRecordset", 11}, {"addRecordsets", 12}};
    const auto addRows = [](const QString &failure, const QList<QPair<QString, int>> &operations) {
        for (const auto &operation : operations)
            QTest::newRow(qPrintable(operation.first + ", " + failure))
                << failure << operation.first << operation.second;
    };
    addRows("catalogue", reads + writes);
    addRows("signal columns", reads + writes);
    addRows("value columns", writes);
    addRows("closed", {{"addSignalColumns", 10}});
    addRows("record set", {{"deleteRecordset", 9}, {"deleteRecordsetComment", 10}, {"addRecordsetComment", 10}});
}

// A failed read of the signals' definitions or of the recording's signal
// columns looked like signals without columns: reads gave records without
// their values, and writes stored values in their own unit, to be read back
// in their signal's. A failed read of a record set's recording looked like
// no record set, and a delete left that recording's rows cached. Each
// operation now fails, and the same operation with nothing failing finds
// nothing of the failure kept.
void tst_SqlRecordsetDatabaseConnection::dependentReadsFailing_failTheOperationAndKeepNone()
{
    QFETCH(QString, failure);
    QFETCH(QString, operation);
    QFETCH(int, count);
    constexpr int Count = 10;
    const QList<int> both{D::ClimateTemperature, D::ClimateHumidity};
    const Values values{value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f),
                        value(D::ClimateHumidity, Unit::RelativeHumidityRH, 55.0f)};
    QVERIFY(m_store->addSignalColumns(Recording, both));
    QList<Recordset> records;
    for (int index = 0; index < Count; ++index)
        records.append(record(index, values));
    QVERIFY(m_store->addRecordsets(records));

    // The read that fails: an interrupt after its first row fails it; a
    // closed connection fails the count of columns.
    const QMap<QString, QString> failingRead{{"catalogue", "FROM signal WHERE"},
                                             {"signal columns", "FROM recording_has_signal_column"},
                                             {"value columns", "AND signal_id IN"},
                                             {"closed", "FROM recording_has_signal_column"},
                                             {"record set", "SELECT recording_id FROM record_set"}};
    const QString read = failingRead.value(failure);
    const QString name = QString("data%1").arg(m_fileCount);
    quelta::test::InterruptingConnection catalogue(*m_catalogue, "catalogue" + name, read, 1);
    quelta::test::InterruptingConnection data(*m_data, name, read, 1);
    SqliteConnection closed("closed" + name);
    QVERIFY(m_configuration->setConnections(&catalogue));
    quelta::domain::api::ISqlConnection *failing = &data;
    if (failure == "closed")
        failing = &closed;
    // A store of its own, with nothing cached yet.
    SqlRecordsetDatabaseConnection store;
    QVERIFY(store.setConnections(failing, m_configuration.get(), m_chambers.get()));

    using SignalsOfEach = QVector<QList<int>>;
    const auto loadAfter = [&](bool written) {
        return written ? signalsOf(store.loadRecordsets(Recording, 0, 0, -1)) : SignalsOfEach();
    };
    const QMap<QString, std::function<SignalsOfEach()>> operations{
        {"getRecordset", [&] {
             const Recordset found = store.getRecordset(3);
             return found == Recordset() ? SignalsOfEach() : signalsOf({found});
         }},
        {"pooled load", [&] { return signalsOf(store.loadRecordsets(Recording, 0, 0, -1)); }},
        {"range", [&] { return signalsOf(store.getRecordsetsInRange(Recording, {timeOf(0), timeOf(Count)}, -1)); }},
        {"before a time", [&] { return signalsOf(store.getRecordsetsBeforeTime(Recording, -1, {})); }},
        {"getSignalColumns", [&] {
             const QList<int> signalIds = store.getSignalColumns(Recording).keys();
             return signalIds.isEmpty() ? SignalsOfEach() : SignalsOfEach{signalIds};
         }},
        {"addRecordset", [&] {
             Recordset added = record(Count, values);
             return loadAfter(store.addRecordset(added));
         }},
        {"addRecordsets",
         [&] { return loadAfter(store.addRecordsets({record(Count, values), record(Count + 1, values)})); }},
        {"addSignalColumns", [&] { return loadAfter(store.addSignalColumns(OtherRecording, both)); }},
        {"deleteRecordset", [&] { return loadAfter(store.deleteRecordset(1)); }},
        {"deleteRecordsetComment", [&] { return loadAfter(store.deleteRecordsetComment(3)); }},
        {"addRecordsetComment", [&] { return loadAfter(store.addRecordsetComment({timeOf(3), 4, 3, "checked"})); }},
    };
    QSignalSpy errors(&store, &SqlRecordsetDatabaseConnection::error);
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not .*" + read));
    QCOMPARE(operations.value(operation)(), SignalsOfEach());
    QCOMPARE(quelta::test::errorsOf(errors), QList<DatabaseConnectionError>{EXECUTION_FAILED});
    QCOMPARE(m_store->getRecordsetCount(Recording), qint64(Count));

    QVERIFY(m_configuration->setConnections(m_catalogue.get()));
    QVERIFY(store.setConnections(m_recorder.get(), m_configuration.get(), m_chambers.get()));
    QCOMPARE(operations.value(operation)(), SignalsOfEach(count, both));
}

void tst_SqlRecordsetDatabaseConnection::comments_onlyForExistingRecordSets()
{
    QVERIFY(m_store->addRecordsets({record(0, {})}));
    // Record set -1 is none: its comment must not become that of record set 1.
    QVERIFY(!m_store->addRecordsetComment({timeOf(1), 4, -1, "lost"}));

    constexpr qint64 WideId = Q_INT64_C(5000000000);
    QVERIFY(m_data->execute(SqlText("INSERT INTO record_set (id, recording_id, record_time) VALUES (?, 1, ?)",
                                    {WideId, timeOf(2)})).first);
    const RecordsetComment comment(timeOf(3), 4, WideId, "door opened");
    QVERIFY(m_store->addRecordsetComment(comment));
    QCOMPARE(m_store->getRecordset(WideId).comment(), comment);
}

void tst_SqlRecordsetDatabaseConnection::times_keepInstantAndWallClockAcrossDaylightSaving()
{
    const quelta::test::PinnedTimeZone berlin("Europe/Berlin");
    QVERIFY(m_store->addSignalColumns(Recording, {D::ClimateTemperature}));
    // Every minute from an hour before to an hour after both changes of 2024.
    QList<QDateTime> stored;
    for (const QDate day : {QDate(2024, 3, 31), QDate(2024, 10, 27)}) {
        for (int minute = 0; minute <= 120; ++minute)
            stored.append(QDateTime(day, QTime(0, 0), Qt::UTC).addSecs(60 * minute));
    }
    QList<Recordset> records;
    for (int index = 0; index < stored.size(); ++index) {
        records.append(Recordset(-1, Recording, stored.at(index),
                                 {value(D::ClimateTemperature, Unit::DegreeCelsius, 21.5f)}, false, {}, 0, {}, index));
    }
    QVERIFY(m_store->addRecordsets(records));
    // A comment written in the repeated hour.
    const QDateTime commented = QDateTime(QDate(2024, 10, 27), QTime(1, 30), Qt::UTC);
    QVERIFY(m_store->addRecordsetComment({commented, 4, 3, "door opened"}));

    const auto sameLocalTime = [](const QDateTime &read, const QDateTime &utc) {
        const QDateTime local = utc.toLocalTime();
        return read.toMSecsSinceEpoch() == local.toMSecsSinceEpoch() && read.date() == local.date()
            && read.time() == local.time();
    };
    const QMap<QString, QList<Recordset>> reads{
        {"pooled load", m_store->loadRecordsets(Recording, 0, 0, -1)},
        {"load of the first rows", m_store->loadRecordsets(Recording, 0, 300, -1)},
        {"range", m_store->getRecordsetsInRange(Recording, {stored.first(), stored.last()}, -1)},
        {"before a time", m_store->getRecordsetsBeforeTime(Recording, -1, {})},
    };
    for (auto read = reads.cbegin(); read != reads.cend(); ++read) {
        QCOMPARE(read.value().size(), stored.size());
        for (const Recordset &record : read.value()) {
            QVERIFY2(sameLocalTime(record.recordTime(), stored.at(record.chamberMode())),
                     qPrintable(read.key() + ": " + record.recordTime().toString(Qt::ISODateWithMs)));
            // Its temperature band was looked up at that instant.
            QCOMPARE(record.toleranceRangeOf(D::ClimateTemperature), Band);
        }
    }
    QVERIFY(sameLocalTime(m_store->getRecordset(3).comment().creationTime(), commented));
}

QTEST_GUILESS_MAIN(tst_SqlRecordsetDatabaseConnection)

#include "tst_sqlrecordsetdatabaseconnection.moc"
