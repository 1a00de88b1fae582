// Writes the demo chamber-type catalogue into a new encrypted configuration
// database at the path given, creating its folder. The file must not exist.

#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QDir>
#include <QtCore/QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: quelta-demo-catalogue <database file>\n");
        return 2;
    }
    const QString path = arguments.at(1);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        std::fprintf(stderr, "quelta-demo-catalogue: cannot create the folder of %s\n", qPrintable(path));
        return 1;
    }
    const QString failure = quelta::test::CatalogueBuilder::create(path, quelta::test::DemoCatalogue::content());
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "quelta-demo-catalogue: %s\n", qPrintable(failure));
        return 1;
    }
    return 0;
}
