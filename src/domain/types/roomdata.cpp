#include "domain/types/roomdata.h"

#include <QtCore/QDebug>

#include <algorithm>
#include <cmath>

namespace quelta::domain::types {

namespace {

constexpr float ScaleTolerance = 1e-5f;

bool sameScale(float lhs, float rhs)
{
    if (lhs == rhs)
        return true;
    return std::abs(lhs - rhs) < ScaleTolerance * std::min(std::abs(lhs), std::abs(rhs));
}

} // namespace

RoomData::RoomData(int id, const QString &roomName, const QUrl &imagePath, float scaleFactor)
    : m_id(id)
    , m_roomName(roomName)
    , m_imagePath(imagePath)
    , m_scaleFactor(scaleFactor)
{
}

bool operator==(const RoomData &lhs, const RoomData &rhs)
{
    return lhs.m_id == rhs.m_id && lhs.m_roomName == rhs.m_roomName && lhs.m_imagePath == rhs.m_imagePath
        && sameScale(lhs.m_scaleFactor, rhs.m_scaleFactor);
}

QDebug operator<<(QDebug debug, const RoomData &room)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "RoomData(id " << room.id() << ", " << room.roomName() << ", " << room.imagePath() << ", scale "
                    << room.scaleFactor() << ')';
    return debug;
}

} // namespace quelta::domain::types
