#pragma once

#include "domain/types/activationstate.h"
#include "domain/types/chamberlocation.h"
#include "domain/types/chamberoperationmode.h"
#include "domain/types/chambertypekey.h"
#include "domain/types/macaddress.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtNetwork/QHostAddress>

class QDebug;

namespace quelta::domain::types {

// One chamber: how to reach it and where it stands. A default-constructed
// record is a new, not yet stored chamber whose connection kind is still open.
class ChamberData
{
public:
    static constexpr int NewChamberId = -1;
    // Serial settings of -1 mean "the default of the connection".
    static constexpr int DefaultSerialSetting = -1;
    static constexpr int ProtocolUndetermined = 100;
    static constexpr int NoConverter = -1;

    ChamberData() = default;
    ChamberData(int id, const QString &chamberName, const QString &serialNumber, const ChamberTypeKey &chamberTypeKey,
                const QHostAddress &ipAddress, const MacAddress &macAddress, int activationState,
                ChamberOperationMode::Mode operationMode, bool archived, bool subscribed, const QString &comPort,
                int baudRate, int dataBits, int stopBits, int parity, quint8 modbusAddress, int protocol,
                int converter, const ChamberLocation &location);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QString chamberName() const { return m_chamberName; }
    void setChamberName(const QString &name) { m_chamberName = name; }
    QString serialNumber() const { return m_serialNumber; }
    void setSerialNumber(const QString &serialNumber) { m_serialNumber = serialNumber; }

    ChamberTypeKey chamberTypeKey() const { return m_chamberTypeKey; }
    void setChamberTypeKey(const ChamberTypeKey &key) { m_chamberTypeKey = key; }
    quint64 chamberTypeId() const { return m_chamberTypeKey.chamberTypeId(); }
    quint64 additionalInfoId() const { return m_chamberTypeKey.additionalInfoId(); }

    QHostAddress ipAddress() const { return m_ipAddress; }
    void setIpAddress(const QHostAddress &address) { m_ipAddress = address; }
    MacAddress macAddress() const { return m_macAddress; }
    void setMacAddress(const MacAddress &address) { m_macAddress = address; }

    // An ActivationState::State, kept as int as the stores hand it over.
    int activationState() const { return m_activationState; }
    void setActivationState(int state) { m_activationState = state; }
    ChamberOperationMode::Mode operationMode() const { return m_operationMode; }
    void setOperationMode(ChamberOperationMode::Mode mode) { m_operationMode = mode; }

    bool isArchived() const { return m_archived; }
    void setArchived(bool archived) { m_archived = archived; }
    bool isSubscribed() const { return m_subscribed; }
    void setSubscribed(bool subscribed) { m_subscribed = subscribed; }

    // A null text means that the chamber has no COM port.
    QString comPort() const { return m_comPort; }
    void setComPort(const QString &comPort) { m_comPort = comPort; }
    int baudRate() const { return m_baudRate; }
    void setBaudRate(int baudRate) { m_baudRate = baudRate; }
    int dataBits() const { return m_dataBits; }
    void setDataBits(int dataBits) { m_dataBits = dataBits; }
    int stopBits() const { return m_stopBits; }
    void setStopBits(int stopBits) { m_stopBits = stopBits; }
    int parity() const { return m_parity; }
    void setParity(int parity) { m_parity = parity; }
    quint8 modbusAddress() const { return m_modbusAddress; }
    void setModbusAddress(quint8 address) { m_modbusAddress = address; }

    // The connection kind, 1 to 8; ProtocolUndetermined while it is open.
    int protocol() const { return m_protocol; }
    void setProtocol(int protocol) { m_protocol = protocol; }
    // -1 none, 0 "ComServer", 1 "XPort".
    int converter() const { return m_converter; }
    void setConverter(int converter) { m_converter = converter; }

    ChamberLocation location() const { return m_location; }
    void setLocation(const ChamberLocation &location) { m_location = location; }

    friend bool operator==(const ChamberData &lhs, const ChamberData &rhs);
    friend bool operator!=(const ChamberData &lhs, const ChamberData &rhs) { return !(lhs == rhs); }

private:
    int m_id = NewChamberId;
    QString m_chamberName;
    QString m_serialNumber;
    ChamberTypeKey m_chamberTypeKey;
    QHostAddress m_ipAddress;
    MacAddress m_macAddress;
    int m_activationState = ActivationState::STATE_UNDEFINED;
    ChamberOperationMode::Mode m_operationMode = ChamberOperationMode::MODE_UNDEFINED;
    bool m_archived = false;
    bool m_subscribed = false;
    QString m_comPort;
    int m_baudRate = DefaultSerialSetting;
    int m_dataBits = DefaultSerialSetting;
    int m_stopBits = DefaultSerialSetting;
    int m_parity = DefaultSerialSetting;
    quint8 m_modbusAddress = 0;
    int m_protocol = ProtocolUndetermined;
    int m_converter = NoConverter;
    ChamberLocation m_location;
};

QDebug operator<<(QDebug debug, const ChamberData &chamber);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberData)
