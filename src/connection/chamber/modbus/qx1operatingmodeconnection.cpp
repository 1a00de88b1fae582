#include "connection/chamber/modbus/qx1operatingmodeconnection.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberOperationMode;

Qx1OperatingModeConnection::Qx1OperatingModeConnection(
    const QSharedPointer<domain::api::IChamberConnection> &connection, QObject *parent)
    : RegisterOperatingModeConnection(connection, "QX1", QStringLiteral("0x1A22"),
                                      {{ChamberOperationMode::MODE_BASIC, BasicModeValue},
                                       {ChamberOperationMode::MODE_MANUAL, ManualModeValue},
                                       {ChamberOperationMode::MODE_AUTO, AutoModeValue}},
                                      parent)
{
}

QSharedPointer<domain::api::IChamberReply> Qx1OperatingModeConnection::readOperatingMode()
{
    return {};
}

} // namespace quelta::base::connection::chamberconnection
