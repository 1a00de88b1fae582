#pragma once

#include "domain/types/alarmdata.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QList>
#include <QtCore/QObject>

namespace quelta::domain::api {

// The alarms of the data database, each with the signals it concerns, and the
// alarm delays that apply to those signals.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED), runs no statement and answers with its empty
// result: an empty list, false, 0 for a delay or -1 for a count. Alarms read
// back carry no chamber name.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IAlarmDatabaseConnection
{
public:
    virtual ~IAlarmDatabaseConnection() = default;

    virtual QList<types::AlarmData> getAlarms() = 0;
    // The first (secondDelay false) or second delay of the signal for the
    // alarm's chamber, in seconds: the chamber's own, else its type's default.
    virtual uint getAlarmSignalDelay(int alarmId, int signalId, bool secondDelay) = 0;
    // On success the record's id is the new row's. Alarm ids are never reused.
    virtual bool addAlarm(types::AlarmData &alarm) = 0;
    // Writes every stored field and the signals of the alarm, or nothing.
    virtual bool updateAlarm(const types::AlarmData &alarm) = 0;
    // Removes the alarm with its signals, or nothing.
    virtual bool deleteAlarm(int alarmId) = 0;
    // A chamber id of -1 lists every alarm.
    virtual QList<types::AlarmData> getChamberAlarms(int chamberId) = 0;
    virtual int getAlarmCount(int chamberId) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IAlarmDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IAlarmDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IAlarmDatabaseConnection, "domain::api::IAlarmDatabaseConnection")
