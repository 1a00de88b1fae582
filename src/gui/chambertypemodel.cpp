#include "gui/chambertypemodel.h"

#include "gui/applicationsettings.h"
#include "gui/chambertypedisplay.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QUrl>

#include <algorithm>

namespace quelta::gui {

using quelta::domain::types::ChamberTypeData;

namespace {

const QHash<int, QByteArray> &roleNameTable()
{
    static const QHash<int, QByteArray> roleNames{
        {ChamberTypeModel::CHAMBER_TYPE_ID, QByteArrayLiteral("chamberTypeId")},
        {ChamberTypeModel::ADDITIONAL_INFO_ID, QByteArrayLiteral("additionalInfoId")},
        {ChamberTypeModel::ARTICLE_NUMBER, QByteArrayLiteral("articleNumber")},
        {ChamberTypeModel::TYPE_NAME, QByteArrayLiteral("typeName")},
        {ChamberTypeModel::DEVELOPMENT_STATE, QByteArrayLiteral("eLevel")},
        {ChamberTypeModel::SIZE, QByteArrayLiteral("size")},
        {ChamberTypeModel::VOLTAGE, QByteArrayLiteral("voltage")},
        {ChamberTypeModel::CONTROLLER, QByteArrayLiteral("controller")},
        {ChamberTypeModel::IMAGE_PATH, QByteArrayLiteral("imagePath")},
        {ChamberTypeModel::OPTIONS, QByteArrayLiteral("options")},
        {ChamberTypeModel::IS_SERIAL, QByteArrayLiteral("isSerial")},
        {ChamberTypeModel::REQUIRES_MODBUS_ADDRESS, QByteArrayLiteral("requiresModbusAddress")},
    };
    return roleNames;
}

// The folder images/chamber in the folder database next to the executable,
// unless the settings file names another; the folder need not exist.
QString readChamberImageDirectory()
{
    const QVariant directory = ApplicationSettings::value(ApplicationSettings::ChamberImageDirectoryKey);
    if (directory.isValid())
        return directory.toString();
    return QStringLiteral("%1/%2/images/chamber")
        .arg(QCoreApplication::applicationDirPath(), QStringLiteral("database"));
}

// The size as decimal text; a null text for a type without a size.
QString sizeText(int size)
{
    return size < 1 ? QString() : QString::number(size);
}

} // namespace

ChamberTypeModel::ChamberTypeModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int ChamberTypeModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_chamberTypes.size();
}

QVariant ChamberTypeModel::data(const QModelIndex &index, int role) const
{
    // An index of no row gives nothing, silently (checkIndex() would warn).
    if (!index.isValid() || index.row() >= m_chamberTypes.size())
        return {};

    const ChamberTypeData &type = m_chamberTypes.at(index.row());
    switch (role) {
    case CHAMBER_TYPE_ID:
        return QVariant::fromValue(type.chamberTypeId());
    case ADDITIONAL_INFO_ID:
        return QVariant::fromValue(type.additionalInfoId());
    case ARTICLE_NUMBER:
        return type.articleNumber();
    case TYPE_NAME:
        return type.typeName();
    case DEVELOPMENT_STATE:
        return type.eLevel();
    case SIZE:
        return sizeText(type.size());
    case VOLTAGE:
        return type.voltage();
    case CONTROLLER:
        return type.controller();
    case IMAGE_PATH:
        return imagePath(type);
    case OPTIONS:
        return translatedOptionNames(type.options());
    case IS_SERIAL:
        return type.isSerial();
    case REQUIRES_MODBUS_ADDRESS:
        return type.requiresModbusAddress();
    }
    return {};
}

QHash<int, QByteArray> ChamberTypeModel::roleNames() const
{
    return roleNameTable();
}

void ChamberTypeModel::clear()
{
    if (m_chamberTypes.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_chamberTypes.size() - 1);
    m_chamberTypes.clear();
    endRemoveRows();
}

int ChamberTypeModel::findChamberTypeIndex(int chamberTypeId, int additionalInfoId) const
{
    const auto typeId = static_cast<quint64>(static_cast<qint64>(chamberTypeId));
    const auto infoId = static_cast<quint64>(static_cast<qint64>(additionalInfoId));
    const auto found = std::find_if(m_chamberTypes.cbegin(), m_chamberTypes.cend(), [=](const ChamberTypeData &type) {
        return type.chamberTypeId() == typeId && type.additionalInfoId() == infoId;
    });
    return found == m_chamberTypes.cend() ? -1 : static_cast<int>(found - m_chamberTypes.cbegin());
}

void ChamberTypeModel::addChamberTypes(const QList<ChamberTypeData> &chamberTypes)
{
    m_chamberImageDirectory = readChamberImageDirectory();
    if (chamberTypes.isEmpty())
        return;

    const int first = m_chamberTypes.size();
    beginInsertRows(QModelIndex(), first, first + chamberTypes.size() - 1);
    m_chamberTypes.append(chamberTypes);
    endInsertRows();
}

QString ChamberTypeModel::imagePath(const ChamberTypeData &chamberType) const
{
    // The catalogue hands a missing image over as an empty text as often as
    // a null one; neither names a file.
    if (chamberType.image().isEmpty())
        return NoChamberImage;
    return QUrl::fromLocalFile(m_chamberImageDirectory + QLatin1Char('/') + chamberType.image()).toString();
}

} // namespace quelta::gui
