#include "connection/database/facade/databaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/stores/failedreadwatch.h"
#include "connection/database/stores/sqlaccessdatabaseconnection.h"
#include "connection/database/stores/sqlalarmdatabaseconnection.h"
#include "connection/database/stores/sqlcameradatabaseconnection.h"
#include "connection/database/stores/sqlchamberdatabaseconnection.h"
#include "connection/database/stores/sqlconfigurationdatabaseconnection.h"
#include "connection/database/stores/sqlprogramdatabaseconnection.h"
#include "connection/database/stores/sqlprotocoldatabaseconnection.h"
#include "connection/database/stores/sqlrecordingdatabaseconnection.h"
#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"
#include "connection/database/stores/sqlroomdatabaseconnection.h"
#include "connection/database/stores/sqlsettingsdatabaseconnection.h"
#include "connection/database/stores/sqluserdatabaseconnection.h"

#include <QtCore/QHash>
#include <QtCore/QLoggingCategory>

namespace quelta::base::connection::databaseconnection {

Q_LOGGING_CATEGORY(lcDatabaseConnection, "quelta.DatabaseConnection")

using domain::api::IInitializing;
using domain::api::ISqlConnection;
using domain::types::AlarmData;
using domain::types::ChamberData;

namespace {

using Type = SqlQuery::DataType;
using Flag = SqlQuery::ColumnFlag;

constexpr SqlQuery::ColumnFlags IdKey = Flag::PRIMARY_KEY | Flag::NOT_NULL | Flag::AUTO_INCREMENT;
constexpr SqlQuery::ColumnFlags Key = Flag::PRIMARY_KEY | Flag::NOT_NULL;

// The foreign keys of the core tables, each to the id of the table it names.
SqlQuery::ForeignKey referenceToApplicationUser(const QString &column)
{
    return {column, tableNameApplicationUser(), columnName(ApplicationUserColumn::ID)};
}

SqlQuery::ForeignKey referenceToChamber(const QString &column)
{
    return {column, tableNameChamber(), columnName(ChamberColumn::ID)};
}

SqlQuery::ForeignKey referenceToRecording(const QString &column)
{
    return {column, tableNameRecording(), columnName(RecordingColumn::ID)};
}

SqlQuery::ForeignKey referenceToRecordSet(const QString &column)
{
    return {column, tableNameRecordSet(), columnName(RecordSetColumn::ID)};
}

SqlQuery::ForeignKey referenceToRoom(const QString &column)
{
    return {column, tableNameRoom(), columnName(RoomColumn::ID)};
}

} // namespace

DatabaseConnection::DatabaseConnection(QObject *parent)
    : DatabaseConnection(false, parent)
{
}

DatabaseConnection::DatabaseConnection(bool foldAdvancedIntoBasic, QObject *parent)
    : QObject(parent)
    , m_accessStore(QSharedPointer<SqlAccessDatabaseConnection>::create())
    , m_alarmStore(QSharedPointer<SqlAlarmDatabaseConnection>::create())
    , m_cameraStore(QSharedPointer<SqlCameraDatabaseConnection>::create())
    , m_chamberStore(QSharedPointer<SqlChamberDatabaseConnection>::create())
    , m_configurationStore(QSharedPointer<SqlConfigurationDatabaseConnection>::create())
    , m_programStore(QSharedPointer<SqlProgramDatabaseConnection>::create())
    , m_protocolStore(QSharedPointer<SqlProtocolDatabaseConnection>::create(foldAdvancedIntoBasic))
    , m_recordingStore(QSharedPointer<SqlRecordingDatabaseConnection>::create())
    , m_recordsetStore(QSharedPointer<SqlRecordsetDatabaseConnection>::create())
    , m_roomStore(QSharedPointer<SqlRoomDatabaseConnection>::create())
    , m_settingsStore(QSharedPointer<SqlSettingsDatabaseConnection>::create())
    , m_userStore(QSharedPointer<SqlUserDatabaseConnection>::create(foldAdvancedIntoBasic))
{
}

DatabaseConnection::~DatabaseConnection() = default;

bool DatabaseConnection::open(ISqlConnection *dataConnection, ISqlConnection *configurationConnection)
{
    m_dataConnection = dataConnection;
    m_configurationConnection = configurationConnection;
    if (!dataConnection || !configurationConnection)
        return false;

    return m_accessStore->setConnections(configurationConnection)
        && m_cameraStore->setSqlConnection(dataConnection)
        && m_alarmStore->setConnections(dataConnection, m_configurationStore.data(), m_chamberStore.data())
        && m_configurationStore->setConnections(configurationConnection)
        && m_chamberStore->setConnections(dataConnection, m_configurationStore.data(), m_roomStore.data())
        && m_programStore->setConnections(dataConnection, m_configurationStore.data())
        && m_protocolStore->setConnections(dataConnection)
        && m_recordingStore->setConnections(dataConnection, m_chamberStore.data(), m_recordsetStore.data())
        && m_recordsetStore->setConnections(dataConnection, m_configurationStore.data(), m_chamberStore.data())
        && m_roomStore->setConnections(dataConnection)
        && m_settingsStore->setConnections(dataConnection)
        && m_userStore->setConnections(dataConnection, m_configurationStore.data(), m_protocolStore.data());
}

void DatabaseConnection::connectErrorSignals()
{
    connect(m_accessStore.data(), &SqlAccessDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_alarmStore.data(), &SqlAlarmDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_cameraStore.data(), &SqlCameraDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_chamberStore.data(), &SqlChamberDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_configurationStore.data(), &SqlConfigurationDatabaseConnection::error, this,
            &DatabaseConnection::error);
    connect(m_programStore.data(), &SqlProgramDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_protocolStore.data(), &SqlProtocolDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_recordingStore.data(), &SqlRecordingDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_recordsetStore.data(), &SqlRecordsetDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_roomStore.data(), &SqlRoomDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_settingsStore.data(), &SqlSettingsDatabaseConnection::error, this, &DatabaseConnection::error);
    connect(m_userStore.data(), &SqlUserDatabaseConnection::error, this, &DatabaseConnection::error);
}

bool DatabaseConnection::isDatabaseOutdated() const
{
    return m_outdated;
}

bool DatabaseConnection::isOpen() const
{
    return m_dataConnection && m_configurationConnection;
}

int DatabaseConnection::maxSignalColumns() const
{
    return SqlRecordsetDatabaseConnection::MaxSignalColumns;
}

bool DatabaseConnection::createTables()
{
    connectErrorSignals();
    if (!m_dataConnection)
        return false;

    m_outdated = false;
    if (m_dataConnection->databaseVersion() < RequiredSchemaVersion) {
        m_outdated = true;
        return false;
    }

    // Each creator first makes the tables that it refers to, so this order
    // is not the order in which the tables come into being.
    const Creator creators[] = {
        &DatabaseConnection::createChamberTable,
        &DatabaseConnection::createGlobalSettingsTable,
        &DatabaseConnection::createMetaRecordingHasRecordingTable,
        &DatabaseConnection::createLogEntryTable,
        &DatabaseConnection::createRecordingTable,
        &DatabaseConnection::createRecordSetTable,
        &DatabaseConnection::createRecordSetCommentTable,
        &DatabaseConnection::createChamberToleranceRangeTable,
        &DatabaseConnection::createRoomTable,
        &DatabaseConnection::createRoomChamberPositionTable,
        &DatabaseConnection::createApplicationUserTable,
        &DatabaseConnection::createUserHasChamberSignalVisibilityPreferenceTable,
        &DatabaseConnection::createUserPreferencesTable,
    };
    for (const Creator creator : creators) {
        if (!(this->*creator)())
            return false;
    }
    return initializeStores();
}

bool DatabaseConnection::initializeStores()
{
    IInitializing *const stores[] = {
        m_accessStore.data(),        m_alarmStore.data(),     m_cameraStore.data(),   m_chamberStore.data(),
        m_configurationStore.data(), m_programStore.data(),   m_protocolStore.data(), m_recordingStore.data(),
        m_recordsetStore.data(),     m_roomStore.data(),      m_settingsStore.data(), m_userStore.data(),
    };
    for (IInitializing *store : stores) {
        if (!store->initialize())
            return false;
    }
    return true;
}

bool DatabaseConnection::createTable(const QString &table, const QList<SqlQuery::ColumnDefinition> &columns,
                                     const QList<SqlQuery::ForeignKey> &foreignKeys,
                                     std::initializer_list<Creator> referencedTables)
{
    if (!isOpen()) {
        Q_EMIT error(domain::types::NOT_INITIALIZED);
        return false;
    }
    if (m_dataConnection->tableExists(table))
        return true;
    for (const Creator createReferencedTable : referencedTables) {
        if (!(this->*createReferencedTable)()) {
            logMissingReferenceTable(table);
            return false;
        }
    }
    SqlQuery query;
    query.createTable(table, columns, foreignKeys);
    return executeCreateTable(query, table);
}

bool DatabaseConnection::executeCreateTable(const SqlQuery &query, const QString &table)
{
    if (m_dataConnection->execute(query).first)
        return true;
    qCCritical(lcDatabaseConnection, "%s", qUtf8Printable(QStringLiteral("Could not create table '%1'").arg(table)));
    return false;
}

void DatabaseConnection::logMissingReferenceTable(const QString &table) const
{
    qCCritical(lcDatabaseConnection, "%s",
               qUtf8Printable(QStringLiteral("Missing reference table. Can't create '%1'").arg(table)));
}

bool DatabaseConnection::createChamberTable()
{
    using C = ChamberColumn;
    return createTable(tableNameChamber(),
                       {
                           {columnName(C::ID), Type::INTEGER, IdKey},
                           {columnName(C::CHAMBER_TYPE_ID), Type::INTEGER},
                           {columnName(C::CHAMBER_TYPE_ADDITIONAL_INFO_ID), Type::INTEGER},
                           // Text, as the chamber store writes it: a number would lose leading zeros.
                           {columnName(C::SERIAL_NO), Type::TEXT},
                           {columnName(C::IS_ARCHIVED), Type::BOOLEAN},
                           {columnName(C::IS_SUBSCRIBED), Type::BOOLEAN},
                           {columnName(C::IS_ACTIVE), Type::BOOLEAN},
                           {columnName(C::CHAMBER_NAME), Type::TEXT},
                           {columnName(C::IP_V4_ADDRESS), Type::TEXT, Flag::UNIQUE},
                           {columnName(C::IP_V6_ADDRESS), Type::TEXT, Flag::UNIQUE},
                           {columnName(C::MAC_ADDRESS), Type::TEXT, Flag::UNIQUE},
                           {columnName(C::MODBUS_ADDRESS), Type::INTEGER},
                           // A port name such as "COM3", as the chamber store writes it.
                           {columnName(C::COM_PORT), Type::TEXT},
                           {columnName(C::PARITY), Type::INTEGER},
                           {columnName(C::BAUD_RATE), Type::INTEGER},
                           {columnName(C::DATA_BITS), Type::INTEGER},
                           {columnName(C::STOP_BITS), Type::INTEGER},
                       },
                       {}, {});
}

bool DatabaseConnection::createGlobalSettingsTable()
{
    using C = GlobalSettingsColumn;
    return createTable(tableNameGlobalSettings(),
                       {
                           {columnName(C::ID), Type::INTEGER, Key},
                           {columnName(C::EVENT_DO_REPEAT), Type::INTEGER},
                           {columnName(C::EVENT_REPETITION_INTERVAL), Type::INTEGER},
                           {columnName(C::REPORT_CREATION_INTERVAL), Type::INTEGER},
                           {columnName(C::BASE_PASSWORD), Type::TEXT},
                           {columnName(C::QUICK_RECORDING_NAME_TEMPLATE), Type::TEXT},
                           {columnName(C::QUICK_RECORDING_SECONDS_INTERVAL), Type::INTEGER},
                           {columnName(C::RESUME_RECORDINGS_ON_STARTUP), Type::INTEGER},
                       },
                       {}, {});
}

bool DatabaseConnection::createRoomTable()
{
    using C = RoomColumn;
    return createTable(tableNameRoom(),
                       {
                           {columnName(C::ID), Type::INTEGER, IdKey},
                           {columnName(C::ROOM_NAME), Type::TEXT},
                           {columnName(C::IMAGE_PATH), Type::TEXT},
                           {columnName(C::IMAGE_SCALE), Type::REAL},
                       },
                       {}, {});
}

bool DatabaseConnection::createApplicationUserTable()
{
    using C = ApplicationUserColumn;
    return createTable(tableNameApplicationUser(),
                       {
                           {columnName(C::ID), Type::INTEGER, IdKey},
                           {columnName(C::LOGIN_NAME), Type::TEXT},
                           {columnName(C::MAIL_ADDRESS), Type::TEXT},
                           {columnName(C::PASSWORD_HASH), Type::BLOB},
                           {columnName(C::PASSWORD_SALT), Type::BLOB},
                           {columnName(C::PASSWORD_CREATION_TIME), Type::DATETIME},
                           {columnName(C::PASSWORD_IS_TEMPORARY), Type::BOOLEAN},
                           {columnName(C::USER_LEVEL), Type::ENUMERATION},
                           {columnName(C::NUMBER_FAILED_LOGIN_ATTEMPTS), Type::INTEGER},
                           {columnName(C::IS_BANNED), Type::BOOLEAN},
                           {columnName(C::PASSWORD_EXPIRATION_TIME), Type::DATETIME},
                           {columnName(C::FIRST_NAME), Type::TEXT},
                           {columnName(C::LAST_NAME), Type::TEXT},
                       },
                       {}, {});
}

bool DatabaseConnection::createLogEntryTable()
{
    using C = LogEntryColumn;
    return createTable(tableNameLogEntry(),
                       {
                           {columnName(C::ID), Type::INTEGER, Key},
                           {columnName(C::CREATION_TIME), Type::DATETIME},
                           {columnName(C::EVENT_DESCRIPTION), Type::TEXT},
                           {columnName(C::USER_ID), Type::INTEGER},
                       },
                       {referenceToApplicationUser(columnName(C::USER_ID))},
                       {&DatabaseConnection::createApplicationUserTable});
}

bool DatabaseConnection::createRecordingTable()
{
    using C = RecordingColumn;
    return createTable(tableNameRecording(),
                       {
                           {columnName(C::ID), Type::INTEGER, IdKey},
                           {columnName(C::RECORDING_NAME), Type::TEXT},
                           {columnName(C::USER_ID), Type::INTEGER},
                           {columnName(C::FREE_TEXT), Type::TEXT},
                           {columnName(C::CHAMBER_ID), Type::INTEGER},
                           {columnName(C::START_TIME), Type::DATETIME},
                           {columnName(C::END_TIME), Type::DATETIME},
                           {columnName(C::SECONDS_INTERVAL), Type::INTEGER},
                           {columnName(C::IS_ARCHIVED), Type::BOOLEAN},
                           {columnName(C::ADDITIONAL_INFO), Type::TEXT},
                           {columnName(C::AUTOMATICALLY_CREATE_REPORT), Type::BOOLEAN},
                           {columnName(C::IS_ACTIVE), Type::BOOLEAN},
                           {columnName(C::NUMBER_OF_RECORDSETS), Type::INTEGER},
                       },
                       {
                           referenceToApplicationUser(columnName(C::USER_ID)),
                           referenceToChamber(columnName(C::CHAMBER_ID)),
                       },
                       {&DatabaseConnection::createApplicationUserTable, &DatabaseConnection::createChamberTable});
}

bool DatabaseConnection::createMetaRecordingHasRecordingTable()
{
    using C = MetaRecordingHasRecordingColumn;
    return createTable(tableNameMetaRecordingHasRecording(),
                       {
                           {columnName(C::META_RECORDING_ID), Type::INTEGER, Flag::NOT_NULL},
                           {columnName(C::RECORDING_ID), Type::INTEGER, Flag::NOT_NULL},
                       },
                       {
                           referenceToRecording(columnName(C::META_RECORDING_ID)),
                           referenceToRecording(columnName(C::RECORDING_ID)),
                       },
                       {&DatabaseConnection::createRecordingTable});
}

bool DatabaseConnection::createRecordSetTable()
{
    using C = RecordSetColumn;
    QList<SqlQuery::ColumnDefinition> columns = {
        {columnName(C::ID), Type::INTEGER, Key},
        {columnName(C::RECORD_TIME), Type::DATETIME},
        {columnName(C::IS_RETRIEVED_FROM_CHAMBER), Type::BOOLEAN},
        {columnName(C::RECORDING_ID), Type::INTEGER, Flag::NOT_NULL},
    };
    for (int number = 1; number <= maxSignalColumns(); ++number)
        columns.append({columnName(C::SIGNAL_N).arg(number), Type::REAL});
    return createTable(tableNameRecordSet(), columns,
                       {referenceToRecording(columnName(C::RECORDING_ID))},
                       {&DatabaseConnection::createRecordingTable});
}

bool DatabaseConnection::createRecordSetCommentTable()
{
    using C = RecordSetCommentColumn;
    return createTable(tableNameRecordSetComment(),
                       {
                           {columnName(C::RECORDSET_ID), Type::INTEGER, Key | Flag::UNIQUE},
                           {columnName(C::USER_ID), Type::INTEGER},
                           {columnName(C::CREATION_TIME), Type::DATETIME},
                           {columnName(C::COMMENT_TEXT), Type::TEXT},
                       },
                       {referenceToRecordSet(columnName(C::RECORDSET_ID))},
                       {&DatabaseConnection::createRecordSetTable});
}

bool DatabaseConnection::createRoomChamberPositionTable()
{
    using C = RoomChamberPositionColumn;
    return createTable(tableNameRoomChamberPosition(),
                       {
                           {columnName(C::CHAMBER_ID), Type::INTEGER, Key},
                           {columnName(C::ROOM_ID), Type::INTEGER},
                           {columnName(C::CHAMBER_POS_X), Type::REAL},
                           {columnName(C::CHAMBER_POS_Y), Type::REAL},
                       },
                       {
                           referenceToChamber(columnName(C::CHAMBER_ID)),
                           referenceToRoom(columnName(C::ROOM_ID)),
                       },
                       {&DatabaseConnection::createChamberTable, &DatabaseConnection::createRoomTable});
}

bool DatabaseConnection::createChamberToleranceRangeTable()
{
    using C = ChamberToleranceRangeColumn;
    // The key spans the three columns: a chamber's signal has one range per moment.
    return createTable(tableNameChamberToleranceRange(),
                       {
                           {columnName(C::EFFECTIVE_FROM), Type::DATETIME, Key},
                           {columnName(C::CHAMBER_ID), Type::INTEGER, Key},
                           {columnName(C::SIGNAL_ID), Type::INTEGER, Key},
                           {columnName(C::RANGE_TYPE), Type::INTEGER},
                           {columnName(C::RANGE_MIN), Type::REAL},
                           {columnName(C::RANGE_MAX), Type::REAL},
                       },
                       {referenceToChamber(columnName(C::CHAMBER_ID))},
                       {&DatabaseConnection::createChamberTable});
}

bool DatabaseConnection::createUserHasChamberSignalVisibilityPreferenceTable()
{
    using C = UserHasChamberSignalVisibilityPreferenceColumn;
    return createTable(tableNameUserHasChamberSignalVisibilityPreference(),
                       {
                           {columnName(C::USER_ID), Type::INTEGER, Flag::NOT_NULL},
                           {columnName(C::CHAMBER_ID), Type::INTEGER, Flag::NOT_NULL},
                           {columnName(C::SIGNAL_ID), Type::INTEGER, Flag::NOT_NULL},
                       },
                       {
                           referenceToApplicationUser(columnName(C::USER_ID)),
                           referenceToChamber(columnName(C::CHAMBER_ID)),
                       },
                       {&DatabaseConnection::createApplicationUserTable, &DatabaseConnection::createChamberTable});
}

bool DatabaseConnection::createUserPreferencesTable()
{
    using C = UserPreferencesColumn;
    return createTable(tableNameUserPreferences(),
                       {
                           {columnName(C::USER_ID), Type::INTEGER, Key},
                           {columnName(C::DEFAULT_FILE_FORMAT), Type::ENUMERATION},
                           {columnName(C::LOCALIZATION), Type::ENUMERATION},
                           {columnName(C::TIME_FORMAT), Type::ENUMERATION},
                           {columnName(C::DATE_FORMAT), Type::ENUMERATION},
                           {columnName(C::DECIMAL_FORMAT), Type::ENUMERATION},
                           {columnName(C::TEMPERATURE_UNIT), Type::ENUMERATION},
                           {columnName(C::HUMIDITY_UNIT), Type::ENUMERATION},
                       },
                       {referenceToApplicationUser(columnName(C::USER_ID))},
                       {&DatabaseConnection::createApplicationUserTable});
}

// IAlarmDatabaseConnection::getAlarms; the alarm store leaves chamber names empty.
// A failed read of the chambers gives none, as a database without them does;
// only the data connection, which both stores run on, tells the two apart.
QList<AlarmData> DatabaseConnection::getAlarms()
{
    const FailedReadWatch data(m_dataConnection);
    QHash<int, QString> chamberNames;
    for (const QSharedPointer<ChamberData> &chamber : m_chamberStore->getChambers(false))
        chamberNames.insert(chamber->id(), chamber->chamberName());
    QList<AlarmData> alarms = m_alarmStore->getAlarms();
    if (data.hasFailed()) {
        Q_EMIT error(domain::types::EXECUTION_FAILED);
        return {};
    }
    for (AlarmData &alarm : alarms)
        alarm.setChamberName(chamberNames.value(alarm.chamberId()));
    return alarms;
}

// The other operations are passed on unchanged.

// IAccessDatabaseConnection

domain::types::UserLevel DatabaseConnection::getRequiredUserLevel(const domain::types::ActivityId &activity)
{
    return m_accessStore->getRequiredUserLevel(activity);
}

QList<domain::types::ActivityId> DatabaseConnection::getAllowedActivities(domain::types::UserLevel level)
{
    return m_accessStore->getAllowedActivities(level);
}

// IAlarmDatabaseConnection

uint DatabaseConnection::getAlarmSignalDelay(int alarmId, int signalId, bool secondDelay)
{
    return m_alarmStore->getAlarmSignalDelay(alarmId, signalId, secondDelay);
}

bool DatabaseConnection::addAlarm(domain::types::AlarmData &alarm)
{
    return m_alarmStore->addAlarm(alarm);
}

bool DatabaseConnection::updateAlarm(const domain::types::AlarmData &alarm)
{
    return m_alarmStore->updateAlarm(alarm);
}

bool DatabaseConnection::deleteAlarm(int alarmId)
{
    return m_alarmStore->deleteAlarm(alarmId);
}

QList<domain::types::AlarmData> DatabaseConnection::getChamberAlarms(int chamberId)
{
    return m_alarmStore->getChamberAlarms(chamberId);
}

int DatabaseConnection::getAlarmCount(int chamberId)
{
    return m_alarmStore->getAlarmCount(chamberId);
}

// ICameraDatabaseConnection

QList<domain::types::CameraData> DatabaseConnection::getCameras(const uint &recordingId)
{
    return m_cameraStore->getCameras(recordingId);
}

bool DatabaseConnection::addCamera(domain::types::CameraData &camera)
{
    return m_cameraStore->addCamera(camera);
}

bool DatabaseConnection::updateCamera(const domain::types::CameraData &camera)
{
    return m_cameraStore->updateCamera(camera);
}

bool DatabaseConnection::deleteCamera(const domain::types::CameraData &camera)
{
    return m_cameraStore->deleteCamera(camera);
}

// IChamberDatabaseConnection

bool DatabaseConnection::addChamber(domain::types::ChamberData &chamber)
{
    return m_chamberStore->addChamber(chamber);
}

QList<QSharedPointer<domain::types::ChamberData>> DatabaseConnection::getChambers(bool withLocation)
{
    return m_chamberStore->getChambers(withLocation);
}

QSharedPointer<domain::types::ChamberData> DatabaseConnection::getChamber(const int &chamberId, bool withLocation)
{
    return m_chamberStore->getChamber(chamberId, withLocation);
}

QVariant DatabaseConnection::getChamberValue(const int &chamberId, ChamberColumn column)
{
    return m_chamberStore->getChamberValue(chamberId, column);
}

QMap<int, domain::types::ChamberSignal> DatabaseConnection::getChamberSignalDefinitions(const int &chamberId)
{
    return m_chamberStore->getChamberSignalDefinitions(chamberId);
}

bool DatabaseConnection::updateChamber(const domain::types::ChamberData &chamber, bool withLocation)
{
    return m_chamberStore->updateChamber(chamber, withLocation);
}

void DatabaseConnection::updateChamberField(const domain::types::ChamberData &chamber, ChamberColumn column)
{
    m_chamberStore->updateChamberField(chamber, column);
}

void DatabaseConnection::setChamberValue(const int &chamberId, ChamberColumn column, const QVariant &value)
{
    m_chamberStore->setChamberValue(chamberId, column, value);
}

void DatabaseConnection::setCustomSignalNames(int chamberId, const QMap<int, QString> &names)
{
    m_chamberStore->setCustomSignalNames(chamberId, names);
}

QMap<int, QString> DatabaseConnection::getCustomSignalNames(int chamberId)
{
    return m_chamberStore->getCustomSignalNames(chamberId);
}

bool DatabaseConnection::deleteChamber(const int &chamberId)
{
    return m_chamberStore->deleteChamber(chamberId);
}

void DatabaseConnection::archiveChamber(const int &chamberId)
{
    m_chamberStore->archiveChamber(chamberId);
}

void DatabaseConnection::unarchiveChamber(const int &chamberId)
{
    m_chamberStore->unarchiveChamber(chamberId);
}

QMap<int, domain::types::ToleranceRange>
DatabaseConnection::getToleranceRanges(const QDateTime &moment, const int &chamberId,
                                       const QMap<int, domain::types::ChamberSignal> &definitions)
{
    return m_chamberStore->getToleranceRanges(moment, chamberId, definitions);
}

QMap<int, domain::types::ToleranceRange>
DatabaseConnection::getRecordingToleranceRanges(const QDateTime &moment, const uint &recordingId,
                                                const QMap<int, domain::types::ChamberSignal> &definitions)
{
    return m_chamberStore->getRecordingToleranceRanges(moment, recordingId, definitions);
}

domain::types::ToleranceRange DatabaseConnection::getToleranceRange(const QDateTime &moment, const int &chamberId,
                                                                    const int &signalId)
{
    return m_chamberStore->getToleranceRange(moment, chamberId, signalId);
}

bool DatabaseConnection::addToleranceRange(const QDateTime &effectiveFrom, const int &chamberId, const int &signalId,
                                           const domain::types::ToleranceRange &range)
{
    return m_chamberStore->addToleranceRange(effectiveFrom, chamberId, signalId, range);
}

bool DatabaseConnection::isChamberSubscribed(const int &chamberId)
{
    return m_chamberStore->isChamberSubscribed(chamberId);
}

QList<int> DatabaseConnection::getSubscribedSignals(const int &chamberId)
{
    return m_chamberStore->getSubscribedSignals(chamberId);
}

bool DatabaseConnection::isAnySignalSubscribed(const int &chamberId, const QList<int> &signalIds)
{
    return m_chamberStore->isAnySignalSubscribed(chamberId, signalIds);
}

bool DatabaseConnection::isSignalSubscribed(const int &chamberId, const int &signalId)
{
    return m_chamberStore->isSignalSubscribed(chamberId, signalId);
}

void DatabaseConnection::subscribeChamber(const int &chamberId)
{
    m_chamberStore->subscribeChamber(chamberId);
}

void DatabaseConnection::unsubscribeChamber(const int &chamberId)
{
    m_chamberStore->unsubscribeChamber(chamberId);
}

bool DatabaseConnection::subscribeChambers(const QList<int> &chamberIds)
{
    return m_chamberStore->subscribeChambers(chamberIds);
}

bool DatabaseConnection::unsubscribeChambers(const QList<int> &chamberIds)
{
    return m_chamberStore->unsubscribeChambers(chamberIds);
}

bool DatabaseConnection::subscribeSignal(const int &chamberId, const int &signalId)
{
    return m_chamberStore->subscribeSignal(chamberId, signalId);
}

bool DatabaseConnection::unsubscribeSignal(const int &chamberId, const int &signalId)
{
    return m_chamberStore->unsubscribeSignal(chamberId, signalId);
}

QMap<int, int> DatabaseConnection::getSignalDelays(const int &chamberId, bool signalDelayColumn)
{
    return m_chamberStore->getSignalDelays(chamberId, signalDelayColumn);
}

int DatabaseConnection::getSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn)
{
    return m_chamberStore->getSignalDelay(chamberId, signalId, signalDelayColumn);
}

