#include "connection/database/stores/sqlsettingsdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QSharedPointer>
#include <QtNetwork/QHostAddress>

#include <array>

namespace quelta::base::connection::databaseconnection {

using domain::types::BackupCleanupSettings;
using domain::types::BackupSettings;
using domain::types::QueltaEndpoint;
using domain::types::ReportConfiguration;
using domain::types::SmtpConfiguration;
using domain::types::TocsaEndpoint;

namespace {

using Column = GlobalSettingsColumn;

constexpr int SettingsRowId = 1;

enum class Kind {
    Bool,
    Int,
    Text,
    Time,
};

// One column of the settings row: the kind of value it holds and the value
// the setting has while none is stored (number for Bool and Int, text for
// Text; a Time has the null time).
struct Setting
{
    Column column;
    Kind kind;
    int number;
    const char *text;
};

constexpr Setting flag(Column column, bool defaultValue)
{
    return {column, Kind::Bool, defaultValue ? 1 : 0, ""};
}

constexpr Setting number(Column column, int defaultValue)
{
    return {column, Kind::Int, defaultValue, ""};
}

constexpr Setting text(Column column, const char *defaultValue = "")
{
    return {column, Kind::Text, 0, defaultValue};
}

constexpr Setting time(Column column)
{
    return {column, Kind::Time, 0, ""};
}

// Every column of the settings row, in column order. Ports are stored as
// ints and used as their low 16 bits.
constexpr std::array<Setting, 44> Settings{{
    number(Column::ID, SettingsRowId),
    flag(Column::EVENT_DO_REPEAT, true),
    number(Column::EVENT_REPETITION_INTERVAL, 0),
    number(Column::REPORT_CREATION_INTERVAL, -1),
    number(Column::REPORT_LANGUAGE, -1),
    number(Column::REPORT_FILE_FORMAT, -1),
    text(Column::REPORT_FILE_PREFIX),
    text(Column::REPORT_FILE_PATH),
    text(Column::REPORT_HEADER_LOGO_PATH),
    number(Column::REPORT_HEADER_LOGO_POSITION, 0),
    text(Column::REPORT_HEADER_TITLE),
    text(Column::REPORT_WATERMARK_PATH),
    number(Column::REPORT_ENABLED_CHAPTERS, -1),
    text(Column::REPORT_WATERMARK_TEXT),
    text(Column::BASE_PASSWORD), // kept by the schema, used by no setting
    text(Column::QUICK_RECORDING_NAME_TEMPLATE, "RECORDING_%USERNAME%_%DATE%_%TIME%"),
    number(Column::QUICK_RECORDING_SECONDS_INTERVAL, 60),
    flag(Column::RESUME_RECORDINGS_ON_STARTUP, false),
    flag(Column::ACCESS_CONTROL_ACTIVE, true),
    number(Column::PASSWORD_VALIDITY_PERIOD, 30),
    number(Column::SCREEN_LOCK_TIMEOUT, 0),
    text(Column::SMTP_SERVER),
    number(Column::SMTP_PORT, 0),
    number(Column::SMTP_CONNECTION_TYPE, -1),
    text(Column::SMTP_USERNAME),
    text(Column::SMTP_PASSWORD),
    text(Column::SMTP_SENDER),
    number(Column::PREALARM_SECONDS_DELAY, 0),
    number(Column::BACKUP_INTERVAL, -1),
    time(Column::BACKUP_TIME_OF_DAY),
    number(Column::BACKUP_DAY_OF_X, 0),
    text(Column::BACKUP_PATH),
    text(Column::BACKUP_PASSWORD),
    number(Column::BACKUP_KEEP_STRATEGY, BackupCleanupSettings::ALL),
    number(Column::BACKUP_KEEP_NUM, 0),
    number(Column::MAX_NUMBER_OF_ALLOWED_FAILED_LOGINS, 3),
    text(Column::QUELTA_IP_ADDRESS),
    number(Column::QUELTA_PORT, 22392),
    number(Column::QUELTA_NUM_CONNECTION_ATTEMPTS, 2),
    flag(Column::QUELTA_IS_ACTIVE, false),
    text(Column::TOCSA_IP_ADDRESS),
    number(Column::TOCSA_PORT, 0),
    number(Column::TOCSA_NUM_CONNECTION_ATTEMPTS, 2),
    flag(Column::TOCSA_IS_ACTIVE, false),
}};

constexpr bool isInColumnOrder()
{
    for (size_t index = 0; index < Settings.size(); ++index) {
        if (int(Settings[index].column) != int(index))
            return false;
    }
    return true;
}
static_assert(isInColumnOrder(), "the settings table is looked up by column number");

// The stored value as the column's kind, or the column's default.
QVariant settingValue(Column column, const QVariant &stored)
{
    const Setting &setting = Settings[size_t(column)];
    switch (setting.kind) {
    case Kind::Bool:
        return toBoolOr(stored, setting.number != 0);
    case Kind::Int:
        return toIntOr(stored, setting.number);
    case Kind::Text:
        return toStringOr(stored, QString::fromLatin1(setting.text));
    case Kind::Time:
        return toTimeOr(stored, QTime());
    }
    return {};
}

QString mailAddressColumn()
{
    return columnNameMailRecipient(MailRecipientColumn::MAIL_ADDRESS);
}

// INSERT INTO global_settings (id) SELECT ? WHERE NOT EXISTS
// (SELECT ? FROM global_settings WHERE id = ?)
QSharedPointer<SqlQuery> settingsRowInsert()
{
    SqlQuery existing;
    existing.selectOne().from(tableNameGlobalSettings()).where(columnName(Column::ID)).equals(SettingsRowId);
    auto insert = QSharedPointer<SqlQuery>::create();
    insert->insertInto(tableNameGlobalSettings())
        .columns({columnName(Column::ID)})
        .selectValues({SettingsRowId})
        .whereNotExists(existing);
    return insert;
}

} // namespace

SqlSettingsDatabaseConnection::SqlSettingsDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlSettingsDatabaseConnection::~SqlSettingsDatabaseConnection() = default;

bool SqlSettingsDatabaseConnection::setConnections(domain::api::ISqlConnection *connection)
{
    m_frame.setConnections(connection);
    return isInitialized();
}

bool SqlSettingsDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlSettingsDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameGlobalSettings()}, MissingTableReport::EmitError) && ensureSettingsRow();
}

