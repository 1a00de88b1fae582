#pragma once

#include "connection/database/stores/sqlstoreframe.h"
#include "domain/api/iinitializing.h"
#include "domain/api/iroomdatabaseconnection.h"
#include "domain/api/isqlconnection.h"
#include "domain/types/databaseconnectionerror.h"

#include <QtCore/QObject>

namespace quelta::base::connection::databaseconnection {

// Named bare in the base list, so that a cast by the interface's bare name
// finds the interface as well.
using domain::api::IRoomDatabaseConnection;

// The store of the rooms in the data database and of where each chamber
// stands in one (one position per chamber). Nothing is cached.
//
// A room's floor-plan image is stored as the local path of its URL and read
// back as a local-file URL by getRooms(); getRoom() gives the stored path as
// a URL without scheme.
//
// Failures: error(NOT_INITIALIZED) before setConnections() has given it a
// connection, error(MISSING_TABLE) from initialize(), and
// error(UNEXPECTED_RESULT) when getRoom() or getChamberPosition() finds no
// row. Statements that fail are reported by the connection.
class SqlRoomDatabaseConnection : public QObject,
                                  public IRoomDatabaseConnection,
                                  public domain::api::IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IRoomDatabaseConnection quelta::domain::api::IInitializing)

public:
    explicit SqlRoomDatabaseConnection(QObject *parent = nullptr);
    ~SqlRoomDatabaseConnection() override;

    // Stores the connection, null included, and returns isInitialized().
    virtual bool setConnections(domain::api::ISqlConnection *connection);
    // Whether the room table is there.
    bool initialize() override;

    QList<domain::types::RoomData> getRooms() override;
    QUrl getRoom(int roomId) override;
    bool addRoom(domain::types::RoomData &room) override;
    bool updateRoom(const domain::types::RoomData &room) override;
    bool deleteRoom(int roomId) override;
    domain::types::ChamberLocation getChamberPosition(int chamberId) override;
    bool setChamberPosition(int chamberId, const domain::types::ChamberLocation &location) override;
    QList<int> getRoomChambers(int roomId) override;

    // True once a connection is set.
    virtual bool isInitialized() const;

Q_SIGNALS:
    void error(quelta::domain::types::DatabaseConnectionError error) override;

private:
    SqlStoreFrame<SqlRoomDatabaseConnection> m_frame{this};
};

} // namespace quelta::base::connection::databaseconnection
