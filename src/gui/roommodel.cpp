#include "gui/roommodel.h"

#include "gui/applicationsettings.h"
#include "gui/assignifchanged.h"

namespace quelta::gui {

using domain::types::RoomData;

namespace {

QUrl readLocalImageDirectory()
{
    return QUrl(ApplicationSettings::value(ApplicationSettings::LocalImageDirectoryKey).toString(),
                QUrl::TolerantMode);
}

} // namespace

RoomModel::RoomModel(QObject *parent)
    : RoomModel(RoomData(0, QString(), QUrl(), 1.0f), parent)
{
}

RoomModel::RoomModel(const RoomData &room, QObject *parent)
    : QObject(parent)
    , m_room(room)
    , m_localImageDirectory(readLocalImageDirectory())
{
}

QUrl RoomModel::roomImagePath() const
{
    const QUrl image = m_room.imagePath();
    if (image.isEmpty())
        return QUrl();
    const QString fileName = image.fileName(QUrl::FullyDecoded);
    return QUrl(QStringLiteral("file:///%1/%2").arg(m_localImageDirectory.toString(), fileName), QUrl::TolerantMode);
}

void RoomModel::setRoomData(const RoomData &room)
{
    if (assignIfChanged(m_room, room))
        Q_EMIT signalDataChanged();
}

} // namespace quelta::gui
