#include "connection/database/stores/sqluserdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"
#include "domain/types/unit.h"

#include <QtCore/QLocale>
#include <QtCore/QLoggingCategory>

#include <array>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberSignal;
using domain::types::LocalePreferences;
using domain::types::Unit;
using domain::types::UserData;
using domain::types::UserLevel;

namespace {

Q_LOGGING_CATEGORY(lcUserStore, "quelta.SqlUserDatabaseConnection")

using Column = ApplicationUserColumn;
using PreferenceColumn = UserPreferencesColumn;
using VisibilityColumn = UserHasChamberSignalVisibilityPreferenceColumn;
using ConfigColumn = UserRecordingConfigColumn;
using ColumnValues = SqlQuery::ColumnValues;

// The select list of a user row; userFromRow() reads by these positions.
constexpr std::array<Column, 13> UserColumns{
    Column::ID,
    Column::LOGIN_NAME,
    Column::MAIL_ADDRESS,
    Column::FIRST_NAME,
    Column::LAST_NAME,
    Column::PASSWORD_HASH,
    Column::PASSWORD_SALT,
    Column::PASSWORD_CREATION_TIME,
    Column::PASSWORD_EXPIRATION_TIME,
    Column::PASSWORD_IS_TEMPORARY,
    Column::NUMBER_FAILED_LOGIN_ATTEMPTS,
    Column::IS_BANNED,
    Column::USER_LEVEL,
};
constexpr int UserRowWidth = int(UserColumns.size());

// The select list of a preference row, without the user id.
constexpr std::array<PreferenceColumn, 7> PreferenceColumns{
    PreferenceColumn::DEFAULT_FILE_FORMAT, PreferenceColumn::LOCALIZATION,     PreferenceColumn::TIME_FORMAT,
    PreferenceColumn::DATE_FORMAT,         PreferenceColumn::DECIMAL_FORMAT,   PreferenceColumn::TEMPERATURE_UNIT,
    PreferenceColumn::HUMIDITY_UNIT,
};
constexpr int PreferenceRowWidth = int(PreferenceColumns.size());

constexpr int NoFailedAttempts = -1;
constexpr int NoId = -1;


QVariant bytesOrNull(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QVariant() : QVariant(bytes);
}

// Every field of the record but the id, as the columns hold it.
ColumnValues userColumnValues(const UserData &user)
{
    const int failedAttempts = user.numberFailedLoginAttempts();
    return {
        {columnName(Column::LOGIN_NAME), textOrNull(user.loginName())},
        {columnName(Column::MAIL_ADDRESS), textOrNull(user.mailAddress())},
        {columnName(Column::FIRST_NAME), textOrNull(user.firstName())},
        {columnName(Column::LAST_NAME), textOrNull(user.lastName())},
        {columnName(Column::PASSWORD_HASH), bytesOrNull(user.passwordHash())},
        {columnName(Column::PASSWORD_SALT), bytesOrNull(user.passwordSalt())},
        {columnName(Column::PASSWORD_CREATION_TIME), utcOrNull(user.passwordCreationTime())},
        {columnName(Column::PASSWORD_EXPIRATION_TIME), utcOrNull(user.passwordExpirationTime())},
        {columnName(Column::PASSWORD_IS_TEMPORARY), user.passwordIsTemporary()},
        {columnName(Column::NUMBER_FAILED_LOGIN_ATTEMPTS), valueOrNull(failedAttempts, NoFailedAttempts)},
        {columnName(Column::IS_BANNED), user.isBanned()},
        {columnName(Column::USER_LEVEL), user.userLevel()},
    };
}

// Clears a deleted user whom the event log names, but for his login name and
// level. Both stay as they are stored: a level read with folding would
// otherwise be written back folded.
ColumnValues deletedUserColumnValues()
{
    const QStringList kept{columnName(Column::LOGIN_NAME), columnName(Column::USER_LEVEL)};
    ColumnValues values;
    const ColumnValues cleared = userColumnValues(UserData());
    for (const QPair<QString, QVariant> &columnValue : cleared) {
        if (!kept.contains(columnValue.first))
            values.append(columnValue);
    }
    values.append({columnName(Column::IS_DELETED), true});
    return values;
}

SqlQuery selectUsers(const QStringList &extraColumns = {})
{
    SqlQuery query;
    query.select(columnNames(UserColumns) + extraColumns).from(tableNameApplicationUser());
    return query;
}

// Appends the filter that leaves deleted users out; NULL counts as not deleted.
SqlQuery &whereNotDeleted(SqlQuery &query)
{
    const QString deleted = columnName(Column::IS_DELETED);
    return query.where(deleted).equals(false).orWhere(deleted).isNull();
}

SqlQuery &whereVisibilityOf(SqlQuery &query, uint userId, int chamberId)
{
    return query.where(columnName(VisibilityColumn::USER_ID))
        .equals(userId)
        .andWhere(columnName(VisibilityColumn::CHAMBER_ID))
        .equals(chamberId);
}

int unitOf(const QVariant &value)
{
    return Unit::fromString(toStringOr(value, QString()));
}

} // namespace

