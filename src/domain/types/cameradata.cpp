#include "domain/types/cameradata.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

CameraData::CameraData(CameraId id, const QHostAddress &address, const QString &usbPort, uint recordingId,
                       int recordingInterval)
    : m_id(id)
    , m_address(address)
    , m_usbPort(usbPort)
    , m_recordingId(recordingId)
    , m_recordingInterval(recordingInterval)
{
}

QDebug operator<<(QDebug debug, const CameraData &camera)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "CameraData(id " << camera.id().value() << ", "
                    << (camera.address().isNull() ? camera.usbPort() : camera.address().toString())
                    << ", recording " << camera.recordingId() << ", interval " << camera.recordingInterval() << ')';
    return debug;
}

} // namespace quelta::domain::types
