#include "connection/chamber/core/chamberconnection.h"

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberState;

ChamberConnection::ChamberConnection(QObject *parent)
    : QObject(parent)
{
}

ChamberConnection::~ChamberConnection() = default;

ChamberState::State ChamberConnection::state() const
{
    return m_state;
}

void ChamberConnection::setState(ChamberState::State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

} // namespace quelta::base::connection::chamberconnection
