#pragma once

#include "connection/database/core/tablecolumn.h"
#include "domain/api/isqlquery.h"

#include <QtCore/QFlags>
#include <QtCore/QList>
#include <QtCore/QPair>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVariant>
#include <QtCore/QVector>

class QDebug;

namespace quelta::base::connection::databaseconnection {

// The chainable statement builder. Every clause appends its text, preceded by
// one blank, and the values of its "?" placeholders in order, and returns the
// builder:
//
//     SqlQuery query;
//     query.select(columns).from(tableNameChamber()).where(idColumn).equals(id);
//
// Values are only ever bound, never written into the text. Table and column
// names must be constants of the schema vocabulary, never data.
class SqlQuery : public domain::api::ISqlQuery
{
public:
    // (column, value) pairs, written in list order.
    using ColumnValues = QList<QPair<QString, QVariant>>;

    enum class CountType {
        ALL,
        DISTINCT,
    };

    enum class DataType {
        BOOLEAN,
        INTEGER,
        REAL,
        DATETIME,
        TEXT,
        ENUMERATION, // the number of an enumeration, written INTEGER
        BLOB,
    };

    enum class ColumnFlag {
        NONE = 1,
        PRIMARY_KEY = 2,
        NOT_NULL = 4,
        UNIQUE = 8,
        // Writes no text: an INTEGER PRIMARY KEY column is numbered by SQLite.
        AUTO_INCREMENT = 128,
    };
    Q_DECLARE_FLAGS(ColumnFlags, ColumnFlag)

    enum class ForeignKeyAction {
        NO_ACTION,
        RESTRICT,
        SET_NULL,
        SET_DEFAULT,
        CASCADE,
    };

    struct ColumnDefinition
    {
        QString name;
        DataType type = DataType::TEXT;
        ColumnFlags flags = ColumnFlag::NONE;
    };

    struct ForeignKey
    {
        QString column;
        QString referencedTable;
        QString referencedColumn;
        ForeignKeyAction onUpdate = ForeignKeyAction::NO_ACTION;
        ForeignKeyAction onDelete = ForeignKeyAction::NO_ACTION;
    };

    // Written as "leftTable.leftColumn = rightTable.rightColumn".
    struct JoinCondition
    {
        QString leftTable;
        QString leftColumn;
        QString rightTable;
        QString rightColumn;
    };

    SqlQuery() = default;
    SqlQuery(const SqlQuery &other);
    SqlQuery(SqlQuery &&other) noexcept;
    SqlQuery &operator=(const SqlQuery &other);
    SqlQuery &operator=(SqlQuery &&other) noexcept;
    ~SqlQuery() override = default;

    const QString &getQuery() const override;
    const QVector<QVariant> &getValues() const override;

    SqlQuery &select(const QString &column);
    SqlQuery &select(const QStringList &columns);
    SqlQuery &select(const QList<TableColumn> &columns);
    SqlQuery &selectOne();
    SqlQuery &selectValues(const QList<QVariant> &values);
    // count(*) when the column is empty, whatever the count type.
    SqlQuery &count(CountType type, const QString &column);

    SqlQuery &from(const QString &table, const QString &alias = QString());

    SqlQuery &where(const QString &column);
    SqlQuery &where(const TableColumn &column);
    SqlQuery &andWhere(const QString &column);
    SqlQuery &andWhere(const TableColumn &column);
    SqlQuery &orWhere(const QString &column);
    SqlQuery &orWhere(const TableColumn &column);
    SqlQuery &whereNotExists(const domain::api::ISqlQuery &subQuery);

    SqlQuery &equals(const QVariant &value);
    SqlQuery &lessThan(const QVariant &value);
    SqlQuery &lessThanOrEquals(const QVariant &value);
    SqlQuery &greaterThanOrEquals(const QVariant &value);
    SqlQuery &between(const QVariant &low, const QVariant &high);
    SqlQuery &isNull();
    SqlQuery &isNotNull();
    SqlQuery &in(const QList<QVariant> &values);
    SqlQuery &in(const domain::api::ISqlQuery &subQuery);
    SqlQuery &notIn(const QList<QVariant> &values);
    SqlQuery &notIn(const domain::api::ISqlQuery &subQuery);
    SqlQuery &equalsSubQuery(const domain::api::ISqlQuery &subQuery);

