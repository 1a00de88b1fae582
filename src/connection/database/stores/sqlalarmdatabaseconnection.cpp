#include "connection/database/stores/sqlalarmdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QLoggingCategory>

#include <array>

namespace quelta::base::connection::databaseconnection {

using domain::types::AlarmData;
using domain::types::AlarmShortDescription;
using domain::types::ChamberTypeKey;

namespace {

Q_LOGGING_CATEGORY(lcAlarmStore, "quelta.SqlAlarmDatabaseConnection")

using Column = ApplicationAlarmColumn;
using AlarmSignalColumn = AlarmHasSignalColumn;
using Statements = QList<QSharedPointer<domain::api::ISqlQuery>>;

constexpr int NoChamber = -1;
constexpr int NoCount = -1;

// The select list of an alarm row, followed by the argument columns;
// alarmFromRow() reads by these positions.
constexpr std::array<Column, 11> FieldColumns{
    Column::ID, Column::ALARM_TIMESTAMP, Column::ALARM_TYPE, Column::IS_ACTIVE, Column::ALARM_STATUS,
    Column::USER_ID, Column::ALARM_NAME, Column::SHORT_DESCRIPTION, Column::NUM_SHORT_DESC_ARGS,
    Column::DESCRIPTION, Column::CHAMBER_ID,
};
constexpr int ArgumentPosition = int(FieldColumns.size());
constexpr int AlarmRowWidth = ArgumentPosition + SqlAlarmDatabaseConnection::MaxShortDescriptionArguments;

constexpr int selectPosition(Column column)
{
    for (int position = 0; position < ArgumentPosition; ++position) {
        if (FieldColumns[size_t(position)] == column)
            return position;
    }
    return -1;
}

// Numbered from 1.
QString argumentColumn(int number)
{
    return columnName(Column::SHORT_DESC_ARG_N).arg(number);
}

QStringList readColumns()
{
    QStringList columns = columnNames(FieldColumns);
    for (int number = 1; number <= SqlAlarmDatabaseConnection::MaxShortDescriptionArguments; ++number)
        columns.append(argumentColumn(number));
    return columns;
}

// Every stored field of the record but the id. The argument count is the
// record's own, also beyond what is stored; both argument columns are
// written, so that an argument the alarm no longer has does not linger.
SqlQuery::ColumnValues alarmColumnValues(const AlarmData &alarm)
{
    const QVariantList arguments = alarm.shortDescription().arguments();
    constexpr int Max = SqlAlarmDatabaseConnection::MaxShortDescriptionArguments;
    if (arguments.size() > Max)
        qCWarning(lcAlarmStore) << "Too many short description arguments:" << arguments.size() << "instead of" << Max;
    SqlQuery::ColumnValues values{
        {columnName(Column::ALARM_TIMESTAMP), alarm.alarmTimestamp()},
        {columnName(Column::ALARM_TYPE), alarm.alarmType()},
        {columnName(Column::IS_ACTIVE), alarm.isActive()},
        {columnName(Column::ALARM_STATUS), alarm.alarmStatus()},
        {columnName(Column::USER_ID), valueOrNull(alarm.userId(), 0U)},
        {columnName(Column::ALARM_NAME), alarm.alarmName()},
        {columnName(Column::SHORT_DESCRIPTION), alarm.shortDescription().text()},
        {columnName(Column::NUM_SHORT_DESC_ARGS), arguments.size()},
        {columnName(Column::DESCRIPTION), alarm.description()},
        {columnName(Column::CHAMBER_ID), valueOrNull(alarm.chamberId(), NoChamber)},
    };
    for (int number = 1; number <= Max; ++number)
        values.append({argumentColumn(number), arguments.value(number - 1)});
    return values;
}

AlarmData alarmFromRow(const domain::api::ISqlConnection::Row &row, const QList<int> &signalIds)
{
    const auto at = [&row](Column column) { return row.at(selectPosition(column)); };
    const int count = qBound(0, toIntOr(at(Column::NUM_SHORT_DESC_ARGS), 0),
                             SqlAlarmDatabaseConnection::MaxShortDescriptionArguments);
    const AlarmShortDescription shortDescription(toStringOr(at(Column::SHORT_DESCRIPTION), QString()),
                                                 row.mid(ArgumentPosition, count));
    return AlarmData(toIntOr(at(Column::ID), -1), false, toDateTimeOr(at(Column::ALARM_TIMESTAMP), QDateTime()),
                     toIntOr(at(Column::ALARM_TYPE), 0), toBoolOr(at(Column::IS_ACTIVE), true),
                     toIntOr(at(Column::ALARM_STATUS), 0), toUIntOr(at(Column::USER_ID), 0),
                     toStringOr(at(Column::ALARM_NAME), QString()), shortDescription,
                     toStringOr(at(Column::DESCRIPTION), QString()), toIntOr(at(Column::CHAMBER_ID), NoChamber),
                     QString(), signalIds, {});
}

QSharedPointer<SqlQuery> deleteSignalsOf(int alarmId)
{
    auto query = QSharedPointer<SqlQuery>::create();
    query->deleteFrom(tableNameAlarmHasSignal())
        .where(columnName(AlarmSignalColumn::ALARM_ID))
        .equals(alarmId);
    return query;
}

Statements insertSignals(int alarmId, const QList<int> &signalIds)
{
    Statements statements;
    for (const int signalId : signalIds) {
        auto query = QSharedPointer<SqlQuery>::create();
        query->insertInto(tableNameAlarmHasSignal())
            .columns({columnName(AlarmSignalColumn::ALARM_ID), columnName(AlarmSignalColumn::SIGNAL_ID)})
            .values({alarmId, signalId});
        statements.append(query);
    }
    return statements;
}

} // namespace

SqlAlarmDatabaseConnection::SqlAlarmDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlAlarmDatabaseConnection::~SqlAlarmDatabaseConnection() = default;

bool SqlAlarmDatabaseConnection::setConnections(domain::api::ISqlConnection *connection,
                                                domain::api::IConfigurationDatabaseConnection *configuration,
                                                domain::api::IChamberDatabaseConnection *chambers)
{
    m_frame.setConnections(connection, configuration, chambers);
    return isInitialized();
}

bool SqlAlarmDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlAlarmDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameApplicationAlarm(), tableNameAlarmHasSignal()}, MissingTableReport::Silent);
}

