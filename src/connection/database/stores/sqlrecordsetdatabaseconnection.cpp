#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/recordsetconverter.h"
#include "domain/api/isqlbinder.h"
#include "domain/api/isqlrowview.h"

#include <QtCore/QThreadPool>
#include <QtCore/QVarLengthArray>

#include <algorithm>
#include <iterator>
#include <vector>

namespace quelta::base::connection::databaseconnection {

using domain::api::ISqlBinder;
using domain::api::ISqlRowView;
using domain::types::ChamberSignal;
using domain::types::Recordset;
using domain::types::RecordsetComment;
using domain::types::SetpointValue;
using domain::types::ToleranceRange;

namespace {

using Column = RecordSetColumn;
using CommentColumn = RecordSetCommentColumn;
using MappingColumn = RecordingHasSignalColumnColumn;

// SQLite's limit of bound values in one statement.
constexpr int MaxBoundValues = 999;
// Whole recordings, counted in rows, and the signal columns of recordings.
constexpr int RowCacheRows = 800000;
constexpr int SignalColumnCacheRecordings = 20;
constexpr int MaxConverterThreads = 10;
constexpr qint64 NoCount = -1;

// The fixed columns of an insert, in the order of bindFixedInsertValues().
constexpr Column InsertColumns[] = {
    Column::RECORDING_ID, Column::RECORD_TIME,       Column::IS_RETRIEVED_FROM_CHAMBER,
    Column::ALARM_TYPE,   Column::CAMERA_IMAGE_PATH, Column::CHAMBER_MODE,
};

// Positions in a row of the record read; the value columns follow.
enum ReadPosition {
    IdPosition,
    RecordingIdPosition,
    RecordTimePosition,
    RetrievedPosition,
    AlarmTypePosition,
    CameraImagePathPosition,
    ChamberModePosition,
    CommentTimePosition,
    CommentUserPosition,
    CommentTextPosition,
    FixedReadWidth,
};

QString valueColumn(int number)
{
    return columnName(Column::SIGNAL_N).arg(number);
}

constexpr int FixedInsertWidth = int(std::size(InsertColumns));

// INSERT INTO record_set with the fixed columns, then the value columns,
// and rowCount rows of placeholders, bound when it runs.
SqlQuery recordInsert(const QStringList &valueColumns, int rowCount)
{
    SqlQuery insert;
    insert.insertInto(tableNameRecordSet())
        .columns(columnNames(InsertColumns) + valueColumns)
        .valuePlaceholders(FixedInsertWidth + valueColumns.size(), rowCount);
    return insert;
}

// Binds the fixed values of the record's insert in the order of
// InsertColumns. An id, alarm type or time that is absent is stored as NULL.
void bindFixedInsertValues(ISqlBinder &binder, const Recordset &record)
{
    const auto bindOrNull = [&binder](qint64 value) { value == 0 ? binder.bindNull() : binder.bindInteger(value); };
    bindOrNull(record.recordingId());
    binder.bindDateTime(record.recordTime());
    binder.bindInteger(record.isRetrievedFromChamber() ? 1 : 0);
    bindOrNull(record.alarmType());
    binder.bindText(record.cameraImagePath());
    binder.bindInteger(record.chamberMode());
}

using SortedValues = QVarLengthArray<const SetpointValue *, SqlRecordsetDatabaseConnection::MaxSignalColumns>;

// The record's values in ascending signal id, the order of their columns in
// an insert; false when two values name one signal.
bool sortBySignal(const QList<SetpointValue> &values, SortedValues &sorted)
{
    sorted.clear();
    for (const SetpointValue &value : values)
        sorted.append(&value);
    const auto bySignal = [](const SetpointValue *left, const SetpointValue *right) {
        return left->signalId() < right->signalId();
    };
    std::sort(sorted.begin(), sorted.end(), bySignal);
    const auto sameSignal = [](const SetpointValue *left, const SetpointValue *right) {
        return left->signalId() == right->signalId();
    };
    return std::adjacent_find(sorted.cbegin(), sorted.cend(), sameSignal) == sorted.cend();
}

// The value columns of an insert, in ascending signal id: the signal of each
// and the unit in which its values are stored, that of the signal, as reads
// take it, or for a signal that the catalogue does not know, that of each
// value.
struct ValueLayout
{
    QList<int> signalIds;
    QVarLengthArray<std::optional<int>, SqlRecordsetDatabaseConnection::MaxSignalColumns> units;
};

// The layout of the values, which are left sorted in sorted; none when two
// values name one signal.
std::optional<ValueLayout> valueLayout(const QList<SetpointValue> &values,
                                       const QMap<int, ChamberSignal> &definitions, SortedValues &sorted)
{
    if (!sortBySignal(values, sorted))
        return std::nullopt;
    ValueLayout layout;
    for (const SetpointValue *value : qAsConst(sorted)) {
        layout.signalIds.append(value->signalId());
        const auto signal = definitions.constFind(value->signalId());
        layout.units.append(signal != definitions.cend() ? std::optional<int>(signal->unit()) : std::nullopt);
    }
    return layout;
}

// Binds the record's values of one row of an insert, its values sorted as
// the layout's columns; a value that is absent is stored as NULL.
void bindRecord(ISqlBinder &binder, const Recordset &record, const SortedValues &sorted, const ValueLayout &layout)
{
    bindFixedInsertValues(binder, record);
    for (int column = 0; column < sorted.size(); ++column) {
        const SetpointValue &value = *sorted.at(column);
        binder.bindVariant(value.valueIn(layout.units.at(column).value_or(value.unit())));
    }
}

SqlQuery recordRead(const QStringList &valueColumns)
{
    QStringList names{columnName(Column::ID), columnName(Column::RECORDING_ID), columnName(Column::RECORD_TIME),
                      columnName(Column::IS_RETRIEVED_FROM_CHAMBER), columnName(Column::ALARM_TYPE),
                      columnName(Column::CAMERA_IMAGE_PATH), columnName(Column::CHAMBER_MODE),
                      columnName(CommentColumn::CREATION_TIME), columnName(CommentColumn::USER_ID),
                      columnName(CommentColumn::COMMENT_TEXT)};
    names.append(valueColumns);
    SqlQuery query;
    query.select(names).from(tableNameRecordSet())
        .leftJoin({tableNameRecordSet(), columnName(Column::ID), tableNameRecordSetComment(),
                   columnName(CommentColumn::RECORDSET_ID)});
    return query;
}

// SELECT signal_id, recordset_signal_column ... WHERE recording_id, for the
// caller to complete with the recording.
SqlQuery signalColumnsWhereRecording()
{
    SqlQuery query;
    query.select(QStringList{columnName(MappingColumn::SIGNAL_ID), columnName(MappingColumn::RECORDSET_SIGNAL_COLUMN)})
        .from(tableNameRecordingHasSignalColumn())
        .where(columnName(MappingColumn::RECORDING_ID));
    return query;
}

// The k-th of count rows spread evenly over span rows: k × (span − 1) ÷
// (count − 1), so that the first and the last are among them; one row is the
// first. The product is taken in 128 bits, since a caller may give any span.
qint64 spreadIndex(qint64 k, qint64 span, qint64 count)
{
    return count == 1 ? 0 : qint64(__int128(k) * (span - 1) / (count - 1));
}

// The indexes of count rows spread evenly over span rows, leaving out those
// at or past rowCount.
QVector<int> spreadOver(qint64 span, qint64 count, int rowCount)
{
    QVector<int> indexes;
    for (qint64 k = 0; k < count; ++k) {
        const qint64 index = spreadIndex(k, span, count);
        if (index >= rowCount)
            break;
        indexes.append(int(index));
    }
    return indexes;
}

QVector<int> indexesFrom(int first, int rowCount)
{
    QVector<int> indexes;
    for (int index = first; index < rowCount; ++index)
        indexes.append(index);
    return indexes;
}

// The count step of a range read: every row when there are fewer than
// count, else count rows spread evenly.
QVector<int> countSelection(int rowCount, qint64 count)
{
    if (rowCount < count)
        return indexesFrom(0, rowCount);
    return count > 0 ? spreadOver(rowCount, count, rowCount) : QVector<int>();
}

// The rows of a load other than the pooled one of every row.
QVector<int> loadSelection(int rowCount, int startIndex, qint64 wantedRows, qint64 maxCount)
{
    if (startIndex < 0)
        return {};
    if (startIndex > 0)
        return wantedRows >= startIndex ? indexesFrom(startIndex, rowCount) : QVector<int>();
    if (wantedRows < 1)
        return countSelection(rowCount, maxCount);
    if (maxCount == NoCount)
        return indexesFrom(0, rowCount);
    if (maxCount > wantedRows)
        return indexesFrom(0, int(qMin<qint64>(wantedRows, rowCount)));
    return maxCount > 0 ? spreadOver(wantedRows, maxCount, rowCount) : QVector<int>();
}

bool isWithin(const QDateTime &time, const IRecordsetDatabaseConnection::TimeRange &range)
{
    // A null end leaves the range open on that side.
    return (range.first.isNull() || range.first <= time) && (range.second.isNull() || time <= range.second);
}

// Whether the row holds the fixed values and one value column per signal.
bool fitsDefinitions(const ISqlRowView &row, const QMap<int, ChamberSignal> &definitions)
{
    return row.columnCount() == FixedReadWidth + definitions.size();
}

uint recordingIdOf(const ISqlRowView &row)
{
    return toUIntOr(row, RecordingIdPosition, 0);
}

// A record with an alarm or with at least one value holds one value per
// signal; only then are the tolerance bands in force asked for.
bool holdsValues(const ISqlRowView &row)
{
    if (toIntOr(row, AlarmTypePosition, 0) != 0)
        return true;
    for (int position = FixedReadWidth; position < row.columnCount(); ++position) {
        if (isUsable(row, position))
            return true;
    }
    return false;
}

bool needsRanges(const ISqlRowView &row, const QMap<int, ChamberSignal> &definitions)
{
    return !definitions.isEmpty() && holdsValues(row);
}

// The tolerance bands in force for a record's values; none when the record
// has no values to take them.
using RangesInForce = std::optional<QMap<int, ToleranceRange>>;

// The record of a row that fits its definitions, with its time already in
// local time and, when it has values, the tolerance bands in force at that
// time.
Recordset recordOf(const ISqlRowView &row, const QDateTime &recordTime, const RangesInForce &ranges,
                   const QMap<int, ChamberSignal> &definitions, LocalTimeConverter &commentTimes)
{
    QList<SetpointValue> values;
    if (ranges) {
        values.reserve(definitions.size());
        // The k-th value column holds the values of the k-th signal by id.
        int position = FixedReadWidth;
        const ToleranceRange noRange;
        for (const ChamberSignal &signal : definitions) {
            const int column = position++;
            const auto inForce = ranges->constFind(signal.id());
            const ToleranceRange &range = inForce != ranges->cend() ? *inForce : noRange;
            if (!isUsable(row, column))
                values.append(SetpointValue(signal, QVariant(), range));
            else if (signal.isDigital())
                values.append(SetpointValue(signal, toBoolOr(row, column, false), range));
            else
                values.append(SetpointValue(signal, toFloatOr(row, column, 0.0f), signal.unit(), range));
        }
    }

    const qint64 id = toInt64Or(row, IdPosition, -1);
    const RecordsetComment comment(commentTimes.toLocal(row, CommentTimePosition), toUIntOr(row, CommentUserPosition, 0),
                                   id, toStringOr(row, CommentTextPosition, QString()));
    return Recordset(id, recordingIdOf(row), recordTime, values, toBoolOr(row, RetrievedPosition, false), comment,
                     toIntOr(row, AlarmTypePosition, 0), toStringOr(row, CameraImagePathPosition, QString()),
                     toIntOr(row, ChamberModePosition, 0));
}

} // namespace

SqlRecordsetDatabaseConnection::SqlRecordsetDatabaseConnection(QObject *parent)
    : QObject(parent)
    , m_rowCache(RowCacheRows)
    , m_signalColumnCache(SignalColumnCacheRecordings)
{
}

SqlRecordsetDatabaseConnection::~SqlRecordsetDatabaseConnection() = default;

bool SqlRecordsetDatabaseConnection::setConnections(domain::api::ISqlConnection *connection,
                                                    domain::api::IConfigurationDatabaseConnection *configuration,
                                                    domain::api::IChamberDatabaseConnection *chambers)
{
    m_frame.setConnections(connection, configuration, chambers);
    return isInitialized();
}

bool SqlRecordsetDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlRecordsetDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameRecordSetComment(), tableNameRecordSet()}, MissingTableReport::EmitError);
}

