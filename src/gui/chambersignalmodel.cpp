#include "gui/chambersignalmodel.h"

#include "domain/types/unit.h"
#include "gui/usercontrol.h"

namespace quelta::gui {

using domain::types::ChamberSignal;
using domain::types::Unit;
using domain::types::UnitValue;

ChamberSignalModel::ChamberSignalModel(const ChamberSignal &chamberSignal)
    : m_signal(chamberSignal)
{
}

QString ChamberSignalModel::signalUnit() const
{
    return Unit::toString(displayUnit());
}

int ChamberSignalModel::displayUnit() const
{
    return UserControl::preferredUnit(m_signal.unit());
}

UnitValue ChamberSignalModel::lowerLimit() const
{
    return UnitValue(m_signal.unit(), QVariant(m_signal.limitMin()));
}

UnitValue ChamberSignalModel::upperLimit() const
{
    return UnitValue(m_signal.unit(), QVariant(m_signal.limitMax()));
}

} // namespace quelta::gui
