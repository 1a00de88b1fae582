#pragma once

#include "domain/api/ichamberconnection.h"
#include "domain/api/ichamberoperatingmodeconnection.h"
#include "domain/types/controlleraddress.h"

#include <QtCore/QMap>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>

namespace quelta::base::connection::chamberconnection {

// The operating mode of a controller that selects its mode through one
// 16-bit register: writing the value that stands for a mode switches to it.
// Subclasses name the register and the value of each mode they can select,
// and read the mode as their controller reports it.
class RegisterOperatingModeConnection : public QObject, public domain::api::IChamberOperatingModeConnection
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberOperatingModeConnection)

public:
    ~RegisterOperatingModeConnection() override;

    // The reply of the register write; null for a mode that the controller
    // cannot be switched to, or when the write cannot be made.
    QSharedPointer<domain::api::IChamberReply> writeOperatingMode(
        domain::types::ChamberOperationMode::Mode mode) final;

protected:
    using ModeValues = QMap<domain::types::ChamberOperationMode::Mode, quint16>;

    // controllerName names the controller in the log; registerAddress is the
    // mode register as a chamber type names it ("0x1A22"); modeValues holds
    // the register value of each mode that the controller can be switched to.
    RegisterOperatingModeConnection(const QSharedPointer<domain::api::IChamberConnection> &connection,
                                    const char *controllerName, const QString &registerAddress,
                                    const ModeValues &modeValues, QObject *parent);

    const QSharedPointer<domain::api::IChamberConnection> &chamberConnection() const { return m_connection; }
    const domain::types::ControllerAddress &modeRegister() const { return m_modeRegister; }

private:
    const QSharedPointer<domain::api::IChamberConnection> m_connection;
    const char *const m_controllerName;
    const domain::types::ControllerAddress m_modeRegister;
    const ModeValues m_modeValues;
};

} // namespace quelta::base::connection::chamberconnection