SqlUserDatabaseConnection::SqlUserDatabaseConnection(bool foldAdvancedIntoBasic, QObject *parent)
    : QObject(parent)
    , m_foldAdvancedIntoBasic(foldAdvancedIntoBasic)
{
}

SqlUserDatabaseConnection::~SqlUserDatabaseConnection() = default;

bool SqlUserDatabaseConnection::setConnections(domain::api::ISqlConnection *connection,
                                               domain::api::IConfigurationDatabaseConnection *configuration,
                                               domain::api::IProtocolDatabaseConnection *eventLog)
{
    m_frame.setConnections(connection, configuration, eventLog);
    return isInitialized();
}

bool SqlUserDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlUserDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameApplicationUser(), tableNameUserPreferences()},
                               MissingTableReport::EmitError);
}

QList<QSharedPointer<UserData>> SqlUserDatabaseConnection::getUsers()
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query = selectUsers();
    QList<QSharedPointer<UserData>> users;
    const QList<Row> rows = m_frame.connection()->select(whereNotDeleted(query));
    for (const Row &row : rows) {
        if (const QSharedPointer<UserData> user = userFromRow(row, UserRowWidth))
            users.append(user);
    }
    return users;
}

QSharedPointer<UserData> SqlUserDatabaseConnection::getUser(uint userId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query = selectUsers();
    query.where(columnName(Column::ID)).equals(userId);
    return userFromRow(m_frame.connection()->selectRow(query), UserRowWidth);
}

QSharedPointer<UserData> SqlUserDatabaseConnection::getUserByLoginName(const QString &loginName)
{
    if (!m_frame.ensureReady())
        return {};

    // A deleted user keeps his login name, which a new user may take over:
    // the live holder of the name comes first.
    SqlQuery query = selectUsers({columnName(Column::IS_DELETED)});
    query.where(columnName(Column::LOGIN_NAME)).equals(loginName);
    QList<Row> live;
    QList<Row> deleted;
    const QList<Row> rows = m_frame.connection()->select(query);
    for (const Row &row : rows) {
        if (!m_frame.hasWidth(row, UserRowWidth + 1))
            return {};
        (toBoolOr(row.last(), false) ? deleted : live).append(row.mid(0, UserRowWidth));
    }
    const QList<Row> &holders = live.isEmpty() ? deleted : live;
    if (holders.size() > 1) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }
    return userFromRow(holders.value(0), UserRowWidth);
}

QSharedPointer<LocalePreferences> SqlUserDatabaseConnection::getUserPreferences(uint userId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnNames(PreferenceColumns))
        .from(tableNameUserPreferences())
        .where(columnName(PreferenceColumn::USER_ID))
        .equals(userId);
    const Row row = m_frame.connection()->selectRow(query);
    if (row.isEmpty() || !m_frame.hasWidth(row, PreferenceRowWidth))
        return {};

    const QLocale german(QLocale::German);
    const QString decimal = toStringOr(row.at(4), QString());
    return QSharedPointer<LocalePreferences>::create(
        toIntOr(row.at(0), int(domain::types::FileFormat::PDF)), toIntOr(row.at(1), QLocale::German),
        toStringOr(row.at(2), german.timeFormat(QLocale::ShortFormat)),
        toStringOr(row.at(3), german.dateFormat(QLocale::ShortFormat)),
        decimal.isEmpty() ? german.decimalPoint() : decimal.at(0), unitOf(row.at(5)), unitOf(row.at(6)));
}

