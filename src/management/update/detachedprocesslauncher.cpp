#include "management/update/detachedprocesslauncher.h"

#include <QtCore/QFileInfo>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>

namespace quelta::base::management::updatemanager {

DetachedProcessLauncher::DetachedProcessLauncher()
    : DetachedProcessLauncher(QStandardPaths::findExecutable(QStringLiteral("pkexec")))
{
}

DetachedProcessLauncher::DetachedProcessLauncher(const QString &elevationHelper)
    : m_elevationHelper(elevationHelper)
{
}

ShellLauncher::Result DetachedProcessLauncher::launch(Verb verb, const QString &file, const QString &parameters)
{
    const QStringList fileWords = QProcess::splitCommand(file);
    if (fileWords.size() != 1)
        return Result::Failed;
    const QString program = fileWords.constFirst();
    const QStringList arguments = QProcess::splitCommand(parameters);

    switch (verb) {
    case Verb::Open: {
        if (QProcess::startDetached(program, arguments))
            return Result::Launched;
        const QFileInfo info(program);
        return info.isFile() && !info.isExecutable() ? Result::AccessDenied : Result::Failed;
    }
    case Verb::RunAs:
        if (m_elevationHelper.isEmpty())
            return Result::Failed;
        return QProcess::startDetached(m_elevationHelper, QStringList(program) + arguments) ? Result::Launched
                                                                                            : Result::Failed;
    }
    return Result::Failed;
}

} // namespace quelta::base::management::updatemanager
