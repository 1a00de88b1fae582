#include "domain/types/controlsignal.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ControlSignal::ControlSignal(ControlSignalId id, const QString &name, int bitPosition, int userLevel,
                             const ControllerAddress &readAddress, const ControllerAddress &writeAddress)
    : m_id(id)
    , m_name(name)
    , m_bitPosition(bitPosition)
    , m_userLevel(userLevel)
    , m_readAddress(readAddress)
    , m_writeAddress(writeAddress)
{
}

QDebug operator<<(QDebug debug, const ControlSignal &signal)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ControlSignal(id " << signal.id().value() << ", " << signal.name() << ", bit "
                    << signal.bitPosition() << ", read " << signal.readAddress().address() << ", write "
                    << signal.writeAddress().address() << ')';
    return debug;
}

} // namespace quelta::domain::types
