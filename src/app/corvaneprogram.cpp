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
#include <QtGui/QFontMetricsF>
#include <QtGui/QGuiApplication>
#include <QtQml/qqml.h>
#include <QtSerialBus/QModbusDataUnit>
#include <QtSerialBus/QModbusDevice>

namespace {

Q_LOGGING_CATEGORY(lcCorvaneProgram, "quelta.CorvaneProgram")

// The fonts of the window's font loaders, each face once: seguisb.ttf holds
// the face of segoeuib.ttf.
const char *const FontFiles[] = {":/fonts/segoeui.ttf", ":/fonts/segoeuib.ttf", ":/fonts/segoeuil.ttf",
                                 ":/fonts/fontawesome-webfont.ttf"};

// The families of the registered text and icon fonts, as the window's font
// loaders name them.
const QLatin1String TextFontFamily("DejaVu Sans");
const QLatin1String IconFontFamily("FontAwesome");

// The letters and digits, and the umlauts of the window's German texts.
const QString FontSample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
                                          "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df");

QFont windowFont(const QString &family, int pixelSize, QFont::Weight weight)
{
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

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

QList<QFont> CorvaneProgram::windowFonts()
{
    return {
        windowFont(TextFontFamily, 12, QFont::Normal), // texts and buttons
        windowFont(TextFontFamily, 16, QFont::Bold), // section titles
        windowFont(TextFontFamily, 22, QFont::Bold), // page titles
        windowFont(IconFontFamily, 12, QFont::Normal), // activation states
        windowFont(IconFontFamily, 14, QFont::Normal), // button icons
        QGuiApplication::font(),
    };
}

void CorvaneProgram::prepareWindowFonts()
{
    const QList<QFont> fonts = windowFonts();
    for (const QFont &font : fonts) {
        const QFontMetricsF metrics(font);
        // An icon font has none of the sample's characters; laying them out
        // would only load the fonts that stand in for them.
        QString sample;
        for (const QChar character : FontSample) {
            if (metrics.inFont(character))
                sample += character;
        }
        metrics.horizontalAdvance(sample);
    }
}

bool CorvaneProgram::initialize(const QString &databasePath)
{
    m_eventHandler = std::make_unique<SimpleEventHandler>();
    m_eventHandler->startInitialization(m_engine.rootContext(), databasePath);
    registerFonts();
    prepareWindowFonts();
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
