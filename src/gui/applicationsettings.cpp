#include "gui/applicationsettings.h"

#include "gui/inisettingsreader.h"

#include <QtCore/QLoggingCategory>

namespace quelta::gui::ApplicationSettings {

namespace {

Q_LOGGING_CATEGORY(lcApplicationSettings, "quelta.ApplicationSettings")

} // namespace

QVariant value(const QString &key)
{
    const QString fileName = QStringLiteral("../QUELTA4.ini");
    const IniSettingsReader::Value value = IniSettingsReader::fromFile(fileName).value(key);
    switch (value.state) {
    case IniSettingsReader::State::Missing:
        return {};
    case IniSettingsReader::State::Text:
        return value.text;
    case IniSettingsReader::State::NotText:
        break;
    }
    qCWarning(lcApplicationSettings, "The value of %s in %s is no text; it is taken as empty", qUtf8Printable(key),
              qUtf8Printable(fileName));
    return QString();
}

} // namespace quelta::gui::ApplicationSettings
