#pragma once

#include "domain/api/ichamberconnection.h"
#include "domain/types/chambererror.h"
#include "domain/types/chamberstate.h"

#include <QtCore/QObject>

namespace quelta::base::connection::chamberconnection {

// The QObject base of every chamber connection, Modbus and text protocols
// alike: it carries the connection's state and the signals of
// IChamberConnection, so a caller that knows only the interface connects to
// them through this class.
//
// connectDevice() only starts the attempt: inside the call a connection may
// report STATE_CONNECTING, and the outcome (STATE_CONNECTED, or errorOccured()
// and STATE_UNCONNECTED) comes from the event loop later, however fast the
// attempt fails. The factory's communication check relies on it.
class ChamberConnection : public QObject, public domain::api::IChamberConnection
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IChamberConnection)

public:
    ~ChamberConnection() override;

    domain::types::ChamberState::State state() const override;

Q_SIGNALS:
    void stateChanged(quelta::domain::types::ChamberState::State state);
    void errorOccured(quelta::domain::types::ChamberError error);

protected:
    explicit ChamberConnection(QObject *parent = nullptr);

    // Emits stateChanged() only when the state really changes.
    void setState(domain::types::ChamberState::State state);

private:
    domain::types::ChamberState::State m_state = domain::types::ChamberState::STATE_UNCONNECTED;
};

} // namespace quelta::base::connection::chamberconnection
