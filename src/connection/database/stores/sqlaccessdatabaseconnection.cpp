#include "connection/database/stores/sqlaccessdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <limits>

namespace quelta::base::connection::databaseconnection {

using domain::types::ActivityId;
using domain::types::UserLevel;

namespace {

using Column = ActivityAccessColumn;

// What an action needs when the table cannot say.
constexpr UserLevel RestrictiveLevel = UserLevel::LABORATORY;
constexpr UserLevel Unrestricted = UserLevel(0);

} // namespace

SqlAccessDatabaseConnection::SqlAccessDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlAccessDatabaseConnection::~SqlAccessDatabaseConnection() = default;

bool SqlAccessDatabaseConnection::setConnections(domain::api::ISqlConnection *connection)
{
    m_frame.setConnections(connection);
    return isInitialized();
}

bool SqlAccessDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlAccessDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameActivityAccess()}, MissingTableReport::EmitError);
}

UserLevel SqlAccessDatabaseConnection::getRequiredUserLevel(const ActivityId &activity)
{
    if (!m_frame.ensureReady())
        return RestrictiveLevel;

    // An aggregate gives exactly one row whenever the statement succeeds, so
    // that a missing row tells a failure apart from an unlisted action; for a
    // single matching row MIN() is that row's value as stored.
    const QString level = columnName(Column::MIN_USER_LEVEL);
    SqlQuery query;
    query.select(QStringList{QStringLiteral("count(*)"), QStringLiteral("MIN(%1)").arg(level)})
        .from(tableNameActivityAccess())
        .where(columnName(Column::COMPONENT_ID))
        .equals(int(activity.componentId()))
        .andWhere(columnName(Column::ACTIVITY_ID))
        .equals(int(activity.activity()));
    const domain::api::ISqlConnection::Row row = m_frame.connection()->selectRow(query);
    if (row.size() != 2)
        return RestrictiveLevel;

    const int matches = toIntOr(row.at(0), 0);
    if (matches == 0)
        return Unrestricted;
    bool isNumber = false;
    const int stored = isUsable(row.at(1)) ? row.at(1).toInt(&isNumber) : 0;
    if (matches > 1 || !isNumber || stored < 0 || stored > int(UserLevel::SUPERUSER)) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return RestrictiveLevel;
    }
    return UserLevel(stored);
}

QList<ActivityId> SqlAccessDatabaseConnection::getAllowedActivities(UserLevel level)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(QStringList{columnName(Column::COMPONENT_ID), columnName(Column::ACTIVITY_ID)})
        .from(tableNameActivityAccess())
        .where(columnName(Column::MIN_USER_LEVEL))
        .lessThanOrEquals(int(level));
    QList<ActivityId> activities;
    const QList<domain::api::ISqlConnection::Row> rows = m_frame.connection()->select(query);
    for (const domain::api::ISqlConnection::Row &row : rows) {
        if (!m_frame.hasWidth(row, 2))
            continue;
        // An activity number beyond 16 bits is out of every component's
        // range; cutting it would name some other action.
        const uint number = toUIntOr(row.at(1), 0);
        if (number > std::numeric_limits<quint16>::max())
            continue;
        const ActivityId activity(ActivityId::ComponentId(toIntOr(row.at(0), ActivityId::INVALID)), quint16(number));
        if (activity.isValid())
            activities.append(activity);
    }
    return activities;
}

} // namespace quelta::base::connection::databaseconnection
