#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/chambertypekey.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/tolerancerangedefinition.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>

namespace quelta::domain::api {

// The read-only chamber-type catalogue of the configuration database: chamber
// types with their article variants, signals, register descriptors, tolerance
// ranges and data-logger signals.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED) and answers with its empty result. Signal maps are
// keyed by signal id, so they iterate in ascending id order. Operations that
// concern one type use only the key's chamberTypeId unless they say
// otherwise.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IConfigurationDatabaseConnection
{
public:
    virtual ~IConfigurationDatabaseConnection() = default;

    // Every type of the catalogue, one record per article variant; with
    // withSignals false the records carry no signals and no control signals.
    virtual QList<types::ChamberTypeData> getChamberTypes(bool withSignals) = 0;
    // The types with at least one time-programmable signal, without signals.
    virtual QList<types::ChamberTypeData> getTimeProgrammableChamberTypes() = 0;
    // One record. An additionalInfoId of 0 asks for a type with at most one
    // variant. A type that is not in the catalogue, or that has several
    // variants when asked with 0, gives the default record and
    // error(UNEXPECTED_RESULT).
    virtual types::ChamberTypeData getChamberType(const types::ChamberTypeKey &key, bool withSignals) = 0;
    virtual QMap<int, types::ChamberSignal> getChamberTypeSignals(const types::ChamberTypeKey &key) = 0;
    // The time-programmable signals of the type that have a manual-mode write
    // descriptor, ordered by that descriptor's set-point number, each with the
    // tolerance range found by its id as set point.
    virtual QList<QPair<types::ChamberSignal, types::ToleranceRangeDefinition>> getChamberSignals(
        const types::ChamberTypeKey &key) = 0;
    // The signals of the type whose signal type is "set_point".
    virtual QMap<int, types::ChamberSignal> getSetpointSignals(const types::ChamberTypeKey &key) = 0;
    virtual QMap<int, types::ChamberSignal> getSignals(const QList<int> &signalIds) = 0;
    // Null, with error(UNEXPECTED_RESULT), when the signal is not in the
    // catalogue.
    virtual QSharedPointer<types::ChamberSignal> getSignal(const int &signalId) = 0;
    // For each signal of the source type, a signal of the destination type
    // with the same value type, keyed by the source signal's id.
    virtual QMap<int, types::ChamberSignal> matchSignalsByValueType(const types::ChamberTypeKey &source,
                                                                    const types::ChamberTypeKey &destination) = 0;
    // The signals that the type's data logger records, in channel order.
    virtual QList<types::ChamberSignal> getDataLoggerSignals(const types::ChamberTypeKey &key) = 0;
    // The tolerance range of the type whose set-point signal (bySetPoint) or
    // process-value signal is the given one; the default record when there is
    // none.
    virtual types::ToleranceRangeDefinition getToleranceRange(const types::ChamberTypeKey &key,
                                                              const int &signalId, bool bySetPoint) = 0;
    // The first (second false) or second alarm delay, in seconds, of the
    // tolerance range whose process value is the signal: 180 when there is no
    // range, -1 when the range leaves that delay unset.
    virtual int getDefaultSignalDelay(const types::ChamberTypeKey &key, const int &signalId, bool second) = 0;
    // The unit code of the signal; Unit::None when it has none or is unknown.
    virtual int getSignalUnit(const int &signalId) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IConfigurationDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IConfigurationDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IConfigurationDatabaseConnection,
                    "domain::api::IConfigurationDatabaseConnection")
