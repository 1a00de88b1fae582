#include "connection/database/stores/sqlrecordingdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"

#include <QtCore/QLoggingCategory>

#include <array>
#include <limits>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberSignal;
using domain::types::RecordingData;

namespace {

Q_LOGGING_CATEGORY(lcRecordingStore, "quelta.SqlRecordingDatabaseConnection")

using Column = RecordingColumn;
using LinkColumn = MetaRecordingHasRecordingColumn;
using Statements = QList<QSharedPointer<domain::api::ISqlQuery>>;

// The select list of a recording row; recordingFromRow() reads by these
// positions.
constexpr std::array<Column, 14> ReadColumns{
    Column::ID,
    Column::RECORDING_NAME,
    Column::CHAMBER_ID,
    Column::USER_ID,
    Column::SECONDS_INTERVAL,
    Column::START_TIME,
    Column::END_TIME,
    Column::IS_ACTIVE,
    Column::IS_ARCHIVED,
    Column::ADDITIONAL_INFO,
    Column::FREE_TEXT,
    Column::AUTOMATICALLY_CREATE_REPORT,
    Column::IS_START_RECONDING_ALLOWED,
    Column::NUMBER_OF_RECORDSETS,
};

// Every field but the id as the columns hold it, absent values as NULL.
SqlQuery::ColumnValues recordingToColumnValues(const RecordingData &recording)
{
    return {
        {columnName(Column::RECORDING_NAME), textOrNull(recording.recordingName())},
        {columnName(Column::CHAMBER_ID), valueOrNull(recording.chamberId(), -1)},
        {columnName(Column::USER_ID), valueOrNull(recording.userId(), 0U)},
        {columnName(Column::SECONDS_INTERVAL), valueOrNull(recording.secondsInterval(), -1)},
        {columnName(Column::START_TIME), utcOrNull(recording.startTime())},
        {columnName(Column::END_TIME), utcOrNull(recording.endTime())},
        {columnName(Column::IS_ACTIVE), recording.isActive()},
        {columnName(Column::ADDITIONAL_INFO), textOrNull(recording.additionalInfo())},
        {columnName(Column::FREE_TEXT), textOrNull(recording.freeText())},
        {columnName(Column::IS_ARCHIVED), recording.isArchived()},
        {columnName(Column::AUTOMATICALLY_CREATE_REPORT), recording.automaticallyCreateReport()},
        {columnName(Column::IS_START_RECONDING_ALLOWED), recording.isStartRecordingAllowed()},
        {columnName(Column::NUMBER_OF_RECORDSETS), recording.numberOfRecordsets()},
    };
}

// One field as the record holds it: times unconverted, no NULL for absent
// values; invalid for a flag that names no column.
QVariant recordingFieldValue(const RecordingData &recording, Column column)
{
    switch (column) {
    case Column::ID:
        return recording.id();
    case Column::RECORDING_NAME:
        return recording.recordingName();
    case Column::CHAMBER_ID:
        return recording.chamberId();
    case Column::USER_ID:
        return recording.userId();
    case Column::SECONDS_INTERVAL:
        return recording.secondsInterval();
    case Column::START_TIME:
        return recording.startTime();
    case Column::END_TIME:
        return recording.endTime();
    case Column::IS_ACTIVE:
        return recording.isActive();
    case Column::ADDITIONAL_INFO:
        return recording.additionalInfo();
    case Column::FREE_TEXT:
        return recording.freeText();
    case Column::IS_ARCHIVED:
        return recording.isArchived();
    case Column::AUTOMATICALLY_CREATE_REPORT:
        return recording.automaticallyCreateReport();
    case Column::IS_START_RECONDING_ALLOWED:
        return recording.isStartRecordingAllowed();
    case Column::NUMBER_OF_RECORDSETS:
        return recording.numberOfRecordsets();
    }
    return QVariant();
}

SqlQuery selectRecordings()
{
    SqlQuery query;
    query.select(columnNames(ReadColumns)).from(tableNameRecording());
    return query;
}

QSharedPointer<SqlQuery> deletion(const QString &table, const QString &column, uint recordingId)
{
    auto statement = QSharedPointer<SqlQuery>::create();
    statement->deleteFrom(table).where(column).equals(recordingId);
    return statement;
}

QSharedPointer<SqlQuery> metaLinksDeletion(uint metaRecordingId)
{
    return deletion(tableNameMetaRecordingHasRecording(), columnName(LinkColumn::META_RECORDING_ID), metaRecordingId);
}

Statements metaLinkInsertions(uint metaRecordingId, const QList<uint> &recordingIds)
{
    Statements statements;
    for (const uint recordingId : recordingIds) {
        auto link = QSharedPointer<SqlQuery>::create();
        link->insertInto(tableNameMetaRecordingHasRecording())
            .columns({columnName(LinkColumn::META_RECORDING_ID), columnName(LinkColumn::RECORDING_ID)})
            .values({metaRecordingId, recordingId});
        statements.append(link);
    }
    return statements;
}

// A table that rows name the recording in, and the removal of those rows.
struct Dependent
{
    QString table;
    QSharedPointer<SqlQuery> removal;
};

// Every table whose rows name the recording, each before the tables its rows
// refer to.
QList<Dependent> dependentsOf(uint id)
{
    SqlQuery recordsetsOfRecording;
    recordsetsOfRecording.select(columnName(RecordSetColumn::ID))
        .from(tableNameRecordSet())
        .where(columnName(RecordSetColumn::RECORDING_ID))
        .equals(id);
    auto comments = QSharedPointer<SqlQuery>::create();
    comments->deleteFrom(tableNameRecordSetComment())
        .where(columnName(RecordSetCommentColumn::RECORDSET_ID))
        .in(recordsetsOfRecording);
    return {
        {tableNameRecordSetComment(), comments},
        {tableNameRecordSet(), deletion(tableNameRecordSet(), columnName(RecordSetColumn::RECORDING_ID), id)},
        {tableNameRecordingHasSignalColumn(),
         deletion(tableNameRecordingHasSignalColumn(), columnName(RecordingHasSignalColumnColumn::RECORDING_ID), id)},
        {tableNameMetaRecordingHasRecording(), metaLinksDeletion(id)},
        {tableNameCamera(), deletion(tableNameCamera(), columnName(CameraColumn::RECORDING_ID), id)},
        {tableNameUserRecordingConfig(),
         deletion(tableNameUserRecordingConfig(), columnName(UserRecordingConfigColumn::RECORDING_ID), id)},
    };
}

} // namespace

