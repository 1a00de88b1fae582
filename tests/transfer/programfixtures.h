#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/programtransmittablesection.h"

#include <QtCore/QSharedPointer>

// Chamber signals and program sections as the transfer tests build them.
namespace programfixtures {

using namespace quelta::domain::types;

// An analog signal in °C whose manual-mode write address has the 1-based
// column number.
inline ChamberSignal analogSignal(int id, int number, float limitMax = ChamberSignal::NoUpperLimit)
{
    ChamberSignal signal;
    signal.setId(id);
    signal.setUnit(Unit::DegreeCelsius);
    signal.setLimitMax(limitMax);
    signal.setWriteManualAddress(QSharedPointer<ControllerAddress>::create(
        ControllerAddressId(), QStringLiteral("0x2000"), 2, QMetaType::Float, 1, number, QString()));
    return signal;
}

// A switch that is one bit of a register; bit -1 for none.
inline ChamberSignal digitalSignal(int id, int bit)
{
    ChamberSignal signal;
    signal.setId(id);
    signal.setUnit(Unit::Bool);
    signal.setBitPosition(bit);
    signal.setWriteManualAddress(QSharedPointer<ControllerAddress>::create(
        ControllerAddressId(), QStringLiteral("0x2100"), 2, QMetaType::UShort, 1, -1, QString()));
    return signal;
}

inline ProgramTransmittableSection programSection(const QList<SetpointValue> &setpoints, qint64 duration)
{
    return ProgramTransmittableSection(ProgramSection(0, setpoints, duration, ProgramSection::INVALID, false, {}),
                                       0, 0);
}

} // namespace programfixtures
