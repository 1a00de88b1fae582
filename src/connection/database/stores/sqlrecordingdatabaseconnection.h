#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/irecordingdatabaseconnection.h"
#include "domain/api/irecordsetdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

class SqlQuery;

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IRecordingDatabaseConnection;

// The store of the recordings in the data database, and of the links of each
// meta recording to the recordings that it groups. The value columns of a
// recording's signals belong to the record-set store, which this store asks
// for them; the chamber store gives the chamber's custom signal names. Nothing
// is cached here.
//
// A recording is added or removed as a whole, each in one transaction: the
// recording with its signal columns and its meta links, or nothing. SQLite
// gives the id of the newest recording to the next one once it is deleted,
// so a removal takes along every row that names the recording (record sets
// with their comments, signal columns, its own meta links, and, where the
// database has those tables, cameras and users' configurations) and makes
// the record-set store forget what it cached of it. A recording that a meta
// recording groups is not removed.
//
// Every operation is guarded: before setConnections() has given it the
// connection and both stores it emits error(NOT_INITIALIZED), runs no
// statement and gives its empty result. Statements that fail are reported by
// the connection. The store emits error(UNEXPECTED_RESULT) for a recording
// row of the wrong width, which is also what getRecording() of a missing
// recording reads. A read of recordings during which a read fails, of this
// store or of a store it asks, gives none, with error(EXECUTION_FAILED).
class SqlRecordingDatabaseConnection : public QObject,
                                       public IRecordingDatabaseConnection,
                                       public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IRecordingDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlRecordingDatabaseConnection(QObject *parent = nullptr);
    ~SqlRecordingDatabaseConnection() override;

    // Stores every pointer, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection,
                                domain::api::IChamberDatabaseConnection *chambers,
                                domain::api::IRecordsetDatabaseConnection *recordsets);
    // Whether the recording table is there.
    bool initialize() override;

    bool addRecording(domain::types::RecordingData &recording) override;
    QList<QSharedPointer<domain::types::RecordingData>> getRecordings() override;
    QSharedPointer<domain::types::RecordingData> getRecording(const uint &id) override;
    uint getActiveRecordingId(const int &chamberId) override;
    QVariant getRecordingValue(const uint &id, const RecordingColumn &column) override;
    bool getRecordingCount(const int &chamberId) override;
    bool updateRecordingField(const domain::types::RecordingData &recording, const RecordingColumn &column) override;
    bool setRecordingValue(const uint &id, const RecordingColumn &column, const QVariant &value) override;
    bool updateRecording(const domain::types::RecordingData &recording) override;
    bool deleteRecording(const uint &id) override;
    bool archiveRecording(const uint &id) override;
    bool unarchiveRecording(const uint &id) override;

    // True once the connection and both stores are set.
    virtual bool isInitialized() const;
    // The recordings that the meta recording groups.
    virtual QList<uint> getMetaRecordingIds(const uint &metaRecordingId);
    // Replaces the meta recording's links with links to the recordings of
    // the list, or keeps the old ones.
    virtual bool setMetaRecordingIds(const uint &metaRecordingId, const QList<uint> &recordingIds);
    virtual bool deleteMetaRecordingLinks(const uint &metaRecordingId);

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Row = domain::api::ISqlConnection::Row;

    // What the operation gives, or failed, after error(EXECUTION_FAILED),
    // when a read on its way failed.
    template<typename Result, typename Operation>
    Result unlessReadsFail(const Result &failed, Operation operation);
    // Null, after error(UNEXPECTED_RESULT), when the row is of the wrong width.
    QSharedPointer<domain::types::RecordingData> recordingFromRow(const Row &row);
    bool isGrouped(uint id);
    // Removes the recording and every row that names it in one transaction.
    bool remove(uint id);

    domain::api::IChamberDatabaseConnection *chambers() const;
    domain::api::IRecordsetDatabaseConnection *recordsets() const;

    SqlStoreFrame<SqlRecordingDatabaseConnection, domain::api::IChamberDatabaseConnection,
                  domain::api::IRecordsetDatabaseConnection>
        m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