QStringList SqlUserDatabaseConnection::getLoginNames()
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(Column::LOGIN_NAME)).from(tableNameApplicationUser());
    QStringList names;
    const QList<QVariant> values = m_frame.connection()->selectColumn(whereNotDeleted(query));
    for (const QVariant &value : values)
        names.append(toStringOr(value, QString()));
    return names;
}

QString SqlUserDatabaseConnection::getLoginName(uint userId)
{
    return toStringOr(getUserValue(userId, Column::LOGIN_NAME), QString());
}

QList<ChamberSignal> SqlUserDatabaseConnection::getVisibleSignals(uint userId, int chamberId)
{
    if (!m_frame.ensureReady())
        return {};

    const QList<int> signalIds = getSignalVisibilityIds(userId, chamberId, true);
    // A failed read gives no definitions, as for signals that the catalogue
    // does not know, which would be shown as signals without a name.
    const auto visibleSignals = [&] {
        const QMap<int, ChamberSignal> definitions = configuration()->getSignals(signalIds);
        QList<ChamberSignal> visible;
        visible.reserve(signalIds.size());
        for (const int signalId : signalIds)
            visible.append(definitions.value(signalId, ChamberSignal()));
        return visible;
    };
    return m_frame.unlessReadsFail(visibleSignals, configuration()).value_or(QList<ChamberSignal>());
}

bool SqlUserDatabaseConnection::setSignalVisibilityPreferences(uint userId, int chamberId,
                                                               const QList<int> &signalIds)
{
    if (!m_frame.ensureReady())
        return false;

    auto removal = QSharedPointer<SqlQuery>::create();
    removal->deleteFrom(tableNameUserHasChamberSignalVisibilityPreference());
    whereVisibilityOf(*removal, userId, chamberId);
    QList<QSharedPointer<domain::api::ISqlQuery>> statements{removal};
    const QStringList columns{columnName(VisibilityColumn::USER_ID),
                              columnName(VisibilityColumn::CHAMBER_ID),
                              columnName(VisibilityColumn::SIGNAL_ID),
                              columnName(VisibilityColumn::POSITION)};
    const QVariant user = valueOrNull(userId, 0U);
    int position = 0;
    for (const int signalId : signalIds) {
        auto addition = QSharedPointer<SqlQuery>::create();
        addition->insertInto(tableNameUserHasChamberSignalVisibilityPreference())
            .columns(columns)
            .values({user, valueOrNull(chamberId, NoId), valueOrNull(signalId, NoId), ++position});
        statements.append(addition);
    }
    return m_frame.connection()->executeTransaction(statements);
}

QVariant SqlUserDatabaseConnection::getUserValue(uint userId, ApplicationUserColumn column)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(column)).from(tableNameApplicationUser()).where(columnName(Column::ID)).equals(userId);
    return m_frame.connection()->selectValue(query);
}

QVariant SqlUserDatabaseConnection::getUserPreferenceValue(uint userId, UserPreferencesColumn column)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(columnName(column))
        .from(tableNameUserPreferences())
        .where(columnName(PreferenceColumn::USER_ID))
        .equals(userId);
    return m_frame.connection()->selectValue(query);
}

bool SqlUserDatabaseConnection::addUser(UserData &user)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery query;
    query.insertInto(tableNameApplicationUser()).columnsAndValues(userColumnValues(user));
    const QPair<bool, quint64> result = m_frame.connection()->execute(query);
    if (!result.first) {
        qCWarning(lcUserStore) << "Failed to add user" << user.loginName();
        return false;
    }
    user.setId(uint(result.second));
    if (const QSharedPointer<LocalePreferences> preferences = user.preferences())
        addUserPreferences(user.id(), *preferences);
    return true;
}

void SqlUserDatabaseConnection::addUserPreferences(uint userId, const LocalePreferences &preferences)
{
    if (m_frame.ensureReady())
        writePreferences(userId, preferences, false);
}

void SqlUserDatabaseConnection::updateUser(UserData &user)
{
    if (!m_frame.ensureReady())
        return;

    SqlQuery query;
    query.update(tableNameApplicationUser())
        .set(userColumnValues(user))
        .where(columnName(Column::ID))
        .equals(user.id());
    m_frame.execute(query);
    if (const QSharedPointer<LocalePreferences> preferences = user.preferences())
        setUserPreferences(user.id(), *preferences);
}

