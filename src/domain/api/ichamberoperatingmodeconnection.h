#pragma once

#include "domain/api/ichamberreply.h"
#include "domain/types/chamberoperationmode.h"

#include <QtCore/QObject>
#include <QtCore/QSharedPointer>

namespace quelta::domain::api {

// Reads and switches the operating mode of one chamber controller through a
// chamber connection. Each request returns its reply at once; a null reply
// means that no request could be made.
class IChamberOperatingModeConnection
{
public:
    virtual ~IChamberOperatingModeConnection() = default;

    // The reply's one result holds the current mode as an int
    // (a types::ChamberOperationMode::Mode value). Null for a controller that
    // cannot report its mode.
    virtual QSharedPointer<IChamberReply> readOperatingMode() = 0;
    // Null for a mode that the controller cannot be switched to.
    virtual QSharedPointer<IChamberReply> writeOperatingMode(types::ChamberOperationMode::Mode mode) = 0;

protected:
    IChamberOperatingModeConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IChamberOperatingModeConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IChamberOperatingModeConnection,
                    "domain::api::IChamberOperatingModeConnection")