bool SqlRecordsetDatabaseConnection::addRecordset(Recordset &record)
{
    if (!m_frame.ensureReady())
        return false;

    forgetRows(record.recordingId());
    const std::optional<SignalColumns> signalColumns = recordingSignalColumns(record.recordingId());
    if (!signalColumns)
        return false;
    const QList<SetpointValue> values = record.values();
    SortedValues sorted;
    const std::optional<ValueLayout> layout = valueLayout(values, signalColumns->definitions, sorted);
    if (!layout)
        return false;
    const std::optional<QMap<int, QString>> columns = valueColumns(record.recordingId(), layout->signalIds);
    if (!columns || columns->size() != layout->signalIds.size())
        return false;
    const QPair<bool, quint64> result = m_frame.connection()->executeBound(
        recordInsert(columns->values(), 1),
        [&](ISqlBinder &binder) { bindRecord(binder, record, sorted, *layout); });
    if (result.first)
        record.setId(qint64(result.second));
    return result.first;
}

bool SqlRecordsetDatabaseConnection::addRecordsets(const QList<Recordset> &records)
{
    if (records.isEmpty())
        return true;
    if (!m_frame.ensureReady())
        return false;

    // One column list serves every row of a statement, so every record must
    // be of the first one's recording and carry values of the same signals.
    const uint recordingId = records.first().recordingId();
    const std::optional<SignalColumns> signalColumns = recordingSignalColumns(recordingId);
    if (!signalColumns)
        return false;
    SortedValues sorted;
    const std::optional<ValueLayout> layout = valueLayout(records.first().values(), signalColumns->definitions, sorted);
    if (!layout)
        return false;
    const QList<int> &signalIds = layout->signalIds;
    const std::optional<QMap<int, QString>> columns = valueColumns(recordingId, signalIds);
    if (!columns || columns->size() != signalIds.size())
        return false;
    const auto fitsColumns = [&](const Recordset &record, const QList<SetpointValue> &values) {
        if (record.recordingId() != recordingId || !sortBySignal(values, sorted) || sorted.size() != signalIds.size())
            return false;
        for (int index = 0; index < sorted.size(); ++index) {
            if (sorted.at(index)->signalId() != signalIds.at(index))
                return false;
        }
        return true;
    };
    for (const Recordset &record : records) {
        if (!fitsColumns(record, record.values()))
            return false;
    }

    const QStringList valueNames = columns->values();
    // Every statement but the last has as many rows as its bound values
    // allow; each of the two texts is written once.
    const int statementRows = qMin(MaxBoundValues / (FixedInsertWidth + valueNames.size()), records.size());
    const SqlQuery full = recordInsert(valueNames, statementRows);
    const int lastRows = records.size() % statementRows;
    const SqlQuery last = lastRows > 0 ? recordInsert(valueNames, lastRows) : SqlQuery();
    const auto bindRecords = [&](ISqlBinder &binder, int first, int count) {
        for (int index = first; index < first + count; ++index) {
            const Recordset &record = records.at(index);
            const QList<SetpointValue> values = record.values();
            sortBySignal(values, sorted);
            bindRecord(binder, record, sorted, *layout);
        }
    };
    forgetRows(recordingId);
    // The statements run one after the other in one transaction.
    return m_frame.connection()->executeInTransaction([&] {
        for (int first = 0; first < records.size(); first += statementRows) {
            const int count = qMin(statementRows, records.size() - first);
            const SqlQuery &statement = count == statementRows ? full : last;
            const auto bind = [&](ISqlBinder &binder) { bindRecords(binder, first, count); };
            if (!m_frame.connection()->executeBound(statement, bind).first)
                return false;
        }
        return true;
    });
}

