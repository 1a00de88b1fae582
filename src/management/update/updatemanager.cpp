#include "management/update/updatemanager.h"

#include "management/update/availableupdates.h"
#include "management/update/detachedprocesslauncher.h"
#include "management/update/updatercomponentshandler.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QFileInfo>
#include <QtCore/QLoggingCategory>
#include <QtXml/QXmlSimpleReader>

namespace quelta::base::management::updatemanager {

Q_LOGGING_CATEGORY(lcUpdateManager, "quelta.UpdateManager")

namespace {

const auto processFinished = qOverload<int, QProcess::ExitStatus>(&QProcess::finished);

// Deletes a released tool process from the event loop, so that it may be
// released inside the delivery of one of its own signals, and only once a
// running one has ended, so that nothing waits for it.
void disposeProcess(QProcess *process)
{
    if (process->state() == QProcess::NotRunning)
        process->deleteLater();
    else
        QObject::connect(process, processFinished, process, &QObject::deleteLater);
}

} // namespace

UpdateManager::UpdateManager(QObject *parent)
    : UpdateManager(QCoreApplication::applicationDirPath(), std::make_unique<DetachedProcessLauncher>(), parent)
{
}

UpdateManager::UpdateManager(const QString &applicationDirectory, std::unique_ptr<ShellLauncher> launcher,
                             QObject *parent)
    : QObject(parent)
    , m_applicationDirectory(applicationDirectory)
    , m_launcher(std::move(launcher))
{
}

UpdateManager::~UpdateManager()
{
    // Tools still running end with the manager. Ending them here spares
    // QProcess's destructor, which would warn about each.
    const auto processes = findChildren<QProcess *>(QString(), Qt::FindDirectChildrenOnly);
    for (QProcess *process : processes) {
        process->disconnect(this);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
    }
}

bool UpdateManager::initialize()
{
    QFile file(m_applicationDirectory + QLatin1String("/components.xml"));
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCInfo(lcUpdateManager, "No Updater information file found");
        Q_EMIT signalInstalledVersions({QStringLiteral("Quelta :: 0000"), QStringLiteral("Languages :: 0001"),
                                        QStringLiteral("Translations :: 0002")});
        return true;
    }

    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    QXmlSimpleReader reader;
    QXmlInputSource source(&file);
    UpdaterComponentsHandler handler;
    reader.setContentHandler(&handler);
    reader.setErrorHandler(&handler);
    const bool parsed = reader.parse(&source);
    QT_WARNING_POP
    if (!parsed)
        return true;

    const QString applicationName = QCoreApplication::applicationName();
    QStringList installed;
    const auto components = handler.components();
    for (const QSharedPointer<UpdaterComponent> &component : components) {
        if (component->title() == applicationName)
            QCoreApplication::setApplicationVersion(component->version());
        installed.append(component->toString());
    }
    Q_EMIT signalInstalledVersions(installed);
    return true;
}

void UpdateManager::checkForUpdates()
{
    const QString tool = findMaintenanceTool();
    if (tool.isEmpty()) {
        qCWarning(lcUpdateManager, "Maintenance tool is not startet!!!");
        Q_EMIT noUpdatesAvailable();
        return;
    }

    endRunningCheck();
    m_process = QSharedPointer<QProcess>(new QProcess(this), disposeProcess);

    // A process that is no longer the current one reports nothing.
    QProcess *process = m_process.data();
    connect(process, processFinished, this, [this, process](int exitCode, QProcess::ExitStatus exitStatus) {
        if (process == m_process.data())
            checkForUpdateFinished(exitCode, exitStatus);
    });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (process == m_process.data())
            errorOccured(error);
    });
    connect(process, &QProcess::started, this, [this, process] {
        if (process == m_process.data())
            processStarted();
    });

    const QString command = tool + QLatin1String(" --checkupdates -v");
    qCInfo(lcUpdateManager, "starting the maintenance tool: %s", qUtf8Printable(command));
    QStringList arguments = QProcess::splitCommand(command);
    const QString program = arguments.takeFirst();
    process->start(program, arguments, QIODevice::ReadWrite);
}

void UpdateManager::checkForUpdateFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    // The tool's list is what counts, whatever its exit code says.
    Q_UNUSED(exitCode)

    if (m_process)
        m_process->disconnect(this);

    if (exitStatus != QProcess::NormalExit) {
        qCCritical(lcUpdateManager, "Maintenance Tool crashed!!");
        m_process.reset();
        Q_EMIT noUpdatesAvailable();
        return;
    }

    const QStringList updates = m_process ? availableUpdates(m_process->readAllStandardOutput()) : QStringList();
    if (updates.isEmpty())
        Q_EMIT noUpdatesAvailable();
    else
        Q_EMIT updatesAvailable(updates);
}

void UpdateManager::performUpdate()
{
    const QString tool = findMaintenanceTool();
    if (tool.isEmpty())
        return;

    const QString parameters = QStringLiteral("--updater");
    ShellLauncher::Result result = m_launcher->launch(ShellLauncher::Verb::Open, tool, parameters);
    if (result == ShellLauncher::Result::AccessDenied)
        result = m_launcher->launch(ShellLauncher::Verb::RunAs, tool, parameters);

    if (result != ShellLauncher::Result::Launched) {
        qCWarning(lcUpdateManager, "Maintenance tool for update is not startet!");
        return;
    }
    Q_EMIT updateStarted();
}

void UpdateManager::errorOccured(QProcess::ProcessError error)
{
    Q_UNUSED(error)
    qCWarning(lcUpdateManager, "Maintenance Tool not started!! File might be missing");
    // A read, write or time-out error may come from a tool that still runs:
    // released without an end, it would run on unwatched.
    endRunningCheck();
    Q_EMIT noUpdatesAvailable();
}

void UpdateManager::processStarted()
{
    qCInfo(lcUpdateManager, "Maintenance Tool started, for checking new Version!!");
}

QString UpdateManager::findMaintenanceTool() const
{
    static const char *const toolNames[] = {"/maintenancetool.exe", "/maintenancetool.bat", "/maintenancetool.cmd"};
    for (const char *toolName : toolNames) {
        const QString path = m_applicationDirectory + QLatin1String(toolName);
        if (QFileInfo::exists(path)) {
            // Quoted, so that a path with spaces stays one word of the command line.
            return QStringLiteral("\"%1\"").arg(QDir::toNativeSeparators(path));
        }
        qCInfo(lcUpdateManager, "Can't find maintenance tool: %s", qUtf8Printable(path));
    }
    return QString();
}

void UpdateManager::endRunningCheck()
{
    if (!m_process)
        return;
    // Disconnected first: the killed tool's end must not be taken for the
    // result of a check.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning)
        m_process->kill();
    m_process.reset();
}

} // namespace quelta::base::management::updatemanager
