#pragma once

#include "domain/types/chambersignal.h"

#include <QtCore/QMetaType>

namespace quelta::test {

// A float signal that the basic user reads; the others below build on it.
inline domain::types::ChamberSignal readSignal(int id, int unit = domain::types::Unit::DegreeCelsius,
                                               float limitMin = domain::types::ChamberSignal::NoLowerLimit,
                                               float limitMax = domain::types::ChamberSignal::NoUpperLimit)
{
    using domain::types::ChamberSignal;
    ChamberSignal chamberSignal;
    chamberSignal.setId(id);
    chamberSignal.setName(QStringLiteral("Signal %1").arg(id));
    chamberSignal.setUnit(unit);
    chamberSignal.setColor(Qt::blue);
    chamberSignal.setDecimalPlaces(2);
    chamberSignal.setUserLevel(domain::types::UserLevel::BASIC);
    chamberSignal.setLimitMin(limitMin);
    chamberSignal.setLimitMax(limitMax);
    chamberSignal.setReadAddress(ChamberSignal::AddressPointer::create(
        domain::types::ControllerAddressId(), QStringLiteral("0x1000"), 0, QMetaType::Float, 1, -1, QString()));
    return chamberSignal;
}

// The signal is its own setpoint.
inline domain::types::ChamberSignal writable(domain::types::ChamberSignal chamberSignal)
{
    chamberSignal.setWriteManualAddress(domain::types::ChamberSignal::AddressPointer::create(
        domain::types::ControllerAddressId(), QStringLiteral("0x2000"), 1, QMetaType::Float, 1, 1, QString()));
    return chamberSignal;
}

inline domain::types::ChamberSignal withSetpoint(domain::types::ChamberSignal chamberSignal,
                                                 const domain::types::ChamberSignal &setpointSignal)
{
    chamberSignal.setSetPointSignal(domain::types::ChamberSignal::SignalPointer::create(setpointSignal));
    return chamberSignal;
}

} // namespace quelta::test
