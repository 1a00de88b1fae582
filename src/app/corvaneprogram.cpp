#include "app/corvaneprogram.h"

#include "connection/chamber/core/metatypes.h"
#include "domain/types/activationstate.h"
#include "gui/chambercreationcontrol.h"
#include "gui/chambercreationmodel.h"
#include "gui/chamberdataprovider.h"
#include "gui/chambertypemodel.h"

#include <QtCore/QList>
#include <QtCore/QLoggingCategory>
#include <QtCore/QMetaType>
#include <QtCore/QResource>
#include <QtGui/QFontDatabase>
#include <QtQml/qqml.h>
#include <QtSerialBus/QModbusDataUnit>
#include <QtSerialBus/QModbusDevice>

namespace {

Q_LOGGING_CATEGORY(lcCorvaneProgram, "quelta.CorvaneProgram")

// The fonts of the window's font loaders.
const char *const FontFiles[] = {":/fonts/segoeui.ttf", ":/fonts/segoeuib.ttf", ":/fonts/segoeuil.ttf",
                                 ":/fonts/seguisb.ttf", ":/fonts/fontawesome-webfont.ttf"};

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

} // namespace

CorvaneProgram::CorvaneProgram()
{
    registerTypes();
}

CorvaneProgram::~CorvaneProgram()
{
    qDeleteAll(m_engine.rootObjects());
}

QUrl CorvaneProgram::mainDocument()
{
    return QUrl(QStringLiteral("qrc:/corvane.qml"));
}

QList<int> CorvaneProgram::registerFonts()
{
    QList<int> ids;
    for (const char *file : FontFiles) {
        const QResource font(QString::fromLatin1(file));
        // Raw data of a compressed resource would be no font at all, and
        // the font database refuses it.
        const int id = QFontDatabase::addApplicationFontFromData(
            QByteArray::fromRawData(reinterpret_cast<const char *>(font.data()), int(font.size())));
        if (id < 0)
            qCCritical(lcCorvaneProgram, "Could not register the font %s", file);
        ids.append(id);
    }
    return ids;
}

bool CorvaneProgram::initialize(const QString &databasePath)
{
    m_eventHandler = std::make_unique<SimpleEventHandler>();
    m_eventHandler->startInitialization(m_engine.rootContext(), databasePath);
    registerFonts();
    // Compiling creates no object: the window's objects come only with
    // load(), once the handler's models are filled.
    m_compiledMainDocument = std::make_unique<QQmlComponent>(&m_engine, mainDocument());
    return m_eventHandler->finishInitialization();
}

void CorvaneProgram::load()
{
    m_engine.load(mainDocument());
    m_compiledMainDocument.reset();
}
