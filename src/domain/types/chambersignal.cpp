#include "domain/types/chambersignal.h"

#include <QtCore/QDebug>

#include <array>

namespace quelta::domain::types {

namespace {

template<typename T>
bool sameContent(const QSharedPointer<T> &lhs, const QSharedPointer<T> &rhs)
{
    if (lhs.isNull() || rhs.isNull())
        return lhs.isNull() == rhs.isNull();
    return lhs == rhs || *lhs == *rhs;
}

} // namespace

ChamberSignal::ChamberSignal(int id, const QString &name, int unit, const QColor &color, int decimalPlaces,
                             UserLevel userLevel, float limitMin, float limitMax, int bitPosition, int signalType,
                             const SignalPointer &setPointSignal, bool timeProgrammable, bool weekProgrammable,
                             const AddressPointer &readAddress, const AddressPointer &writeBasicAddress,
                             const AddressPointer &writeManualAddress, const AddressPointer &writeAutoAddress)
    : m_id(id)
    , m_name(name)
    , m_unit(unit)
    , m_color(color)
    , m_decimalPlaces(decimalPlaces)
    , m_userLevel(userLevel)
    , m_limitMin(limitMin)
    , m_limitMax(limitMax)
    , m_bitPosition(bitPosition)
    , m_signalType(signalType)
    , m_setPointSignal(setPointSignal)
    , m_timeProgrammable(timeProgrammable)
    , m_weekProgrammable(weekProgrammable)
    , m_readAddress(readAddress)
    , m_writeBasicAddress(writeBasicAddress)
    , m_writeManualAddress(writeManualAddress)
    , m_writeAutoAddress(writeAutoAddress)
{
}

bool ChamberSignal::isDigital() const
{
    if (m_unit == Unit::Bool)
        return true;

    const std::array<const AddressPointer *, 4> addresses{&m_readAddress, &m_writeBasicAddress, &m_writeManualAddress,
                                                         &m_writeAutoAddress};
    bool hasAddress = false;
    bool allBool = true;
    for (const AddressPointer *address : addresses) {
        if (address->isNull())
            continue;
        hasAddress = true;
        allBool = allBool && (*address)->valueType() == QMetaType::Bool;
    }
    if (!hasAddress)
        return false;
    return m_bitPosition != -1 || allBool;
}

bool ChamberSignal::isWritable() const
{
    return !m_writeBasicAddress.isNull() || !m_writeManualAddress.isNull() || !m_writeAutoAddress.isNull();
}

bool ChamberSignal::isReadOnly() const
{
    return static_cast<int>(m_userLevel) < static_cast<int>(UserLevel::ADVANCED) && !isWritable();
}

bool operator==(const ChamberSignal &lhs, const ChamberSignal &rhs)
{
    return lhs.m_id == rhs.m_id && lhs.m_name == rhs.m_name && lhs.m_unit == rhs.m_unit
        && lhs.m_color == rhs.m_color && lhs.m_decimalPlaces == rhs.m_decimalPlaces
        && lhs.m_userLevel == rhs.m_userLevel && lhs.m_limitMin == rhs.m_limitMin
        && lhs.m_limitMax == rhs.m_limitMax && lhs.m_bitPosition == rhs.m_bitPosition
        && lhs.m_signalType == rhs.m_signalType && lhs.m_timeProgrammable == rhs.m_timeProgrammable
        && lhs.m_weekProgrammable == rhs.m_weekProgrammable && sameContent(lhs.m_setPointSignal, rhs.m_setPointSignal)
        && sameContent(lhs.m_readAddress, rhs.m_readAddress)
        && sameContent(lhs.m_writeBasicAddress, rhs.m_writeBasicAddress)
        && sameContent(lhs.m_writeManualAddress, rhs.m_writeManualAddress)
        && sameContent(lhs.m_writeAutoAddress, rhs.m_writeAutoAddress);
}

QDebug operator<<(QDebug debug, const ChamberSignal &signal)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberSignal(id " << signal.id() << ", " << signal.name() << ", unit " << signal.unit()
                    << ", type " << signal.signalType() << ", bit " << signal.bitPosition() << ", read "
                    << (signal.readAddress() ? signal.readAddress()->address() : QString()) << ')';
    return debug;
}

} // namespace quelta::domain::types
