#pragma once

#include "domain/types/chambertypedata.h"

#include <QtCore/QAbstractListModel>
#include <QtCore/QList>
#include <QtCore/QString>

namespace quelta::gui {

// The chamber-type catalogue as a list model: one row per type and article
// variant, in the order in which they were added. QML reads the values by
// the roles below; the rows change only through addChamberTypes() and clear().
class ChamberTypeModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum ChamberTypeRoles {
        CHAMBER_TYPE_ID = Qt::UserRole + 1, // 257
        ADDITIONAL_INFO_ID,
        ARTICLE_NUMBER,
        TYPE_NAME,
        DEVELOPMENT_STATE, // role name "eLevel"
        SIZE,
        VOLTAGE,
        CONTROLLER,
        IMAGE_PATH,
        OPTIONS,
        IS_SERIAL,
        REQUIRES_MODBUS_ADDRESS // 268
    };
    Q_ENUM(ChamberTypeRoles)

    explicit ChamberTypeModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    Q_INVOKABLE void clear();
    // The row of the first type with both ids, -1 when there is none. QML
    // hands the ids over as int; they are widened with their sign.
    Q_INVOKABLE int findChamberTypeIndex(int chamberTypeId, int additionalInfoId) const;

    // Appends the types behind the present rows. Reads the image directory
    // from the settings file again first.
    void addChamberTypes(const QList<quelta::domain::types::ChamberTypeData> &chamberTypes);

private:
    QString imagePath(const quelta::domain::types::ChamberTypeData &chamberType) const;

    QList<quelta::domain::types::ChamberTypeData> m_chamberTypes;
    QString m_chamberImageDirectory;
};

} // namespace quelta::gui