QString SqlSettingsDatabaseConnection::getQuickRecordingNameTemplate()
{
    return setting(Column::QUICK_RECORDING_NAME_TEMPLATE).toString();
}

int SqlSettingsDatabaseConnection::getQuickRecordingInterval()
{
    return setting(Column::QUICK_RECORDING_SECONDS_INTERVAL).toInt();
}

bool SqlSettingsDatabaseConnection::getResumeRecordingsOnStartup()
{
    return setting(Column::RESUME_RECORDINGS_ON_STARTUP).toBool();
}

bool SqlSettingsDatabaseConnection::isAccessControlActive()
{
    return setting(Column::ACCESS_CONTROL_ACTIVE).toBool();
}

int SqlSettingsDatabaseConnection::getPasswordValidityPeriod()
{
    return setting(Column::PASSWORD_VALIDITY_PERIOD).toInt();
}

int SqlSettingsDatabaseConnection::getScreenLockTimeout()
{
    return setting(Column::SCREEN_LOCK_TIMEOUT).toInt();
}

SmtpConfiguration SqlSettingsDatabaseConnection::getSmtpSettings()
{
    const QList<QVariant> values = settings({Column::SMTP_SERVER, Column::SMTP_PORT, Column::SMTP_CONNECTION_TYPE,
                                             Column::SMTP_USERNAME, Column::SMTP_PASSWORD, Column::SMTP_SENDER});
    return SmtpConfiguration(values[0].toString(), quint16(values[1].toInt()), values[2].toInt(),
                             values[3].toString(), values[4].toString(), values[5].toString());
}

