#include "management/update/updatercomponent.h"

namespace quelta::base::management::updatemanager {

void UpdaterComponent::setField(const QString &elementName, const QString &text)
{
    if (elementName == QLatin1String("Name"))
        m_name = text;
    else if (elementName == QLatin1String("Version"))
        m_version = text;
    else if (elementName == QLatin1String("Title"))
        m_title = text;
    else if (elementName == QLatin1String("InstallDate"))
        m_installDate = text;
}

QString UpdaterComponent::toString() const
{
    // One pass, so that a "%1" inside a field stays text.
    return QStringLiteral("%1 :: %2 :: %3 :: %4").arg(m_name, m_title, m_version, m_installDate);
}

} // namespace quelta::base::management::updatemanager
