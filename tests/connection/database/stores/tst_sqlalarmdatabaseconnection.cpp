#include "connection/database/stores/sqlalarmdatabaseconnection.h"

#include "connection/database/core/sqliteconnection.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"
#include "support/democatalogue.h"
#include "support/fakeroomstore.h"
#include "support/recordingconnection.h"
#include "support/sqltext.h"

#include <QtCore/QRegularExpression>
#include <QtTest/QtTest>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::SqlText;
using D = quelta::test::DemoCatalogue;

class tst_SqlAlarmDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void notReady_givesErrorZeroAndRunsNoStatement();
    void alarm_keepsItsFieldsAndSignalsThroughItsLife_data();
    void alarm_keepsItsFieldsAndSignalsThroughItsLife();
    void signalDelay_fallsBackToTheTypesDefault();

private:
    static AlarmData alarm(const QVariantList &arguments, int chamberId = 1)
    {
        return AlarmData(-1, true, QDateTime(QDate(2024, 3, 1), QTime(10, 0), Qt::UTC), 2, false, 1, 7, "Door",
                         AlarmShortDescription("Door %1 open %2 s", arguments), "Close it", chamberId, {}, {1, 3}, {});
    }

    std::unique_ptr<quelta::test::DataStoreFixture> m_data;
    quelta::test::FakeRoomStore m_rooms;
    SqlConfigurationDatabaseConnection m_configuration;
    SqlChamberDatabaseConnection m_chambers;
    SqlAlarmDatabaseConnection m_store;
};

void tst_SqlAlarmDatabaseConnection::init()
{
    m_data = std::make_unique<quelta::test::DataStoreFixture>(D::content());
    QVERIFY(m_data->isValid());
    SqliteConnection &data = m_data->connection();
    QVERIFY(m_configuration.setConnections(&data));
    QVERIFY(m_chambers.setConnections(&data, &m_configuration, &m_rooms));
    QVERIFY(m_store.setConnections(&data, &m_configuration, &m_chambers));
}

void tst_SqlAlarmDatabaseConnection::notReady_givesErrorZeroAndRunsNoStatement()
{
    QCOMPARE(m_store.qt_metacast("IAlarmDatabaseConnection"),
             static_cast<void *>(static_cast<IAlarmDatabaseConnection *>(&m_store)));
    QSignalSpy errors(&m_store, &SqlAlarmDatabaseConnection::error);
    // A missing table only answers false.
    QVERIFY(m_data->run("DROP TABLE alarm_has_signal") && !m_store.initialize());

    quelta::test::RecordingConnection recorder(m_data->connection());
    QVERIFY(!m_store.setConnections(&recorder, &m_configuration, nullptr));
    AlarmData record = alarm({});
    QVERIFY(!m_store.initialize() && m_store.getAlarms().isEmpty() && m_store.getChamberAlarms(1).isEmpty());
    QVERIFY(!m_store.addAlarm(record) && !m_store.updateAlarm(record) && !m_store.deleteAlarm(1));
    QVERIFY(m_store.getAlarmSignalDelay(1, 1, false) == 0 && m_store.getAlarmCount(1) == -1);
    QCOMPARE(errors.count(), 8);
    for (const QList<QVariant> &arguments : errors)
        QCOMPARE(arguments.at(0).value<DatabaseConnectionError>(), NOT_INITIALIZED);
    QCOMPARE(recorder.statements(), QStringList());
}

void tst_SqlAlarmDatabaseConnection::alarm_keepsItsFieldsAndSignalsThroughItsLife_data()
{
    QTest::addColumn<QVariantList>("arguments");
    QTest::addColumn<QVariantList>("readBack");
    QTest::newRow("integer and decimal") << QVariantList{5, 2.5} << QVariantList{qint64(5), 2.5};
    QTest::newRow("text that reads as a number") << QVariantList{"42"} << QVariantList{"42"};
    QTest::newRow("none") << QVariantList() << QVariantList();
    // Counted, but only two are kept.
    QTest::newRow("three") << QVariantList{1, "x", 3} << QVariantList{qint64(1), "x"};
}