ReportConfiguration SqlSettingsDatabaseConnection::getReportSettings()
{
    const QList<QVariant> values = settings(
        {Column::REPORT_CREATION_INTERVAL, Column::REPORT_LANGUAGE, Column::REPORT_FILE_FORMAT,
         Column::REPORT_FILE_PREFIX, Column::REPORT_FILE_PATH, Column::REPORT_HEADER_LOGO_PATH,
         Column::REPORT_HEADER_LOGO_POSITION, Column::REPORT_HEADER_TITLE, Column::REPORT_WATERMARK_PATH,
         Column::REPORT_ENABLED_CHAPTERS, Column::REPORT_WATERMARK_TEXT});
    return ReportConfiguration(values[0].toInt(), values[1].toInt(), values[2].toInt(), values[3].toString(),
                               values[4].toString(), values[5].toString(), values[6].toInt(), values[7].toString(),
                               values[8].toString(), values[9].toInt(), values[10].toString());
}

bool SqlSettingsDatabaseConnection::getEventDoRepeat()
{
    return setting(Column::EVENT_DO_REPEAT).toBool();
}

int SqlSettingsDatabaseConnection::getEventRepetitionInterval()
{
    return setting(Column::EVENT_REPETITION_INTERVAL).toInt();
}

int SqlSettingsDatabaseConnection::getPrealarmDelay()
{
    return setting(Column::PREALARM_SECONDS_DELAY).toInt();
}

BackupSettings SqlSettingsDatabaseConnection::getBackupSettings()
{
    const QList<QVariant> values = settings({Column::BACKUP_TIME_OF_DAY, Column::BACKUP_INTERVAL,
                                             Column::BACKUP_DAY_OF_X, Column::BACKUP_PATH, Column::BACKUP_PASSWORD});
    return BackupSettings(values[0].toTime(), values[1].toInt(), values[2].toInt(), values[3].toString(),
                          values[4].toString());
}

BackupCleanupSettings SqlSettingsDatabaseConnection::getBackupCleanupSettings()
{
    const QList<QVariant> values = settings({Column::BACKUP_KEEP_STRATEGY, Column::BACKUP_KEEP_NUM});
    return BackupCleanupSettings(BackupCleanupSettings::KeepStrategy(values[0].toInt()), values[1].toInt());
}

bool SqlSettingsDatabaseConnection::setQuickRecordingNameTemplate(const QString &nameTemplate)
{
    return setSetting(Column::QUICK_RECORDING_NAME_TEMPLATE, nameTemplate);
}

bool SqlSettingsDatabaseConnection::setQuickRecordingInterval(int seconds)
{
    return setSetting(Column::QUICK_RECORDING_SECONDS_INTERVAL, seconds);
}

bool SqlSettingsDatabaseConnection::setResumeRecordingsOnStartup(bool resume)
{
    return setSetting(Column::RESUME_RECORDINGS_ON_STARTUP, resume);
}

bool SqlSettingsDatabaseConnection::setAccessControlActive(bool active)
{
    return setSetting(Column::ACCESS_CONTROL_ACTIVE, active);
}

bool SqlSettingsDatabaseConnection::setPasswordValidityPeriod(int period)
{
    return setSetting(Column::PASSWORD_VALIDITY_PERIOD, period);
}

bool SqlSettingsDatabaseConnection::setScreenLockTimeout(int timeout)
{
    return setSetting(Column::SCREEN_LOCK_TIMEOUT, timeout);
}

bool SqlSettingsDatabaseConnection::setSmtpSettings(const SmtpConfiguration &settings)
{
    return setSettings({{Column::SMTP_SERVER, settings.hostName()},
                        {Column::SMTP_PORT, int(settings.port())},
                        {Column::SMTP_CONNECTION_TYPE, settings.connectionType()},
                        {Column::SMTP_USERNAME, settings.userName()},
                        {Column::SMTP_PASSWORD, settings.password()},
                        {Column::SMTP_SENDER, settings.senderAddress()}});
}

