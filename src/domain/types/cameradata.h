#pragma once

#include "domain/types/typedid.h"

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtNetwork/QHostAddress>

class QDebug;

namespace quelta::domain::types {

// One camera of a recording, reached over the network or, when the address
// is null, on a USB port; it takes a picture every recordingInterval.
class CameraData
{
public:
    CameraData() = default;
    CameraData(CameraId id, const QHostAddress &address, const QString &usbPort, uint recordingId,
               int recordingInterval);

    CameraId id() const { return m_id; }
    void setId(CameraId id) { m_id = id; }
    QHostAddress address() const { return m_address; }
    void setAddress(const QHostAddress &address) { m_address = address; }
    QString usbPort() const { return m_usbPort; }
    void setUsbPort(const QString &port) { m_usbPort = port; }
    uint recordingId() const { return m_recordingId; }
    void setRecordingId(uint recordingId) { m_recordingId = recordingId; }
    int recordingInterval() const { return m_recordingInterval; }
    void setRecordingInterval(int interval) { m_recordingInterval = interval; }

    friend bool operator==(const CameraData &lhs, const CameraData &rhs)
    {
        return lhs.m_id == rhs.m_id && lhs.m_address == rhs.m_address && lhs.m_usbPort == rhs.m_usbPort
            && lhs.m_recordingId == rhs.m_recordingId && lhs.m_recordingInterval == rhs.m_recordingInterval;
    }
    friend bool operator!=(const CameraData &lhs, const CameraData &rhs) { return !(lhs == rhs); }

private:
    CameraId m_id;
    QHostAddress m_address;
    QString m_usbPort;
    uint m_recordingId = 0;
    int m_recordingInterval = -1;
};

QDebug operator<<(QDebug debug, const CameraData &camera);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::CameraData)
