#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/ialarmdatabaseconnection.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IAlarmDatabaseConnection;

// The store of the alarms in the data database: a row per alarm in
// application_alarm, with a short description of at most two arguments that
// keep their own types, and a row per signal of an alarm in alarm_has_signal.
// It asks the chamber store for a chamber's own signal delays and the
// configuration store for the defaults of the chamber's type; it keeps
// nothing between calls.
//
// An alarm and its signal rows change together: an addition, an update and a
// deletion each run as one transaction, so that a failure leaves the alarm as
// it was, no alarm is stored without its signals and a deleted alarm leaves no
// signal rows behind. The table must not hand a deleted alarm's id to a new
// one (AUTOINCREMENT), so that records still held elsewhere never name
// another alarm.
//
// Every operation is guarded: before setConnections() has given it the
// connection and both stores it emits error(NOT_INITIALIZED), runs no
// statement and gives its empty result. Statements that fail are reported by
// the connection; the store then gives false or its empty result. The store
// itself emits error(UNEXPECTED_RESULT) for a row of the wrong width, and
// error(EXECUTION_FAILED) with a delay of 0 when a read that the delay of an
// alarm depends on fails, its own or another store's; initialize() only
// answers false for a missing table.
class SqlAlarmDatabaseConnection : public QObject,
                                   public IAlarmDatabaseConnection,
                                   public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IAlarmDatabaseConnection quelta::domain::api::IInitializing)

public:
    // Arguments of a short description beyond these are not stored.
    static constexpr int MaxShortDescriptionArguments = 2;

    explicit SqlAlarmDatabaseConnection(QObject *parent = nullptr);
    ~SqlAlarmDatabaseConnection() override;

    // Stores every pointer, null included, and returns isInitialized().
    bool setConnections(domain::api::ISqlConnection *connection,
                        domain::api::IConfigurationDatabaseConnection *configuration,
                        domain::api::IChamberDatabaseConnection *chambers);
    // True once the connection and both stores are set.
    bool isInitialized() const;
    // Whether the alarm and alarm-signal tables are there.
    bool initialize() override;

    QList<domain::types::AlarmData> getAlarms() override;
    uint getAlarmSignalDelay(int alarmId, int signalId, bool secondDelay) override;
    bool addAlarm(domain::types::AlarmData &alarm) override;
    bool updateAlarm(const domain::types::AlarmData &alarm) override;
    bool deleteAlarm(int alarmId) override;
    QList<domain::types::AlarmData> getChamberAlarms(int chamberId) override;
    int getAlarmCount(int chamberId) override;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Row = domain::api::ISqlConnection::Row;

    // A chamber id of -1 reads every alarm.
    QList<domain::types::AlarmData> readAlarms(int chamberId);
    QList<int> getAlarmSignals(int alarmId);
    uint readAlarmSignalDelay(int alarmId, int signalId, bool secondDelay);

    domain::api::ISqlConnection *connection() const;
    domain::api::IConfigurationDatabaseConnection *configuration() const;
    domain::api::IChamberDatabaseConnection *chambers() const;

    SqlStoreFrame<SqlAlarmDatabaseConnection, domain::api::IConfigurationDatabaseConnection,
                  domain::api::IChamberDatabaseConnection>
        m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