bool DatabaseConnection::hasSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn)
{
    return m_chamberStore->hasSignalDelay(chamberId, signalId, signalDelayColumn);
}

bool DatabaseConnection::setSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn, int seconds)
{
    return m_chamberStore->setSignalDelay(chamberId, signalId, signalDelayColumn, seconds);
}

// IConfigurationDatabaseConnection

QList<domain::types::ChamberTypeData> DatabaseConnection::getChamberTypes(bool withSignals)
{
    return m_configurationStore->getChamberTypes(withSignals);
}

QList<domain::types::ChamberTypeData> DatabaseConnection::getTimeProgrammableChamberTypes()
{
    return m_configurationStore->getTimeProgrammableChamberTypes();
}

domain::types::ChamberTypeData DatabaseConnection::getChamberType(const domain::types::ChamberTypeKey &key,
                                                                  bool withSignals)
{
    return m_configurationStore->getChamberType(key, withSignals);
}

QMap<int, domain::types::ChamberSignal>
DatabaseConnection::getChamberTypeSignals(const domain::types::ChamberTypeKey &key)
{
    return m_configurationStore->getChamberTypeSignals(key);
}

QList<QPair<domain::types::ChamberSignal, domain::types::ToleranceRangeDefinition>>
DatabaseConnection::getChamberSignals(const domain::types::ChamberTypeKey &key)
{
    return m_configurationStore->getChamberSignals(key);
}

