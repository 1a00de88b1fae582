#pragma once

#include <QtCore/QDir>
#include <QtCore/QSettings>
#include <QtCore/QString>
#include <QtCore/QTemporaryDir>
#include <QtCore/QVariant>

namespace quelta::test {

// The program reads its settings file as "../QUELTA4.ini" from the working
// directory. While a sandbox lives, the working directory is a folder one
// level below a temporary directory of its own, where setValue() writes that
// file; the previous working directory comes back when the sandbox goes.
class SettingsFileSandbox
{
public:
    SettingsFileSandbox()
    {
        const QString work = m_root.filePath(QStringLiteral("work"));
        m_valid = m_root.isValid() && QDir().mkdir(work) && QDir::setCurrent(work);
    }
    ~SettingsFileSandbox() { QDir::setCurrent(m_previousDirectory); }
    Q_DISABLE_COPY_MOVE(SettingsFileSandbox)

    bool isValid() const { return m_valid; }
    void setValue(const QString &key, const QVariant &value)
    {
        QSettings(m_root.filePath(QStringLiteral("QUELTA4.ini")), QSettings::IniFormat).setValue(key, value);
    }

private:
    const QString m_previousDirectory = QDir::currentPath();
    QTemporaryDir m_root;
    bool m_valid = false;
};

} // namespace quelta::test
