#include "management/update/availableupdates.h"

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
        QString name;
        QString version;
        // Only the attribute names (groups 1, 3 and 5) are compared: a value
        // may itself be the text "name" or "version".
        for (int word = 1; word <= 5; word += 2) {
            const QString attribute = match.captured(word);
            if (attribute == QLatin1String("name"))
                name = match.captured(word + 1);
            else if (attribute == QLatin1String("version"))
                version = match.captured(word + 1);
        }
        updates.append(name + QLatin1String(" :: ") + version);
    }
    return updates;
}

} // namespace quelta::base::management::updatemanager
