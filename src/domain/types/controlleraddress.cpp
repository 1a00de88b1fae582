#include "domain/types/controlleraddress.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ControllerAddress::ControllerAddress(ControllerAddressId id, const QString &address, int access, int valueType,
                                     int count, int number, const QString &description)
    : m_id(id)
    , m_address(address)
    , m_access(access)
    , m_valueType(valueType)
    , m_count(count)
    , m_number(number)
    , m_description(description)
{
}

QDebug operator<<(QDebug debug, const ControllerAddress &address)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ControllerAddress(id " << address.id().value() << ", " << address.address() << ", access "
                    << address.access() << ", type " << QMetaType::typeName(address.valueType()) << ", count "
                    << address.count() << ", number " << address.number() << ')';
    return debug;
}

} // namespace quelta::domain::types
