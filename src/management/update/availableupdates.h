#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QStringList>

namespace quelta::base::management::updatemanager {

// The updates that the maintenance tool lists on its standard output when it
// checks for updates, each as "name :: version", in output order. An update is
// an element <update name="…" version="…" size="…"/> whose three attributes
// may come in any order, each once; the output is read as UTF-8 up to its
// first NUL byte.
QStringList availableUpdates(const QByteArray &toolOutput);

} // namespace quelta::base::management::updatemanager
