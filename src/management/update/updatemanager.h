#pragma once

#include "domain/api/iinitializing.h"
#include "domain/api/iupdatemanagement.h"

#include <QtCore/QObject>
#include <QtCore/QProcess>
#include <QtCore/QSharedPointer>
#include <QtCore/QStringList>

#include <memory>

namespace quelta::base::management::updatemanager {

class ShellLauncher;

// Named bare in the base list, so that a cast by an interface's bare name
// finds the interface as well as one by its id.
using domain::api::IInitializing;
using domain::api::IUpdateManagement;

// Knows what the installer installed and talks to the installer's
// maintenance tool. initialize() reads the component list components.xml
// next to the executable, sets the application version from the component
// whose title is the application's name and reports every installed
// component. checkForUpdates() runs the maintenance tool and reports the
// updates it lists; performUpdate() launches it in updater mode.
class UpdateManager : public QObject, public IUpdateManagement, public IInitializing
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IUpdateManagement quelta::domain::api::IInitializing)

public:
    explicit UpdateManager(QObject *parent = nullptr);
    // Looks for the component list and the maintenance tool in
    // applicationDirectory and launches the tool through launcher, in place
    // of the executable's folder and the desktop shell.
    UpdateManager(const QString &applicationDirectory, std::unique_ptr<ShellLauncher> launcher,
                  QObject *parent = nullptr);
    ~UpdateManager() override;

    // Reads the component list anew; always true.
    bool initialize() override;

Q_SIGNALS:
    void updatesAvailable(const QStringList &updates) override;
    void signalInstalledVersions(const QStringList &updates) override;
    void updateStarted() override;
    void noUpdatesAvailable() override;

public Q_SLOTS:
    void checkForUpdateFinished(int exitCode, QProcess::ExitStatus exitStatus) override;
    void performUpdate() override;
    // Starts a check; one that still runs is ended and reports nothing.
    void checkForUpdates() override;

protected Q_SLOTS:
    virtual void errorOccured(QProcess::ProcessError error);
    virtual void processStarted();

private:
    QString findMaintenanceTool() const;
    void endRunningCheck();

    QString m_applicationDirectory;
    std::unique_ptr<ShellLauncher> m_launcher;
    QSharedPointer<QProcess> m_process;
};

} // namespace quelta::base::management::updatemanager
