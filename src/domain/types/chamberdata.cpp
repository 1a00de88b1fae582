#include "domain/types/chamberdata.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

ChamberData::ChamberData(int id, const QString &chamberName, const QString &serialNumber,
                         const ChamberTypeKey &chamberTypeKey, const QHostAddress &ipAddress,
                         const MacAddress &macAddress, int activationState, ChamberOperationMode::Mode operationMode,
                         bool archived, bool subscribed, const QString &comPort, int baudRate, int dataBits,
                         int stopBits, int parity, quint8 modbusAddress, int protocol, int converter,
                         const ChamberLocation &location)
    : m_id(id)
    , m_chamberName(chamberName)
    , m_serialNumber(serialNumber)
    , m_chamberTypeKey(chamberTypeKey)
    , m_ipAddress(ipAddress)
    , m_macAddress(macAddress)
    , m_activationState(activationState)
    , m_operationMode(operationMode)
    , m_archived(archived)
    , m_subscribed(subscribed)
    , m_comPort(comPort)
    , m_baudRate(baudRate)
    , m_dataBits(dataBits)
    , m_stopBits(stopBits)
    , m_parity(parity)
    , m_modbusAddress(modbusAddress)
    , m_protocol(protocol)
    , m_converter(converter)
    , m_location(location)
{
}

bool operator==(const ChamberData &lhs, const ChamberData &rhs)
{
    return lhs.m_id == rhs.m_id && lhs.m_chamberName == rhs.m_chamberName && lhs.m_serialNumber == rhs.m_serialNumber
        && lhs.m_chamberTypeKey == rhs.m_chamberTypeKey && lhs.m_ipAddress == rhs.m_ipAddress
        && lhs.m_macAddress == rhs.m_macAddress && lhs.m_activationState == rhs.m_activationState
        && lhs.m_operationMode == rhs.m_operationMode && lhs.m_archived == rhs.m_archived
        && lhs.m_subscribed == rhs.m_subscribed && lhs.m_comPort == rhs.m_comPort
        && lhs.m_baudRate == rhs.m_baudRate && lhs.m_dataBits == rhs.m_dataBits && lhs.m_stopBits == rhs.m_stopBits
        && lhs.m_parity == rhs.m_parity && lhs.m_modbusAddress == rhs.m_modbusAddress
        && lhs.m_protocol == rhs.m_protocol && lhs.m_converter == rhs.m_converter
        && lhs.m_location == rhs.m_location;
}

QDebug operator<<(QDebug debug, const ChamberData &chamber)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberData(id " << chamber.id() << ", " << chamber.chamberName() << ", "
                    << chamber.chamberTypeKey() << ", ip " << chamber.ipAddress().toString() << ", "
                    << chamber.macAddress().toString() << ", com " << chamber.comPort() << ", modbus "
                    << int(chamber.modbusAddress()) << ", protocol " << chamber.protocol() << ", converter "
                    << chamber.converter() << ", state " << chamber.activationState() << ')';
    return debug;
}

} // namespace quelta::domain::types
