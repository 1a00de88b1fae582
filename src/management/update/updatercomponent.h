#pragma once

#include <QtCore/QString>

namespace quelta::base::management::updatemanager {

// One component that the installer installed, as its component list
// describes it.
class UpdaterComponent
{
public:
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

    QString version() const { return m_version; }
    void setVersion(const QString &version) { m_version = version; }

    QString installDate() const { return m_installDate; }
    void setInstallDate(const QString &installDate) { m_installDate = installDate; }

    // Stores text in the field that the element "Name", "Title", "Version"
    // or "InstallDate" describes; any other element changes nothing.
    void setField(const QString &elementName, const QString &text);

    // "name :: title :: version :: installDate"
    QString toString() const;

private:
    QString m_name;
    QString m_title;
    QString m_version;
    QString m_installDate;
};

} // namespace quelta::base::management::updatemanager
