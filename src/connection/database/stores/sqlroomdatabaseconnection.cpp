#include "connection/database/stores/sqlroomdatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QLoggingCategory>

namespace quelta::base::connection::databaseconnection {

using domain::types::ChamberLocation;
using domain::types::RoomData;

namespace {

Q_LOGGING_CATEGORY(lcRoomStore, "quelta.SqlRoomDatabaseConnection")

constexpr float DefaultScaleFactor = 1.0f;
constexpr int NoChamber = -1;
constexpr int NoRoom = 0;
constexpr int PositionRowWidth = 3;

// Every field but the id. An empty image stores NULL, any other its local path.
SqlQuery::ColumnValues roomColumnValues(const RoomData &room)
{
    const QVariant imagePath =
        room.imagePath().isEmpty() ? QVariant() : QVariant(room.imagePath().path(QUrl::FullyDecoded));
    return {{columnName(RoomColumn::ROOM_NAME), room.roomName()},
            {columnName(RoomColumn::IMAGE_PATH), imagePath},
            {columnName(RoomColumn::IMAGE_SCALE), room.scaleFactor()}};
}

RoomData roomFromRow(const QList<QVariant> &row)
{
    return RoomData(toIntOr(row.value(0), 0), toStringOr(row.value(1), QString()),
                    QUrl::fromLocalFile(toStringOr(row.value(2), QString())),
                    toFloatOr(row.value(3), DefaultScaleFactor));
}

} // namespace

SqlRoomDatabaseConnection::SqlRoomDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlRoomDatabaseConnection::~SqlRoomDatabaseConnection() = default;

bool SqlRoomDatabaseConnection::setConnections(domain::api::ISqlConnection *connection)
{
    m_frame.setConnections(connection);
    return isInitialized();
}

bool SqlRoomDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlRoomDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameRoom()}, MissingTableReport::EmitError);
}

QList<RoomData> SqlRoomDatabaseConnection::getRooms()
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query.select(columnNamesThrough(RoomColumn::IMAGE_SCALE)).from(tableNameRoom());
    QList<RoomData> rooms;
    for (const QList<QVariant> &row : m_frame.connection()->select(query))
        rooms.append(roomFromRow(row));
    return rooms;
}

QUrl SqlRoomDatabaseConnection::getRoom(int roomId)
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query.select(columnName(RoomColumn::IMAGE_PATH)).from(tableNameRoom()).where(columnName(RoomColumn::ID)).equals(roomId);
    const QVariant imagePath = m_frame.connection()->selectValue(query);
    if (!imagePath.isValid()) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }
    return QUrl(imagePath.toString());
}

bool SqlRoomDatabaseConnection::addRoom(RoomData &room)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.insertInto(tableNameRoom()).columnsAndValues(roomColumnValues(room));
    const QPair<bool, quint64> result = m_frame.connection()->execute(query);
    if (!result.first) {
        qCWarning(lcRoomStore).noquote() << QStringLiteral("Failed to add room '%1'").arg(room.roomName());
        return false;
    }
    room.setId(int(result.second));
    return true;
}

bool SqlRoomDatabaseConnection::updateRoom(const RoomData &room)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.update(tableNameRoom()).set(roomColumnValues(room)).where(columnName(RoomColumn::ID)).equals(room.id());
    return m_frame.execute(query);
}

bool SqlRoomDatabaseConnection::deleteRoom(int roomId)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.deleteFrom(tableNameRoom()).where(columnName(RoomColumn::ID)).equals(roomId);
    return m_frame.execute(query);
}

ChamberLocation SqlRoomDatabaseConnection::getChamberPosition(int chamberId)
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query
        .select(QStringList{columnName(RoomChamberPositionColumn::ROOM_ID),
                            columnName(RoomChamberPositionColumn::CHAMBER_POS_X),
                            columnName(RoomChamberPositionColumn::CHAMBER_POS_Y)})
        .from(tableNameRoomChamberPosition())
        .where(columnName(RoomChamberPositionColumn::CHAMBER_ID))
        .equals(chamberId);
    const QList<QVariant> row = m_frame.connection()->selectRow(query);
    if (row.size() != PositionRowWidth || !isUsable(row.at(1)) || !isUsable(row.at(2))) {
        m_frame.reportError(domain::types::UNEXPECTED_RESULT);
        return {};
    }
    return ChamberLocation(toIntOr(row.at(0), NoRoom), QPointF(row.at(1).toDouble(), row.at(2).toDouble()));
}

bool SqlRoomDatabaseConnection::setChamberPosition(int chamberId, const ChamberLocation &location)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    if (location.roomId() == NoRoom) {
        query.deleteFrom(tableNameRoomChamberPosition())
            .where(columnName(RoomChamberPositionColumn::CHAMBER_ID))
            .equals(chamberId);
    } else {
        // chamber_id is the key, so the chamber's earlier position is replaced.
        query.insertOrReplaceInto(tableNameRoomChamberPosition())
            .columns(columnNamesThrough(RoomChamberPositionColumn::CHAMBER_POS_Y))
            .values({chamberId, location.roomId(), location.position().x(), location.position().y()});
    }
    return m_frame.execute(query);
}

QList<int> SqlRoomDatabaseConnection::getRoomChambers(int roomId)
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query.select(columnName(RoomChamberPositionColumn::CHAMBER_ID))
        .from(tableNameRoomChamberPosition())
        .where(columnName(RoomChamberPositionColumn::ROOM_ID))
        .equals(roomId);
    return toIntList(m_frame.connection()->selectColumn(query), NoChamber);
}

} // namespace quelta::base::connection::databaseconnection
