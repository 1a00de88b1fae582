#pragma once

#include "domain/api/ichamberreply.h"
#include "domain/types/chamberstate.h"
#include "domain/types/controlleraddress.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QPair>
#include <QtCore/QSharedPointer>
#include <QtCore/QVariant>

namespace quelta::domain::api {

// One connection to a chamber over any transport.
//
// Every request returns its reply at once and completes it later through the
// reply's finished(); a null reply means that no request could be made. The
// implementing QObject has the Qt signals
//   stateChanged(quelta::domain::types::ChamberState::State)
//   errorOccured(quelta::domain::types::ChamberError)
// connect to them through the QObject.
class IChamberConnection
{
public:
    virtual ~IChamberConnection() = default;

    virtual types::ChamberState::State state() const = 0;
    // Starts opening the connection; false when it cannot even be started.
    virtual bool connectDevice() = 0;
    virtual void disconnectDevice() = 0;
    virtual void reset() = 0;

    // Sends the request that proves the device answers; checkAddress is the
    // register to read where the protocol reads one.
    virtual QSharedPointer<IChamberReply> checkCommunication(const types::ControllerAddress &checkAddress) = 0;
    virtual QSharedPointer<IChamberReply> readValue(const types::ControllerAddress &address) = 0;
    // One reply whose results follow the order of the list.
    virtual QSharedPointer<IChamberReply> readValues(const QList<types::ControllerAddress> &addresses) = 0;
    virtual QSharedPointer<IChamberReply> writeValue(const types::ControllerAddress &address,
                                                     const QVariant &value) = 0;
    // One reply whose results follow the order of the list; the pairs are
    // written in list order.
    virtual QSharedPointer<IChamberReply> writeValues(
        const QList<QPair<types::ControllerAddress, QVariant>> &values) = 0;

protected:
    IChamberConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IChamberConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IChamberConnection, "domain::api::IChamberConnection")
