#pragma once

#include "connection/database/stores/localtimeconverter.h"
#include "connection/database/stores/recordsetrows.h"
#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/ichamberdatabaseconnection.h"
#include "domain/api/iconfigurationdatabaseconnection.h"
#include "domain/api/iinitializing.h"
#include "domain/api/irecordsetdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QCache>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtCore/QStringList>
#include <QtCore/QVector>

#include <functional>
#include <mutex>
#include <optional>

namespace quelta::base::connection::databaseconnection {

class SqlQuery;

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IRecordsetDatabaseConnection;

// The store of the record sets in the data database. A recording's signals
// own the value columns signal_1 ... signal_48 of its rows, as the table
// recording_has_signal_column assigns them; different recordings use the same
// columns for different signals. Values are written to and read from the
// column of their own signal id, so neither the order of a record's values
// nor a signal that the catalogue has since dropped can move a value onto
// another signal. A value is stored in the unit of its signal, the unit in
// which reads give it back. The signal definitions come from the
// configuration store, and each record read carries the tolerance bands that
// the chamber store says were in force at its time.
//
// Two caches keep what whole-recording reads need again: the rows of
// recordings (up to 800000 rows in all) and the signal columns of 20
// recordings that have columns. Every write drops the entries it makes
// stale. Reads of a whole recording take its rows in time order, then by id.
//
// Every operation is guarded: before setConnections() has given it the
// connection and both stores it emits error(NOT_INITIALIZED), runs no
// statement and gives its empty result. Statements that fail are reported by
// the connection. A read that fails, also after some of its rows, fails the
// operation that builds on it: a read of the records, of a record set's
// recording, of a recording's signal columns, or of the signal definitions
// that the configuration store gives (it reports its failed reads). The
// operation then gives its empty result (false for a write, which stores
// nothing), the store emits error(EXECUTION_FAILED) once and the caches keep
// nothing of it; records without their values would look whole, and values
// written without their signal's unit would be read back in the wrong one.
// A signal that the catalogue answers without error but no longer knows only
// loses its column. The store itself emits error(UNEXPECTED_RESULT) when a
// record set that an operation names does not exist.
//
// Threads: calls come from the thread that owns the data connection, one at
// a time. A load of a whole recording converts its rows on a pool of at most
// ten threads that lives for that call: the calling thread reads the rows and
// hands them to the pool block by block, then waits for the pool, also when
// the read fails midway (the records of that load are then dropped). The
// tasks ask the chamber store for tolerance bands; the chamber store admits
// one call at a time, so this store makes those calls one at a time
// (m_toleranceLookup). A task whose lookup has to read the database waits
// until the calling thread has finished reading. The caches are used on the
// calling thread only.
//
// Record times come back in local time with a fixed offset from UTC: the
// instant and the wall-clock time of QDateTime::toLocalTime(), without its
// call into the C library per record (LocalTimeConverter).
class SqlRecordsetDatabaseConnection : public QObject,
                                       public IRecordsetDatabaseConnection,
                                       public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IRecordsetDatabaseConnection quelta::domain::api::IInitializing)