QMap<int, domain::types::ChamberSignal> DatabaseConnection::getSetpointSignals(const domain::types::ChamberTypeKey &key)
{
    return m_configurationStore->getSetpointSignals(key);
}

QMap<int, domain::types::ChamberSignal> DatabaseConnection::getSignals(const QList<int> &signalIds)
{
    return m_configurationStore->getSignals(signalIds);
}

QSharedPointer<domain::types::ChamberSignal> DatabaseConnection::getSignal(const int &signalId)
{
    return m_configurationStore->getSignal(signalId);
}

QMap<int, domain::types::ChamberSignal>
DatabaseConnection::matchSignalsByValueType(const domain::types::ChamberTypeKey &source,
                                            const domain::types::ChamberTypeKey &destination)
{
    return m_configurationStore->matchSignalsByValueType(source, destination);
}

QList<domain::types::ChamberSignal> DatabaseConnection::getDataLoggerSignals(const domain::types::ChamberTypeKey &key)
{
    return m_configurationStore->getDataLoggerSignals(key);
}

domain::types::ToleranceRangeDefinition DatabaseConnection::getToleranceRange(const domain::types::ChamberTypeKey &key,
                                                                              const int &signalId, bool bySetPoint)
{
    return m_configurationStore->getToleranceRange(key, signalId, bySetPoint);
}

