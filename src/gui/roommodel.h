#pragma once

#include "domain/types/roomdata.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QUrl>

namespace quelta::gui {

// One room of the room plan, read-only for QML. The plan image is looked for
// in the local image directory that the settings file names, so that it is
// found on the PC that shows it; only the file name of the stored path
// counts.
class RoomModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int roomId READ roomId NOTIFY signalDataChanged)
    Q_PROPERTY(QString roomName READ roomName NOTIFY signalDataChanged)
    Q_PROPERTY(QUrl roomImagePath READ roomImagePath NOTIFY signalDataChanged)
    Q_PROPERTY(float scaleFactor READ scaleFactor NOTIFY signalDataChanged)

public:
    // Room 0 without name and image, at scale 1.
    explicit RoomModel(QObject *parent = nullptr);
    explicit RoomModel(const domain::types::RoomData &room, QObject *parent = nullptr);

    int roomId() const { return m_room.id(); }
    QString roomName() const { return m_room.roomName(); }
    // Empty for a room without image.
    QUrl roomImagePath() const;
    float scaleFactor() const { return m_room.scaleFactor(); }

    void setRoomData(const domain::types::RoomData &room);

Q_SIGNALS:
    void signalDataChanged();

private:
    domain::types::RoomData m_room;
    // Read once, when the model is made.
    const QUrl m_localImageDirectory;
};

} // namespace quelta::gui
