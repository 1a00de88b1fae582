#pragma once

#include "domain/types/chamberdata.h"
#include "domain/types/chambersignal.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/tolerancerange.h"

#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtCore/QVariant>

namespace quelta::base::connection::databaseconnection {
// A column of the chamber table, defined with the schema vocabulary.
enum class ChamberColumn;
} // namespace quelta::base::connection::databaseconnection

namespace quelta::domain::api {

// The chambers of the data database and what belongs to each of them: the
// tolerance bands that held from given moments on, the subscription of the
// chamber and of its signals, two alarm delays per signal, and display names
// that replace a signal's catalogue name for the chamber.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED), runs no statement and answers with its empty
// result: false, an empty list or map, a null pointer, an invalid QVariant,
// the invalid range, or -1 for a delay. A delay choice of true means the
// first alarm delay, false the second.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IChamberDatabaseConnection
{
public:
    using ChamberColumn = base::connection::databaseconnection::ChamberColumn;

    virtual ~IChamberDatabaseConnection() = default;

    // On success the record's id is the new row's.
    virtual bool addChamber(types::ChamberData &chamber) = 0;
    // withLocation asks the room store where each chamber stands; otherwise
    // the location is room 0.
    virtual QList<QSharedPointer<types::ChamberData>> getChambers(bool withLocation) = 0;
    // Null, with error(UNEXPECTED_RESULT), when there is no such chamber.
    virtual QSharedPointer<types::ChamberData> getChamber(const int &chamberId, bool withLocation) = 0;
    virtual QVariant getChamberValue(const int &chamberId, ChamberColumn column) = 0;
    // The catalogue's signals of the chamber's type.
    virtual QMap<int, types::ChamberSignal> getChamberSignalDefinitions(const int &chamberId) = 0;
    // Writes every field but the id and the activation state; withLocation
    // also tells the room store where the chamber stands.
    virtual bool updateChamber(const types::ChamberData &chamber, bool withLocation) = 0;
    virtual void updateChamberField(const types::ChamberData &chamber, ChamberColumn column) = 0;
    virtual void setChamberValue(const int &chamberId, ChamberColumn column, const QVariant &value) = 0;
    // Stores or replaces the names of the signals in the map; the chamber's
    // other names stay.
    virtual void setCustomSignalNames(int chamberId, const QMap<int, QString> &names) = 0;
    virtual QMap<int, QString> getCustomSignalNames(int chamberId) = 0;
    // Fails while other rows refer to the chamber.
    virtual bool deleteChamber(const int &chamberId) = 0;
    virtual void archiveChamber(const int &chamberId) = 0;
    virtual void unarchiveChamber(const int &chamberId) = 0;

    // The band of each signal of the definitions that was in force at the
    // moment; a signal without one has no entry. The definitions give the
    // units of the stored numbers.
    virtual QMap<int, types::ToleranceRange> getToleranceRanges(
        const QDateTime &moment, const int &chamberId, const QMap<int, types::ChamberSignal> &definitions) = 0;
    // The bands of the recording's chamber at the moment; a signal whose
    // bands all start later gets its oldest band. Safe to call from several
    // threads at once.
    virtual QMap<int, types::ToleranceRange> getRecordingToleranceRanges(
        const QDateTime &moment, const uint &recordingId, const QMap<int, types::ChamberSignal> &definitions) = 0;
    // The invalid range when none was in force.
    virtual types::ToleranceRange getToleranceRange(const QDateTime &moment, const int &chamberId,
                                                    const int &signalId) = 0;
    // Fails for a second band of the signal from the same moment.
    virtual bool addToleranceRange(const QDateTime &effectiveFrom, const int &chamberId, const int &signalId,
                                   const types::ToleranceRange &range) = 0;

    virtual bool isChamberSubscribed(const int &chamberId) = 0;
    virtual QList<int> getSubscribedSignals(const int &chamberId) = 0;
    virtual bool isAnySignalSubscribed(const int &chamberId, const QList<int> &signalIds) = 0;
    virtual bool isSignalSubscribed(const int &chamberId, const int &signalId) = 0;
    // Sets the chamber's own flag; its signals stay as they are.
    virtual void subscribeChamber(const int &chamberId) = 0;
    // Unsubscribes every signal of the chamber, then the chamber.
    virtual void unsubscribeChamber(const int &chamberId) = 0;
    virtual bool subscribeChambers(const QList<int> &chamberIds) = 0;
    virtual bool unsubscribeChambers(const QList<int> &chamberIds) = 0;
    virtual bool subscribeSignal(const int &chamberId, const int &signalId) = 0;
    // A signal id of -1 unsubscribes every signal of the chamber.
    virtual bool unsubscribeSignal(const int &chamberId, const int &signalId) = 0;

    // The chamber's own delays in seconds, by signal; -1 for a signal whose
    // chosen delay is unset.
    virtual QMap<int, int> getSignalDelays(const int &chamberId, bool signalDelayColumn) = 0;
    // -1 when the chamber has no such delay.
    virtual int getSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn) = 0;
    // True as soon as the chamber has either delay of the signal, even when
    // the chosen one is unset.
    virtual bool hasSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn) = 0;
    virtual bool setSignalDelay(const int &chamberId, const int &signalId, bool signalDelayColumn,
                                int seconds) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IChamberDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IChamberDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IChamberDatabaseConnection, "domain::api::IChamberDatabaseConnection")
