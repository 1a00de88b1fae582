#include "management/update/shelllauncher.h"

namespace quelta::base::management::updatemanager {

ShellLauncher::~ShellLauncher() = default;

} // namespace quelta::base::management::updatemanager
