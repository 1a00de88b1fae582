#include "connection/database/stores/sqlsettingsdatabaseconnection.h"

#include "domain/types/metatypes.h"
#include "support/databaseerrors.h"
#include "support/datastorefixture.h"

#include <QtTest/QtTest>

#include <functional>

using namespace quelta::base::connection::databaseconnection;
using namespace quelta::domain::types;
using quelta::test::errorsOf;
using Store = SqlSettingsDatabaseConnection;

namespace {

struct Accessor
{
    std::function<QVariant(Store &)> get;
    std::function<bool(Store &, const QVariant &)> set;
};

#define ACCESSOR(getter, setter, Type)                                                                                 \
    {                                                                                                                  \
        #getter, Accessor { [](Store &store) { return QVariant(store.getter()); },                                     \
                            [](Store &store, const QVariant &value) { return store.setter(value.value<Type>()); } } \
    }

const QMap<QString, Accessor> Accessors{
    ACCESSOR(getQuickRecordingNameTemplate, setQuickRecordingNameTemplate, QString),
    ACCESSOR(getQuickRecordingInterval, setQuickRecordingInterval, int),
    ACCESSOR(getResumeRecordingsOnStartup, setResumeRecordingsOnStartup, bool),
    ACCESSOR(isAccessControlActive, setAccessControlActive, bool),
    ACCESSOR(getPasswordValidityPeriod, setPasswordValidityPeriod, int),
    ACCESSOR(getScreenLockTimeout, setScreenLockTimeout, int),
    ACCESSOR(getEventDoRepeat, setEventDoRepeat, bool),
    ACCESSOR(getEventRepetitionInterval, setEventRepetitionInterval, int),
    ACCESSOR(getPrealarmDelay, setPrealarmDelay, int),
    ACCESSOR(getMaxFailedLogins, setMaxFailedLogins, int),
    ACCESSOR(getQueltaConnectionAttempts, setQueltaConnectionAttempts, int),
    ACCESSOR(isQueltaActive, setQueltaActive, bool),
    ACCESSOR(getTocsaConnectionAttempts, setTocsaConnectionAttempts, int),
    ACCESSOR(isTocsaActive, setTocsaActive, bool),
};

const QString DefaultTemplate = "RECORDING_%USERNAME%_%DATE%_%TIME%";

} // namespace

class tst_SqlSettingsDatabaseConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registerMetaTypes(); }
    void scalarSetting_defaultsThenPersistsWithoutTheRow_data();
    void scalarSetting_defaultsThenPersistsWithoutTheRow();
    void compositeSettings_defaultsThenRoundTrip();
    void mailRecipientsAndSettingsRow_areGuarded_thenRepeatAndExistOnce();
};

void tst_SqlSettingsDatabaseConnection::scalarSetting_defaultsThenPersistsWithoutTheRow_data()
{
    QTest::addColumn<QString>("getter");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("written");
    QTest::addColumn<QVariant>("readBack");
    const auto row = [](const char *getter, const char *column, QVariant defaultValue, QVariant written) {
        QTest::newRow(getter) << QString(getter) << QString(column) << defaultValue << written << written;
    };
    row("getQuickRecordingNameTemplate", "quick_recording_name_template", DefaultTemplate, "Run_%DATE%");
    QTest::newRow("empty template reads as the default")
        << QString("getQuickRecordingNameTemplate") << QString("quick_recording_name_template") << QVariant(DefaultTemplate)
        << QVariant("") << QVariant(DefaultTemplate);
    row("getQuickRecordingInterval", "quick_recording_seconds_interval", 60, 15);
    row("getResumeRecordingsOnStartup", "resume_recordings_on_startup", false, true);
    row("isAccessControlActive", "access_control_active", true, false);
    row("getPasswordValidityPeriod", "password_validity_period", 30, 90);
    row("getScreenLockTimeout", "screen_lock_timeout", 0, 300);
    row("getEventDoRepeat", "event_do_repeat", true, false);
    row("getEventRepetitionInterval", "event_repetition_interval", 0, 45);
    row("getPrealarmDelay", "prealarm_seconds_delay", 0, 120);
    row("getMaxFailedLogins", "max_number_of_allowed_failed_logins", 3, 5);
    row("getQueltaConnectionAttempts", "quelta_num_connection_attempts", 2, 7);
    row("isQueltaActive", "quelta_is_active", false, true);
    row("getTocsaConnectionAttempts", "tocsa_num_connection_attempts", 2, 4);
    row("isTocsaActive", "tocsa_is_active", false, true);
}

// The new database has no settings row. Setters used to report success and
// store nothing then.
void tst_SqlSettingsDatabaseConnection::scalarSetting_defaultsThenPersistsWithoutTheRow()
{
    QFETCH(QString, getter);
    QFETCH(QString, column);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, written);
    QFETCH(QVariant, readBack);
    quelta::test::DataStoreFixture database;
    Store store;
    QVERIFY(database.isValid() && store.setConnections(&database.connection()));
    const Accessor accessor = Accessors.value(getter);

    QCOMPARE(accessor.get(store), defaultValue);
    QVERIFY(accessor.set(store, written));
    QCOMPARE(accessor.get(store), readBack);
    QCOMPARE(database.value("SELECT " + column + " FROM global_settings WHERE id = 1"), written);
    QVERIFY(accessor.set(store, written));
    QCOMPARE(database.value("SELECT count(*) FROM global_settings").toInt(), 1);
}