bool SqlRecordsetDatabaseConnection::addRecordsetComment(const RecordsetComment &comment)
{
    if (!m_frame.ensureReady())
        return false;

    // Only a record set that exists gets a comment. Its id is bound as it
    // stands: a key of NULL would let SQLite choose the id of another one.
    bool read = false;
    const std::optional<uint> recordingId = recordingOfRecordset(comment.recordsetId(), &read);
    if (!read)
        return false;
    if (!recordingId) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return false;
    }
    forgetRows(*recordingId);
    SqlQuery query;
    query.insertInto(tableNameRecordSetComment())
        .columns({columnName(CommentColumn::RECORDSET_ID), columnName(CommentColumn::CREATION_TIME),
                  columnName(CommentColumn::USER_ID), columnName(CommentColumn::COMMENT_TEXT)})
        .values({comment.recordsetId(), utcOrNull(comment.creationTime()),
                 valueOrNull(comment.userId(), 0U), comment.commentText()});
    return m_frame.execute(query);
}

bool SqlRecordsetDatabaseConnection::deleteRecordsetComment(const qint64 &recordsetId)
{
    if (!m_frame.ensureReady())
        return false;

    bool read = false;
    const std::optional<uint> recordingId = recordingOfRecordset(recordsetId, &read);
    if (!read)
        return false;
    if (recordingId)
        forgetRows(*recordingId);
    else
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
    SqlQuery query;
    query.deleteFrom(tableNameRecordSetComment()).where(columnName(CommentColumn::RECORDSET_ID)).equals(recordsetId);
    return m_frame.execute(query);
}

