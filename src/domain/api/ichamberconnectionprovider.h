#pragma once

#include "domain/api/ichamberconnection.h"
#include "domain/api/ichamberoperatingmodeconnection.h"
#include "domain/api/idataloggerreader.h"
#include "domain/api/iprogramtransmitter.h"
#include "domain/types/chamberdata.h"
#include "domain/types/chambertypedata.h"
#include "domain/types/controlleraddress.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtSerialPort/QSerialPortInfo>

namespace quelta::domain::api {

// The connection factory: connections, data-log readers, program transmitters
// and operating-mode connections for a chamber, the PC's serial ports, the
// network search and the communication check.
//
// Results of the search and of the check come back as Qt signals of the
// implementing QObject; connect to them through that QObject:
//   networkChamberFound(quelta::domain::types::NetworkConfiguration)
//   chamberBroadcastFinished()
//   communicationCheckFinished(quelta::domain::types::ChamberData,
//                              quelta::domain::types::ActivationState::State)
class IChamberConnectionProvider
{
public:
    virtual ~IChamberConnectionProvider() = default;

    // A connection of the chamber's connection kind, not yet opened; null when
    // none can be built for the record.
    virtual QSharedPointer<IChamberConnection> createChamberConnection(const types::ChamberData &chamber) = 0;
    // connection is the chamber connection that the caller already holds. Each
    // returns null when the chamber type or its controller offers no such
    // object, or when the connection does not suit it.
    virtual QSharedPointer<IDataLoggerReader> createDataLoggerReader(
        const types::ChamberData &chamber,
        const types::ChamberTypeData &chamberType,
        const QSharedPointer<IChamberConnection> &connection) = 0;
    virtual QSharedPointer<IProgramTransmitter> createProgramTransmitter(
        const types::ChamberData &chamber,
        const types::ChamberTypeData &chamberType,
        const QSharedPointer<IChamberConnection> &connection) = 0;
    virtual QSharedPointer<IChamberOperatingModeConnection> createOperatingModeConnection(
        const types::ChamberData &chamber,
        const types::ChamberTypeData &chamberType,
        const QSharedPointer<IChamberConnection> &connection) = 0;

    virtual QList<QSerialPortInfo> availablePorts() const = 0;

    // Searches the local networks for chambers for msecs milliseconds: each
    // answer comes as networkChamberFound, the end as one
    // chamberBroadcastFinished.
    virtual bool startChamberBroadcast(int msecs) = 0;
    // Opens a temporary connection to the chamber and sends one check request,
    // reading checkAddress where the protocol reads a register. True when the
    // check started; it then ends in exactly one communicationCheckFinished.
    // False, with no signal, when the check was refused.
    [[nodiscard]] virtual bool checkCommunication(const types::ChamberData &chamberData,
                                                  const types::ControllerAddress &checkAddress) = 0;
    // Ends a running check with communicationCheckFinished and
    // ActivationState::STATE_UNDEFINED; does nothing when no check runs.
    virtual void stopCheckCommunication() = 0;

protected:
    IChamberConnectionProvider() = default;

private:
    Q_DISABLE_COPY_MOVE(IChamberConnectionProvider)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IChamberConnectionProvider, "domain::api::IChamberConnectionProvider")