int DatabaseConnection::getDefaultSignalDelay(const domain::types::ChamberTypeKey &key, const int &signalId,
                                              bool second)
{
    return m_configurationStore->getDefaultSignalDelay(key, signalId, second);
}

int DatabaseConnection::getSignalUnit(const int &signalId)
{
    return m_configurationStore->getSignalUnit(signalId);
}

// IProgramDatabaseConnection

QList<domain::types::ProgramData> DatabaseConnection::getPrograms()
{
    return m_programStore->getPrograms();
}

domain::types::ProgramData DatabaseConnection::getProgram(const int &id)
{
    return m_programStore->getProgram(id);
}

QString DatabaseConnection::getProgramName(const int &id)
{
    return m_programStore->getProgramName(id);
}

bool DatabaseConnection::isProgramEdited(const int &id)
{
    return m_programStore->isProgramEdited(id);
}

unsigned int DatabaseConnection::getProgramUserId(const int &id)
{
    return m_programStore->getProgramUserId(id);
}

domain::types::ChamberTypeKey DatabaseConnection::getProgramChamberType(const int &id)
{
    return m_programStore->getProgramChamberType(id);
}

bool DatabaseConnection::exportProgramsToFile(const int &programId, const QUrl &file)
{
    return m_programStore->exportProgramsToFile(programId, file);
}