bool SqlRecordsetDatabaseConnection::deleteRecordset(const qint64 &id)
{
    if (!m_frame.ensureReady())
        return false;

    bool read = false;
    const std::optional<uint> recordingId = recordingOfRecordset(id, &read);
    if (!read)
        return false;
    if (recordingId)
        forgetRows(*recordingId);
    SqlQuery query;
    query.deleteFrom(tableNameRecordSet()).where(columnName(Column::ID)).equals(id);
    return m_frame.execute(query);
}

bool SqlRecordsetDatabaseConnection::deleteRecordsets(const uint &recordingId)
{
    if (!m_frame.ensureReady())
        return false;

    forgetRows(recordingId);
    SqlQuery query;
    query.deleteFrom(tableNameRecordSet()).where(columnName(Column::RECORDING_ID)).equals(recordingId);
    return m_frame.execute(query);
}

Recordset SqlRecordsetDatabaseConnection::getRecordset(const qint64 &id)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery recordingOfId;
    recordingOfId.select(columnName(Column::RECORDING_ID))
        .from(tableNameRecordSet())
        .where(columnName(Column::ID))
        .equals(id);
    const std::optional<SignalColumns> columns =
        readSignalColumns(signalColumnsWhereRecording().equalsSubQuery(recordingOfId));
    if (!columns)
        return {};

    SqlQuery query = recordRead(columns->names);
    query.where(columnName(Column::ID)).equals(id);
    const std::optional<QList<Recordset>> records = recordsets(query, columns->definitions);
    if (!records)
        return {};
    if (records->size() == 1)
        return records->first();
    m_frame.reportError(domain::types::UNEXPECTED_RESULT);
    return {};
}

