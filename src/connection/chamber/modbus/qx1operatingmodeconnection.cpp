#include "connection/chamber/modbus/qx1operatingmodeconnection.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberOperationMode;

Qx1OperatingModeConnection::Qx1OperatingModeConnection(
    const QSharedPointer<domain::api::IChamberConnection> &connection, QObject *parent)
    : RegisterOperatingModeConnection(connection, "QX1", QStringLiteral("0x1A22"), parent)
{
}

Qx1OperatingModeConnection::~Qx1OperatingModeConnection() = default;

QSharedPointer<domain::api::IChamberReply> Qx1OperatingModeConnection::readOperatingMode()
{
    return {};
}

std::optional<quint16> Qx1OperatingModeConnection::modeValue(ChamberOperationMode::Mode mode) const
{
    switch (mode) {
    case ChamberOperationMode::MODE_BASIC:
        return BasicModeValue;
    case ChamberOperationMode::MODE_MANUAL:
        return ManualModeValue;
    case ChamberOperationMode::MODE_AUTO:
        return AutoModeValue;
    case ChamberOperationMode::MODE_UNDEFINED:
    case ChamberOperationMode::MODE_NOTSUPPORTED:
        break;
    }
    return std::nullopt;
}

} // namespace quelta::base::connection::chamberconnection
