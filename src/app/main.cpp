// The program's entry: registers what the QML documents use, settles the
// application version and where the configuration database lies, builds the
// event handler that owns every working object, and shows the window.
// Exit codes: 1 when the configuration database cannot be opened or its
// chamber types cannot be read (no window is shown), -1 when the main
// document fails to load, otherwise the event loop's.

#include "app/corvaneprogram.h"
#include "gui/applicationsettings.h"
#include "management/update/updatemanager.h"
#include "qml/resources.h"

#include <QtCore/QUrl>
#include <QtGui/QGuiApplication>

namespace {

// The configuration database named by the settings file in the working
// directory's parent, used as it stands even when empty; else the file in the
// database folder beside the executable.
QString configurationDatabasePath()
{
    const QVariant configured = quelta::gui::ApplicationSettings::value(
        quelta::gui::ApplicationSettings::ConfigDatabasePathKey);
    if (configured.isValid())
        return configured.toString();
    return QStringLiteral("%1/%2/configuration.sqlite3")
        .arg(QCoreApplication::applicationDirPath(), QStringLiteral("database"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    // The main document's set registered itself before main.
    quelta::qml::initResources();

    QGuiApplication application(argc, argv);
    CorvaneProgram program;

    // The application's name is the executable's, so the installer's entry
    // for this program is the one titled "Corvane".
    quelta::base::management::updatemanager::UpdateManager().initialize();

    const QString databasePath = configurationDatabasePath();
    if (!program.initialize(databasePath))
        return 1;

    const QUrl mainDocument = CorvaneProgram::mainDocument();
    const auto onMainQmlObjectCreated = [mainDocument](QObject *object, const QUrl &url) {
        if (!object && url == mainDocument)
            QCoreApplication::exit(-1);
    };
    QObject::connect(&program.engine(), &QQmlApplicationEngine::objectCreated, &application, onMainQmlObjectCreated,
                     Qt::QueuedConnection);
    program.load();
    return QGuiApplication::exec();
}
