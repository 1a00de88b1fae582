#pragma once

#include "domain/types/chamberoption.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QList>
#include <QtCore/QString>
#include <QtCore/QStringList>

namespace quelta::gui {

// What the screens show for a chamber type without an image.
inline const QString NoChamberImage = QStringLiteral("qrc:/images/no_thumb.png");

// An option name as the screens show it.
inline QString translatedOptionName(const QString &name)
{
    return QCoreApplication::translate("ChamberOption", name.toUtf8().constData());
}

inline QStringList translatedOptionNames(const QList<domain::types::ChamberOption> &options)
{
    QStringList names;
    names.reserve(options.size());
    for (const domain::types::ChamberOption &option : options)
        names.append(translatedOptionName(option.name()));
    return names;
}

} // namespace quelta::gui
