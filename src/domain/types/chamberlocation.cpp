#include "domain/types/chamberlocation.h"

#include <QtCore/QDebug>

#include <algorithm>
#include <cmath>

namespace quelta::domain::types {

namespace {

constexpr double Tolerance = 1e-12;

bool nearlyEqual(double lhs, double rhs)
{
    const double difference = std::abs(lhs - rhs);
    if (lhs == 0.0 || rhs == 0.0)
        return difference <= Tolerance;
    return difference <= Tolerance * std::min(std::abs(lhs), std::abs(rhs));
}

} // namespace

ChamberLocation::ChamberLocation(int roomId, const QPointF &position)
    : m_roomId(roomId)
    , m_position(position)
{
}

bool operator==(const ChamberLocation &lhs, const ChamberLocation &rhs)
{
    return lhs.m_roomId == rhs.m_roomId && nearlyEqual(lhs.m_position.x(), rhs.m_position.x())
        && nearlyEqual(lhs.m_position.y(), rhs.m_position.y());
}

QDebug operator<<(QDebug debug, const ChamberLocation &location)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberLocation(room " << location.roomId() << ", " << location.position() << ')';
    return debug;
}

} // namespace quelta::domain::types
