#pragma once

#include <QtCore/QObject>
#include <QtCore/QProcess>
#include <QtCore/QStringList>

namespace quelta::domain::api {

// The installed versions of the application's components, and the check for
// and start of updates through the installer's maintenance tool.
//
// The first four operations are Qt signals of the implementing QObject, which
// declares them in its Q_SIGNALS section as overrides; the last three are its
// slots. Connect to the signals through that QObject (qobject_cast or
// dynamic_cast to QObject), by name where only this interface is known.
class IUpdateManagement
{
public:
    virtual ~IUpdateManagement() = default;

    // Signal: the available updates, each "name :: version".
    virtual void updatesAvailable(const QStringList &updates) = 0;
    // Signal: the installed components, one text each.
    virtual void signalInstalledVersions(const QStringList &updates) = 0;
    // Signal: the maintenance tool was launched for an update.
    virtual void updateStarted() = 0;
    // Signal: a check ended without any available update, or could not run.
    virtual void noUpdatesAvailable() = 0;

    // Slot: the maintenance tool's check has ended.
    virtual void checkForUpdateFinished(int exitCode, QProcess::ExitStatus exitStatus) = 0;
    virtual void performUpdate() = 0;
    virtual void checkForUpdates() = 0;

protected:
    IUpdateManagement() = default;

private:
    Q_DISABLE_COPY_MOVE(IUpdateManagement)
};

} // namespace quelta::domain::api

Q_DECLARE_INTERFACE(quelta::domain::api::IUpdateManagement, "domain::api::IUpdateManagement")
