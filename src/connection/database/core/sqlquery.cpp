#include "connection/database/core/sqlquery.h"

#include <QtCore/QDebug>

#include <utility>

namespace quelta::base::connection::databaseconnection {

namespace {

const QLatin1String ListSeparator(", ");

// The builders below append straight to the statement text: an insert of a
// record set has some fifty columns, and temporaries would cost more than
// the rest of building it.
void appendJoined(QString &text, const QStringList &parts, QLatin1String separator)
{
    for (int index = 0; index < parts.size(); ++index) {
        if (index > 0)
            text += separator;
        text += parts.at(index);
    }
}

void appendPlaceholders(QString &text, int count, QLatin1String separator)
{
    if (count <= 0)
        return;
    const int start = text.size();
    text.resize(start + count + (count - 1) * separator.size());
    QChar *out = text.data() + start;
    for (int index = 0; index < count; ++index) {
        if (index > 0) {
            for (const char character : separator)
                *out++ = QLatin1Char(character);
        }
        *out++ = QLatin1Char('?');
    }
}

QStringList qualifiedNames(const QList<TableColumn> &columns)
{
    QStringList names;
    names.reserve(columns.size());
    for (const TableColumn &column : columns)
        names.append(column.qualifiedName());
    return names;
}

QLatin1String dataTypeText(SqlQuery::DataType type)
{
    switch (type) {
    case SqlQuery::DataType::BOOLEAN:
        return QLatin1String("BOOLEAN");
    case SqlQuery::DataType::INTEGER:
    case SqlQuery::DataType::ENUMERATION:
        return QLatin1String("INTEGER");
    case SqlQuery::DataType::REAL:
        return QLatin1String("REAL");
    case SqlQuery::DataType::DATETIME:
        return QLatin1String("DATETIME");
    case SqlQuery::DataType::TEXT:
        return QLatin1String("TEXT");
    case SqlQuery::DataType::BLOB:
        return QLatin1String("BLOB");
    }
    return QLatin1String("TEXT");
}

QLatin1String foreignKeyActionText(SqlQuery::ForeignKeyAction action)
{
    switch (action) {
    case SqlQuery::ForeignKeyAction::NO_ACTION:
        return QLatin1String("NO ACTION");
    case SqlQuery::ForeignKeyAction::RESTRICT:
        return QLatin1String("RESTRICT");
    case SqlQuery::ForeignKeyAction::SET_NULL:
        return QLatin1String("SET NULL");
    case SqlQuery::ForeignKeyAction::SET_DEFAULT:
        return QLatin1String("SET DEFAULT");
    case SqlQuery::ForeignKeyAction::CASCADE:
        return QLatin1String("CASCADE");
    }
    return QLatin1String("NO ACTION");
}

QString foreignKeyText(const SqlQuery::ForeignKey &key)
{
    QString text = QLatin1String("FOREIGN KEY (") + key.column + QLatin1String(") REFERENCES ")
        + key.referencedTable + QLatin1String(" (") + key.referencedColumn + QLatin1Char(')');
    if (key.onUpdate != SqlQuery::ForeignKeyAction::NO_ACTION)
        text += QLatin1String(" ON UPDATE ") + foreignKeyActionText(key.onUpdate);
    if (key.onDelete != SqlQuery::ForeignKeyAction::NO_ACTION)
        text += QLatin1String(" ON DELETE ") + foreignKeyActionText(key.onDelete);
    return text;
}

} // namespace

SqlQuery::SqlQuery(const SqlQuery &other)
    : ISqlQuery()
    , m_query(other.m_query)
    , m_values(other.m_values)
{
}

SqlQuery::SqlQuery(SqlQuery &&other) noexcept
    : ISqlQuery()
    , m_query(std::move(other.m_query))
    , m_values(std::move(other.m_values))
{
}

SqlQuery &SqlQuery::operator=(const SqlQuery &other)
{
    m_query = other.m_query;
    m_values = other.m_values;
    return *this;
}

SqlQuery &SqlQuery::operator=(SqlQuery &&other) noexcept
{
    m_query = std::move(other.m_query);
    m_values = std::move(other.m_values);
    return *this;
}

const QString &SqlQuery::getQuery() const
{
    return m_query;
}

const QVector<QVariant> &SqlQuery::getValues() const
{
    return m_values;
}

SqlQuery &SqlQuery::select(const QString &column)
{
    return appendClause(QLatin1String("SELECT ") + column);
}

SqlQuery &SqlQuery::select(const QStringList &columns)
{
    m_query += QLatin1String(" SELECT ");
    appendJoined(m_query, columns, ListSeparator);
    return *this;
}

SqlQuery &SqlQuery::select(const QList<TableColumn> &columns)
{
    return select(qualifiedNames(columns));
}

SqlQuery &SqlQuery::selectOne()
{
    m_values.append(1);
    return appendClause(QStringLiteral("SELECT ?"));
}

SqlQuery &SqlQuery::selectValues(const QList<QVariant> &values)
{
    appendValues(values);
    m_query += QLatin1String(" SELECT ");
    appendPlaceholders(m_query, values.size(), QLatin1String(","));
    return *this;
}

SqlQuery &SqlQuery::count(CountType type, const QString &column)
{
    // SQLite accepts neither "count(ALL *)" nor "count(DISTINCT *)".
    if (column.isEmpty())
        return appendClause(QStringLiteral("SELECT count(*)"));
    const QLatin1String typeText =
        type == CountType::DISTINCT ? QLatin1String("DISTINCT") : QLatin1String("ALL");
    return appendClause(QLatin1String("SELECT count(") + typeText + QLatin1Char(' ') + column
                        + QLatin1Char(')'));
}

SqlQuery &SqlQuery::from(const QString &table, const QString &alias)
{
    if (alias.isEmpty())
        return appendClause(QLatin1String("FROM ") + table);
    return appendClause(QLatin1String("FROM ") + table + QLatin1Char(' ') + alias);
}

SqlQuery &SqlQuery::where(const QString &column)
{
    return appendClause(QLatin1String("WHERE ") + column);
}

SqlQuery &SqlQuery::where(const TableColumn &column)
{
    return where(column.qualifiedName());
}

SqlQuery &SqlQuery::andWhere(const QString &column)
{
    return appendClause(QLatin1String("AND ") + column);
}

SqlQuery &SqlQuery::andWhere(const TableColumn &column)
{
    return andWhere(column.qualifiedName());
}

SqlQuery &SqlQuery::orWhere(const QString &column)
{
    return appendClause(QLatin1String("OR ") + column);
}

SqlQuery &SqlQuery::orWhere(const TableColumn &column)
{
    return orWhere(column.qualifiedName());
}

SqlQuery &SqlQuery::whereNotExists(const ISqlQuery &subQuery)
{
    return appendSubQuery(QStringLiteral("WHERE NOT EXISTS ("), subQuery);
}

SqlQuery &SqlQuery::equals(const QVariant &value)
{
    return appendComparison(QStringLiteral("= ?"), value);
}

SqlQuery &SqlQuery::lessThan(const QVariant &value)
{
    return appendComparison(QStringLiteral("< ?"), value);
}

SqlQuery &SqlQuery::lessThanOrEquals(const QVariant &value)
{
    return appendComparison(QStringLiteral("<= ?"), value);
}

SqlQuery &SqlQuery::greaterThanOrEquals(const QVariant &value)
{
    return appendComparison(QStringLiteral(">= ?"), value);
}

SqlQuery &SqlQuery::between(const QVariant &low, const QVariant &high)
{
    m_values.append(low);
    m_values.append(high);
    return appendClause(QStringLiteral("BETWEEN ? AND ?"));
}

SqlQuery &SqlQuery::isNull()
{
    return appendClause(QStringLiteral("IS NULL"));
}

SqlQuery &SqlQuery::isNotNull()
{
    return appendClause(QStringLiteral("IS NOT NULL"));
}

SqlQuery &SqlQuery::in(const QList<QVariant> &values)
{
    return appendValueList(QLatin1String(" IN ("), values);
}

SqlQuery &SqlQuery::in(const ISqlQuery &subQuery)
{
    return appendSubQuery(QStringLiteral("IN ("), subQuery);
}

SqlQuery &SqlQuery::notIn(const QList<QVariant> &values)
{
    return appendValueList(QLatin1String(" NOT IN ("), values);
}

SqlQuery &SqlQuery::notIn(const ISqlQuery &subQuery)
{
    return appendSubQuery(QStringLiteral("NOT IN ("), subQuery);
}

SqlQuery &SqlQuery::equalsSubQuery(const ISqlQuery &subQuery)
{
    return appendSubQuery(QStringLiteral("= ("), subQuery);
}

SqlQuery &SqlQuery::join(const JoinCondition &condition, const QString &rightTableSource)
{
    return appendJoins(QStringLiteral("JOIN "), {condition}, rightTableSource);
}

SqlQuery &SqlQuery::join(const QList<JoinCondition> &conditions, const QString &rightTableSource)
{
    return appendJoins(QStringLiteral("JOIN "), conditions, rightTableSource);
}

SqlQuery &SqlQuery::leftJoin(const JoinCondition &condition, const QString &rightTableSource)
{
    return appendJoins(QStringLiteral("LEFT JOIN "), {condition}, rightTableSource);
}

SqlQuery &SqlQuery::leftJoin(const QList<JoinCondition> &conditions,
                             const QString &rightTableSource)
{
    return appendJoins(QStringLiteral("LEFT JOIN "), conditions, rightTableSource);
}

SqlQuery &SqlQuery::groupBy(const QString &column)
{
    return appendClause(QLatin1String("GROUP BY ") + column);
}

SqlQuery &SqlQuery::groupBy(const QStringList &columns)
{
    m_query += QLatin1String(" GROUP BY ");
    appendJoined(m_query, columns, ListSeparator);
    return *this;
}

SqlQuery &SqlQuery::orderBy(const QString &column, Qt::SortOrder order)
{
    return orderBy(QStringList{column}, order);
}

SqlQuery &SqlQuery::orderBy(const TableColumn &column, Qt::SortOrder order)
{
    return orderBy(column.qualifiedName(), order);
}

SqlQuery &SqlQuery::orderBy(const QStringList &columns, Qt::SortOrder order)
{
    const QString direction = order == Qt::AscendingOrder ? QStringLiteral(" ASC") : QStringLiteral(" DESC");
    QStringList keys;
    keys.reserve(columns.size());
    for (const QString &column : columns)
        keys.append(column + direction);
    return appendClause(QLatin1String("ORDER BY ") + keys.join(QLatin1String(", ")));
}

SqlQuery &SqlQuery::limit(int count)
{
    m_values.append(count);
    return appendClause(QStringLiteral("LIMIT ?"));
}

SqlQuery &SqlQuery::insertInto(const QString &table)
{
    return appendClause(QLatin1String("INSERT INTO ") + table);
}

SqlQuery &SqlQuery::insertOrReplaceInto(const QString &table)
{
    return appendClause(QLatin1String("INSERT OR REPLACE INTO ") + table);
}

SqlQuery &SqlQuery::columns(const QStringList &columns)
{
    m_query += QLatin1String(" (");
    appendJoined(m_query, columns, ListSeparator);
    m_query += QLatin1Char(')');
    return *this;
}

SqlQuery &SqlQuery::values(const QList<QVariant> &values, bool firstRow)
{
    appendRowPlaceholders(values.size(), firstRow);
    appendValues(values);
    return *this;
}

SqlQuery &SqlQuery::valuePlaceholders(int rowLength, int rowCount)
{
    for (int row = 0; row < rowCount; ++row)
        appendRowPlaceholders(rowLength, row == 0);
    return *this;
}

SqlQuery &SqlQuery::columnsAndValues(const ColumnValues &columnValues)
{
    QStringList names;
    QList<QVariant> values;
    names.reserve(columnValues.size());
    values.reserve(columnValues.size());
    for (const QPair<QString, QVariant> &columnValue : columnValues) {
        names.append(columnValue.first);
        values.append(columnValue.second);
    }
    return columns(names).values(values);
}

SqlQuery &SqlQuery::update(const QString &table)
{
    return appendClause(QLatin1String("UPDATE ") + table);
}

SqlQuery &SqlQuery::set(const QString &column, const QVariant &value)
{
    return set(ColumnValues{qMakePair(column, value)});
}

SqlQuery &SqlQuery::set(const ColumnValues &columnValues)
{
    m_query += QLatin1String(" SET ");
    for (int index = 0; index < columnValues.size(); ++index) {
        if (index > 0)
            m_query += ListSeparator;
        m_query += columnValues.at(index).first;
        m_query += QLatin1String(" = ?");
        m_values.append(columnValues.at(index).second);
    }
    return *this;
}

SqlQuery &SqlQuery::deleteFrom(const QString &table)
{
    return appendClause(QLatin1String("DELETE FROM ") + table);
}

SqlQuery &SqlQuery::bindValue(int index, const QVariant &value)
{
    // A statement is written with its placeholders; there is none to add here.
    Q_ASSERT_X(index >= 0 && index < m_values.size(), "SqlQuery::bindValue", "no placeholder of that index");
    if (index >= 0 && index < m_values.size())
        m_values[index] = value;
    return *this;
}

SqlQuery &SqlQuery::createTable(const QString &table, const QList<ColumnDefinition> &columns,
                                const QList<ForeignKey> &foreignKeys)
{
    QStringList keyColumns;
    for (const ColumnDefinition &column : columns) {
        if (column.flags.testFlag(ColumnFlag::PRIMARY_KEY))
            keyColumns.append(column.name);
    }
    const bool compositeKey = keyColumns.size() > 1;

    QStringList parts;
    parts.reserve(columns.size() + foreignKeys.size() + 1);
    for (const ColumnDefinition &column : columns) {
        QString text = column.name + QLatin1Char(' ') + dataTypeText(column.type);
        if (column.flags.testFlag(ColumnFlag::PRIMARY_KEY) && !compositeKey)
            text += QLatin1String(" PRIMARY KEY");
        if (column.flags.testFlag(ColumnFlag::NOT_NULL))
            text += QLatin1String(" NOT NULL");
        if (column.flags.testFlag(ColumnFlag::UNIQUE))
            text += QLatin1String(" UNIQUE");
        parts.append(text);
    }
    for (const ForeignKey &key : foreignKeys)
        parts.append(foreignKeyText(key));
    // A table constraint needs its comma like any other item of the list.
    if (compositeKey)
        parts.append(QLatin1String("PRIMARY KEY (") + keyColumns.join(ListSeparator) + QLatin1Char(')'));

    return appendClause(QLatin1String("CREATE TABLE IF NOT EXISTS ") + table + QLatin1String(" (")
                        + parts.join(ListSeparator) + QLatin1Char(')'));
}

void SqlQuery::appendValues(const QList<QVariant> &values)
{
    for (const QVariant &value : values)
        m_values.append(value);
}

void SqlQuery::appendRowPlaceholders(int count, bool firstRow)
{
    // Further rows follow the previous one directly: " VALUES(?,?),(?,?)".
    m_query += firstRow ? QLatin1String(" VALUES(") : QLatin1String(",(");
    appendPlaceholders(m_query, count, QLatin1String(","));
    m_query += QLatin1Char(')');
}

SqlQuery &SqlQuery::appendClause(const QString &clause)
{
    m_query += QLatin1Char(' ');
    m_query += clause;
    return *this;
}

SqlQuery &SqlQuery::appendComparison(const QString &comparison, const QVariant &value)
{
    m_values.append(value);
    return appendClause(comparison);
}

SqlQuery &SqlQuery::appendValueList(QLatin1String opening, const QList<QVariant> &values)
{
    appendValues(values);
    m_query += opening;
    appendPlaceholders(m_query, values.size(), ListSeparator);
    m_query += QLatin1Char(')');
    return *this;
}

SqlQuery &SqlQuery::appendSubQuery(const QString &opening, const ISqlQuery &subQuery)
{
    m_values.append(subQuery.getValues());
    return appendClause(opening + subQuery.getQuery() + QLatin1Char(')'));
}

SqlQuery &SqlQuery::appendJoins(const QString &joinKind, const QList<JoinCondition> &conditions,
                                const QString &rightTableSource)
{
    for (const JoinCondition &condition : conditions) {
        QString clause = joinKind;
        if (!rightTableSource.isEmpty())
            clause += rightTableSource + QLatin1Char(' ');
        clause += condition.rightTable + QLatin1String(" ON ") + condition.leftTable
            + QLatin1Char('.') + condition.leftColumn + QLatin1String(" = ") + condition.rightTable
            + QLatin1Char('.') + condition.rightColumn;
        appendClause(clause);
    }
    return *this;
}

QDebug operator<<(QDebug debug, const SqlQuery &query)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "SqlQuery(" << query.getQuery() << ", " << query.getValues() << ')';
    return debug;
}

} // namespace quelta::base::connection::databaseconnection