QList<AlarmData> SqlAlarmDatabaseConnection::getAlarms()
{
    if (!m_frame.ensureReady())
        return {};
    return readAlarms(NoChamber);
}

uint SqlAlarmDatabaseConnection::getAlarmSignalDelay(int alarmId, int signalId, bool secondDelay)
{
    if (!m_frame.ensureReady())
        return 0;

    // A read that fails gives what a missing row gives, which leads on to
    // the next fallback and a delay that was never set. This store's reads
    // and the chamber store's tell a failure only through the data
    // connection; the catalogue reports its own.
    const auto delay = [&] { return readAlarmSignalDelay(alarmId, signalId, secondDelay); };
    return m_frame.unlessReadsFail(delay, connection(), configuration()).value_or(0U);
}

uint SqlAlarmDatabaseConnection::readAlarmSignalDelay(int alarmId, int signalId, bool secondDelay)
{
    SqlQuery chamberOfAlarm;
    chamberOfAlarm.select(columnName(Column::CHAMBER_ID))
        .from(tableNameApplicationAlarm())
        .where(columnName(Column::ID))
        .equals(alarmId);
    const int chamberId = toIntOr(connection()->selectValue(chamberOfAlarm), NoChamber);
    // The chamber store's flag picks the first delay when true. It gives -1
    // for a delay the chamber does not have or leaves unset: the type's
    // default holds then.
    const int ownDelay = chambers()->getSignalDelay(chamberId, signalId, !secondDelay);
    if (ownDelay >= 0)
        return uint(ownDelay);

    const quint64 typeId = toUInt64Or(chambers()->getChamberValue(chamberId, ChamberColumn::CHAMBER_TYPE_ID), 0);
    const int typeDelay = configuration()->getDefaultSignalDelay(ChamberTypeKey(typeId, 0), signalId, secondDelay);
    // A type that leaves the delay unset means no waiting, not a wait of
    // 136 years.
    return uint(qMax(typeDelay, 0));
}