QList<Recordset> SqlRecordsetDatabaseConnection::getRecordsetsBeforeTime(const uint &recordingId, int count,
                                                                         const QDateTime &time)
{
    if (!m_frame.ensureReady())
        return {};

    const std::optional<SignalColumns> columns = recordingSignalColumns(recordingId);
    if (!columns)
        return {};
    SqlQuery query = recordRead(columns->names);
    query.where(columnName(Column::RECORDING_ID)).equals(recordingId);
    const QDateTime utc = time.toUTC();
    if (utc.isValid())
        query.andWhere(columnName(Column::RECORD_TIME)).lessThan(utc);
    query.orderBy(QStringList{columnName(Column::RECORD_TIME), columnName(Column::ID)}, Qt::DescendingOrder)
        .limit(count);
    return recordsets(query, columns->definitions).value_or(QList<Recordset>());
}

QList<Recordset> SqlRecordsetDatabaseConnection::getRecordsetsBeforeId(const uint &recordingId, int count,
                                                                       const qint64 &id)
{
    if (!m_frame.ensureReady())
        return {};

    const std::optional<SignalColumns> columns = recordingSignalColumns(recordingId);
    if (!columns)
        return {};
    SqlQuery query = recordRead(columns->names);
    query.where(columnName(Column::RECORDING_ID))
        .equals(recordingId)
        .andWhere(columnName(Column::ID))
        .lessThan(id)
        .orderBy(columnName(Column::ID), Qt::DescendingOrder)
        .limit(count);
    return recordsets(query, columns->definitions).value_or(QList<Recordset>());
}

QList<Recordset> SqlRecordsetDatabaseConnection::getRecordsetsInRange(const uint &recordingId, TimeRange range,
                                                                      qint64 count)
{
    if (!m_frame.ensureReady())
        return {};
    const std::optional<RecordingRows> recording = readRecording(recordingId, RecordingRead::All);
    return recording ? selectInRange(*recording, range, count) : QList<Recordset>();
}

QList<Recordset> SqlRecordsetDatabaseConnection::getRecordsetsWithCameraImage(const uint &recordingId,
                                                                              TimeRange range, qint64 count)
{
    if (!m_frame.ensureReady())
        return {};
    const std::optional<RecordingRows> recording = readRecording(recordingId, RecordingRead::WithCameraImage);
    return recording ? selectInRange(*recording, range, count) : QList<Recordset>();
}

QList<Recordset> SqlRecordsetDatabaseConnection::loadRecordsets(const uint &recordingId, int startIndex,
                                                                qint64 rowCount, qint64 maxCount)
{
    if (!m_frame.ensureReady())
        return {};

    if (startIndex == 0 && rowCount < 1 && maxCount == NoCount)
        return loadInPool(recordingId);
    const std::optional<RecordingRows> recording = readRecording(recordingId, RecordingRead::All);
    if (!recording)
        return {};
    const RecordsetRows &rows = recording->rows;
    return convertRows(rows, loadSelection(rows.size(), startIndex, rowCount, maxCount),
                       recording->columns.definitions);
}

RecordsetComment SqlRecordsetDatabaseConnection::getRecordsetComment(const qint64 &recordsetId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query
        .select(QStringList{columnName(CommentColumn::CREATION_TIME), columnName(CommentColumn::USER_ID),
                            columnName(CommentColumn::COMMENT_TEXT)})
        .from(tableNameRecordSetComment())
        .where(columnName(CommentColumn::RECORDSET_ID))
        .equals(recordsetId);
    const Row row = m_frame.connection()->selectRow(query);
    if (row.isEmpty() || !m_frame.hasWidth(row, 3))
        return {};
    return RecordsetComment(toLocalDateTimeOr(row.at(0), QDateTime()), toUIntOr(row.at(1), 0), recordsetId,
                            toStringOr(row.at(2), QString()));
}

