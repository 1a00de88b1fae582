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

QString roomColumn(RoomColumn column)
{
    return columnNameRoom(column);
}

QString positionColumn(RoomChamberPositionColumn column)
{
    return columnNameRoomChamberPosition(column);
}

// The written columns of a room, in the order of roomValues().
QStringList roomColumns()
{
    return {roomColumn(RoomColumn::ROOM_NAME), roomColumn(RoomColumn::IMAGE_PATH),
            roomColumn(RoomColumn::IMAGE_SCALE)};
}

// An empty image stores NULL, any other its local path.
QList<QVariant> roomValues(const RoomData &room)
{
    const QVariant imagePath =
        room.imagePath().isEmpty() ? QVariant() : QVariant(room.imagePath().path(QUrl::FullyDecoded));
    return {room.roomName(), imagePath, room.scaleFactor()};
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
    query.select(QStringList{roomColumn(RoomColumn::ID)} + roomColumns()).from(tableNameRoom());
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
    query.select(roomColumn(RoomColumn::IMAGE_PATH)).from(tableNameRoom()).where(roomColumn(RoomColumn::ID)).equals(roomId);
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
    query.insertInto(tableNameRoom()).columns(roomColumns()).values(roomValues(room));
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
    const QStringList columns = roomColumns();
    const QList<QVariant> values = roomValues(room);
    QList<QPair<QString, QVariant>> pairs;
    for (int index = 0; index < columns.size(); ++index)
        pairs.append({columns.at(index), values.at(index)});
    SqlQuery query;
    query.update(tableNameRoom()).set(pairs).where(roomColumn(RoomColumn::ID)).equals(room.id());
    return execute(query);
}

bool SqlRoomDatabaseConnection::deleteRoom(int roomId)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.deleteFrom(tableNameRoom()).where(roomColumn(RoomColumn::ID)).equals(roomId);
    return execute(query);
}

ChamberLocation SqlRoomDatabaseConnection::getChamberPosition(int chamberId)
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query
        .select(QStringList{positionColumn(RoomChamberPositionColumn::ROOM_ID),
                            positionColumn(RoomChamberPositionColumn::CHAMBER_POS_X),
                            positionColumn(RoomChamberPositionColumn::CHAMBER_POS_Y)})
        .from(tableNameRoomChamberPosition())
        .where(positionColumn(RoomChamberPositionColumn::CHAMBER_ID))
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
            .where(positionColumn(RoomChamberPositionColumn::CHAMBER_ID))
            .equals(chamberId);
    } else {
        // chamber_id is the key, so the chamber's earlier position is replaced.
        query.insertOrReplaceInto(tableNameRoomChamberPosition())
            .columns({positionColumn(RoomChamberPositionColumn::CHAMBER_ID),
                      positionColumn(RoomChamberPositionColumn::ROOM_ID),
                      positionColumn(RoomChamberPositionColumn::CHAMBER_POS_X),
                      positionColumn(RoomChamberPositionColumn::CHAMBER_POS_Y)})
            .values({chamberId, location.roomId(), location.position().x(), location.position().y()});
    }
    return execute(query);
}

QList<int> SqlRoomDatabaseConnection::getRoomChambers(int roomId)
{
    if (!m_frame.ensureReady())
        return {};
    SqlQuery query;
    query.select(positionColumn(RoomChamberPositionColumn::CHAMBER_ID))
        .from(tableNameRoomChamberPosition())
        .where(positionColumn(RoomChamberPositionColumn::ROOM_ID))
        .equals(roomId);
    QList<int> chamberIds;
    for (const QVariant &chamberId : m_frame.connection()->selectColumn(query))
        chamberIds.append(toIntOr(chamberId, NoChamber));
    return chamberIds;
}

bool SqlRoomDatabaseConnection::execute(const SqlQuery &query)
{
    return m_frame.connection()->execute(query).first;
}

} // namespace quelta::base::connection::databaseconnection