void SqlUserDatabaseConnection::setUserPreferences(uint userId, const LocalePreferences &preferences)
{
    if (m_frame.ensureReady())
        writePreferences(userId, preferences, true);
}

void SqlUserDatabaseConnection::setUserValue(uint userId, ApplicationUserColumn column, const QVariant &value)
{
    if (!m_frame.ensureReady())
        return;

    SqlQuery query;
    query.update(tableNameApplicationUser()).set(columnName(column), value).where(columnName(Column::ID)).equals(userId);
    m_frame.execute(query);
}

bool SqlUserDatabaseConnection::deleteUser(uint userId)
{
    if (!m_frame.ensureReady())
        return false;

    auto preferences = QSharedPointer<SqlQuery>::create();
    preferences->deleteFrom(tableNameUserPreferences())
        .where(columnName(PreferenceColumn::USER_ID))
        .equals(userId);
    QList<QSharedPointer<domain::api::ISqlQuery>> statements{preferences};
    auto user = QSharedPointer<SqlQuery>::create();
    // The event log refers to its users' rows, so a user it names keeps his.
    if (eventLog()->getLogEntryCount(userId)) {
        if (getUser(userId).isNull())
            return false;
        user->update(tableNameApplicationUser()).set(deletedUserColumnValues());
    } else {
        // A removed row takes his other rows along: the visibility rows would
        // block the delete by their foreign key, and the next user given the
        // same id must not inherit his recording configuration.
        auto visibility = QSharedPointer<SqlQuery>::create();
        visibility->deleteFrom(tableNameUserHasChamberSignalVisibilityPreference())
            .where(columnName(VisibilityColumn::USER_ID))
            .equals(userId);
        auto recordingConfig = QSharedPointer<SqlQuery>::create();
        recordingConfig->deleteFrom(tableNameUserRecordingConfig())
            .where(columnName(ConfigColumn::USER_ID))
            .equals(userId);
        statements << visibility << recordingConfig;
        user->deleteFrom(tableNameApplicationUser());
    }
    user->where(columnName(Column::ID)).equals(userId);
    statements.append(user);
    return m_frame.connection()->executeTransaction(statements);
}

void SqlUserDatabaseConnection::addSignalVisibilityPreference(uint userId, int chamberId, int signalId)
{
    if (!m_frame.ensureReady())
        return;

    SqlQuery query;
    query.insertOrReplaceInto(tableNameUserHasChamberSignalVisibilityPreference())
        .columnsAndValues({{columnName(VisibilityColumn::USER_ID), userId},
                           {columnName(VisibilityColumn::CHAMBER_ID), chamberId},
                           {columnName(VisibilityColumn::SIGNAL_ID), signalId}});
    m_frame.execute(query);
}

void SqlUserDatabaseConnection::removeSignalVisibilityPreference(uint userId, int chamberId, int signalId)
{
    if (!m_frame.ensureReady())
        return;

    SqlQuery query;
    query.deleteFrom(tableNameUserHasChamberSignalVisibilityPreference());
    whereVisibilityOf(query, userId, chamberId).andWhere(columnName(VisibilityColumn::SIGNAL_ID)).equals(signalId);
    m_frame.execute(query);
}

QMap<int, QString> SqlUserDatabaseConnection::getRecordingConfig(uint userId)
{
    if (!m_frame.ensureReady())
        return {};

    SqlQuery query;
    query.select(QStringList{columnName(ConfigColumn::RECORDING_ID), columnName(ConfigColumn::CONFIG)})
        .from(tableNameUserRecordingConfig())
        .where(columnName(ConfigColumn::USER_ID))
        .equals(userId);
    QMap<int, QString> configs;
    const QList<Row> rows = m_frame.connection()->select(query);
    for (const Row &row : rows) {
        if (row.size() == 2)
            configs.insert(toIntOr(row.at(0), NoId), toStringOr(row.at(1), QString()));
    }
    return configs;
}