bool SqlRecordsetDatabaseConnection::addSignalColumns(const uint &recordingId, const QList<int> &signalIds)
{
    if (signalIds.size() > MaxSignalColumns)
        return false;
    if (!m_frame.ensureReady())
        return false;

    // Dropped whatever follows: the recording store asks for no columns to
    // make this store forget a removed recording, whose id the next one may
    // take, and a count that fails must not keep its columns and rows here.
    m_signalColumnCache.remove(recordingId);
    forgetRows(recordingId);
    // Columns are numbered from 1 for each recording: a second numbering
    // would put two signals into one column.
    SqlQuery existing;
    existing.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameRecordingHasSignalColumn())
        .where(columnName(MappingColumn::RECORDING_ID))
        .equals(recordingId);
    const QVariant existingColumns = m_frame.connection()->selectValue(existing);
    // A count always gives its row: without one, the read failed.
    if (!existingColumns.isValid()) {
        m_frame.reportError(domain::types::EXECUTION_FAILED);
        return false;
    }
    if (toIntOr(existingColumns, 1) != 0)
        return false;
    return m_frame.connection()->executeTransaction(signalColumnStatements(recordingId, signalIds));
}

QList<QSharedPointer<domain::api::ISqlQuery>> SqlRecordsetDatabaseConnection::signalColumnStatements(
    uint recordingId, const QList<int> &signalIds)
{
    Q_ASSERT(signalIds.size() <= MaxSignalColumns);
    QList<QSharedPointer<domain::api::ISqlQuery>> statements;
    for (int index = 0; index < signalIds.size(); ++index) {
        const auto insert = QSharedPointer<SqlQuery>::create();
        insert->insertInto(tableNameRecordingHasSignalColumn())
            .columns(columnNamesThrough(MappingColumn::RECORDSET_SIGNAL_COLUMN))
            .values({recordingId, signalIds.at(index), index + 1});
        statements.append(insert);
    }
    return statements;
}

QMap<int, ChamberSignal> SqlRecordsetDatabaseConnection::getSignalColumns(const uint &recordingId)
{
    if (!m_frame.ensureReady())
        return {};

    const std::optional<SignalColumns> columns = readSignalColumns(signalColumnsWhereRecording().equals(recordingId));
    return columns ? columns->definitions : Definitions();
}

qint64 SqlRecordsetDatabaseConnection::getRecordsetCount(const uint &recordingId)
{
    if (!isInitialized())
        return 0;

    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameRecordSet())
        .where(columnName(Column::RECORDING_ID))
        .equals(recordingId);
    return toInt64Or(m_frame.connection()->selectValue(query), 0);
}

std::optional<SqlRecordsetDatabaseConnection::SignalColumns> SqlRecordsetDatabaseConnection::recordingSignalColumns(
    uint recordingId)
{
    if (const SignalColumns *cached = m_signalColumnCache.object(recordingId))
        return *cached;
    const std::optional<SignalColumns> columns = readSignalColumns(signalColumnsWhereRecording().equals(recordingId));
    // A recording without columns is read again next time: the recording
    // store gives a new recording its columns in the transaction that adds it.
    if (columns && !columns->names.isEmpty())
        m_signalColumnCache.insert(recordingId, new SignalColumns(*columns), 1);
    return columns;
}

std::optional<SqlRecordsetDatabaseConnection::SignalColumns> SqlRecordsetDatabaseConnection::readSignalColumns(
    const SqlQuery &query)
{
    QMap<int, int> columnOfSignal;
    const bool whole = m_frame.readEach(query, [&columnOfSignal](const ISqlRowView &row, int) {
        columnOfSignal.insert(toIntOr(row, 0, -1), toIntOr(row, 1, 0));
    });
    if (!whole)
        return std::nullopt;
    std::optional<Definitions> definitions = signalDefinitions(columnOfSignal.keys());
    if (!definitions)
        return std::nullopt;

    SignalColumns columns{std::move(*definitions), {}};
    // Only the signals that the catalogue still knows get their column read.
    for (auto signal = columns.definitions.cbegin(); signal != columns.definitions.cend(); ++signal)
        columns.names.append(valueColumn(columnOfSignal.value(signal.key())));
    return columns;
}

std::optional<SqlRecordsetDatabaseConnection::Definitions> SqlRecordsetDatabaseConnection::signalDefinitions(
    const QList<int> &signalIds)
{
    if (signalIds.isEmpty())
        return Definitions();
    // The catalogue answers a read that failed as it answers signals that it
    // does not know; only its report tells them apart.
    return m_frame.unlessReadsFail([&] { return configuration()->getSignals(signalIds); }, configuration());
}

