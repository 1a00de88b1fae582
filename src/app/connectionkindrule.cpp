#include "app/connectionkindrule.h"

#include "connection/chamber/core/serialconverter.h"

using quelta::base::connection::chamberconnection::SerialConverter;
using quelta::domain::types::ChamberData;

namespace {

// The connection kinds that the rule chooses, numbered as the records and
// the chamber types number them.
enum ConnectionKind : int {
    ModbusRtu = 1,
    ModbusRtuOverTcp = 2,
    ModbusTcp = 3,
    TjvLine = 4,
    Vacuubrand = 5,
};

void useConverterUnlessSet(ChamberData &chamber, SerialConverter::Kind converter)
{
    if (chamber.converter() == SerialConverter::None)
        chamber.setConverter(converter);
}

} // namespace

void settleConnectionKind(ChamberData &chamber, const QList<int> &interfaces)
{
    const bool hasIpAddress = !chamber.ipAddress().isNull();
    const bool hasComPort = !chamber.comPort().isNull();

    if (interfaces.contains(ModbusTcp) && hasIpAddress) {
        chamber.setProtocol(ModbusTcp);
    } else if (interfaces.contains(ModbusRtu) && hasComPort) {
        chamber.setProtocol(ModbusRtu);
    } else if (interfaces.contains(ModbusRtu) && hasIpAddress) {
        chamber.setProtocol(ModbusRtu);
        useConverterUnlessSet(chamber, SerialConverter::XPort);
    } else if (interfaces.contains(ModbusRtuOverTcp) && hasIpAddress) {
        chamber.setProtocol(ModbusRtuOverTcp);
        useConverterUnlessSet(chamber, SerialConverter::XPort);
    } else if (interfaces.contains(Vacuubrand)) {
        chamber.setProtocol(Vacuubrand);
        if (hasIpAddress)
            useConverterUnlessSet(chamber, SerialConverter::ComServer);
    } else if (interfaces.contains(TjvLine)) {
        chamber.setProtocol(TjvLine);
    }
}