SqlRecordingDatabaseConnection::SqlRecordingDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlRecordingDatabaseConnection::~SqlRecordingDatabaseConnection() = default;

bool SqlRecordingDatabaseConnection::setConnections(domain::api::ISqlConnection *connection,
                                                    domain::api::IChamberDatabaseConnection *chambers,
                                                    domain::api::IRecordsetDatabaseConnection *recordsets)
{
    m_frame.setConnections(connection, chambers, recordsets);
    return isInitialized();
}

bool SqlRecordingDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlRecordingDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameRecording()}, MissingTableReport::EmitError);
}

bool SqlRecordingDatabaseConnection::addRecording(RecordingData &recording)
{
    if (!m_frame.ensureReady())
        return false;

    recording.setId(0);
    const QList<int> signalIds = recording.recordingSignals().keys();
    if (signalIds.size() > SqlRecordsetDatabaseConnection::MaxSignalColumns)
        return false;

    SqlQuery insert;
    insert.insertInto(tableNameRecording()).columnsAndValues(recordingToColumnValues(recording));
    // A recording without its value columns or its links is of no use: the
    // three are written in one transaction, the later two naming the id that
    // the recording's row gets.
    uint id = 0;
    const bool added = m_frame.connection()->executeInTransaction([&] {
        const QPair<bool, quint64> inserted = m_frame.connection()->execute(insert);
        // A recording id is a uint wherever it is used; a row id beyond
        // that is refused.
        if (!inserted.first || inserted.second == 0 || inserted.second > std::numeric_limits<uint>::max())
            return false;
        id = uint(inserted.second);
        return m_frame.executeEach(SqlRecordsetDatabaseConnection::signalColumnStatements(id, signalIds)
                                   + metaLinkInsertions(id, recording.metaRecordingIds()));
    });
    if (!added)
        return false;
    recording.setId(id);
    return true;
}

