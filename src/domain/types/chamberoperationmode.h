#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QObject>

namespace quelta::domain::types {

// The operating mode of a chamber controller.
class ChamberOperationMode
{
    Q_GADGET

public:
    enum Mode : int {
        MODE_UNDEFINED = 0,
        MODE_NOTSUPPORTED = 1,
        MODE_BASIC = 2,
        MODE_MANUAL = 3,
        MODE_AUTO = 4
    };
    Q_ENUM(Mode)
};

} // namespace quelta::domain::types