void tst_SqlAlarmDatabaseConnection::alarm_keepsItsFieldsAndSignalsThroughItsLife()
{
    QFETCH(QVariantList, arguments);
    QFETCH(QVariantList, readBack);
    if (arguments.size() > 2)
        QTest::ignoreMessage(QtWarningMsg, "Too many short description arguments: 3 instead of 2");
    AlarmData stored = alarm(arguments);
    QVERIFY(m_store.addAlarm(stored) && stored.id() > 0 && !stored.isUnsaved());
    const QList<AlarmData> alarms = m_store.getChamberAlarms(1);
    stored.setShortDescription({stored.shortDescription().text(), readBack});
    QCOMPARE(alarms, QList<AlarmData>{stored});
    for (int index = 0; index < readBack.size(); ++index)
        QCOMPARE(alarms.at(0).shortDescription().arguments().at(index).userType(), readBack.at(index).userType());
    QVERIFY(m_store.getChamberAlarms(2).isEmpty() && m_store.getAlarmCount(1) == 1);

    // An update used to write the new count beside the old arguments.
    AlarmData changed(stored.id(), false, {}, 3, true, 0, 0, "Door", AlarmShortDescription("Door %1", {"left"}), {},
                      -1, {}, {5}, {});
    QVERIFY(m_store.updateAlarm(changed));
    QCOMPARE(m_store.getAlarms(), QList<AlarmData>{changed});
    // A failing update used to have deleted the alarm's signals already.
    QVERIFY(m_data->run("CREATE TRIGGER refuse BEFORE UPDATE ON application_alarm BEGIN "
                        "SELECT RAISE(ABORT, 'refused'); END"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("refused"));
    QVERIFY(!m_store.updateAlarm(stored));
    QCOMPARE(m_store.getAlarms(), QList<AlarmData>{changed});

    // Deleting used to leave the signals to the next alarm, which got the id.
    QVERIFY(m_store.deleteAlarm(stored.id()));
    QVERIFY(m_data->connection().selectColumn(SqlText("SELECT signal_id FROM alarm_has_signal")).isEmpty());
    AlarmData next = alarm({});
    QVERIFY(m_store.addAlarm(next) && next.id() > stored.id());

    // An alarm whose signals could not be stored used to be taken back by a
    // second statement, which a crash in between (here: a refused DELETE)
    // missed, so that a retry stored the alarm twice.
    QVERIFY(m_data->run("CREATE TRIGGER refuseSignals BEFORE INSERT ON alarm_has_signal BEGIN "
                        "SELECT RAISE(ABORT, 'refused'); END"));
    QVERIFY(m_data->run("CREATE TRIGGER keepAlarms BEFORE DELETE ON application_alarm BEGIN "
                        "SELECT RAISE(ABORT, 'refused'); END"));
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("refused"));
    QTest::ignoreMessage(QtWarningMsg, "Failed to add alarm \"Door\"");
    AlarmData unsaved = alarm({});
    QVERIFY(!m_store.addAlarm(unsaved));
    QCOMPARE(unsaved.id(), -1);
    QCOMPARE(m_store.getAlarms(), QList<AlarmData>{next});
}

// Unset delays used to come out as -1, a wait of 136 years.
void tst_SqlAlarmDatabaseConnection::signalDelay_fallsBackToTheTypesDefault()
{
    ChamberData chamber;
    chamber.setChamberTypeKey({D::ClimateChamber, 0});
    QVERIFY(m_chambers.addChamber(chamber) && m_chambers.setSignalDelay(chamber.id(), D::ClimateTemperature, true, 45));
    AlarmData stored = alarm({}, chamber.id());
    QVERIFY(m_store.addAlarm(stored));
    // The chamber's own; unset in the chamber: the type's (5 minutes); none in the chamber: the type's.
    QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateTemperature, false), 45U);
    QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateTemperature, true), 300U);
    QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateHumidity, false), 60U);
    // Unset in the type: no wait; no range in the type, or no such alarm: the catalogue's default.
    QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateHumidity, true), 0U);
    QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateDoor, false), 180U);
    QCOMPARE(m_store.getAlarmSignalDelay(99, D::ClimateTemperature, false), 180U);

    // The chamber's delays, then the type's, unread: each used to lead on to
    // the next fallback.
    QSignalSpy errors(&m_store, &SqlAlarmDatabaseConnection::error);
    for (const QString table : {"chamber_has_signal_delay", "chamber_type_has_tolerance_range"}) {
        QVERIFY(m_data->run("ALTER TABLE " + table + " RENAME TO unreadable"));
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("no such table: " + table));
        QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateTemperature, true), 0U);
        QVERIFY(m_data->run("ALTER TABLE unreadable RENAME TO " + table));
    }
    QCOMPARE(quelta::test::errorsOf(errors), (QList<DatabaseConnectionError>{EXECUTION_FAILED, EXECUTION_FAILED}));
    QCOMPARE(m_store.getAlarmSignalDelay(stored.id(), D::ClimateTemperature, true), 300U);
}

QTEST_GUILESS_MAIN(tst_SqlAlarmDatabaseConnection)

#include "tst_sqlalarmdatabaseconnection.moc"
