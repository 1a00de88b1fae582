#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QUrl>

class QDebug;

namespace quelta::domain::types {

// One room with its floor-plan image and the image's scale.
class RoomData
{
public:
    RoomData() = default;
    RoomData(int id, const QString &roomName, const QUrl &imagePath, float scaleFactor);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QString roomName() const { return m_roomName; }
    void setRoomName(const QString &name) { m_roomName = name; }
    QUrl imagePath() const { return m_imagePath; }
    void setImagePath(const QUrl &path) { m_imagePath = path; }
    float scaleFactor() const { return m_scaleFactor; }
    void setScaleFactor(float factor) { m_scaleFactor = factor; }

    // Scale factors compare within one part in 100000, so that a factor read
    // back from the database equals the one written.
    friend bool operator==(const RoomData &lhs, const RoomData &rhs);
    friend bool operator!=(const RoomData &lhs, const RoomData &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    QString m_roomName;
    QUrl m_imagePath;
    float m_scaleFactor = 1.0f;
};

QDebug operator<<(QDebug debug, const RoomData &room);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::RoomData)
