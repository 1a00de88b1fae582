#include "management/update/availableupdates.h"

#include <QtCore/QHash>
#include <QtCore/QRegularExpression>

namespace quelta::base::management::updatemanager {

QStringList availableUpdates(const QByteArray &toolOutput)
{
    const int nul = toolOutput.indexOf('\0');
    const QString text = QString::fromUtf8(toolOutput.constData(), nul < 0 ? toolOutput.size() : nul);

    static const QRegularExpression updateElement(QStringLiteral(
        R"re(<update\s+(name|version|size)="([^"]+)"\s+(name|version|size)="([^"]+)"\s+(name|version|size)="([^"]+)"/>)re"));

    QStringList updates;
    QRegularExpressionMatchIterator matches = updateElement.globalMatch(text);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        // Only the attribute names (groups 1, 3 and 5) are compared: a value
        // may itself be the text "name" or "version".
        QHash<QString, QString> attributes;
        for (int word = 1; word <= 5; word += 2)
            attributes.insert(match.captured(word), match.captured(word + 1));
        // A repeated attribute leaves another one out, and an update without
        // its name or version is none.
        if (attributes.size() == 3)
            updates.append(attributes.value(QStringLiteral("name")) + QLatin1String(" :: ")
                           + attributes.value(QStringLiteral("version")));
    }
    return updates;
}

} // namespace quelta::base::management::updatemanager
