#pragma once

#include <QtCore/QString>

namespace quelta::base::connection::databaseconnection {

// A column named together with its table; SqlQuery writes it as
// "table.column".
struct TableColumn
{
    QString table;
    QString column;

    QString qualifiedName() const { return table + QLatin1Char('.') + column; }

    friend bool operator==(const TableColumn &left, const TableColumn &right)
    {
        return left.table == right.table && left.column == right.column;
    }
    friend bool operator!=(const TableColumn &left, const TableColumn &right)
    {
        return !(left == right);
    }
};

} // namespace quelta::base::connection::databaseconnection
