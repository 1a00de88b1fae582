#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QPointF>

class QDebug;

namespace quelta::domain::types {

// Where a chamber stands: a room (0 for none) and a position on its plan.
class ChamberLocation
{
public:
    ChamberLocation() = default;
    ChamberLocation(int roomId, const QPointF &position);

    int roomId() const { return m_roomId; }
    void setRoomId(int roomId) { m_roomId = roomId; }
    QPointF position() const { return m_position; }
    void setPosition(const QPointF &position) { m_position = position; }

    // Positions compare within a relative 1e-12 (absolute when either
    // coordinate is 0), so that a position survives a trip through the
    // database's REAL columns.
    friend bool operator==(const ChamberLocation &lhs, const ChamberLocation &rhs);
    friend bool operator!=(const ChamberLocation &lhs, const ChamberLocation &rhs) { return !(lhs == rhs); }

private:
    int m_roomId = 0;
    QPointF m_position;
};

QDebug operator<<(QDebug debug, const ChamberLocation &location);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberLocation)
