#pragma once

#include "connection/database/core/sqlquery.h"
#include "domain/api/iaccessdatabaseconnection.h"
#include "domain/api/ialarmdatabaseconnection.h"
#include "domain/api/icameradatabaseconnection.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iprogramdatabaseconnection.h"
#include "domain/api/iprotocoldatabaseconnection.h"
#include "domain/api/irecordingdatabaseconnection.h"
#include "domain/api/irecordsetdatabaseconnection.h"
#include "domain/api/iroomdatabaseconnection.h"
#include "domain/api/isettingsdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/iuserdatabaseconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>
#include <QtCore/QSharedPointer>

#include <initializer_list>

namespace quelta::base::connection::databaseconnection {

class SqlAccessDatabaseConnection;
class SqlAlarmDatabaseConnection;
class SqlCameraDatabaseConnection;
class SqlChamberDatabaseConnection;
class SqlConfigurationDatabaseConnection;
class SqlProgramDatabaseConnection;
class SqlProtocolDatabaseConnection;
class SqlRecordingDatabaseConnection;
class SqlRecordsetDatabaseConnection;
class SqlRoomDatabaseConnection;
class SqlSettingsDatabaseConnection;
class SqlUserDatabaseConnection;

// The one object through which the rest of the program reaches the
// configuration database and the data database. It creates the twelve stores
// and owns them, wires each to its connection and to the other stores that it
// needs, and passes every call of the twelve store interfaces on to the store
// that serves it, unchanged and without checks of its own. Callers never hold
// a store; the stores call each other directly, never through the facade.
//
// The access and configuration stores run on the configuration connection,
// the other ten on the data connection; both may be one connection. open()
// only wires: it runs no statement, so the connections may still be closed.
//
// Errors: every store reports through its own error signal. The facade's
// error() repeats them only once connectErrorSignals() has run (createTables()
// does that first), once per call of it; it also carries the schema
// creation's NOT_INITIALIZED, and EXECUTION_FAILED when getAlarms() could not
// read the chambers or the alarms, for which it gives no alarms. The
// connections' own errors are never repeated.
//
// createTables() creates the thirteen core tables of the data schema (version
// 17) where they are missing, each creator first making the tables that its
// foreign keys refer to, and then lets every store check its own tables.
// Failures are logged under "quelta.DatabaseConnection".
class DatabaseConnection : public QObject,
                           public domain::api::IAccessDatabaseConnection,
                           public domain::api::IAlarmDatabaseConnection,
                           public domain::api::ICameraDatabaseConnection,
                           public domain::api::IChamberDatabaseConnection,
                           public domain::api::IConfigurationDatabaseConnection,
                           public domain::api::IProgramDatabaseConnection,
                           public domain::api::IProtocolDatabaseConnection,
                           public domain::api::IRecordingDatabaseConnection,
                           public domain::api::IRecordsetDatabaseConnection,
                           public domain::api::IRoomDatabaseConnection,
                           public domain::api::ISettingsDatabaseConnection,
                           public domain::api::IUserDatabaseConnection
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IAccessDatabaseConnection
                 quelta::domain::api::IAlarmDatabaseConnection
                 quelta::domain::api::ICameraDatabaseConnection
                 quelta::domain::api::IChamberDatabaseConnection
                 quelta::domain::api::IConfigurationDatabaseConnection
                 quelta::domain::api::IProgramDatabaseConnection
                 quelta::domain::api::IProtocolDatabaseConnection
                 quelta::domain::api::IRecordingDatabaseConnection
                 quelta::domain::api::IRecordsetDatabaseConnection
                 quelta::domain::api::IRoomDatabaseConnection
                 quelta::domain::api::ISettingsDatabaseConnection
                 quelta::domain::api::IUserDatabaseConnection)