public:
    // A recording keeps its values in signal_1 ... signal_48; the schema
    // creation makes these columns.
    static constexpr int MaxSignalColumns = 48;

    explicit SqlRecordsetDatabaseConnection(QObject *parent = nullptr);
    ~SqlRecordsetDatabaseConnection() override;

    // Stores every pointer, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection,
                                domain::api::IConfigurationDatabaseConnection *configuration,
                                domain::api::IChamberDatabaseConnection *chambers);
    // Whether the comment and record-set tables are there.
    bool initialize() override;

    bool addRecordset(domain::types::Recordset &record) override;
    bool addRecordsetComment(const domain::types::RecordsetComment &comment) override;
    bool deleteRecordsetComment(const qint64 &recordsetId) override;
    bool deleteRecordset(const qint64 &id) override;
    bool deleteRecordsets(const uint &recordingId) override;
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
    bool addSignalColumns(const uint &recordingId, const QList<int> &signalIds) override;
    QMap<int, domain::types::ChamberSignal> getSignalColumns(const uint &recordingId) override;
    bool addRecordsets(const QList<domain::types::Recordset> &records) override;
    qint64 getRecordsetCount(const uint &recordingId) override;

    // True once the connection and both stores are set.
    virtual bool isInitialized() const;

    // The statements that give the signals of a new recording, at most
    // MaxSignalColumns, the value columns 1, 2, 3 ... in list order. The
    // recording store runs them in the transaction that adds the recording.
    static QList<QSharedPointer<domain::api::ISqlQuery>> signalColumnStatements(uint recordingId,
                                                                               const QList<int> &signalIds);

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    using Row = domain::api::ISqlConnection::Row;
    using Definitions = QMap<int, domain::types::ChamberSignal>;

    // The signals of a recording that the catalogue knows, and the names of
    // their value columns in ascending signal id: the k-th name holds the
    // values of the k-th signal.
    struct SignalColumns
    {
        Definitions definitions;
        QStringList names;
    };
    // Rows as they were read with these value columns.
    struct CachedRows
    {
        QStringList names;
        RecordsetRows rows;
    };
    struct RecordingRows
    {
        SignalColumns columns;
        RecordsetRows rows;
    };
    using BlockFunction = std::function<void(const RecordsetRows::BlockPointer &block)>;

    friend class RecordsetConverter;

    // Each read below gives none, after error(EXECUTION_FAILED), when one of
    // its statements or the catalogue's read fails.
    std::optional<SignalColumns> recordingSignalColumns(uint recordingId);
    std::optional<SignalColumns> readSignalColumns(const SqlQuery &query);
    std::optional<Definitions> signalDefinitions(const QList<int> &signalIds);
    // The value column of each of the signals that has one in the recording.
    std::optional<QMap<int, QString>> valueColumns(uint recordingId, const QList<int> &signalIds);
    // Only whole recordings go through the row cache.
    enum class RecordingRead {
        All,
        WithCameraImage,
    };

    // The rows of the recording, in time order.
    std::optional<RecordingRows> readRecording(uint recordingId, RecordingRead read);
    // The rows of the recording read with the value columns of names, in
    // time order. Each block goes to completed as soon as it is complete,
    // while reading goes on; the rows of a recording too long for the row
    // cache are then not kept. None, and nothing kept, when the read fails,
    // also after blocks have gone to completed.
    std::optional<RecordsetRows> readRows(uint recordingId, const QStringList &names, RecordingRead read,
                                          const BlockFunction &completed = {});
    std::optional<QList<domain::types::Recordset>> recordsets(const SqlQuery &query,
                                                              const Definitions &definitions);
    QList<domain::types::Recordset> selectInRange(const RecordingRows &recording, TimeRange range, qint64 count);
    QList<domain::types::Recordset> convertRows(const RecordsetRows &rows, const QVector<int> &indexes,
                                                const Definitions &definitions);
    // Every row of the recording, converted on the pool while it is read.
    QList<domain::types::Recordset> loadInPool(uint recordingId);
    // Runs on the calling thread; its one call into the chamber store is
    // made under m_toleranceLookup.
    domain::types::Recordset convertRow(const RecordsetRows::Row &row, const Definitions &definitions,
                                        LocalTimeConverter &times);
    // Runs on the threads of the converter pool: the rows of the block from
    // firstRow on, with their calls into the chamber store made in one turn
    // under m_toleranceLookup.
    QList<domain::types::Recordset> convertBlock(const RecordsetRows::Block &block, int firstRow,
                                                 const Definitions &definitions);
    // The id of the record set's recording; none when there is no such
    // record set. *read is false, after error(EXECUTION_FAILED), when the
    // read fails.
    std::optional<uint> recordingOfRecordset(qint64 recordsetId, bool *read);
    void forgetRows(uint recordingId);

    domain::api::IConfigurationDatabaseConnection *configuration() const;
    domain::api::IChamberDatabaseConnection *chambers() const;

    SqlStoreFrame<SqlRecordsetDatabaseConnection, domain::api::IConfigurationDatabaseConnection,
                  domain::api::IChamberDatabaseConnection>
        m_frame{this};
    QCache<uint, CachedRows> m_rowCache;
    QCache<uint, SignalColumns> m_signalColumnCache;
    // Held around the calls into the chamber store that conversions make;
    // a standard mutex, so that a race checker sees the order it sets.
    std::mutex m_toleranceLookup;
};

} // namespace quelta::base::connection::databaseconnection
