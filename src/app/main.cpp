// The program's entry: registers what the QML documents use, settles the
// application version and where the configuration database lies, builds the
// event handler that owns every working object, and shows the window.
// Exit codes: 1 when the configuration database cannot be opened (no window
// is shown), -1 when the main document fails to load, otherwise the event
// loop's.

#include "app/simpleeventhandler.h"
#include "connection/chamber/core/metatypes.h"
#include "domain/types/activationstate.h"
#include "gui/chambercreationcontrol.h"
#include "gui/chambercreationmodel.h"
#include "gui/applicationsettings.h"
#include "gui/chamberdataprovider.h"
#include "gui/chambertypemodel.h"
#include "management/update/updatemanager.h"
#include "qml/resources.h"

#include <QtCore/QList>
#include <QtCore/QMetaType>
#include <QtCore/QUrl>
#include <QtGui/QGuiApplication>
#include <QtQml/QQmlApplicationEngine>
#include <QtQml/QQmlContext>
#include <QtQml/qqml.h>
#include <QtSerialBus/QModbusDataUnit>
#include <QtSerialBus/QModbusDevice>

namespace {

// Each type under a module of its own name, so that documents import them
// as "import ChamberCreationModel 1.0".
template<typename T>
void registerQmlType(const char *name)
{
    qmlRegisterType<T>(name, 1, 0, name);
}

void registerTypes()
{
    quelta::base::connection::chamberconnection::registerChamberConnectionMetaTypes();
    // Qt's own Modbus clients name their state type by the client class.
    qRegisterMetaType<QModbusDevice::State>();
    qRegisterMetaType<QModbusDevice::State>("QModbusClient::State");
    qRegisterMetaType<QList<QModbusDataUnit>>("QList<QModbusDataUnit>");
    qRegisterMetaType<QList<QMetaType::Type>>("QList<QMetaType::Type>");

    registerQmlType<quelta::domain::types::ActivationState>("ActivationState");
    registerQmlType<quelta::gui::ChamberCreationControl>("ChamberCreationControl");
    registerQmlType<quelta::gui::ChamberCreationModel>("ChamberCreationModel");
    registerQmlType<quelta::gui::ChamberDataProvider>("ChamberDataProvider");
    registerQmlType<quelta::gui::ChamberTypeModel>("ChamberTypeModel");
}

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
    QQmlApplicationEngine engine;

    registerTypes();

    // The application's name is the executable's, so the installer's entry
    // for this program is the one titled "Corvane".
    quelta::base::management::updatemanager::UpdateManager().initialize();

    const QString databasePath = configurationDatabasePath();
    SimpleEventHandler eventHandler;
    if (!eventHandler.initialize(engine.rootContext(), databasePath))
        return 1;

    const QUrl mainDocument(QStringLiteral("qrc:/corvane.qml"));
    const auto onMainQmlObjectCreated = [mainDocument](QObject *object, const QUrl &url) {
        if (!object && url == mainDocument)
            QCoreApplication::exit(-1);
    };
    QObject::connect(&engine, &QQmlApplicationEngine::objectCreated, &application, onMainQmlObjectCreated,
                     Qt::QueuedConnection);
    engine.load(mainDocument);
    const int exitCode = QGuiApplication::exec();
    // The window's bindings read the handler's models; it goes before them,
    // or it would re-evaluate every binding against the emptied context.
    qDeleteAll(engine.rootObjects());
    return exitCode;
}