public:
    // The data schema version that createTables() requires.
    static constexpr int RequiredSchemaVersion = 17;

    // Users at level Advanced read as what they are.
    explicit DatabaseConnection(QObject *parent = nullptr);
    // With foldAdvancedIntoBasic the user and event-log stores treat level
    // Advanced as Basic. The parent has no default here, so that a lone
    // pointer can never be taken for the flag.
    DatabaseConnection(bool foldAdvancedIntoBasic, QObject *parent);
    ~DatabaseConnection() override;

    // Keeps both connections, whatever follows, and hands each store its
    // connection and the stores it needs. False, with no store touched, when
    // either connection is null.
    bool open(domain::api::ISqlConnection *dataConnection, domain::api::ISqlConnection *configurationConnection);
    // Repeats every store's errors on error(); each call adds one more
    // connection per store.
    void connectErrorSignals();

    // Creates the missing core tables and initialises every store; true when
    // all of it succeeded. A data schema older than RequiredSchemaVersion is
    // left alone and marks the database as outdated.
    bool createTables();
    bool isDatabaseOutdated() const;
    // True when both connections are set.
    bool isOpen() const;
    // The number of value columns signal_1 ... signal_n of a record set.
    int maxSignalColumns() const;

    // IAccessDatabaseConnection
    domain::types::UserLevel getRequiredUserLevel(const domain::types::ActivityId &activity) override;
    QList<domain::types::ActivityId> getAllowedActivities(domain::types::UserLevel level) override;

    // IAlarmDatabaseConnection; getAlarms() fills in each alarm's chamber name.
    QList<domain::types::AlarmData> getAlarms() override;
    uint getAlarmSignalDelay(int alarmId, int signalId, bool secondDelay) override;
    bool addAlarm(domain::types::AlarmData &alarm) override;
    bool updateAlarm(const domain::types::AlarmData &alarm) override;
    bool deleteAlarm(int alarmId) override;
    QList<domain::types::AlarmData> getChamberAlarms(int chamberId) override;
    int getAlarmCount(int chamberId) override;

    // ICameraDatabaseConnection
    QList<domain::types::CameraData> getCameras(const uint &recordingId) override;
    bool addCamera(domain::types::CameraData &camera) override;
    bool updateCamera(const domain::types::CameraData &camera) override;
    bool deleteCamera(const domain::types::CameraData &camera) override;

    // IChamberDatabaseConnection
    bool addChamber(domain::types::ChamberData &chamber) override;
    QList<QSharedPointer<domain::types::ChamberData>> getChambers(bool withLocation) override;
    QSharedPointer<domain::types::ChamberData> getChamber(const int &chamberId, bool withLocation) override;
    QVariant getChamberValue(const int &chamberId, ChamberColumn column) override;
    QMap<int, domain::types::ChamberSignal> getChamberSignalDefinitions(const int &chamberId) override;
    bool updateChamber(const domain::types::ChamberData &chamber, bool withLocation) override;
    void updateChamberField(const domain::types::ChamberData &chamber, ChamberColumn column) override;
    void setChamberValue(const int &chamberId, ChamberColumn column, const QVariant &value) override;
    void setCustomSignalNames(int chamberId, const QMap<int, QString> &names) override;
    QMap<int, QString> getCustomSignalNames(int chamberId) override;
    bool deleteChamber(const int &chamberId) override;
    void archiveChamber(const int &chamberId) override;
    void unarchiveChamber(const int &chamberId) override;
    QMap<int, domain::types::ToleranceRange> getToleranceRanges(
        const QDateTime &moment, const int &chamberId,
        const QMap<int, domain::types::ChamberSignal> &definitions) override;
    QMap<int, domain::types::ToleranceRange> getRecordingToleranceRanges(
        const QDateTime &moment, const uint &recordingId,
        const QMap<int, domain::types::ChamberSignal> &definitions) override;
    domain::types::ToleranceRange getToleranceRange(const QDateTime &moment, const int &chamberId,
                                                    const int &signalId) override;
    bool addToleranceRange(const QDateTime &effectiveFrom, const int &chamberId, const int &signalId,
                           const domain::types::ToleranceRange &range) override;
    bool isChamberSubscribed(const int &chamberId) override;
    QList<int> getSubscribedSignals(const int &chamberId) override;
    bool isAnySignalSubscribed(const int &chamberId, const QList<int> &signalIds) override;
    bool isSignalSubscribed(const int &chamberId, const int &signalId) override;
    void subscribeChamber(const int &chamberId) override;
    void unsubscribeChamber(const int &chamberId) override;
    bool subscribeChambers(const QList<int> &chamberIds) override;
    bool unsubscribeChambers(const QList<int> &chamberIds) override;
    bool subscribeSignal(const int &chamberId, const int &signalId) override;
    bool unsubscribeSignal(const int &chamberId, const int &signalId) override;
    QMap<int, int> getSignalDelays(const int &chamberId, bool signalDelayColumn) override;
    int getSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn) override;
    bool hasSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn) override;
    bool setSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn, int seconds) override;

    // IConfigurationDatabaseConnection
    QList<domain::types::ChamberTypeData> getChamberTypes(bool withSignals) override;
    QList<domain::types::ChamberTypeData> getTimeProgrammableChamberTypes() override;
    domain::types::ChamberTypeData getChamberType(const domain::types::ChamberTypeKey &key,
                                                  bool withSignals) override;
    QMap<int, domain::types::ChamberSignal> getChamberTypeSignals(const domain::types::ChamberTypeKey &key) override;
    QList<QPair<domain::types::ChamberSignal, domain::types::ToleranceRangeDefinition>> getChamberSignals(
        const domain::types::ChamberTypeKey &key) override;
    QMap<int, domain::types::ChamberSignal> getSetpointSignals(const domain::types::ChamberTypeKey &key) override;
    QMap<int, domain::types::ChamberSignal> getSignals(const QList<int> &signalIds) override;
    QSharedPointer<domain::types::ChamberSignal> getSignal(const int &signalId) override;
    QMap<int, domain::types::ChamberSignal> matchSignalsByValueType(
        const domain::types::ChamberTypeKey &source, const domain::types::ChamberTypeKey &destination) override;
    QList<domain::types::ChamberSignal> getDataLoggerSignals(const domain::types::ChamberTypeKey &key) override;
    domain::types::ToleranceRangeDefinition getToleranceRange(const domain::types::ChamberTypeKey &key,
                                                              const int &signalId, bool bySetPoint) override;
    int getDefaultSignalDelay(const domain::types::ChamberTypeKey &key, const int &signalId, bool second) override;
    int getSignalUnit(const int &signalId) override;

    // IProgramDatabaseConnection
    QList<domain::types::ProgramData> getPrograms() override;
    domain::types::ProgramData getProgram(const int &id) override;
    QString getProgramName(const int &id) override;
    bool isProgramEdited(const int &id) override;
    unsigned int getProgramUserId(const int &id) override;
    domain::types::ChamberTypeKey getProgramChamberType(const int &id) override;
    bool exportProgramsToFile(const int &programId, const QUrl &file) override;
    int importProgramsFromFile(const QUrl &file, const int &userId) override;
    bool addProgram(domain::types::ProgramData &program) override;
    bool deleteProgram(const int &id) override;
    bool updateProgram(const domain::types::ProgramData &program) override;
    bool setProgramName(const int &id, const QString &name) override;
    int getProgramIdByName(const QString &name) override;
    bool programExists(const int &id) override;
    int getProgramType(const int &id) override;
    bool containsSubPrograms(const int &programId) override;
    bool checkStepRepetitionRange(const domain::types::ProgramStep &repetition) override;
    bool addProgramStep(domain::types::ProgramChange &step) override;
    bool saveProgramSteps(const int &programId, QList<domain::types::ProgramChange> &steps) override;
    QList<domain::types::ProgramChange> getProgramSteps(const int &programId) override;
    bool addStepRepetition(domain::types::ProgramStep &repetition) override;
    bool saveStepRepetitions(const int &programId, QList<domain::types::ProgramStep> &repetitions) override;
    bool deleteStepRepetition(const int &id) override;
    bool updateStepRepetition(const domain::types::ProgramStep &repetition) override;
    QList<domain::types::ProgramStep> getStepRepetitions(const int &programId) override;
    domain::types::ProgramStep getStepRepetitionsOfSteps(const int &firstSectionId, const int &lastSectionId) override;

    // IProtocolDatabaseConnection
    void addLogEntry(const domain::types::SystemLogEntry &entry) override;
    QList<domain::types::SystemLogEntry> getLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                       int userLevel) override;
    QList<domain::types::SystemLogEntry> getUserLogEntries(const QPair<QDateTime, QDateTime> &timeRange,
                                                           const unsigned int &userId) override;
    bool getLogEntryCount(const unsigned int &userId) override;

    // IRecordingDatabaseConnection
    bool addRecording(domain::types::RecordingData &recording) override;
    QList<QSharedPointer<domain::types::RecordingData>> getRecordings() override;
    QSharedPointer<domain::types::RecordingData> getRecording(const uint &id) override;
    uint getActiveRecordingId(const int &chamberId) override;
    bool getRecordingCount(const int &chamberId) override;
    bool updateRecordingField(const domain::types::RecordingData &recording, const RecordingColumn &column) override;
    bool setRecordingValue(const uint &id, const RecordingColumn &column, const QVariant &value) override;
    bool updateRecording(const domain::types::RecordingData &recording) override;
    QVariant getRecordingValue(const uint &id, const RecordingColumn &column) override;
    bool deleteRecording(const uint &id) override;
    bool archiveRecording(const uint &id) override;
    bool unarchiveRecording(const uint &id) override;

    // IRecordsetDatabaseConnection
    bool addRecordset(domain::types::Recordset &record) override;
    bool addRecordsetComment(const domain::types::RecordsetComment &comment) override;
    bool deleteRecordsetComment(const qint64 &recordsetId) override;
    domain::types::Recordset getRecordset(const qint64 &id) override;
    QList<domain::types::Recordset> getRecordsetsBeforeTime(const uint &recordingId, int count,
                                                            const QDateTime &time) override;
    QList<domain::types::Recordset> getRecordsetsBeforeId(const uint &recordingId, int count,
                                                          const qint64 &id) override;
    QList<domain::types::Recordset> getRecordsetsInRange(const uint &recordingId, TimeRange range,
                                                         qint64 count) override;
    QList<domain::types::Recordset> loadRecordsets(const uint &recordingId, int startIndex, qint64 rowCount,
                                                   qint64 maxCount) override;
    QList<domain::types::Recordset> getRecordsetsWithCameraImage(const uint &recordingId, TimeRange range,
                                                                 qint64 count) override;
    domain::types::RecordsetComment getRecordsetComment(const qint64 &recordsetId) override;
    bool deleteRecordset(const qint64 &id) override;
    bool deleteRecordsets(const uint &recordingId) override;
    bool addSignalColumns(const uint &recordingId, const QList<int> &signalIds) override;
    QMap<int, domain::types::ChamberSignal> getSignalColumns(const uint &recordingId) override;
    bool addRecordsets(const QList<domain::types::Recordset> &records) override;
    qint64 getRecordsetCount(const uint &recordingId) override;

    // IRoomDatabaseConnection
    QList<domain::types::RoomData> getRooms() override;
    QUrl getRoom(int roomId) override;
    bool addRoom(domain::types::RoomData &room) override;
    bool updateRoom(const domain::types::RoomData &room) override;
    bool deleteRoom(int roomId) override;
    domain::types::ChamberLocation getChamberPosition(int chamberId) override;
    bool setChamberPosition(int chamberId, const domain::types::ChamberLocation &location) override;
    QList<int> getRoomChambers(int roomId) override;

    // ISettingsDatabaseConnection
    QString getQuickRecordingNameTemplate() override;
    int getQuickRecordingInterval() override;
    bool getResumeRecordingsOnStartup() override;
    bool isAccessControlActive() override;
    int getPasswordValidityPeriod() override;
    int getScreenLockTimeout() override;
    domain::types::SmtpConfiguration getSmtpSettings() override;
    domain::types::ReportConfiguration getReportSettings() override;
    bool getEventDoRepeat() override;
    int getEventRepetitionInterval() override;
    int getPrealarmDelay() override;
    domain::types::BackupSettings getBackupSettings() override;
    domain::types::BackupCleanupSettings getBackupCleanupSettings() override;
    bool setQuickRecordingNameTemplate(const QString &nameTemplate) override;
    bool setQuickRecordingInterval(int seconds) override;
    bool setResumeRecordingsOnStartup(bool resume) override;
    bool setAccessControlActive(bool active) override;
    bool setPasswordValidityPeriod(int period) override;
    bool setScreenLockTimeout(int timeout) override;
    bool setSmtpSettings(const domain::types::SmtpConfiguration &settings) override;
    bool setReportSettings(const domain::types::ReportConfiguration &settings) override;
    bool setEventDoRepeat(bool repeat) override;
    bool setEventRepetitionInterval(int interval) override;
    bool setPrealarmDelay(int seconds) override;
    bool setBackupSettings(const domain::types::BackupSettings &settings) override;
    bool setBackupCleanupSettings(const domain::types::BackupCleanupSettings &settings) override;
    int getMaxFailedLogins() override;
    bool setMaxFailedLogins(int count) override;
    domain::types::QueltaEndpoint getQueltaEndpoint() override;
    bool setQueltaEndpoint(const domain::types::QueltaEndpoint &endpoint) override;
    int getQueltaConnectionAttempts() override;
    bool setQueltaConnectionAttempts(int attempts) override;
    bool isQueltaActive() override;
    bool setQueltaActive(bool active) override;
    domain::types::TocsaEndpoint getTocsaEndpoint() override;
    bool setTocsaEndpoint(const domain::types::TocsaEndpoint &endpoint) override;
    int getTocsaConnectionAttempts() override;
    bool setTocsaConnectionAttempts(int attempts) override;
    bool isTocsaActive() override;
    bool setTocsaActive(bool active) override;
    QStringList getMailRecipients() override;
    bool mailRecipientExists(const QString &address) override;
    bool addMailRecipient(const QString &address) override;
    bool deleteMailRecipient(const QString &address) override;

    // IUserDatabaseConnection
    QList<QSharedPointer<domain::types::UserData>> getUsers() override;
    QSharedPointer<domain::types::UserData> getUser(uint userId) override;
    QSharedPointer<domain::types::UserData> getUserByLoginName(const QString &loginName) override;
    QSharedPointer<domain::types::LocalePreferences> getUserPreferences(uint userId) override;
    QStringList getLoginNames() override;
    QString getLoginName(uint userId) override;
    QList<domain::types::ChamberSignal> getVisibleSignals(uint userId, int chamberId) override;
    bool setSignalVisibilityPreferences(uint userId, int chamberId, const QList<int> &signalIds) override;
    QVariant getUserValue(uint userId, ApplicationUserColumn column) override;
    QVariant getUserPreferenceValue(uint userId, UserPreferencesColumn column) override;
    bool addUser(domain::types::UserData &user) override;
    void addUserPreferences(uint userId, const domain::types::LocalePreferences &preferences) override;
    void updateUser(domain::types::UserData &user) override;
    void setUserPreferences(uint userId, const domain::types::LocalePreferences &preferences) override;
    void setUserValue(uint userId, ApplicationUserColumn column, const QVariant &value) override;
    bool deleteUser(uint userId) override;
    void addSignalVisibilityPreference(uint userId, int chamberId, int signalId) override;
    void removeSignalVisibilityPreference(uint userId, int chamberId, int signalId) override;
    QMap<int, QString> getRecordingConfig(uint userId) override;
    bool setRecordingConfig(uint userId, int recordingId, const QString &config) override;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Creator = bool (DatabaseConnection::*)();

    // The creators of the core tables: each makes its table unless it is
    // there, after the tables that its foreign keys refer to.
    bool createChamberTable();
    bool createGlobalSettingsTable();
    bool createRoomTable();
    bool createApplicationUserTable();
    bool createLogEntryTable();
    bool createRecordingTable();
    bool createMetaRecordingHasRecordingTable();
    bool createRecordSetTable();
    bool createRecordSetCommentTable();
    bool createRoomChamberPositionTable();
    bool createChamberToleranceRangeTable();
    bool createUserHasChamberSignalVisibilityPreferenceTable();
    bool createUserPreferencesTable();

    // The steps that every creator shares; referencedTables are the creators
    // of the tables that the foreign keys refer to, in the order to make them.
    bool createTable(const QString &table, const QList<SqlQuery::ColumnDefinition> &columns,
                     const QList<SqlQuery::ForeignKey> &foreignKeys,
                     std::initializer_list<Creator> referencedTables);
    bool executeCreateTable(const SqlQuery &query, const QString &table);
    void logMissingReferenceTable(const QString &table) const;
    bool initializeStores();

    domain::api::ISqlConnection *m_dataConnection = nullptr;
    domain::api::ISqlConnection *m_configurationConnection = nullptr;
    // Declared in the order of construction; released in reverse.
    QSharedPointer<SqlAccessDatabaseConnection> m_accessStore;
    QSharedPointer<SqlAlarmDatabaseConnection> m_alarmStore;
    QSharedPointer<SqlCameraDatabaseConnection> m_cameraStore;
    QSharedPointer<SqlChamberDatabaseConnection> m_chamberStore;
    QSharedPointer<SqlConfigurationDatabaseConnection> m_configurationStore;
    QSharedPointer<SqlProgramDatabaseConnection> m_programStore;
    QSharedPointer<SqlProtocolDatabaseConnection> m_protocolStore;
    QSharedPointer<SqlRecordingDatabaseConnection> m_recordingStore;
    QSharedPointer<SqlRecordsetDatabaseConnection> m_recordsetStore;
    QSharedPointer<SqlRoomDatabaseConnection> m_roomStore;
    QSharedPointer<SqlSettingsDatabaseConnection> m_settingsStore;
    QSharedPointer<SqlUserDatabaseConnection> m_userStore;
    bool m_outdated = false;
};

} // namespace quelta::base::connection::databaseconnection