void tst_SqlSettingsDatabaseConnection::compositeSettings_defaultsThenRoundTrip()
{
    quelta::test::DataStoreFixture database;
    Store store;
    QVERIFY(database.isValid() && store.setConnections(&database.connection()));
    QSignalSpy errors(&store, &Store::error);
    QCOMPARE(store.getSmtpSettings(), SmtpConfiguration(QString(), 0, -1, QString(), QString(), QString()));
    QCOMPARE(store.getReportSettings(), ReportConfiguration());
    QCOMPARE(store.getBackupSettings(), BackupSettings());
    QCOMPARE(store.getBackupCleanupSettings(), BackupCleanupSettings());
    QCOMPARE(store.getQueltaEndpoint(), QueltaEndpoint(QHostAddress(), 22392));
    QCOMPARE(store.getTocsaEndpoint(), TocsaEndpoint());
    // The four multi-column reads find no row.
    QCOMPARE(errorsOf(errors), QVector<DatabaseConnectionError>(4, UNEXPECTED_RESULT).toList());

    // The record compares both of its sets of fields.
    const SmtpConfiguration smtp("mail.example.org", 65432, SmtpConnectionType::SSL, "lab", "secret", "lab@example.org");
    QVERIFY(store.setSmtpSettings(smtp));
    QCOMPARE(store.getSmtpSettings(), smtp);
    const ReportConfiguration report(7, 2, 3, "pre", "/reports", "/logo.png", 1, "Title", "/mark.png", 5, "DRAFT");
    QVERIFY(store.setReportSettings(report));
    QCOMPARE(store.getReportSettings(), report);
    const BackupSettings backup(QTime(2, 30, 15), 1, 3, "/backup", "pw");
    QVERIFY(store.setBackupSettings(backup));
    QCOMPARE(store.getBackupSettings(), backup);
    QVERIFY(store.setBackupSettings(BackupSettings(QTime(), 1, 3, "/backup", "pw")));
    QCOMPARE(database.value("SELECT typeof(backup_time_of_day) FROM global_settings").toString(), "null");
    QCOMPARE(store.getBackupSettings().timeOfDay(), QTime());
    QVERIFY(store.setBackupCleanupSettings(BackupCleanupSettings(BackupCleanupSettings::KEEP_N_DAYS, 14)));
    QCOMPARE(store.getBackupCleanupSettings(), BackupCleanupSettings(BackupCleanupSettings::KEEP_N_DAYS, 14));
    QVERIFY(store.setQueltaEndpoint(QueltaEndpoint(QHostAddress(), 1234)));
    QCOMPARE(store.getQueltaEndpoint(), QueltaEndpoint(QHostAddress(), 1234));
    // The flag is never stored.
    QVERIFY(store.setTocsaEndpoint(TocsaEndpoint(QHostAddress("fd00::7"), 9000, true)));
    QCOMPARE(store.getTocsaEndpoint(), TocsaEndpoint(QHostAddress("fd00::7"), 9000, false));
    QCOMPARE(errors.count(), 4);
}

// The mail-recipient operations used to reach the missing connection.
void tst_SqlSettingsDatabaseConnection::mailRecipientsAndSettingsRow_areGuarded_thenRepeatAndExistOnce()
{
    quelta::test::DataStoreFixture database;
    Store store;
    QSignalSpy errors(&store, &Store::error);
    QVERIFY(store.getMailRecipients().isEmpty() && !store.mailRecipientExists("a@example.org"));
    QVERIFY(!store.addMailRecipient("a@example.org") && !store.deleteMailRecipient("a@example.org"));
    QVERIFY(!store.initialize());
    QCOMPARE(errorsOf(errors), QVector<DatabaseConnectionError>(5, NOT_INITIALIZED).toList());

    QVERIFY(database.isValid() && store.setConnections(&database.connection()));
    QVERIFY(store.addMailRecipient("a@example.org") && store.addMailRecipient("b@example.org"));
    QVERIFY(store.addMailRecipient("a@example.org"));
    QCOMPARE(store.getMailRecipients(), QStringList({"a@example.org", "b@example.org", "a@example.org"}));
    QVERIFY(store.mailRecipientExists("a@example.org") && !store.mailRecipientExists("c@example.org"));
    QVERIFY(store.deleteMailRecipient("a@example.org") && store.deleteMailRecipient("c@example.org"));
    QCOMPARE(store.getMailRecipients(), QStringList({"b@example.org"}));

    QVERIFY(store.initialize() && store.initialize());
    QCOMPARE(database.value("SELECT group_concat(id) FROM global_settings").toString(), "1");
}

QTEST_GUILESS_MAIN(tst_SqlSettingsDatabaseConnection)
#include "tst_sqlsettingsdatabaseconnection.moc"