int DatabaseConnection::importProgramsFromFile(const QUrl &file, const int &userId)
{
    return m_programStore->importProgramsFromFile(file, userId);
}

bool DatabaseConnection::addProgram(domain::types::ProgramData &program)
{
    return m_programStore->addProgram(program);
}

bool DatabaseConnection::deleteProgram(const int &id)
{
    return m_programStore->deleteProgram(id);
}

bool DatabaseConnection::updateProgram(const domain::types::ProgramData &program)
{
    return m_programStore->updateProgram(program);
}

bool DatabaseConnection::setProgramName(const int &id, const QString &name)
{
    return m_programStore->setProgramName(id, name);
}

int DatabaseConnection::getProgramIdByName(const QString &name)
{
    return m_programStore->getProgramIdByName(name);
}

bool DatabaseConnection::programExists(const int &id)
{
    return m_programStore->programExists(id);
}

int DatabaseConnection::getProgramType(const int &id)
{
    return m_programStore->getProgramType(id);
}

bool DatabaseConnection::containsSubPrograms(const int &programId)
{
    return m_programStore->containsSubPrograms(programId);
}

bool DatabaseConnection::checkStepRepetitionRange(const domain::types::ProgramStep &repetition)
{
    return m_programStore->checkStepRepetitionRange(repetition);
}

