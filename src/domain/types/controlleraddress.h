#pragma once

#include "domain/types/typedid.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One register or command of a device: a Modbus register address as
// hexadecimal text ("0xAC00"), a command word ("REMOTE"), or a command and an
// argument joined by a slash ("11004/1"), with how it may be accessed and the
// type and number of the values behind it.
class ControllerAddress
{
public:
    enum Access : int {
        ReadOnly = 0,
        WriteOnly = 1,
        ReadWrite = 2,
        NoAccess = 3
    };

    // The empty descriptor: no id, no address, no access, no value type, one
    // element, no number.
    ControllerAddress() = default;
    ControllerAddress(ControllerAddressId id, const QString &address, int access, int valueType, int count,
                      int number, const QString &description);

    ControllerAddressId id() const { return m_id; }
    QString address() const { return m_address; }
    // Transfer code reuses a descriptor for the next register of a block.
    void setAddress(const QString &address) { m_address = address; }
    // One of Access.
    int access() const { return m_access; }
    // A QMetaType type id; 0 for none.
    int valueType() const { return m_valueType; }
    // Floats of a Float register, characters of a text register, bytes of a
    // byte block.
    int count() const { return m_count; }
    // The set-point number; of a manual-mode write address, the 1-based analog
    // column. -1 for none.
    int number() const { return m_number; }
    QString description() const { return m_description; }

    friend bool operator==(const ControllerAddress &lhs, const ControllerAddress &rhs)
    {
        return lhs.m_id == rhs.m_id && lhs.m_address == rhs.m_address && lhs.m_access == rhs.m_access
            && lhs.m_valueType == rhs.m_valueType && lhs.m_count == rhs.m_count && lhs.m_number == rhs.m_number
            && lhs.m_description == rhs.m_description;
    }
    friend bool operator!=(const ControllerAddress &lhs, const ControllerAddress &rhs) { return !(lhs == rhs); }

private:
    ControllerAddressId m_id;
    QString m_address;
    int m_access = NoAccess;
    int m_valueType = 0;
    int m_count = 1;
    int m_number = -1;
    QString m_description;
};

QDebug operator<<(QDebug debug, const ControllerAddress &address);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ControllerAddress)