std::optional<QMap<int, QString>> SqlRecordsetDatabaseConnection::valueColumns(uint recordingId,
                                                                              const QList<int> &signalIds)
{
    SqlQuery query = signalColumnsWhereRecording();
    query.equals(recordingId).andWhere(columnName(MappingColumn::SIGNAL_ID)).in(toVariantList(signalIds));
    QMap<int, QString> columns;
    const bool whole = m_frame.readEach(query, [&columns](const ISqlRowView &row, int) {
        columns.insert(toIntOr(row, 0, -1), valueColumn(toIntOr(row, 1, 0)));
    });
    if (!whole)
        return std::nullopt;
    return columns;
}

std::optional<SqlRecordsetDatabaseConnection::RecordingRows> SqlRecordsetDatabaseConnection::readRecording(
    uint recordingId, RecordingRead read)
{
    std::optional<SignalColumns> columns = recordingSignalColumns(recordingId);
    if (!columns)
        return std::nullopt;
    std::optional<RecordsetRows> rows = readRows(recordingId, columns->names, read);
    if (!rows)
        return std::nullopt;
    return RecordingRows{std::move(*columns), std::move(*rows)};
}

std::optional<RecordsetRows> SqlRecordsetDatabaseConnection::readRows(uint recordingId, const QStringList &names,
                                                                      RecordingRead read,
                                                                      const BlockFunction &completed)
{
    const bool cached = read == RecordingRead::All;
    if (const CachedRows *entry = cached ? m_rowCache.object(recordingId) : nullptr) {
        if (entry->names == names) {
            if (completed) {
                for (int block = 0; block < entry->rows.blockCount(); ++block)
                    completed(entry->rows.block(block));
            }
            return entry->rows;
        }
    }

    // Records read back from a chamber's data log arrive out of time order.
    SqlQuery query = recordRead(names);
    query.where(columnName(Column::RECORDING_ID)).equals(recordingId);
    if (read == RecordingRead::WithCameraImage)
        query.andWhere(columnName(Column::CAMERA_IMAGE_PATH)).isNotNull();
    query.orderBy(QStringList{columnName(Column::RECORD_TIME), columnName(Column::ID)});
    RecordsetRows rows;
    const bool whole = m_frame.readEach(query, [&](const ISqlRowView &row, int) {
        const RecordsetRows::BlockPointer block = rows.append(row);
        if (!block || !completed)
            return;
        completed(block);
        // A recording longer than the row cache holds is not kept: its
        // blocks live only as long as their converters need them.
        if (cached && rows.size() > RowCacheRows)
            rows.releaseCompleteBlocks();
    });
    // The rows before a failed step are not the recording: neither kept
    // nor handed on.
    if (!whole)
        return std::nullopt;
    const RecordsetRows::BlockPointer last = rows.finish();
    if (last && completed)
        completed(last);
    // QCache drops an entry that costs more than it may hold, as that of a
    // recording whose blocks were let go.
    if (cached && !rows.isEmpty())
        m_rowCache.insert(recordingId, new CachedRows{names, rows}, rows.size());
    return rows;
}

std::optional<QList<Recordset>> SqlRecordsetDatabaseConnection::recordsets(const SqlQuery &query,
                                                                           const Definitions &definitions)
{
    RecordsetRows rows;
    if (!m_frame.readEach(query, [&rows](const ISqlRowView &row, int) { rows.append(row); }))
        return std::nullopt;
    rows.finish();
    LocalTimeConverter times;
    QList<Recordset> records;
    records.reserve(rows.size());
    for (int index = 0; index < rows.size(); ++index)
        records.append(convertRow(rows.at(index), definitions, times));
    return records;
}

QList<Recordset> SqlRecordsetDatabaseConnection::selectInRange(const RecordingRows &recording, TimeRange range,
                                                               qint64 count)
{
    const RecordsetRows &rows = recording.rows;
    const Definitions &definitions = recording.columns.definitions;
    QList<Recordset> records;
    if (!range.first.isNull() || !range.second.isNull()) {
        LocalTimeConverter times;
        for (int index = 0; index < rows.size(); ++index) {
            const Recordset record = convertRow(rows.at(index), definitions, times);
            if (isWithin(record.recordTime(), range))
                records.append(record);
        }
    }
    if (count != NoCount)
        records.append(convertRows(rows, countSelection(rows.size(), count), definitions));
    return records;
}

QList<Recordset> SqlRecordsetDatabaseConnection::convertRows(const RecordsetRows &rows, const QVector<int> &indexes,
                                                             const Definitions &definitions)
{
    LocalTimeConverter times;
    QList<Recordset> records;
    records.reserve(indexes.size());
    for (const int index : indexes)
        records.append(convertRow(rows.at(index), definitions, times));
    return records;
}

