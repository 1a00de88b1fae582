#pragma once

#include "connection/chamber/core/chamberconnection.h"
#include "connection/chamber/core/valuecodec.h"
#include "connection/chamber/modbus/modbusclientsettings.h"
#include "connection/chamber/modbus/modbusjob.h"

#include <QtCore/QHash>
#include <QtCore/QList>
#include <QtCore/QSharedPointer>
#include <QtCore/QVector>
#include <QtSerialBus/QModbusDevice>

#include <optional>

namespace quelta::domain::types {
class ChamberData;
}

namespace quelta::base::connection::chamberconnection {

class ChamberReply;
class ModbusJobResult;
class ModbusMasterWapper;

// A chamber reached by Modbus: RTU on a serial line or through a
// serial-to-Ethernet converter (connection kind 1), RTU over TCP through a
// gateway (kind 2), or Modbus TCP (kind 3). The client runs on a worker
// thread; RTU clients are shared by every connection to the same line or
// gateway.
//
// Every request returns its reply at once, or null when no request can be
// made (an empty list, a descriptor without a register address, a value that
// does not fit its descriptor). One readValues() or writeValues() call is
// one reply whose results follow the list order. The registers are cut into
// as few transactions as contiguity and the PDU size allow, sent strictly in
// list order; the first transaction that fails ends the request, and the
// items not transferred carry its error code. A request made while the
// connection is not connected fails with ConnectionError.
//
// Everything but the client runs on the thread that owns the connection.
class ModbusChamberConnection : public ChamberConnection
{
    Q_OBJECT

public:
    // The connection kinds (ChamberData::protocol()) that Modbus serves.
    static constexpr int ModbusRtuProtocol = 1;
    static constexpr int ModbusRtuOverTcpProtocol = 2;
    static constexpr int ModbusTcpProtocol = 3;

    // The client for a chamber record of connection kind 1, 2 or 3. Empty,
    // with the reason in errorString, when the record names no Modbus road:
    // another kind, no COM port and no address, an unknown converter, or a
    // serial setting that no serial port has.
    static std::optional<ModbusClientSettings> clientSettings(const domain::types::ChamberData &chamber,
                                                              QString *errorString = nullptr);

    // The chamber's Modbus address is the server address of every request.
    // A record without a Modbus road gives a connection that refuses to
    // connect.
    explicit ModbusChamberConnection(const domain::types::ChamberData &chamber, QObject *parent = nullptr);
    ModbusChamberConnection(const ModbusClientSettings &settings, int serverAddress, QObject *parent = nullptr);
    ~ModbusChamberConnection() override;

    int serverAddress() const { return m_serverAddress; }
    // The wrapper of the client; null when the record had no Modbus road.
    const ModbusMasterWapper *wrapper() const { return m_wrapper; }

    // The order of the two 16-bit halves of Int, UInt and Float values on the
    // wire; ValueCodec::DefaultWordOrder unless set. A request keeps the order
    // that held when it was made.
    ValueCodec::WordOrder wordOrder() const { return m_codec.wordOrder(); }
    void setWordOrder(ValueCodec::WordOrder wordOrder);

    bool connectDevice() override;
    void disconnectDevice() override;
    // Ends every unfinished request with ReplyAbortedError; the connection
    // stays as it is.
    void reset() override;

    // Reads checkAddress.
    QSharedPointer<domain::api::IChamberReply> checkCommunication(
        const domain::types::ControllerAddress &checkAddress) override;
    QSharedPointer<domain::api::IChamberReply> readValue(const domain::types::ControllerAddress &address) override;
    QSharedPointer<domain::api::IChamberReply> readValues(
        const QList<domain::types::ControllerAddress> &addresses) override;
    QSharedPointer<domain::api::IChamberReply> writeValue(const domain::types::ControllerAddress &address,
                                                          const QVariant &value) override;
    QSharedPointer<domain::api::IChamberReply> writeValues(
        const QList<QPair<domain::types::ControllerAddress, QVariant>> &values) override;

private:
    struct PendingRequest
    {
        QSharedPointer<ChamberReply> reply;
        ModbusJob::Kind kind = ModbusJob::Kind::Read;
        QList<domain::types::ControllerAddress> addresses;
        // The values of a write, in list order.
        QVector<QVariant> values;
        ValueCodec codec;
    };

    void createWrapper(const ModbusClientSettings &settings);
    QSharedPointer<domain::api::IChamberReply> send(ModbusJob::Kind kind,
                                                    const QList<domain::types::ControllerAddress> &addresses,
                                                    const QVector<QVariant> &values);
    void abortPendingRequests(domain::types::ChamberError::Error error);

    void onWrapperStateChanged(QModbusDevice::State state);
    void onWrapperErrorOccurred(QModbusDevice::Error error, const QString &errorString);
    void onJobFinished(quint64 jobId, const ModbusJobResult &result);

    ModbusMasterWapper *m_wrapper = nullptr;
    const int m_serverAddress;
    // Why there is no wrapper.
    QString m_configurationError;
    ValueCodec m_codec;
    QHash<quint64, PendingRequest> m_pending;
};

} // namespace quelta::base::connection::chamberconnection
