#pragma once

#include <QtCore/QSortFilterProxyModel>

namespace quelta::gui {

// The slots of a ControllerProgramModel that hold a program; a slot whose
// name is empty but not null counts as one.
class ControllerProgramFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit ControllerProgramFilterModel(QObject *parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
};

} // namespace quelta::gui
