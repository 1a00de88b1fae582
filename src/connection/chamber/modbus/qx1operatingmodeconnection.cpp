#include "connection/chamber/modbus/qx1operatingmodeconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"
#include "domain/types/controlleraddress.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberOperationMode;
using domain::types::ControllerAddress;
using domain::types::ControllerAddressId;

namespace {

const ControllerAddress &modeRegister()
{
    static const ControllerAddress address(ControllerAddressId(), QStringLiteral("0x1A22"),
                                           ControllerAddress::ReadWrite, QMetaType::UShort, 1, -1, QString());
    return address;
}

} // namespace

Qx1OperatingModeConnection::Qx1OperatingModeConnection(
    const QSharedPointer<domain::api::IChamberConnection> &connection, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
{
    Q_ASSERT(m_connection);
}

Qx1OperatingModeConnection::~Qx1OperatingModeConnection() = default;

QSharedPointer<domain::api::IChamberReply> Qx1OperatingModeConnection::readOperatingMode()
{
    return {};
}

QSharedPointer<domain::api::IChamberReply> Qx1OperatingModeConnection::writeOperatingMode(
    ChamberOperationMode::Mode mode)
{
    quint16 value = 0;
    switch (mode) {
    case ChamberOperationMode::MODE_BASIC:
        value = BasicModeValue;
        break;
    case ChamberOperationMode::MODE_MANUAL:
        value = ManualModeValue;
        break;
    case ChamberOperationMode::MODE_AUTO:
        value = AutoModeValue;
        break;
    case ChamberOperationMode::MODE_UNDEFINED:
    case ChamberOperationMode::MODE_NOTSUPPORTED:
        qCWarning(lcChamberConnection) << "(Modbus) A QX1 controller cannot be switched to" << mode;
        return {};
    }
    return m_connection->writeValue(modeRegister(), value);
}

} // namespace quelta::base::connection::chamberconnection
