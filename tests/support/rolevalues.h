#pragma once

#include <QtCore/QAbstractItemModel>
#include <QtCore/QList>

namespace quelta::test {

// The values of one role in the rows of a list model, top to bottom.
template<typename T>
QList<T> roleValues(const QAbstractItemModel &model, int role)
{
    QList<T> values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.index(row, 0).data(role).value<T>());
    return values;
}

} // namespace quelta::test