QList<Recordset> SqlRecordsetDatabaseConnection::loadInPool(uint recordingId)
{
    const std::optional<SignalColumns> columns = recordingSignalColumns(recordingId);
    if (!columns)
        return {};
    const Definitions &definitions = columns->definitions;
    std::optional<RecordsetConverter::Results> results;
    bool whole = false;
    {
        QThreadPool pool;
        pool.setMaxThreadCount(MaxConverterThreads);
        const auto convert = [&](const RecordsetRows::BlockPointer &block) {
            int firstRow = 0;
            if (!results) {
                // The first lookup of a recording is the one that may read
                // the database: it runs here, on the thread that owns the
                // connection, before any task.
                LocalTimeConverter times;
                results.emplace(QList<Recordset>{convertRow(block->row(0), definitions, times)});
                firstRow = 1;
            }
            if (firstRow < block->size())
                pool.start(new RecordsetConverter(block, firstRow, definitions, this, &*results));
        };
        whole = readRows(recordingId, columns->names, RecordingRead::All, convert).has_value();
        pool.waitForDone();
    }
    const QList<Recordset> records = results ? results->take() : QList<Recordset>();
    // The blocks handed on before a read failed are not the recording: their
    // tasks have run, and their records go unused.
    return whole ? records : QList<Recordset>();
}

Recordset SqlRecordsetDatabaseConnection::convertRow(const RecordsetRows::Row &row, const Definitions &definitions,
                                                     LocalTimeConverter &times)
{
    if (!fitsDefinitions(row, definitions))
        return {};
    const QDateTime recordTime = times.toLocal(row, RecordTimePosition);
    RangesInForce ranges;
    if (needsRanges(row, definitions)) {
        const std::lock_guard<std::mutex> oneAtATime(m_toleranceLookup);
        ranges = chambers()->getRecordingToleranceRanges(recordTime, recordingIdOf(row), definitions);
    }
    return recordOf(row, recordTime, ranges, definitions, times);
}

QList<Recordset> SqlRecordsetDatabaseConnection::convertBlock(const RecordsetRows::Block &block, int firstRow,
                                                              const Definitions &definitions)
{
    const int count = qMax(0, block.size() - firstRow);
    LocalTimeConverter times;
    std::vector<QDateTime> recordTimes(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        const RecordsetRows::Row row = block.row(firstRow + index);
        if (fitsDefinitions(row, definitions))
            recordTimes[size_t(index)] = times.toLocal(row, RecordTimePosition);
    }
    // One turn at the chamber store for the whole block keeps the other
    // threads from queueing at it row by row.
    std::vector<RangesInForce> ranges(static_cast<size_t>(count));
    {
        const std::lock_guard<std::mutex> oneAtATime(m_toleranceLookup);
        for (int index = 0; index < count; ++index) {
            const RecordsetRows::Row row = block.row(firstRow + index);
            if (fitsDefinitions(row, definitions) && needsRanges(row, definitions)) {
                ranges[size_t(index)] = chambers()->getRecordingToleranceRanges(recordTimes[size_t(index)],
                                                                               recordingIdOf(row), definitions);
            }
        }
    }
    // Comment times come in no order and would unsettle the record times'
    // quarter hour.
    LocalTimeConverter commentTimes;
    QList<Recordset> records;
    records.reserve(count);
    for (int index = 0; index < count; ++index) {
        const RecordsetRows::Row row = block.row(firstRow + index);
        records.append(fitsDefinitions(row, definitions)
                           ? recordOf(row, recordTimes[size_t(index)], ranges[size_t(index)], definitions, commentTimes)
                           : Recordset());
    }
    return records;
}

std::optional<uint> SqlRecordsetDatabaseConnection::recordingOfRecordset(qint64 recordsetId, bool *read)
{
    SqlQuery query;
    query.select(columnName(Column::RECORDING_ID))
        .from(tableNameRecordSet())
        .where(columnName(Column::ID))
        .equals(recordsetId);
    std::optional<uint> recordingId;
    // Told apart from no record set: a write after a failed read would
    // leave the cached rows of its recording as they were.
    *read = m_frame.readEach(query,
                             [&recordingId](const ISqlRowView &row, int) { recordingId = toUIntOr(row, 0, 0); });
    return recordingId;
}

void SqlRecordsetDatabaseConnection::forgetRows(uint recordingId)
{
    m_rowCache.remove(recordingId);
}

domain::api::IConfigurationDatabaseConnection *SqlRecordsetDatabaseConnection::configuration() const
{
    return m_frame.dependency<domain::api::IConfigurationDatabaseConnection>();
}

domain::api::IChamberDatabaseConnection *SqlRecordsetDatabaseConnection::chambers() const
{
    return m_frame.dependency<domain::api::IChamberDatabaseConnection>();
}

} // namespace quelta::base::connection::databaseconnection