bool SqlSettingsDatabaseConnection::setReportSettings(const ReportConfiguration &settings)
{
    return setSettings({{Column::REPORT_CREATION_INTERVAL, settings.creationInterval()},
                        {Column::REPORT_LANGUAGE, settings.language()},
                        {Column::REPORT_FILE_FORMAT, settings.fileFormat()},
                        {Column::REPORT_FILE_PREFIX, settings.filePrefix()},
                        {Column::REPORT_FILE_PATH, settings.filePath()},
                        {Column::REPORT_HEADER_LOGO_PATH, settings.headerLogoPath()},
                        {Column::REPORT_HEADER_LOGO_POSITION, settings.headerLogoPosition()},
                        {Column::REPORT_HEADER_TITLE, settings.headerTitle()},
                        {Column::REPORT_WATERMARK_PATH, settings.watermarkPath()},
                        {Column::REPORT_ENABLED_CHAPTERS, settings.enabledChapters()},
                        {Column::REPORT_WATERMARK_TEXT, settings.watermarkText()}});
}

bool SqlSettingsDatabaseConnection::setEventDoRepeat(bool repeat)
{
    return setSetting(Column::EVENT_DO_REPEAT, repeat);
}

bool SqlSettingsDatabaseConnection::setEventRepetitionInterval(int interval)
{
    return setSetting(Column::EVENT_REPETITION_INTERVAL, interval);
}

bool SqlSettingsDatabaseConnection::setPrealarmDelay(int seconds)
{
    return setSetting(Column::PREALARM_SECONDS_DELAY, seconds);
}

bool SqlSettingsDatabaseConnection::setBackupSettings(const BackupSettings &settings)
{
    // A null time is a null QVariant and stores NULL.
    return setSettings({{Column::BACKUP_TIME_OF_DAY, settings.timeOfDay()},
                        {Column::BACKUP_INTERVAL, settings.interval()},
                        {Column::BACKUP_DAY_OF_X, settings.dayOfX()},
                        {Column::BACKUP_PATH, settings.path()},
                        {Column::BACKUP_PASSWORD, settings.password()}});
}

bool SqlSettingsDatabaseConnection::setBackupCleanupSettings(const BackupCleanupSettings &settings)
{
    return setSettings(
        {{Column::BACKUP_KEEP_STRATEGY, int(settings.strategy())}, {Column::BACKUP_KEEP_NUM, settings.keepCount()}});
}

int SqlSettingsDatabaseConnection::getMaxFailedLogins()
{
    return settings({Column::MAX_NUMBER_OF_ALLOWED_FAILED_LOGINS})[0].toInt();
}

bool SqlSettingsDatabaseConnection::setMaxFailedLogins(int count)
{
    return setSetting(Column::MAX_NUMBER_OF_ALLOWED_FAILED_LOGINS, count);
}

QueltaEndpoint SqlSettingsDatabaseConnection::getQueltaEndpoint()
{
    const QHostAddress address(setting(Column::QUELTA_IP_ADDRESS).toString());
    const auto port = quint16(setting(Column::QUELTA_PORT).toInt());
    return QueltaEndpoint(address, port);
}

bool SqlSettingsDatabaseConnection::setQueltaEndpoint(const QueltaEndpoint &endpoint)
{
    return setSettings({{Column::QUELTA_IP_ADDRESS, endpoint.address().toString()},
                        {Column::QUELTA_PORT, int(endpoint.port())}});
}

int SqlSettingsDatabaseConnection::getQueltaConnectionAttempts()
{
    return setting(Column::QUELTA_NUM_CONNECTION_ATTEMPTS).toInt();
}

bool SqlSettingsDatabaseConnection::setQueltaConnectionAttempts(int attempts)
{
    return setSetting(Column::QUELTA_NUM_CONNECTION_ATTEMPTS, attempts);
}

bool SqlSettingsDatabaseConnection::isQueltaActive()
{
    return setting(Column::QUELTA_IS_ACTIVE).toBool();
}

bool SqlSettingsDatabaseConnection::setQueltaActive(bool active)
{
    return setSetting(Column::QUELTA_IS_ACTIVE, active);
}

TocsaEndpoint SqlSettingsDatabaseConnection::getTocsaEndpoint()
{
    const QHostAddress address(setting(Column::TOCSA_IP_ADDRESS).toString());
    const auto port = quint16(setting(Column::TOCSA_PORT).toInt());
    return TocsaEndpoint(address, port, false);
}

