#include "domain/types/int10.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

QDebug operator<<(QDebug debug, Int10 value)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "Int10(" << value.value() << ')';
    return debug;
}

} // namespace quelta::domain::types
