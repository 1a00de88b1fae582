#include "qml/resources.h"

#include <QtCore/QtGlobal>

// Q_INIT_RESOURCE declares the set's init function where it stands, so it
// must stand outside any namespace.
static void initQmlResourceSet()
{
    Q_INIT_RESOURCE(qml);
}

namespace quelta::qml {

void initResources()
{
    initQmlResourceSet();
}

} // namespace quelta::qml
