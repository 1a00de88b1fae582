#pragma once

#include <QtCore/QString>

namespace quelta::base::management::updatemanager {

// Launches an outside program for the user the way the desktop shell does:
// detached from this process, with the verb that says whether it runs with
// the user's rights or asks for elevated ones.
class ShellLauncher
{
public:
    enum class Verb {
        Open,
        RunAs, // ask the system for elevated rights
    };

    enum class Result {
        Launched,
        AccessDenied, // the user's rights do not allow starting the program
        Failed,
    };

    virtual ~ShellLauncher();

    // file may be quoted, so that a path with spaces stays one word;
    // parameters is one command-line text.
    virtual Result launch(Verb verb, const QString &file, const QString &parameters) = 0;

protected:
    ShellLauncher() = default;

private:
    Q_DISABLE_COPY_MOVE(ShellLauncher)
};

} // namespace quelta::base::management::updatemanager
