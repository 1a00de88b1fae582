#pragma once

#include "domain/api/iroomdatabaseconnection.h"

#include <QtCore/QMap>

namespace quelta::test {

// Stands in for the room store where a store only needs chamber positions:
// keeps the positions it is told and has no rooms.
class FakeRoomStore : public domain::api::IRoomDatabaseConnection
{
public:
    QMap<int, domain::types::ChamberLocation> positions;

    QList<domain::types::RoomData> getRooms() override { return {}; }
    QUrl getRoom(int) override { return {}; }
    bool addRoom(domain::types::RoomData &) override { return false; }
    bool updateRoom(const domain::types::RoomData &) override { return false; }
    bool deleteRoom(int) override { return false; }
    domain::types::ChamberLocation getChamberPosition(int chamberId) override { return positions.value(chamberId); }
    bool setChamberPosition(int chamberId, const domain::types::ChamberLocation &location) override
    {
        positions.insert(chamberId, location);
        return true;
    }
    QList<int> getRoomChambers(int) override { return {}; }
    void error(domain::types::DatabaseConnectionError) override {}
};

} // namespace quelta::test