bool SqlUserDatabaseConnection::setRecordingConfig(uint userId, int recordingId, const QString &config)
{
    if (!m_frame.ensureReady())
        return false;

    SqlQuery existing;
    existing.select(QStringList{columnName(ConfigColumn::RECORDING_ID), columnName(ConfigColumn::CONFIG)})
        .from(tableNameUserRecordingConfig())
        .where(columnName(ConfigColumn::USER_ID))
        .equals(userId)
        .andWhere(columnName(ConfigColumn::RECORDING_ID))
        .equals(recordingId);
    SqlQuery query;
    if (m_frame.connection()->select(existing).isEmpty()) {
        query.insertInto(tableNameUserRecordingConfig())
            .columnsAndValues({{columnName(ConfigColumn::USER_ID), userId},
                               {columnName(ConfigColumn::RECORDING_ID), recordingId},
                               {columnName(ConfigColumn::CONFIG), config}});
    } else {
        query.update(tableNameUserRecordingConfig())
            .set(columnName(ConfigColumn::CONFIG), config)
            .where(columnName(ConfigColumn::USER_ID))
            .equals(userId)
            .andWhere(columnName(ConfigColumn::RECORDING_ID))
            .equals(recordingId);
    }
    return m_frame.execute(query);
}

QList<int> SqlUserDatabaseConnection::getSignalVisibilityIds(uint userId, int chamberId, bool ordered)
{
    SqlQuery query;
    query.select(columnName(VisibilityColumn::SIGNAL_ID))
        .from(tableNameUserHasChamberSignalVisibilityPreference());
    whereVisibilityOf(query, userId, chamberId);
    if (ordered)
        query.orderBy(columnName(VisibilityColumn::POSITION));
    return toIntList(m_frame.connection()->selectColumn(query), NoId);
}

QSharedPointer<UserData> SqlUserDatabaseConnection::userFromRow(const Row &row, int width)
{
    if (row.isEmpty() || !m_frame.hasWidth(row, width))
        return {};

    const uint id = toUIntOr(row.at(0), 0);
    int level = toIntOr(row.at(12), int(UserLevel::BASIC));
    if (m_foldAdvancedIntoBasic && level == int(UserLevel::ADVANCED))
        level = int(UserLevel::BASIC);
    const QSharedPointer<LocalePreferences> preferences = getUserPreferences(id);
    const auto bytesOf = [](const QVariant &value) { return isUsable(value) ? value.toByteArray() : QByteArray(); };
    return QSharedPointer<UserData>::create(
        id, toStringOr(row.at(1), QString()), toStringOr(row.at(2), QString()), toStringOr(row.at(3), QString()),
        toStringOr(row.at(4), QString()), bytesOf(row.at(5)), bytesOf(row.at(6)),
        toLocalDateTimeOr(row.at(7), QDateTime()), toLocalDateTimeOr(row.at(8), QDateTime()),
        toBoolOr(row.at(9), false), toIntOr(row.at(10), NoFailedAttempts), toBoolOr(row.at(11), false), level,
        preferences);
}

void SqlUserDatabaseConnection::writePreferences(uint userId, const LocalePreferences &preferences, bool replace)
{
    const ColumnValues values{
        {columnName(PreferenceColumn::USER_ID), userId},
        {columnName(PreferenceColumn::DEFAULT_FILE_FORMAT), preferences.defaultFileFormat()},
        {columnName(PreferenceColumn::LOCALIZATION), preferences.localization()},
        {columnName(PreferenceColumn::TIME_FORMAT), preferences.timeFormat()},
        {columnName(PreferenceColumn::DATE_FORMAT), preferences.dateFormat()},
        {columnName(PreferenceColumn::DECIMAL_FORMAT), QString(preferences.decimalSeparator())},
        {columnName(PreferenceColumn::TEMPERATURE_UNIT), Unit::toString(preferences.temperatureUnit())},
        {columnName(PreferenceColumn::HUMIDITY_UNIT), Unit::toString(preferences.humidityUnit())},
    };
    SqlQuery query;
    if (replace)
        query.insertOrReplaceInto(tableNameUserPreferences());
    else
        query.insertInto(tableNameUserPreferences());
    m_frame.execute(query.columnsAndValues(values));
}

domain::api::IConfigurationDatabaseConnection *SqlUserDatabaseConnection::configuration() const
{
    return m_frame.dependency<domain::api::IConfigurationDatabaseConnection>();
}

domain::api::IProtocolDatabaseConnection *SqlUserDatabaseConnection::eventLog() const
{
    return m_frame.dependency<domain::api::IProtocolDatabaseConnection>();
}

} // namespace quelta::base::connection::databaseconnection
