#include "connection/database/stores/sqlprotocoldatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "domain/types/userlevel.h"

#include <QtCore/QLoggingCategory>

namespace quelta::base::connection::databaseconnection {

using domain::types::SystemLogEntry;
using TimeRange = QPair<QDateTime, QDateTime>;

namespace {

Q_LOGGING_CATEGORY(lcProtocolStore, "quelta.SqlProtocolDatabaseConnection")

constexpr int MaxDescriptionArguments = 10;
// Descriptions are filled in with QString::arg(), whose placeholders end at
// %99: a stored count beyond that is corrupt and must not size the list.
constexpr int MaxReadArguments = 99;
constexpr int NoUser = 0;
constexpr int AllLevels = 0;

// Positions in the select list of logQuery().
enum Position {
    CreationTime,
    EventDescription,
    UserId,
    LoginName,
    IsDeleted,
    ArgumentCount,
    FirstArgument,
};

// arg_1 to arg_10.
QString argumentColumn(int number)
{
    return columnName(LogEntryColumn::ARG_N).arg(number);
}

// The entries of the range joined with their users; a null bound leaves that
// side open.
SqlQuery logQuery(const TimeRange &range)
{
    const QString log = tableNameLogEntry();
    const QString users = tableNameApplicationUser();
    QList<TableColumn> columns{
        {log, columnName(LogEntryColumn::CREATION_TIME)}, {log, columnName(LogEntryColumn::EVENT_DESCRIPTION)},
        {log, columnName(LogEntryColumn::USER_ID)},       {users, columnName(ApplicationUserColumn::LOGIN_NAME)},
        {users, columnName(ApplicationUserColumn::IS_DELETED)}, {log, columnName(LogEntryColumn::NUM_ARGS)},
    };
    for (int number = 1; number <= MaxDescriptionArguments; ++number)
        columns.append({log, argumentColumn(number)});

    SqlQuery query;
    query.select(columns).from(log).join(
        {log, columnName(LogEntryColumn::USER_ID), users, columnName(ApplicationUserColumn::ID)});
    const QString time = columnName(LogEntryColumn::CREATION_TIME);
    const bool hasFrom = !range.first.isNull();
    const bool hasTo = !range.second.isNull();
    if (hasFrom && hasTo)
        query.where(time).between(range.first.toUTC(), range.second.toUTC());
    else if (hasFrom)
        query.where(time).greaterThanOrEquals(range.first.toUTC());
    else if (hasTo)
        query.where(time).lessThanOrEquals(range.second.toUTC());
    return query;
}

} // namespace

SqlProtocolDatabaseConnection::SqlProtocolDatabaseConnection(bool foldAdvancedIntoBasic, QObject *parent)
    : QObject(parent)
    , m_foldAdvancedIntoBasic(foldAdvancedIntoBasic)
{
}

SqlProtocolDatabaseConnection::~SqlProtocolDatabaseConnection() = default;

bool SqlProtocolDatabaseConnection::setConnections(domain::api::ISqlConnection *connection)
{
    m_frame.setConnections(connection);
    return isInitialized();
}

bool SqlProtocolDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlProtocolDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameLogEntry()}, MissingTableReport::Silent);
}

void SqlProtocolDatabaseConnection::addLogEntry(const SystemLogEntry &entry)
{
    if (!m_frame.ensureReady())
        return;
    const QVariantList arguments = entry.arguments();
    if (arguments.size() > MaxDescriptionArguments) {
        qCWarning(lcProtocolStore) << "Too many description arguments:" << arguments.size() << "instead of"
                                   << MaxDescriptionArguments;
    }

    // A null time is an invalid QDateTime and stores NULL; user 0 stores NULL.
    QStringList columns{columnName(LogEntryColumn::CREATION_TIME), columnName(LogEntryColumn::EVENT_DESCRIPTION),
                        columnName(LogEntryColumn::NUM_ARGS)};
    QList<QVariant> values{entry.creationTime().toUTC(), entry.eventDescription(), arguments.size()};
    if (entry.userId() != NoUser) {
        columns.append(columnName(LogEntryColumn::USER_ID));
        values.append(entry.userId());
    }
    for (int index = 0; index < qMin(arguments.size(), MaxDescriptionArguments); ++index) {
        columns.append(argumentColumn(index + 1));
        values.append(arguments.at(index));
    }
    SqlQuery query;
    query.insertInto(tableNameLogEntry()).columns(columns).values(values);
    m_frame.execute(query);
}

QList<SystemLogEntry> SqlProtocolDatabaseConnection::getLogEntries(const TimeRange &timeRange, int userLevel)
{
    SqlQuery query = logQuery(timeRange);
    if (userLevel != AllLevels) {
        using domain::types::UserLevel;
        if (m_foldAdvancedIntoBasic && userLevel == int(UserLevel::BASIC))
            userLevel = int(UserLevel::ADVANCED);
        SqlQuery usersAtOrBelow;
        usersAtOrBelow.select(columnName(ApplicationUserColumn::ID))
            .from(tableNameApplicationUser())
            .where(columnName(ApplicationUserColumn::USER_LEVEL))
            .lessThanOrEquals(userLevel);
        query.andWhere(columnName(LogEntryColumn::USER_ID)).in(usersAtOrBelow);
    }
    return queryLogEntries(query);
}

QList<SystemLogEntry> SqlProtocolDatabaseConnection::getUserLogEntries(const TimeRange &timeRange,
                                                                       const unsigned int &userId)
{
    SqlQuery query = logQuery(timeRange);
    query.andWhere(columnName(LogEntryColumn::USER_ID)).equals(userId);
    return queryLogEntries(query);
}

bool SqlProtocolDatabaseConnection::getLogEntryCount(const unsigned int &userId)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.count(SqlQuery::CountType::ALL, QString())
        .from(tableNameLogEntry())
        .where(columnName(LogEntryColumn::USER_ID))
        .equals(userId);
    return m_frame.connection()->selectValue(query).toInt() > 0;
}

QList<SystemLogEntry> SqlProtocolDatabaseConnection::queryLogEntries(SqlQuery &query)
{
    if (!m_frame.ensureReady())
        return {};
    query.orderBy(columnName(LogEntryColumn::CREATION_TIME));
    QList<SystemLogEntry> entries;
    for (const domain::api::ISqlConnection::Row &row : m_frame.connection()->select(query))
        entries.append(entryFromRow(row));
    return entries;
}

SystemLogEntry SqlProtocolDatabaseConnection::entryFromRow(const domain::api::ISqlConnection::Row &row) const
{
    // An entry keeps its full count of arguments, also beyond the ten stored:
    // those read as invalid values.
    const int argumentCount = qBound(0, toIntOr(row.value(ArgumentCount), 0), MaxReadArguments);
    QVariantList arguments;
    arguments.reserve(argumentCount);
    for (int index = 0; index < argumentCount; ++index)
        arguments.append(row.value(FirstArgument + index));

    QString userName = toStringOr(row.value(LoginName), QString());
    if (toBoolOr(row.value(IsDeleted), false))
        userName += tr(" (deleted)");
    return SystemLogEntry(toLocalDateTimeOr(row.value(CreationTime), QDateTime()),
                          toStringOr(row.value(EventDescription), QString()), arguments,
                          toUIntOr(row.value(UserId), NoUser), userName);
}

} // namespace quelta::base::connection::databaseconnection