bool DatabaseConnection::addProgramStep(domain::types::ProgramChange &step)
{
    return m_programStore->addProgramStep(step);
}

bool DatabaseConnection::saveProgramSteps(const int &programId, QList<domain::types::ProgramChange> &steps)
{
    return m_programStore->saveProgramSteps(programId, steps);
}

QList<domain::types::ProgramChange> DatabaseConnection::getProgramSteps(const int &programId)
{
    return m_programStore->getProgramSteps(programId);
}

bool DatabaseConnection::addStepRepetition(domain::types::ProgramStep &repetition)
{
    return m_programStore->addStepRepetition(repetition);
}

bool DatabaseConnection::saveStepRepetitions(const int &programId, QList<domain::types::ProgramStep> &repetitions)
{
    return m_programStore->saveStepRepetitions(programId, repetitions);
}

bool DatabaseConnection::deleteStepRepetition(const int &id)
{
    return m_programStore->deleteStepRepetition(id);
}

bool DatabaseConnection::updateStepRepetition(const domain::types::ProgramStep &repetition)
{
    return m_programStore->updateStepRepetition(repetition);
}

QList<domain::types::ProgramStep> DatabaseConnection::getStepRepetitions(const int &programId)
{
    return m_programStore->getStepRepetitions(programId);
}

domain::types::ProgramStep DatabaseConnection::getStepRepetitionsOfSteps(const int &firstSectionId,
                                                                         const int &lastSectionId)
{
    return m_programStore->getStepRepetitionsOfSteps(firstSectionId, lastSectionId);
}

// IProtocolDatabaseConnection

void DatabaseConnection::addLogEntry(const domain::types::SystemLogEntry &entry)
{
    m_protocolStore->addLogEntry(entry);
}

QList<domain::types::SystemLogEntry> DatabaseConnection::getLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                                       int userLevel)
{
    return m_protocolStore->getLogEntries(timeRange, userLevel);
}

QList<domain::types::SystemLogEntry> DatabaseConnection::getUserLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                                           const unsigned int &userId)
{
    return m_protocolStore->getUserLogEntries(timeRange, userId);
}

bool DatabaseConnection::getLogEntryCount(const unsigned int &userId)
{
    return m_protocolStore->getLogEntryCount(userId);
}

// IRecordingDatabaseConnection

bool DatabaseConnection::addRecording(domain::types::RecordingData &recording)
{
    return m_recordingStore->addRecording(recording);
}

QList<QSharedPointer<domain::types::RecordingData>> DatabaseConnection::getRecordings()
{
    return m_recordingStore->getRecordings();
}

QSharedPointer<domain::types::RecordingData> DatabaseConnection::getRecording(const uint &id)
{
    return m_recordingStore->getRecording(id);
}

uint DatabaseConnection::getActiveRecordingId(const int &chamberId)
{
    return m_recordingStore->getActiveRecordingId(chamberId);
}

bool DatabaseConnection::getRecordingCount(const int &chamberId)
{
    return m_recordingStore->getRecordingCount(chamberId);
}

bool DatabaseConnection::updateRecordingField(const domain::types::RecordingData &recording,
                                              const RecordingColumn &column)
{
    return m_recordingStore->updateRecordingField(recording, column);
}

bool DatabaseConnection::setRecordingValue(const uint &id, const RecordingColumn &column, const QVariant &value)
{
    return m_recordingStore->setRecordingValue(id, column, value);
}

bool DatabaseConnection::updateRecording(const domain::types::RecordingData &recording)
{
    return m_recordingStore->updateRecording(recording);
}

QVariant DatabaseConnection::getRecordingValue(const uint &id, const RecordingColumn &column)
{
    return m_recordingStore->getRecordingValue(id, column);
}

bool DatabaseConnection::deleteRecording(const uint &id)
{
    return m_recordingStore->deleteRecording(id);
}

bool DatabaseConnection::archiveRecording(const uint &id)
{
    return m_recordingStore->archiveRecording(id);
}

bool DatabaseConnection::unarchiveRecording(const uint &id)
{
    return m_recordingStore->unarchiveRecording(id);
}

// IRecordsetDatabaseConnection

bool DatabaseConnection::addRecordset(domain::types::Recordset &record)
{
    return m_recordsetStore->addRecordset(record);
}

bool DatabaseConnection::addRecordsetComment(const domain::types::RecordsetComment &comment)
{
    return m_recordsetStore->addRecordsetComment(comment);
}

bool DatabaseConnection::deleteRecordsetComment(const qint64 &recordsetId)
{
    return m_recordsetStore->deleteRecordsetComment(recordsetId);
}