    // A non-empty rightTableSource is written before the right table, so that
    // the right table can be an alias: join({"a", "x", "b", "x"}, "signal")
    // writes " JOIN signal b ON a.x = b.x".
    SqlQuery &join(const JoinCondition &condition, const QString &rightTableSource = QString());
    SqlQuery &join(const QList<JoinCondition> &conditions, const QString &rightTableSource = QString());
    SqlQuery &leftJoin(const JoinCondition &condition, const QString &rightTableSource = QString());
    SqlQuery &leftJoin(const QList<JoinCondition> &conditions,
                       const QString &rightTableSource = QString());

    SqlQuery &groupBy(const QString &column);
    SqlQuery &groupBy(const QStringList &columns);
    SqlQuery &orderBy(const QString &column, Qt::SortOrder order = Qt::AscendingOrder);
    SqlQuery &orderBy(const TableColumn &column, Qt::SortOrder order = Qt::AscendingOrder);
    // Several sort keys, in the given order, each in the same direction.
    SqlQuery &orderBy(const QStringList &columns, Qt::SortOrder order = Qt::AscendingOrder);
    SqlQuery &limit(int count);

    SqlQuery &insertInto(const QString &table);
    SqlQuery &insertOrReplaceInto(const QString &table);
    SqlQuery &columns(const QStringList &columns);
    // One row of values; further rows of a multi-row insert pass firstRow false.
    SqlQuery &values(const QList<QVariant> &values, bool firstRow = true);
    // " VALUES" and rowCount rows of rowLength placeholders, as values()
    // writes them, without values: the statement's values are bound when it
    // runs, through ISqlConnection::executeBound(). A multi-row insert of
    // record sets binds close to a thousand values.
    SqlQuery &valuePlaceholders(int rowLength, int rowCount = 1);
    // columns() and values() of one row, from the pairs of a whole record.
    SqlQuery &columnsAndValues(const ColumnValues &columnValues);

    SqlQuery &update(const QString &table);
    SqlQuery &set(const QString &column, const QVariant &value);
    SqlQuery &set(const ColumnValues &columnValues);

    SqlQuery &deleteFrom(const QString &table);

    // Replaces the value bound to the placeholder at index, counted from 0,
    // so that a statement whose text is written once runs with other values.
    SqlQuery &bindValue(int index, const QVariant &value);

    // CREATE TABLE IF NOT EXISTS with the columns, then the foreign keys, then
    // a composite PRIMARY KEY constraint when several columns carry the
    // PRIMARY_KEY flag.
    SqlQuery &createTable(const QString &table, const QList<ColumnDefinition> &columns,
                          const QList<ForeignKey> &foreignKeys = {});

    friend bool operator==(const SqlQuery &left, const SqlQuery &right)
    {
        return left.m_query == right.m_query && left.m_values == right.m_values;
    }
    friend bool operator!=(const SqlQuery &left, const SqlQuery &right) { return !(left == right); }

private:
    SqlQuery &appendClause(const QString &clause);
    SqlQuery &appendComparison(const QString &comparison, const QVariant &value);
    SqlQuery &appendValueList(QLatin1String opening, const QList<QVariant> &values);
    SqlQuery &appendSubQuery(const QString &opening, const domain::api::ISqlQuery &subQuery);
    SqlQuery &appendJoins(const QString &joinKind, const QList<JoinCondition> &conditions,
                          const QString &rightTableSource);

    void appendValues(const QList<QVariant> &values);
    void appendRowPlaceholders(int count, bool firstRow);

    QString m_query;
    // In one block: a multi-row insert of record sets binds close to a
    // thousand values, and a QList would allocate each of them on its own.
    QVector<QVariant> m_values;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SqlQuery::ColumnFlags)

QDebug operator<<(QDebug debug, const SqlQuery &query);

} // namespace quelta::base::connection::databaseconnection
