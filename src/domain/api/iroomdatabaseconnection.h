#pragma once

#include "domain/types/chamberlocation.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/roomdata.h"

#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QUrl>

namespace quelta::domain::api {

// The rooms of the data database (a name, a floor-plan image and its scale)
// and where each chamber stands in one.
//
// Every operation reports a store that is not connected yet with
// error(NOT_INITIALIZED) and answers with its empty result: an empty list or
// URL, false, or the default location.
//
// error() is a Qt signal of the implementing QObject, which declares it in
// its Q_SIGNALS section as an override; connect to it through that QObject.
class IRoomDatabaseConnection
{
public:
    virtual ~IRoomDatabaseConnection() = default;

    virtual QList<types::RoomData> getRooms() = 0;
    // The floor-plan image of the room; an empty URL, with
    // error(UNEXPECTED_RESULT), when there is no such room.
    virtual QUrl getRoom(int roomId) = 0;
    // On success the room's id is the new row's.
    virtual bool addRoom(types::RoomData &room) = 0;
    virtual bool updateRoom(const types::RoomData &room) = 0;
    virtual bool deleteRoom(int roomId) = 0;
    // Room 0 at (0, 0), with error(UNEXPECTED_RESULT), for a chamber that is
    // placed nowhere.
    virtual types::ChamberLocation getChamberPosition(int chamberId) = 0;
    // Room 0 removes the chamber's position; any other room replaces it.
    virtual bool setChamberPosition(int chamberId, const types::ChamberLocation &location) = 0;
    virtual QList<int> getRoomChambers(int roomId) = 0;

    // Signal.
    virtual void error(quelta::domain::types::DatabaseConnectionError error) = 0;

protected:
    IRoomDatabaseConnection() = default;

private:
    Q_DISABLE_COPY_MOVE(IRoomDatabaseConnection)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IRoomDatabaseConnection, "domain::api::IRoomDatabaseConnection")
