#pragma once

#include "domain/types/controlleraddress.h"
#include "domain/types/typedid.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One control signal of a chamber type (a switch of the controller), with the
// descriptors through which it is read and written.
class ControlSignal
{
public:
    ControlSignal() = default;
    ControlSignal(ControlSignalId id, const QString &name, int bitPosition, int userLevel,
                  const ControllerAddress &readAddress, const ControllerAddress &writeAddress);

    ControlSignalId id() const { return m_id; }
    QString name() const { return m_name; }
    int bitPosition() const { return m_bitPosition; }
    int userLevel() const { return m_userLevel; }
    ControllerAddress readAddress() const { return m_readAddress; }
    ControllerAddress writeAddress() const { return m_writeAddress; }

    friend bool operator==(const ControlSignal &lhs, const ControlSignal &rhs)
    {
        return lhs.m_id == rhs.m_id && lhs.m_name == rhs.m_name && lhs.m_bitPosition == rhs.m_bitPosition
            && lhs.m_userLevel == rhs.m_userLevel && lhs.m_readAddress == rhs.m_readAddress
            && lhs.m_writeAddress == rhs.m_writeAddress;
    }
    friend bool operator!=(const ControlSignal &lhs, const ControlSignal &rhs) { return !(lhs == rhs); }

private:
    ControlSignalId m_id;
    QString m_name;
    int m_bitPosition = -1;
    int m_userLevel = -1;
    ControllerAddress m_readAddress;
    ControllerAddress m_writeAddress;
};

QDebug operator<<(QDebug debug, const ControlSignal &signal);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ControlSignal)
