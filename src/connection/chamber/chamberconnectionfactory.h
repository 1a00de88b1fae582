#pragma once

#include "connection/chamber/modbus/modbusclientsettings.h"
#include "connection/chamber/protocol/linechamberconnection.h"
#include "domain/api/ichamberconnectionprovider.h"
#include "domain/types/activationstate.h"
#include "domain/types/chamberdata.h"
#include "domain/types/controlleraddress.h"
#include "domain/types/networkconfiguration.h"

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QSharedPointer>

#include <chrono>
#include <memory>
#include <optional>

class QThread;

namespace quelta::base::connection::chamberconnection {

class ChamberConnection;
class ChamberReply;

// Builds the connections of every connection kind for a chamber record,
// lists the PC's serial ports, searches the local networks for chambers and
// runs the communication check. It also hands out the program transmitters
// and data-log readers of the controller generations.
//
// Connection kinds: 1 Modbus RTU (on the record's COM port, or through its
// serial-to-Ethernet converter when only an IP address is set), 2 Modbus RTU
// over TCP through a gateway, 3 Modbus TCP, 4 the TJV line protocol, 5 the
// vacuum controller protocol. No other kind gets a connection.
//
// One communication check runs at a time. It opens a temporary connection,
// sends the check request once the connection is connected and ends in
// exactly one communicationCheckFinished(). The factory's own clean-up is
// that signal's first receiver: it disconnects the temporary connection and
// deletes it. Receivers get the factory's copy of the record, which lives
// until the event loop's next turn; no new check starts before then.
//
// The data logs of TJV controllers are read on a thread of the factory's,
// started with the first TJV reader. The factory's destructor ends it: a read
// running on it ends in its reader's error(), and readers that outlive the
// factory refuse every read.
class ChamberConnectionFactory : public QObject, public domain::api::IChamberConnectionProvider
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberConnectionProvider)

public:
    // How long the connections that the factory builds wait for a device.
    // The defaults are the connections' own.
    struct ConnectionTimeouts
    {
        // Per Modbus request sent, and how often a silent device gets it again.
        std::chrono::milliseconds modbusResponseTimeout = ModbusClientSettings::DefaultTimeout;
        int modbusRetries = ModbusClientSettings::DefaultNumberOfRetries;
        // Per line written, and the pause before the line is written again.
        std::chrono::milliseconds lineReplyTimeout = LineChamberConnection::DefaultReplyTimeout;
        std::chrono::milliseconds lineRepeatInterval = LineChamberConnection::DefaultRepeatInterval;
    };

    explicit ChamberConnectionFactory(QObject *parent = nullptr);
    ~ChamberConnectionFactory() override;

    [[nodiscard]] ConnectionTimeouts connectionTimeouts() const { return m_timeouts; }
    // Applies to the connections built from then on.
    void setConnectionTimeouts(const ConnectionTimeouts &timeouts);

    // A connection without parent, deleted from the event loop when the last
    // reference goes.
    QSharedPointer<domain::api::IChamberConnection> createChamberConnection(
        const domain::types::ChamberData &chamber) override;
    // The reader or transmitter of the chamber type's controller ("TJV",
    // "QX1", "QX2", "ZK3", "ZK4", compared exactly), when the type has a
    // readable data storage or a time program. The TJV ones work over FTP at
    // the chamber's IP address and ignore connection; the others need it to
    // be a Modbus chamber connection. Null, with a log line, when none fits.
    // Like the connections, they have no parent and are deleted from the
    // event loop when the last reference goes.
    QSharedPointer<domain::api::IDataLoggerReader> createDataLoggerReader(
        const domain::types::ChamberData &chamber,
        const domain::types::ChamberTypeData &chamberType,
        const QSharedPointer<domain::api::IChamberConnection> &connection) override;
    QSharedPointer<domain::api::IProgramTransmitter> createProgramTransmitter(
        const domain::types::ChamberData &chamber,
        const domain::types::ChamberTypeData &chamberType,
        const QSharedPointer<domain::api::IChamberConnection> &connection) override;
    // A QX1 or QX2 operating-mode connection over connection, by the chamber
    // type's controller name; null for every other controller.
    QSharedPointer<domain::api::IChamberOperatingModeConnection> createOperatingModeConnection(
        const domain::types::ChamberData &chamber,
        const domain::types::ChamberTypeData &chamberType,
        const QSharedPointer<domain::api::IChamberConnection> &connection) override;

    QList<QSerialPortInfo> availablePorts() const override;

    // Sends the TJV, XPort and WuT discovery requests on every IPv4 network
    // of the PC. Each search ends after its own msecs, never earlier, with
    // one chamberBroadcastFinished(); its broadcasters are gone from then on.
    // Searches may overlap. Always true.
    bool startChamberBroadcast(int msecs) override;

    // Refused (false, no signal) for a record whose kind is still open, while
    // a check runs or its record has not been freed yet, and when no
    // connection can be built for the record or its opening cannot start.
    [[nodiscard]] bool checkCommunication(const domain::types::ChamberData &chamberData,
                                          const domain::types::ControllerAddress &checkAddress) override;
    void stopCheckCommunication() override;

Q_SIGNALS:
    void networkChamberFound(const quelta::domain::types::NetworkConfiguration &networkConfiguration,
                             QPrivateSignal);
    void chamberBroadcastFinished(QPrivateSignal);
    // STATE_ACTIVE when the device answered the check request without error,
    // STATE_INACTIVE when it did not (an error, a time-out, a failed open, a
    // lost connection), STATE_UNDEFINED when the check was stopped.
    void communicationCheckFinished(const quelta::domain::types::ChamberData &chamberData,
                                    quelta::domain::types::ActivationState::State initialActivationState,
                                    QPrivateSignal);

protected:
    // The TCP port to connect to for the port at which a device or its
    // converter listens (502, 8000, 9001, 10001; 21 for the FTP server of a
    // TJV controller). The same port here; tests whose peers listen
    // elsewhere move it.
    virtual quint16 tcpPort(quint16 devicePort) const;

private:
    std::unique_ptr<ChamberConnection> buildConnection(const domain::types::ChamberData &chamber) const;
    QSharedPointer<domain::api::IProgramTransmitter> createTjvProgramTransmitter(const QHostAddress &address) const;
    QSharedPointer<domain::api::IDataLoggerReader> createTjvDataLoggerReader(const QHostAddress &address);
    // Started on first use.
    QPointer<QThread> dataLoggerThread();

    void onCheckConnectionStateChanged(domain::types::ChamberState::State state);
    void handleCheckResponse();
    // Emits the result of the running check; does nothing when none runs.
    void finishCheck(domain::types::ActivationState::State state);
    void cleanUpCheck();

    ConnectionTimeouts m_timeouts;

    // The record under check, from the start of a check until the event
    // loop's turn after its end.
    std::optional<domain::types::ChamberData> m_checkedChamber;
    domain::types::ControllerAddress m_checkAddress;
    bool m_checkRunning = false;
    ChamberConnection *m_checkConnection = nullptr;
    QSharedPointer<domain::api::IChamberReply> m_checkReply;

    // The worker thread for reading the data logs of TJV controllers.
    QPointer<QThread> m_dataLoggerThread;
};

} // namespace quelta::base::connection::chamberconnection