QList<QSharedPointer<RecordingData>> SqlRecordingDatabaseConnection::getRecordings()
{
    if (!m_frame.ensureReady())
        return {};

    const auto readRecordings = [this] {
        QList<QSharedPointer<RecordingData>> recordings;
        const QList<Row> rows = m_frame.connection()->select(selectRecordings());
        for (const Row &row : rows) {
            if (const QSharedPointer<RecordingData> recording = recordingFromRow(row))
                recordings.append(recording);
        }
        return recordings;
    };
    return unlessReadsFail(QList<QSharedPointer<RecordingData>>(), readRecordings);
}

QSharedPointer<RecordingData> SqlRecordingDatabaseConnection::getRecording(const uint &id)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query = selectRecordings();
    query.where(columnName(Column::ID)).equals(id);
    return unlessReadsFail(QSharedPointer<RecordingData>(),
                           [&] { return recordingFromRow(m_frame.connection()->selectRow(query)); });
}

// A read that fails gives what no row gives: a recording without signals,
// without their custom names or without its meta links. The record-set store
// reports its failures, the catalogue's among them; the data connection
// reports those of this store's reads and of the chamber store's.
template<typename Result, typename Operation>
Result SqlRecordingDatabaseConnection::unlessReadsFail(const Result &failed, Operation operation)
{
    return m_frame.unlessReadsFail(operation, m_frame.connection(), recordsets()).value_or(failed);
}

uint SqlRecordingDatabaseConnection::getActiveRecordingId(const int &chamberId)
{
    if (!m_frame.ensureReady())
        return 0;

    SqlQuery query;
    query.select(columnName(Column::ID))
        .from(tableNameRecording())
        .where(columnName(Column::CHAMBER_ID))
        .equals(chamberId)
        .andWhere(columnName(Column::IS_ACTIVE))
        .equals(true);
    return toUIntOr(m_frame.connection()->selectValue(query), 0);
}

QVariant SqlRecordingDatabaseConnection::getRecordingValue(const uint &id, const RecordingColumn &column)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(column)).from(tableNameRecording()).where(columnName(Column::ID)).equals(id);
    return m_frame.connection()->selectValue(query);
}

bool SqlRecordingDatabaseConnection::getRecordingCount(const int &chamberId)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameRecording())
        .where(columnName(Column::CHAMBER_ID))
        .equals(chamberId);
    return toIntOr(m_frame.connection()->selectValue(query), 0) > 0;
}

bool SqlRecordingDatabaseConnection::updateRecordingField(const RecordingData &recording,
                                                          const RecordingColumn &column)
{
    if (!m_frame.ensureReady())
        return false;
    return setRecordingValue(recording.id(), column, recordingFieldValue(recording, column));
}

bool SqlRecordingDatabaseConnection::setRecordingValue(const uint &id, const RecordingColumn &column,
                                                       const QVariant &value)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.update(tableNameRecording())
        .set(columnName(column), value)
        .where(columnName(Column::ID))
        .equals(id);
    return m_frame.execute(query);
}

bool SqlRecordingDatabaseConnection::updateRecording(const RecordingData &recording)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.update(tableNameRecording())
        .set(recordingToColumnValues(recording))
        .where(columnName(Column::ID))
        .equals(recording.id());
    return m_frame.execute(query);
}

bool SqlRecordingDatabaseConnection::deleteRecording(const uint &id)
{
    if (!m_frame.ensureReady())
        return false;

    // The meta recording would lose a part of what it groups.
    if (isGrouped(id)) {
        qCWarning(lcRecordingStore, "Can't delete recording %u: a meta recording groups it", id);
        return false;
    }
    if (!remove(id)) {
        qCWarning(lcRecordingStore, "Can't delete recording %u: the database refused to delete it or a row that "
                                    "names it", id);
        return false;
    }
    return true;
}

bool SqlRecordingDatabaseConnection::archiveRecording(const uint &id)
{
    if (!m_frame.ensureReady())
        return false;
    return setRecordingValue(id, Column::IS_ARCHIVED, true);
}

bool SqlRecordingDatabaseConnection::unarchiveRecording(const uint &id)
{
    if (!m_frame.ensureReady())
        return false;
    return setRecordingValue(id, Column::IS_ARCHIVED, false);
}

