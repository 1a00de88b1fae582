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

constexpr int CameraRowWidth = 6;
constexpr uint NoRecording = 0;
constexpr int NoInterval = -1;

QString cameraColumn(Column column)
{
    return columnNameCamera(column);
}

// Every field but the id, as the columns hold it.
QList<QPair<QString, QVariant>> cameraColumnValues(const CameraData &camera)
{
    const QHostAddress address = camera.address();
    const QVariant addressText = address.isNull() ? QVariant() : QVariant(address.toString());
    const bool isIpV4 = address.protocol() == QAbstractSocket::IPv4Protocol;
    const QVariant recordingId = camera.recordingId() == NoRecording ? QVariant() : QVariant(camera.recordingId());
    return {
        {cameraColumn(Column::IP_V4_ADDRESS), isIpV4 ? addressText : QVariant()},
        {cameraColumn(Column::IP_V6_ADDRESS), isIpV4 ? QVariant() : addressText},
        {cameraColumn(Column::USB_PORT), camera.usbPort()},
        {cameraColumn(Column::RECORDING_ID), recordingId},
        {cameraColumn(Column::RECORDING_INTERVAL), camera.recordingInterval()},
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
    QStringList columns;
    for (int column = int(Column::ID); column <= int(Column::RECORDING_INTERVAL); ++column)
        columns.append(cameraColumn(Column(column)));
    SqlQuery query;
    query.select(columns).from(tableNameCamera()).where(cameraColumn(Column::RECORDING_ID)).equals(recordingId);

    QList<CameraData> cameras;
    for (const QList<QVariant> &row : m_frame.connection()->select(query)) {
        if (row.size() != CameraRowWidth) {
            m_frame.reportError(domain::types::UNEXPECTED_RESULT);
            continue;
        }
        cameras.append(cameraFromRow(row));
    }
    return cameras;
}

bool SqlCameraDatabaseConnection::addCamera(CameraData &camera)
{
    if (!m_frame.ensureReady())
        return false;
    QStringList columns;
    QList<QVariant> values;
    for (const auto &[column, value] : cameraColumnValues(camera)) {
        columns.append(column);
        values.append(value);
    }
    SqlQuery query;
    query.insertInto(tableNameCamera()).columns(columns).values(values);
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
        .where(cameraColumn(Column::ID))
        .equals(camera.id().value());
    return execute(query);
}

bool SqlCameraDatabaseConnection::deleteCamera(const CameraData &camera)
{
    if (!m_frame.ensureReady())
        return false;
    SqlQuery query;
    query.deleteFrom(tableNameCamera()).where(cameraColumn(Column::ID)).equals(camera.id().value());
    return execute(query);
}

bool SqlCameraDatabaseConnection::execute(const SqlQuery &query)
{
    return m_frame.connection()->execute(query).first;
}

} // namespace quelta::base::connection::databaseconnection
