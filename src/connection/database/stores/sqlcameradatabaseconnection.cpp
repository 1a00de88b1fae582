#include "connection/database/stores/sqlcameradatabaseconnection.h"

#include "connection/database/core/schemavocabulary.h"
#include "connection/database/core/sqlquery.h"
#include "connection/database/core/valueconversions.h"

#include <QtCore/QLoggingCategory>

namespace quelta::base::connection::databaseconnection {

using domain::types::CameraData;
using domain::types::CameraId;

namespace {

Q_LOGGING_CATEGORY(lcCameraStore, "quelta.SqlCameraDatabaseConnection")

using Column = CameraColumn;

constexpr Column LastColumn = Column::RECORDING_INTERVAL;
constexpr int CameraRowWidth = columnCountThrough(LastColumn);
constexpr uint NoRecording = 0;
constexpr int NoInterval = -1;

// Every field but the id, as the columns hold it.
SqlQuery::ColumnValues cameraColumnValues(const CameraData &camera)
{
    const QHostAddress address = camera.address();
    const QVariant addressText = address.isNull() ? QVariant() : QVariant(address.toString());
    const bool isIpV4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    return {
        {columnName(Column::IP_V4_ADDRESS), isIpV4 ? addressText : QVariant()},
        {columnName(Column::IP_V6_ADDRESS), isIpV4 ? QVariant() : addressText},
        {columnName(Column::USB_PORT), camera.usbPort()},
        {columnName(Column::RECORDING_ID), valueOrNull(camera.recordingId(), NoRecording)},
        {columnName(Column::RECORDING_INTERVAL), camera.recordingInterval()},
    };
}

// The IPv4 address when one is stored, else the IPv6 address.
CameraData cameraFromRow(const QList<QVariant> &row)
{
    const QVariant ipV4 = row.at(int(Column::IP_V4_ADDRESS));
    const QHostAddress address(toStringOr(isUsable(ipV4) ? ipV4 : row.at(int(Column::IP_V6_ADDRESS)), QString()));
    return CameraData(CameraId(toIntOr(row.at(int(Column::ID)), CameraId::None)), address,
                      toStringOr(row.at(int(Column::USB_PORT)), QString()),
                      toUIntOr(row.at(int(Column::RECORDING_ID)), NoRecording),
                      toIntOr(row.at(int(Column::RECORDING_INTERVAL)), NoInterval));
}

} // namespace

SqlCameraDatabaseConnection::SqlCameraDatabaseConnection(QObject *parent)
    : QObject(parent)
{
}

SqlCameraDatabaseConnection::~SqlCameraDatabaseConnection() = default;

bool SqlCameraDatabaseConnection::setSqlConnection(domain::api::ISqlConnection *connection)
{
    m_frame.setConnections(connection);
    return isInitialized();
}

bool SqlCameraDatabaseConnection::isInitialized() const
{
    return m_frame.isComplete();
}

bool SqlCameraDatabaseConnection::initialize()
{
    return m_frame.checkTables({tableNameCamera()}, MissingTableReport::Silent);
}

QList<CameraData> SqlCameraDatabaseConnection::getCameras(const uint &recordingId)
{
    if (!m_frame.ensureReady())
        return {};
    // Selected in column order, so that a row is read by column number.
    SqlQuery query;
    query.select(columnNamesThrough(LastColumn))
        .from(tableNameCamera())
        .where(columnName(Column::RECORDING_ID))
        .equals(recordingId);

    QList<CameraData> cameras;
    for (const QList<QVariant> &row : m_frame.rowsOfWidth(m_frame.connection()->select(query), CameraRowWidth))
        cameras.append(cameraFromRow(row));
    return cameras;
}

bool SqlCameraDatabaseConnection::addCamera(CameraData &camera)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.insertInto(tableNameCamera()).columnsAndValues(cameraColumnValues(camera));
    const QPair<bool, quint64> result = m_frame.connection()->execute(query);
    if (!result.first) {
        const QHostAddress address = camera.address();
        qCWarning(lcCameraStore) << "Failed to add camera" << (address.isNull() ? camera.usbPort() : address.toString());
        return false;
    }
    camera.setId(CameraId(int(result.second)));
    return true;
}

bool SqlCameraDatabaseConnection::updateCamera(const CameraData &camera)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.update(tableNameCamera())
        .set(cameraColumnValues(camera))
        .where(columnName(Column::ID))
        .equals(camera.id().value());
    return m_frame.execute(query);
}

bool SqlCameraDatabaseConnection::deleteCamera(const CameraData &camera)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.deleteFrom(tableNameCamera()).where(columnName(Column::ID)).equals(camera.id().value());
    return m_frame.execute(query);
}

} // namespace quelta::base::connection::databaseconnection