QList<uint> SqlRecordingDatabaseConnection::getMetaRecordingIds(const uint &metaRecordingId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(LinkColumn::RECORDING_ID))
        .from(tableNameMetaRecordingHasRecording())
        .where(columnName(LinkColumn::META_RECORDING_ID))
        .equals(metaRecordingId);
    QList<uint> ids;
    const QList<QVariant> values = m_frame.connection()->selectColumn(query);
    for (const QVariant &value : values)
        ids.append(toUIntOr(value, 0));
    return ids;
}

bool SqlRecordingDatabaseConnection::setMetaRecordingIds(const uint &metaRecordingId,
                                                         const QList<uint> &recordingIds)
{
    if (!m_frame.ensureReady())
        return false;

    const Statements statements = Statements{metaLinksDeletion(metaRecordingId)}
        + metaLinkInsertions(metaRecordingId, recordingIds);
    return m_frame.connection()->executeTransaction(statements);
}

bool SqlRecordingDatabaseConnection::deleteMetaRecordingLinks(const uint &metaRecordingId)
{
    if (!m_frame.ensureReady())
        return false;
    return m_frame.execute(*metaLinksDeletion(metaRecordingId));
}

QSharedPointer<RecordingData> SqlRecordingDatabaseConnection::recordingFromRow(const Row &row)
{
    if (!m_frame.hasWidth(row, int(ReadColumns.size())))
        return {};

    const uint id = toUIntOr(row.at(0), 0);
    const int chamberId = toIntOr(row.at(2), -1);
    QMap<int, ChamberSignal> signalMap = recordsets()->getSignalColumns(id);
    const QMap<int, QString> customNames = chambers()->getCustomSignalNames(chamberId);
    for (auto signal = signalMap.begin(); signal != signalMap.end(); ++signal) {
        const auto name = customNames.constFind(signal.key());
        if (name != customNames.cend())
            signal->setName(*name);
    }
    return QSharedPointer<RecordingData>::create(
        id, toStringOr(row.at(1), QString()), chamberId, toUIntOr(row.at(3), 0), toIntOr(row.at(4), -1),
        toLocalDateTimeOr(row.at(5), QDateTime()), toLocalDateTimeOr(row.at(6), QDateTime()),
        toBoolOr(row.at(7), false), toBoolOr(row.at(8), false), toStringOr(row.at(9), QString()),
        toStringOr(row.at(10), QString()), toUIntOr(row.at(11), 0), signalMap, getMetaRecordingIds(id),
        toBoolOr(row.at(12), true), toInt64Or(row.at(13), -1));
}

bool SqlRecordingDatabaseConnection::isGrouped(uint id)
{
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameMetaRecordingHasRecording())
        .where(columnName(LinkColumn::RECORDING_ID))
        .equals(id);
    // A count that cannot be read counts as grouped: nothing is removed then.
    return toIntOr(m_frame.connection()->selectValue(query), 1) != 0;
}

bool SqlRecordingDatabaseConnection::remove(uint id)
{
    // Tables that this database does not have hold no rows to remove.
    Statements statements;
    const QList<Dependent> dependents = dependentsOf(id);
    for (const Dependent &dependent : dependents) {
        if (m_frame.connection()->tableExists(dependent.table))
            statements.append(dependent.removal);
    }
    statements.append(deletion(tableNameRecording(), columnName(Column::ID), id));
    if (!m_frame.connection()->executeTransaction(statements))
        return false;
    // The record-set store caches the rows and signal columns of recordings,
    // which the next recording of this id must not inherit. Giving the
    // recording no signal columns, which is all it has left, makes the store
    // drop both entries.
    recordsets()->addSignalColumns(id, {});
    return true;
}

domain::api::IChamberDatabaseConnection *SqlRecordingDatabaseConnection::chambers() const
{
    return m_frame.dependency<domain::api::IChamberDatabaseConnection>();
}

domain::api::IRecordsetDatabaseConnection *SqlRecordingDatabaseConnection::recordsets() const
{
    return m_frame.dependency<domain::api::IRecordsetDatabaseConnection>();
}

} // namespace quelta::base::connection::databaseconnection