bool SqlSettingsDatabaseConnection::setTocsaEndpoint(const TocsaEndpoint &endpoint)
{
    return setSettings({{Column::TOCSA_IP_ADDRESS, endpoint.address().toString()},
                        {Column::TOCSA_PORT, int(endpoint.port())}});
}

int SqlSettingsDatabaseConnection::getTocsaConnectionAttempts()
{
    return setting(Column::TOCSA_NUM_CONNECTION_ATTEMPTS).toInt();
}

bool SqlSettingsDatabaseConnection::setTocsaConnectionAttempts(int attempts)
{
    return setSetting(Column::TOCSA_NUM_CONNECTION_ATTEMPTS, attempts);
}

bool SqlSettingsDatabaseConnection::isTocsaActive()
{
    return setting(Column::TOCSA_IS_ACTIVE).toBool();
}

bool SqlSettingsDatabaseConnection::setTocsaActive(bool active)
{
    return setSetting(Column::TOCSA_IS_ACTIVE, active);
}

QStringList SqlSettingsDatabaseConnection::getMailRecipients()
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query.select(mailAddressColumn()).from(tableNameMailRecipient());
    QStringList addresses;
    for (const QVariant &address : m_frame.connection()->selectColumn(query))
        addresses.append(address.toString());
    return addresses;
}

bool SqlSettingsDatabaseConnection::mailRecipientExists(const QString &address)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameMailRecipient())
        .where(mailAddressColumn())
        .equals(address);
    return m_frame.connection()->selectValue(query).toInt() > 0;
}

bool SqlSettingsDatabaseConnection::addMailRecipient(const QString &address)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.insertInto(tableNameMailRecipient()).columns({mailAddressColumn()}).values({address});
    return m_frame.execute(query);
}

bool SqlSettingsDatabaseConnection::deleteMailRecipient(const QString &address)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.deleteFrom(tableNameMailRecipient()).where(mailAddressColumn()).equals(address);
    return m_frame.execute(query);
}

QVariant SqlSettingsDatabaseConnection::setting(Column column)
{
    if (!m_frame.ensureReady())
        return settingValue(column, QVariant());
    SqlQuery query;
    query.select(columnName(column))
        .from(tableNameGlobalSettings())
        .where(columnName(Column::ID))
        .equals(SettingsRowId);
    return settingValue(column, m_frame.connection()->selectValue(query));
}

QList<QVariant> SqlSettingsDatabaseConnection::settings(std::initializer_list<Column> columns)
{
    QList<QVariant> stored;
    if (m_frame.ensureReady()) {
        SqlQuery query;
        query.select(columnNames(columns)).from(tableNameGlobalSettings()).where(columnName(Column::ID))
            .equals(SettingsRowId);
        stored = m_frame.connection()->selectRow(query);
        if (!m_frame.hasWidth(stored, int(columns.size())))
            stored.clear();
    }
    // Values that were never read count as absent.
    QList<QVariant> values;
    int position = 0;
    for (const Column column : columns)
        values.append(settingValue(column, stored.value(position++)));
    return values;
}

bool SqlSettingsDatabaseConnection::setSetting(Column column, const QVariant &value)
{
    return setSettings({{column, value}});
}

bool SqlSettingsDatabaseConnection::setSettings(const ColumnValues &values)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery::ColumnValues namedValues;
    for (const auto &[column, value] : values)
        namedValues.append({columnName(column), value});
    auto update = QSharedPointer<SqlQuery>::create();
    update->update(tableNameGlobalSettings())
        .set(namedValues)
        .where(columnName(Column::ID))
        .equals(SettingsRowId);
    return m_frame.connection()->executeTransaction({settingsRowInsert(), update});
}

bool SqlSettingsDatabaseConnection::ensureSettingsRow()
{
    if (!m_frame.ensureReady())
        return false;
    return m_frame.execute(*settingsRowInsert());
}

} // namespace quelta::base::connection::databaseconnection