domain::types::Recordset DatabaseConnection::getRecordset(const qint64 &id)
{
    return m_recordsetStore->getRecordset(id);
}

QList<domain::types::Recordset> DatabaseConnection::getRecordsetsBeforeTime(const uint &recordingId, int count,
                                                                            const QDateTime &time)
{
    return m_recordsetStore->getRecordsetsBeforeTime(recordingId, count, time);
}

QList<domain::types::Recordset> DatabaseConnection::getRecordsetsBeforeId(const uint &recordingId, int count,
                                                                          const qint64 &id)
{
    return m_recordsetStore->getRecordsetsBeforeId(recordingId, count, id);
}

QList<domain::types::Recordset> DatabaseConnection::getRecordsetsInRange(const uint &recordingId, TimeRange range,
                                                                         qint64 count)
{
    return m_recordsetStore->getRecordsetsInRange(recordingId, range, count);
}

QList<domain::types::Recordset> DatabaseConnection::loadRecordsets(const uint &recordingId, int startIndex,
                                                                   qint64 rowCount, qint64 maxCount)
{
    return m_recordsetStore->loadRecordsets(recordingId, startIndex, rowCount, maxCount);
}

QList<domain::types::Recordset> DatabaseConnection::getRecordsetsWithCameraImage(const uint &recordingId,
                                                                                 TimeRange range, qint64 count)
{
    return m_recordsetStore->getRecordsetsWithCameraImage(recordingId, range, count);
}

domain::types::RecordsetComment DatabaseConnection::getRecordsetComment(const qint64 &recordsetId)
{
    return m_recordsetStore->getRecordsetComment(recordsetId);
}

bool DatabaseConnection::deleteRecordset(const qint64 &id)
{
    return m_recordsetStore->deleteRecordset(id);
}

bool DatabaseConnection::deleteRecordsets(const uint &recordingId)
{
    return m_recordsetStore->deleteRecordsets(recordingId);
}

bool DatabaseConnection::addSignalColumns(const uint &recordingId, const QList<int> &signalIds)
{
    return m_recordsetStore->addSignalColumns(recordingId, signalIds);
}

QMap<int, domain::types::ChamberSignal> DatabaseConnection::getSignalColumns(const uint &recordingId)
{
    return m_recordsetStore->getSignalColumns(recordingId);
}

bool DatabaseConnection::addRecordsets(const QList<domain::types::Recordset> &records)
{
    return m_recordsetStore->addRecordsets(records);
}

qint64 DatabaseConnection::getRecordsetCount(const uint &recordingId)
{
    return m_recordsetStore->getRecordsetCount(recordingId);
}

// IRoomDatabaseConnection

QList<domain::types::RoomData> DatabaseConnection::getRooms()
{
    return m_roomStore->getRooms();
}

QUrl DatabaseConnection::getRoom(int roomId)
{
    return m_roomStore->getRoom(roomId);
}

bool DatabaseConnection::addRoom(domain::types::RoomData &room)
{
    return m_roomStore->addRoom(room);
}

bool DatabaseConnection::updateRoom(const domain::types::RoomData &room)
{
    return m_roomStore->updateRoom(room);
}

bool DatabaseConnection::deleteRoom(int roomId)
{
    return m_roomStore->deleteRoom(roomId);
}

domain::types::ChamberLocation DatabaseConnection::getChamberPosition(int chamberId)
{
    return m_roomStore->getChamberPosition(chamberId);
}

bool DatabaseConnection::setChamberPosition(int chamberId, const domain::types::ChamberLocation &location)
{
    return m_roomStore->setChamberPosition(chamberId, location);
}

QList<int> DatabaseConnection::getRoomChambers(int roomId)
{
    return m_roomStore->getRoomChambers(roomId);
}

// ISettingsDatabaseConnection

QString DatabaseConnection::getQuickRecordingNameTemplate()
{
    return m_settingsStore->getQuickRecordingNameTemplate();
}

int DatabaseConnection::getQuickRecordingInterval()
{
    return m_settingsStore->getQuickRecordingInterval();
}

bool DatabaseConnection::getResumeRecordingsOnStartup()
{
    return m_settingsStore->getResumeRecordingsOnStartup();
}

bool DatabaseConnection::isAccessControlActive()
{
    return m_settingsStore->isAccessControlActive();
}

int DatabaseConnection::getPasswordValidityPeriod()
{
    return m_settingsStore->getPasswordValidityPeriod();
}

int DatabaseConnection::getScreenLockTimeout()
{
    return m_settingsStore->getScreenLockTimeout();
}

domain::types::SmtpConfiguration DatabaseConnection::getSmtpSettings()
{
    return m_settingsStore->getSmtpSettings();
}

domain::types::ReportConfiguration DatabaseConnection::getReportSettings()
{
    return m_settingsStore->getReportSettings();
}

bool DatabaseConnection::getEventDoRepeat()
{
    return m_settingsStore->getEventDoRepeat();
}

int DatabaseConnection::getEventRepetitionInterval()
{
    return m_settingsStore->getEventRepetitionInterval();
}

int DatabaseConnection::getPrealarmDelay()
{
    return m_settingsStore->getPrealarmDelay();
}

domain::types::BackupSettings DatabaseConnection::getBackupSettings()
{
    return m_settingsStore->getBackupSettings();
}

domain::types::BackupCleanupSettings DatabaseConnection::getBackupCleanupSettings()
{
    return m_settingsStore->getBackupCleanupSettings();
}

bool DatabaseConnection::setQuickRecordingNameTemplate(const QString &nameTemplate)
{
    return m_settingsStore->setQuickRecordingNameTemplate(nameTemplate);
}

bool DatabaseConnection::setQuickRecordingInterval(int seconds)
{
    return m_settingsStore->setQuickRecordingInterval(seconds);
}

bool DatabaseConnection::setResumeRecordingsOnStartup(bool resume)
{
    return m_settingsStore->setResumeRecordingsOnStartup(resume);
}

bool DatabaseConnection::setAccessControlActive(bool active)
{
    return m_settingsStore->setAccessControlActive(active);
}

bool DatabaseConnection::setPasswordValidityPeriod(int period)
{
    return m_settingsStore->setPasswordValidityPeriod(period);
}

bool DatabaseConnection::setScreenLockTimeout(int timeout)
{
    return m_settingsStore->setScreenLockTimeout(timeout);
}

bool DatabaseConnection::setSmtpSettings(const domain::types::SmtpConfiguration &settings)
{
    return m_settingsStore->setSmtpSettings(settings);
}

