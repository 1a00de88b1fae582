#pragma once

#include "domain/types/backupcleanupsettings.h"
#include "domain/types/backupsettings.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/queltaendpoint.h"
#include "domain/types/reportconfiguration.h"
#include "domain/types/smtpconfiguration.h"
#include "domain/types/tocsaendpoint.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::domain::api {

// The application-wide settings of the data database, all in its one
// settings row, and the list of mail recipients.
//
// Getters read afresh on every call; a setting that was never stored reads
// as its default. Setters write at once, creating the settings row when it
// is missing, and return whether the write succeeded.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED) and answers with its empty result: the defaults,
// false or an empty list.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class ISettingsDatabaseConnection
{
public:
    virtual ~ISettingsDatabaseConnection() = default;

    virtual QString getQuickRecordingNameTemplate() = 0;
    // In seconds.
    virtual int getQuickRecordingInterval() = 0;
    virtual bool getResumeRecordingsOnStartup() = 0;
    virtual bool isAccessControlActive() = 0;
    virtual int getPasswordValidityPeriod() = 0;
    virtual int getScreenLockTimeout() = 0;
    // Both sets of fields of the record hold the stored values.
    virtual types::SmtpConfiguration getSmtpSettings() = 0;
    virtual types::ReportConfiguration getReportSettings() = 0;
    virtual bool getEventDoRepeat() = 0;
    virtual int getEventRepetitionInterval() = 0;
    // In seconds.
    virtual int getPrealarmDelay() = 0;
    virtual types::BackupSettings getBackupSettings() = 0;
    virtual types::BackupCleanupSettings getBackupCleanupSettings() = 0;

    virtual bool setQuickRecordingNameTemplate(const QString &nameTemplate) = 0;
    virtual bool setQuickRecordingInterval(int seconds) = 0;
    virtual bool setResumeRecordingsOnStartup(bool resume) = 0;
    virtual bool setAccessControlActive(bool active) = 0;
    virtual bool setPasswordValidityPeriod(int period) = 0;
    virtual bool setScreenLockTimeout(int timeout) = 0;
    // Stores the first set of fields.
    virtual bool setSmtpSettings(const types::SmtpConfiguration &settings) = 0;
    virtual bool setReportSettings(const types::ReportConfiguration &settings) = 0;
    virtual bool setEventDoRepeat(bool repeat) = 0;
    virtual bool setEventRepetitionInterval(int interval) = 0;
    virtual bool setPrealarmDelay(int seconds) = 0;
    virtual bool setBackupSettings(const types::BackupSettings &settings) = 0;
    virtual bool setBackupCleanupSettings(const types::BackupCleanupSettings &settings) = 0;

    virtual int getMaxFailedLogins() = 0;
    virtual bool setMaxFailedLogins(int count) = 0;

    virtual types::QueltaEndpoint getQueltaEndpoint() = 0;
    virtual bool setQueltaEndpoint(const types::QueltaEndpoint &endpoint) = 0;
    virtual int getQueltaConnectionAttempts() = 0;
    virtual bool setQueltaConnectionAttempts(int attempts) = 0;
    virtual bool isQueltaActive() = 0;
    virtual bool setQueltaActive(bool active) = 0;

    // The endpoint's flag is not stored; it reads as false.
    virtual types::TocsaEndpoint getTocsaEndpoint() = 0;
    virtual bool setTocsaEndpoint(const types::TocsaEndpoint &endpoint) = 0;
    virtual int getTocsaConnectionAttempts() = 0;
    virtual bool setTocsaConnectionAttempts(int attempts) = 0;
    virtual bool isTocsaActive() = 0;
    virtual bool setTocsaActive(bool active) = 0;

    // An address may be listed more than once; deleting it removes every
    // copy.
    virtual QStringList getMailRecipients() = 0;
    virtual bool mailRecipientExists(const QString &address) = 0;
    virtual bool addMailRecipient(const QString &address) = 0;
    virtual bool deleteMailRecipient(const QString &address) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    ISettingsDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(ISettingsDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::ISettingsDatabaseConnection, "domain::api::ISettingsDatabaseConnection")
