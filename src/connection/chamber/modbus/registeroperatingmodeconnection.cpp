#include "connection/chamber/modbus/registeroperatingmodeconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberOperationMode;
using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;

RegisterOperatingModeConnection::RegisterOperatingModeConnection(
    const QSharedPointer<domain::api::IChamberConnection> &connection, const char *controllerName,
    const QString &registerAddress, const ModeValues &modeValues, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_controllerName(controllerName)
    , m_modeRegister(ControllerAddressId(), registerAddress, ControllerAddress::ReadWrite, QMetaType::UShort, 1, -1,
                     QString())
    , m_modeValues(modeValues)
{
    Q_ASSERT(m_connection);
}

RegisterOperatingModeConnection::~RegisterOperatingModeConnection() = default;

QSharedPointer<domain::api::IChamberReply> RegisterOperatingModeConnection::writeOperatingMode(
    ChamberOperationMode::Mode mode)
{
    const auto value = m_modeValues.constFind(mode);
    if (value == m_modeValues.cend()) {
        qCWarning(lcChamberConnection) << "(Modbus) A" << m_controllerName << "controller cannot be switched to"
                                       << mode;
        return {};
    }
    return m_connection->writeValue(m_modeRegister, *value);
}

} // namespace quelta::base::connection::chamberconnection
