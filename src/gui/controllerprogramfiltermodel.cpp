#include "gui/controllerprogramfiltermodel.h"

#include "gui/controllerprogrammodel.h"

namespace quelta::gui {

ControllerProgramFilterModel::ControllerProgramFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

bool ControllerProgramFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QModelIndex slot = sourceModel()->index(sourceRow, 0, sourceParent);
    return !slot.data(ControllerProgramModel::IS_EMPTY).toBool();
}

} // namespace quelta::gui