bool SqlAlarmDatabaseConnection::addAlarm(AlarmData &alarm)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery insert;
    insert.insertInto(tableNameApplicationAlarm()).columnsAndValues(alarmColumnValues(alarm));
    // The signal rows name the alarm by the id its row gets; an alarm whose
    // signals cannot be stored is not stored either, so that a retry does
    // not store it twice.
    int alarmId = -1;
    const bool added = connection()->executeInTransaction([&] {
        const QPair<bool, quint64> inserted = connection()->execute(insert);
        alarmId = int(inserted.second);
        return inserted.first && m_frame.executeEach(insertSignals(alarmId, alarm.signalIds()));
    });
    if (!added) {
        qCWarning(lcAlarmStore) << "Failed to add alarm" << alarm.alarmName();
        return false;
    }
    alarm.setId(alarmId);
    return true;
}

bool SqlAlarmDatabaseConnection::updateAlarm(const AlarmData &alarm)
{
    if (!m_frame.ensureReady())
        return false;

    auto update = QSharedPointer<SqlQuery>::create();
    update->update(tableNameApplicationAlarm())
        .set(alarmColumnValues(alarm))
        .where(columnName(Column::ID))
        .equals(alarm.id());
    const Statements statements =
        Statements{deleteSignalsOf(alarm.id())} + insertSignals(alarm.id(), alarm.signalIds()) + Statements{update};
    return connection()->executeTransaction(statements);
}

bool SqlAlarmDatabaseConnection::deleteAlarm(int alarmId)
{
    if (!m_frame.ensureReady())
        return false;

    auto deleteAlarm = QSharedPointer<SqlQuery>::create();
    deleteAlarm->deleteFrom(tableNameApplicationAlarm()).where(columnName(Column::ID)).equals(alarmId);
    return connection()->executeTransaction({deleteSignalsOf(alarmId), deleteAlarm});
}

QList<AlarmData> SqlAlarmDatabaseConnection::getChamberAlarms(int chamberId)
{
    if (!m_frame.ensureReady())
        return {};
    return readAlarms(chamberId);
}

int SqlAlarmDatabaseConnection::getAlarmCount(int chamberId)
{
    if (!m_frame.ensureReady())
        return NoCount;

    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameApplicationAlarm())
        .where(columnName(Column::CHAMBER_ID))
        .equals(chamberId);
    return toIntOr(connection()->selectValue(query), NoCount);
}

QList<AlarmData> SqlAlarmDatabaseConnection::readAlarms(int chamberId)
{
    SqlQuery query;
    query.select(readColumns()).from(tableNameApplicationAlarm());
    if (chamberId != NoChamber)
        query.where(columnName(Column::CHAMBER_ID)).equals(chamberId);

    QList<AlarmData> alarms;
    for (const Row &row : m_frame.rowsOfWidth(connection()->select(query), AlarmRowWidth))
        alarms.append(alarmFromRow(row, getAlarmSignals(toIntOr(row.at(selectPosition(Column::ID)), -1))));
    return alarms;
}

QList<int> SqlAlarmDatabaseConnection::getAlarmSignals(int alarmId)
{
    SqlQuery query;
    query.select(columnName(AlarmSignalColumn::SIGNAL_ID))
        .from(tableNameAlarmHasSignal())
        .where(columnName(AlarmSignalColumn::ALARM_ID))
        .equals(alarmId);
    return toIntList(connection()->selectColumn(query), -1);
}

domain::api::ISqlConnection *SqlAlarmDatabaseConnection::connection() const
{
    return m_frame.connection();
}

domain::api::IConfigurationDatabaseConnection *SqlAlarmDatabaseConnection::configuration() const
{
    return m_frame.dependency<domain::api::IConfigurationDatabaseConnection>();
}

domain::api::IChamberDatabaseConnection *SqlAlarmDatabaseConnection::chambers() const
{
    return m_frame.dependency<domain::api::IChamberDatabaseConnection>();
}

} // namespace quelta::base::connection::databaseconnection