bool DatabaseConnection::setReportSettings(const domain::types::ReportConfiguration &settings)
{
    return m_settingsStore->setReportSettings(settings);
}

bool DatabaseConnection::setEventDoRepeat(bool repeat)
{
    return m_settingsStore->setEventDoRepeat(repeat);
}

bool DatabaseConnection::setEventRepetitionInterval(int interval)
{
    return m_settingsStore->setEventRepetitionInterval(interval);
}

bool DatabaseConnection::setPrealarmDelay(int seconds)
{
    return m_settingsStore->setPrealarmDelay(seconds);
}

bool DatabaseConnection::setBackupSettings(const domain::types::BackupSettings &settings)
{
    return m_settingsStore->setBackupSettings(settings);
}

bool DatabaseConnection::setBackupCleanupSettings(const domain::types::BackupCleanupSettings &settings)
{
    return m_settingsStore->setBackupCleanupSettings(settings);
}

int DatabaseConnection::getMaxFailedLogins()
{
    return m_settingsStore->getMaxFailedLogins();
}

bool DatabaseConnection::setMaxFailedLogins(int count)
{
    return m_settingsStore->setMaxFailedLogins(count);
}

domain::types::QueltaEndpoint DatabaseConnection::getQueltaEndpoint()
{
    return m_settingsStore->getQueltaEndpoint();
}

bool DatabaseConnection::setQueltaEndpoint(const domain::types::QueltaEndpoint &endpoint)
{
    return m_settingsStore->setQueltaEndpoint(endpoint);
}

int DatabaseConnection::getQueltaConnectionAttempts()
{
    return m_settingsStore->getQueltaConnectionAttempts();
}

bool DatabaseConnection::setQueltaConnectionAttempts(int attempts)
{
    return m_settingsStore->setQueltaConnectionAttempts(attempts);
}

bool DatabaseConnection::isQueltaActive()
{
    return m_settingsStore->isQueltaActive();
}

bool DatabaseConnection::setQueltaActive(bool active)
{
    return m_settingsStore->setQueltaActive(active);
}

domain::types::TocsaEndpoint DatabaseConnection::getTocsaEndpoint()
{
    return m_settingsStore->getTocsaEndpoint();
}

bool DatabaseConnection::setTocsaEndpoint(const domain::types::TocsaEndpoint &endpoint)
{
    return m_settingsStore->setTocsaEndpoint(endpoint);
}

int DatabaseConnection::getTocsaConnectionAttempts()
{
    return m_settingsStore->getTocsaConnectionAttempts();
}

bool DatabaseConnection::setTocsaConnectionAttempts(int attempts)
{
    return m_settingsStore->setTocsaConnectionAttempts(attempts);
}

bool DatabaseConnection::isTocsaActive()
{
    return m_settingsStore->isTocsaActive();
}

bool DatabaseConnection::setTocsaActive(bool active)
{
    return m_settingsStore->setTocsaActive(active);
}

QStringList DatabaseConnection::getMailRecipients()
{
    return m_settingsStore->getMailRecipients();
}

bool DatabaseConnection::mailRecipientExists(const QString &address)
{
    return m_settingsStore->mailRecipientExists(address);
}

bool DatabaseConnection::addMailRecipient(const QString &address)
{
    return m_settingsStore->addMailRecipient(address);
}

bool DatabaseConnection::deleteMailRecipient(const QString &address)
{
    return m_settingsStore->deleteMailRecipient(address);
}

// IUserDatabaseConnection

QList<QSharedPointer<domain::types::UserData>> DatabaseConnection::getUsers()
{
    return m_userStore->getUsers();
}

QSharedPointer<domain::types::UserData> DatabaseConnection::getUser(uint userId)
{
    return m_userStore->getUser(userId);
}

QSharedPointer<domain::types::UserData> DatabaseConnection::getUserByLoginName(const QString &loginName)
{
    return m_userStore->getUserByLoginName(loginName);
}

QSharedPointer<domain::types::LocalePreferences> DatabaseConnection::getUserPreferences(uint userId)
{
    return m_userStore->getUserPreferences(userId);
}

QStringList DatabaseConnection::getLoginNames()
{
    return m_userStore->getLoginNames();
}

QString DatabaseConnection::getLoginName(uint userId)
{
    return m_userStore->getLoginName(userId);
}

QList<domain::types::ChamberSignal> DatabaseConnection::getVisibleSignals(uint userId, int chamberId)
{
    return m_userStore->getVisibleSignals(userId, chamberId);
}

bool DatabaseConnection::setSignalVisibilityPreferences(uint userId, int chamberId, const QList<int> &signalIds)
{
    return m_userStore->setSignalVisibilityPreferences(userId, chamberId, signalIds);
}

QVariant DatabaseConnection::getUserValue(uint userId, ApplicationUserColumn column)
{
    return m_userStore->getUserValue(userId, column);
}

QVariant DatabaseConnection::getUserPreferenceValue(uint userId, UserPreferencesColumn column)
{
    return m_userStore->getUserPreferenceValue(userId, column);
}

bool DatabaseConnection::addUser(domain::types::UserData &user)
{
    return m_userStore->addUser(user);
}

void DatabaseConnection::addUserPreferences(uint userId, const domain::types::LocalePreferences &preferences)
{
    m_userStore->addUserPreferences(userId, preferences);
}

void DatabaseConnection::updateUser(domain::types::UserData &user)
{
    m_userStore->updateUser(user);
}

void DatabaseConnection::setUserPreferences(uint userId, const domain::types::LocalePreferences &preferences)
{
    m_userStore->setUserPreferences(userId, preferences);
}

void DatabaseConnection::setUserValue(uint userId, ApplicationUserColumn column, const QVariant &value)
{
    m_userStore->setUserValue(userId, column, value);
}

bool DatabaseConnection::deleteUser(uint userId)
{
    return m_userStore->deleteUser(userId);
}

void DatabaseConnection::addSignalVisibilityPreference(uint userId, int chamberId, int signalId)
{
    m_userStore->addSignalVisibilityPreference(userId, chamberId, signalId);
}

void DatabaseConnection::removeSignalVisibilityPreference(uint userId, int chamberId, int signalId)
{
    m_userStore->removeSignalVisibilityPreference(userId, chamberId, signalId);
}

QMap<int, QString> DatabaseConnection::getRecordingConfig(uint userId)
{
    return m_userStore->getRecordingConfig(userId);
}

bool DatabaseConnection::setRecordingConfig(uint userId, int recordingId, const QString &config)
{
    return m_userStore->setRecordingConfig(userId, recordingId, config);
}

} // namespace quelta::base::connection::databaseconnection
