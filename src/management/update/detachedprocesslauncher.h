#pragma once

#include "management/update/shelllauncher.h"

namespace quelta::base::management::updatemanager {

// The shell launcher of this platform: "open" starts the program as a
// detached process; "runas" starts it through the system's elevation helper
// (pkexec), which asks the user for the rights.
class DetachedProcessLauncher : public ShellLauncher
{
public:
    // The elevation helper found on the search path.
    DetachedProcessLauncher();
    // elevationHelper: the program that runs another one with elevated
    // rights; empty when the system has none.
    explicit DetachedProcessLauncher(const QString &elevationHelper);

    Result launch(Verb verb, const QString &file, const QString &parameters) override;

private:
    QString m_elevationHelper;
};

} // namespace quelta::base::management::updatemanager
