#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QObject>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// The error a chamber connection reports. The codes are numbered as
// QModbusDevice::Error, so Modbus errors pass through unchanged.
class ChamberError
{
    Q_GADGET

public:
    enum Error : int {
        NoError = 0,
        ReadError = 1,
        WriteError = 2,
        ConnectionError = 3,
        ConfigurationError = 4,
        TimeoutError = 5,
        ProtocolError = 6,
        ReplyAbortedError = 7,
        UnknownError = 8
    };
    Q_ENUM(Error)

    ChamberError() = default;
    ChamberError(Error error, const QString &errorString);

    Error error() const { return m_error; }
    QString errorString() const { return m_errorString; }

    friend bool operator==(const ChamberError &lhs, const ChamberError &rhs)
    {
        return lhs.m_error == rhs.m_error && lhs.m_errorString == rhs.m_errorString;
    }
    friend bool operator!=(const ChamberError &lhs, const ChamberError &rhs) { return !(lhs == rhs); }

private:
    Error m_error = NoError;
    QString m_errorString;
};

QDebug operator<<(QDebug debug, const ChamberError &error);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberError)
