#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iroomdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QCache>
#include <QtCore/QObject>

#include <mutex>
#include <optional>

namespace quelta::base::connection::databaseconnection {

class SqlQuery;

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IChamberDatabaseConnection;

// The store of the chambers in the data database: the rows of the chamber
// table, and per chamber its tolerance bands, signal subscriptions, alarm
// delays and custom signal names. It asks the configuration store for signal
// definitions and the room store for chamber positions.
//
// A chamber has an IPv4 and an IPv6 address column and a MAC address column,
// each unique among the chambers. A chamber uses at most one of the address
// columns; the other, and a column without an address, hold NULL, so that an
// address a chamber gives up is free for another one.
//
// Every operation is guarded: before setConnections() has given it the
// connection and both stores it emits error(NOT_INITIALIZED), runs no
// statement and gives its empty result. Statements that fail are reported by
// the connection; the store then gives its empty result as well. The store
// itself emits error(UNEXPECTED_RESULT) for a row of the wrong width, and
// error(EXECUTION_FAILED) when a signal cannot be subscribed or unsubscribed,
// when a recording's band history cannot be read to its end, and when the
// configuration store reports a failed read of the signal whose unit a band
// is read or written in (the band is then neither read nor stored).
//
// getChamberSignalDefinitions() passes the configuration store's answer on;
// that store reports its own failed reads. A chamber's location is the room
// store's answer as it stands: that store gives a failed read as no position
// and reports it as it reports a chamber without one.
//
// The record-set conversion asks for the bands of a recording once per
// record, from the threads of its pool. So that it runs SQL once per
// recording, the store keeps the band history of the 50 recordings asked for
// last, per recording and the signals asked for; adding a band forgets them
// all. A history whose read failed is not kept: the next lookup reads again.
//
// Threads: getRecordingToleranceRanges() and addToleranceRange() may be
// called from several threads at once: a mutex, which also guards the cache,
// lets one of them in at a time. A lookup that reads takes the connection's
// lock after that mutex; from a pool thread it waits there until the thread
// that reads the record rows has finished. The other operations take no lock
// and must not run while any other call is in progress.
class SqlChamberDatabaseConnection : public QObject,
                                     public IChamberDatabaseConnection,
                                     public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlChamberDatabaseConnection(QObject *parent = nullptr);
    ~SqlChamberDatabaseConnection() override;

    // Stores every pointer, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection,
                                domain::api::IConfigurationDatabaseConnection *configuration,
                                domain::api::IRoomDatabaseConnection *rooms);
    // Whether the chamber and subscription tables are there.
    bool initialize() override;

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

    // True once the connection and both stores are set.
    virtual bool isInitialized() const;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Row = domain::api::ISqlConnection::Row;
    // Per signal, its bands by the moment from which each held.
    using BandHistory = QMap<int, QMap<QDateTime, domain::types::ToleranceRange>>;
    // A recording and the ids of the signals asked for.
    using HistoryKey = QPair<uint, QList<int>>;

    static constexpr int MaxCachedRecordings = 50;

    // None when the read did not run to its end.
    std::optional<BandHistory> loadBandHistory(uint recordingId,
                                               const QMap<int, domain::types::ChamberSignal> &definitions);
    // The catalogue's answer for the signals; none, after
    // error(EXECUTION_FAILED), when the catalogue reported a failed read: its
    // empty answer is then no sign that it knows none of them, and a unit
    // taken from it would be the wrong one.
    std::optional<QMap<int, domain::types::ChamberSignal>> catalogueSignals(const QList<int> &signalIds);

    // Null, after error(UNEXPECTED_RESULT), when the row does not hold
    // exactly width values.
    QSharedPointer<domain::types::ChamberData> chamberFromRow(const Row &row, int width, bool withLocation);
    QMap<int, domain::types::ToleranceRange> toleranceRangesFromQuery(
        const SqlQuery &query, int width, const QMap<int, domain::types::ChamberSignal> &definitions);
    // Reports a failure with error(EXECUTION_FAILED) besides the connection's own report.
    bool executeOrReport(const SqlQuery &query);
    bool setChambersSubscribed(const QList<int> &chamberIds, bool subscribed);
    bool signalDelayExists(int chamberId, int signalId);
    QVariant selectSignalDelay(int chamberId, int signalId, bool signalDelayColumn);

    domain::api::IConfigurationDatabaseConnection *configuration() const;
    domain::api::IRoomDatabaseConnection *rooms() const;

    SqlStoreFrame<SqlChamberDatabaseConnection, domain::api::IConfigurationDatabaseConnection,
                  domain::api::IRoomDatabaseConnection>
        m_frame{this};
    // A standard mutex, so that a race checker sees the order it sets.
    std::mutex m_toleranceMutex;
    QCache<HistoryKey, BandHistory> m_recordingToleranceCache{MaxCachedRecordings};
};

} // namespace quelta::base::connection::databaseconnection
