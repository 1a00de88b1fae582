#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/isqlconnection.h"
#include "domain/api/isqlrowview.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

#include <functional>

namespace quelta::base::connection::databaseconnection {

class SignalAssembler;
class SqlQuery;

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IConfigurationDatabaseConnection;

// The store of the chamber-type catalogue in the configuration database. It
// only reads, and reads afresh on every call: nothing is cached.
//
// A record is assembled from many catalogue tables. Instead of a lookup per
// referenced row, each operation loads every table it needs with a few
// statements (one per table, or one per batch of ids) and joins the rows in
// memory, so that reading the whole catalogue costs about as much as reading
// its rows.
//
// Failures: error(NOT_INITIALIZED) before setConnections() has given it a
// connection, error(MISSING_TABLE) from initialize(), and
// error(UNEXPECTED_RESULT) where the catalogue does not hold what a record
// refers to. A read that fails is reported by the connection and, so that
// the stores that build on the catalogue can tell a failed read from a
// catalogue without the signals asked for, by error(EXECUTION_FAILED) as
// well. The part of the record it was to fill stays empty, also when the
// read fails after some of its rows, and a list of signals of which one read
// failed is empty.
class SqlConfigurationDatabaseConnection : public QObject,
                                           public IConfigurationDatabaseConnection,
                                           public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IConfigurationDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlConfigurationDatabaseConnection(QObject *parent = nullptr);
    ~SqlConfigurationDatabaseConnection() override;

    // Stores the connection, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection);
    // Whether the catalogue's tables are there.
    bool initialize() override;

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

    // True once a connection is set.
    virtual bool isInitialized() const;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Row = domain::api::ISqlConnection::Row;
    using RowView = domain::api::ISqlRowView;

    // The signals of the rows that the query selects, in the order of the
    // rows, built with what they refer to; none when one of the reads fails.
    QList<domain::types::ChamberSignal> readSignals(const SqlQuery &query);
    // Loads what the assembler's signals refer to and builds those of the
    // ids, in that order; signals that convert to the default one are left
    // out, and all of them when one of the assembler's reads failed.
    static QList<domain::types::ChamberSignal> builtSignals(SignalAssembler &assembler, const QList<int> &signalIds);
    static QMap<int, domain::types::ChamberSignal> byId(const QList<domain::types::ChamberSignal> &signalList);
    QList<domain::types::ToleranceRangeDefinition> toleranceRangesFromQuery(const SqlQuery &query);
    // The connection's one value, with error(EXECUTION_FAILED) when its read
    // failed.
    QVariant selectValue(const SqlQuery &query);
    SignalAssembler makeAssembler();
    std::function<void(domain::types::DatabaseConnectionError)> makeReporter();

    SqlStoreFrame<SqlConfigurationDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
