#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iinitializing.h"
#include "domain/api/isettingsdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QVariant>

#include <initializer_list>

namespace quelta::base::connection::databaseconnection {

// A column of the settings row, defined with the schema vocabulary.
enum class GlobalSettingsColumn;

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::ISettingsDatabaseConnection;

// The store of the application-wide settings in the data database. Every
// setting is one column of the single settings row (id 1); the mail
// recipients are the rows of their own table. Nothing is cached.
//
// The settings are described by one table in the .cpp: per column the kind of
// value it holds and the default that a setting has while nothing is stored.
// Every getter and setter goes through the generic setting()/settings() and
// setSettings(), so that a missing row, a NULL and an empty text read as the
// default alike.
//
// Only the schema creation's initialize() inserts the settings row, and this
// program never creates tables; a setter therefore inserts the row when it is
// missing, together with its update in one transaction, instead of changing
// nothing.
//
// Failures: error(NOT_INITIALIZED) before setConnections() has given it a
// connection, error(MISSING_TABLE) from initialize(), and
// error(UNEXPECTED_RESULT) when a composite getter finds no settings row.
// Statements that fail are reported by the connection. The store logs
// nothing.
class SqlSettingsDatabaseConnection : public QObject,
                                      public ISettingsDatabaseConnection,
                                      public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::ISettingsDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlSettingsDatabaseConnection(QObject *parent = nullptr);
    ~SqlSettingsDatabaseConnection() override;

    // Stores the connection, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection);
    // Whether the settings table is there; then makes sure it holds the
    // settings row.
    bool initialize() override;

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

    // True once a connection is set.
    virtual bool isInitialized() const;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Column = GlobalSettingsColumn;
    using ColumnValues = QList<QPair<Column, QVariant>>;

    // The setting as its column's kind of value; its default when the store
    // is not ready, the row is missing or the column holds nothing.
    QVariant setting(Column column);
    // The settings in the order asked for, each as setting() gives it; after
    // error(UNEXPECTED_RESULT) when there is no settings row.
    QList<QVariant> settings(std::initializer_list<Column> columns);
    bool setSetting(Column column, const QVariant &value);
    // All values in one UPDATE, after inserting the settings row if it is
    // missing, in one transaction.
    bool setSettings(const ColumnValues &values);
    bool ensureSettingsRow();

    SqlStoreFrame<SqlSettingsDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
