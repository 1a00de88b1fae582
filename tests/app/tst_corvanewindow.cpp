#include "app/corvaneprogram.h"
#include "connection/chamber/core/serialportnaming.h"
#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"
#include "support/settingsfilesandbox.h"

#include "linedevice.h"
#include "loopbackmodbustcpserver.h"
#include "scriptedmodbuspeer.h"
#include "udpresponder.h"

#include <QtGui/QColor>
#include <QtQuick/QQuickItem>
#include <QtQuick/QQuickWindow>
#include <QtQuickTest/quicktest.h>
#include <QtTest/QtTest>

#include <algorithm>
#include <memory>

using quelta::base::connection::chamberconnection::SerialPortNaming;
using quelta::test::CatalogueChamberType;
using quelta::test::CatalogueContent;
using quelta::test::DemoCatalogue;

// The real program in this process: CorvaneProgram builds the engine, the
// event handler and the main document as the entry point does, and the test
// works the window as a user would, by mouse clicks and key presses on the
// controls that it finds by name. In-process, the test waits for the
// window's states instead of for time, and needs no tool beyond Qt. The
// devices answer on the private network's veth addresses and on loopback
// addresses entered by hand; screenshots of each stage are kept as PNG files
// in QUELTA_ARTEFACT_DIR. The chamber pictures come from the demo
// catalogue's folder, which lacks the picture of one test type.
class tst_CorvaneWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void searchAndCheck_eachConnectionKind();
    void typedAddresses_andALongConfigurationList();

private:
    // Starts the program on a test catalogue written to `directory` and
    // gives its window the keyboard.
    bool open(CorvaneProgram &program, const QTemporaryDir &directory);
    // The first shown object of that name under `under`, else in the window.
    QObject *find(const QString &name, QObject *under = nullptr) const;
    // Lays out what has changed: a layout moves items when an item that it
    // holds changes size, which lays out the enclosing layouts in turn.
    bool settle() const;
    QQuickItem *delegate(const QString &list, int index) const;
    QString text(const QString &name, QObject *under = nullptr) const;
    // False when the control is missing, hidden or disabled.
    bool click(QObject *control);
    bool click(const QString &name, QObject *under = nullptr) { return click(find(name, under)); }
    void type(const QByteArray &keys)
    {
        for (const char key : keys)
            QTest::keyClick(m_window, key);
    }
    void selectAll() { QTest::keyClick(m_window, Qt::Key_A, Qt::ControlModifier); }
    // Turns an ordinary mouse wheel over the item, towards the user for
    // positive notches (scrolling down).
    void turnWheel(QQuickItem *item, int notches);
    // The chamber picture, or the placeholder in its place: never an empty box.
    bool showsAPicture(const QString &name, QObject *under = nullptr) const;
    // Saves the window as <name>.png; false when it looks blank.
    bool screenshot(const QString &name) const;

    QQuickWindow *m_window = nullptr;
    std::unique_ptr<quelta::test::SettingsFileSandbox> m_settings;
};

namespace {

// Delegates are only visual children, dialogs only QObject children.
QObject *findShown(QObject *root, const QString &name)
{
    QObjectList children = root->children();
    if (const auto *item = qobject_cast<QQuickItem *>(root)) {
        if (!item->isVisible())
            return nullptr;
        const QList<QQuickItem *> childItems = item->childItems();
        for (QQuickItem *child : childItems)
            children.append(child);
    }
    if (root->objectName() == name)
        return root;
    for (QObject *child : qAsConst(children)) {
        if (QObject *found = findShown(child, name))
            return found;
    }
    return nullptr;
}

bool polishScheduled(const QQuickItem *item)
{
    const QList<QQuickItem *> childItems = item->childItems();
    return QQuickTest::qIsPolishScheduled(item)
           || std::any_of(childItems.cbegin(), childItems.cend(), polishScheduled);
}

// The demo catalogue and two copies of its temperature chamber, one on its
// serial line only, which behind a converter makes a Modbus RTU device, and
// one behind a Modbus gateway only (Modbus RTU over TCP), whose picture was
// never installed.
CatalogueContent testCatalogue()
{
    constexpr int ModbusRtu = 1, ModbusRtuOverTcp = 2;
    CatalogueContent content = DemoCatalogue::content();
    CatalogueChamberType chamber = *std::find_if(
            content.chamberTypes.cbegin(), content.chamberTypes.cend(),
            [](const CatalogueChamberType &type) { return type.id == DemoCatalogue::TemperatureChamber; });
    chamber.toleranceRangeIds.clear();
    chamber.dataloggerSignals.clear();
    const struct
    {
        quint64 id;
        quint64 variant;
        const char *articleNumber;
        const char *variantName;
        const char *name;
        const char *image;
        int connectionKind;
    } copies[] = {{7, 701, "640700-01", "Serial line", "KB", nullptr, ModbusRtu},
                  {8, 801, "640800-01", "Modbus gateway", "KBG", "kbg.png", ModbusRtuOverTcp}};
    for (const auto &copy : copies) {
        content.additionalInfos.append({copy.variant, copy.articleNumber, copy.variantName});
        chamber.id = copy.id;
        chamber.type = copy.name;
        chamber.image = copy.image;
        chamber.protocolIds = {copy.connectionKind};
        chamber.additionalInfoIds = {copy.variant};
        content.chamberTypes.append(chamber);
    }
    return content;
}

struct Device
{
    QString address;
    QString macAddress;
    QString name;
    QString articleNumber;
    QString outcome;
};

} // namespace

void tst_CorvaneWindow::init()
{
    m_settings = std::make_unique<quelta::test::SettingsFileSandbox>();
    QVERIFY(m_settings->isValid());
    m_settings->setValue("General/ChamberImageDirectory", QUELTA_TEST_SOURCE_DIR "/../tools/democatalogue/images");
}

void tst_CorvaneWindow::cleanup()
{
    m_window = nullptr;
    m_settings.reset();
}

bool tst_CorvaneWindow::open(CorvaneProgram &program, const QTemporaryDir &directory)
{
    const QString database = directory.filePath("configuration.sqlite3");
    if (!quelta::test::CatalogueBuilder::create(database, testCatalogue()).isEmpty() || !program.initialize(database))
        return false;
    program.load();
    m_window = qobject_cast<QQuickWindow *>(program.engine().rootObjects().value(0));
    if (!m_window)
        return false;
    // Without a window manager, nobody else gives the window the keyboard.
    m_window->requestActivate();
    return QTest::qWaitForWindowActive(m_window);
}

QObject *tst_CorvaneWindow::find(const QString &name, QObject *under) const
{
    return findShown(under ? under : m_window->contentItem(), name);
}

bool tst_CorvaneWindow::settle() const
{
    return QTest::qWaitFor([this] { return !polishScheduled(m_window->contentItem()); });
}

QQuickItem *tst_CorvaneWindow::delegate(const QString &list, int index) const
{
    QObject *view = find(list);
    QQuickItem *item = nullptr;
    if (view && settle())
        QMetaObject::invokeMethod(view, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, index));
    return item;
}

QString tst_CorvaneWindow::text(const QString &name, QObject *under) const
{
    const QObject *object = find(name, under);
    return object ? object->property("text").toString() : QString();
}

bool tst_CorvaneWindow::click(QObject *control)
{
    auto *item = qobject_cast<QQuickItem *>(control);
    if (!item || !item->isVisible() || !item->isEnabled() || !settle())
        return false;
    const QPointF centre = item->mapToScene(QPointF(item->width(), item->height()) / 2);
    QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, centre.toPoint());
    return true;
}

void tst_CorvaneWindow::turnWheel(QQuickItem *item, int notches)
{
    // One notch; Qt counts a turn towards the user negative.
    constexpr int Notch = 120;
    const QPointF centre = item->mapToScene(QPointF(item->width(), item->height()) / 2);
    QWheelEvent wheel(centre, m_window->mapToGlobal(centre.toPoint()), QPoint(), QPoint(0, -notches * Notch),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QGuiApplication::sendEvent(m_window, &wheel);
}

bool tst_CorvaneWindow::showsAPicture(const QString &name, QObject *under) const
{
    // An Image's status by the name of its enum value.
    const auto status = [](const QObject *image) {
        const QMetaObject *type = image->metaObject();
        const QMetaEnum statuses = type->enumerator(type->indexOfEnumerator("Status"));
        return QByteArray(statuses.valueToKey(image->property("status").toInt()));
    };
    QObject *image = find(name, under);
    if (!image)
        return false;
    const QObject *shown = status(image) == "Ready" ? image : find("placeholderImage", image);
    return shown && status(shown) == "Ready";
}

bool tst_CorvaneWindow::screenshot(const QString &name) const
{
    // A page drawn with its texts has far more colours than a blank one.
    constexpr int MinimumColours = 64;
    const QImage image = m_window->grabWindow().convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        colours.unite(QSet<QRgb>(line, line + image.width()));
    }
    const QString path = QString(QUELTA_ARTEFACT_DIR "/%1.png").arg(name);
    qInfo().noquote() << "Screenshot" << path << "with" << colours.size() << "colours";
    return colours.size() >= MinimumColours && QDir().mkpath(QUELTA_ARTEFACT_DIR) && image.save(path);
}

void tst_CorvaneWindow::searchAndCheck_eachConnectionKind()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != "1")
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");

    // Two converters answer the search: an XPort with a Modbus RTU device
    // behind it and a WuT with a vacuum controller. A Modbus TCP device, a
    // Modbus gateway and a TJV controller are entered by hand, and an
    // address where nobody is.
    const QHostAddress xportAddress("10.77.0.2"), wutAddress("10.77.0.1");
    UdpResponder xport(30718, {{xportAddress, QByteArray::fromHex("000000f7") + QByteArray(20, 1)
                                                      + QByteArray::fromHex("00204a000002")}});
    UdpResponder wut(8513, {{wutAddress, QByteArray(10, 2) + QByteArray::fromHex("00c03d000001") + QByteArray(16, 0)
                                                 + QByteArray(10, 3)}});
    ScriptedModbusPeer rtuDevice(ScriptedModbusPeer::Framing::Rtu);
    QVERIFY(rtuDevice.listen(xportAddress, 10001));
    LineDevice vacuum({"0950 mbar"});
    QVERIFY(vacuum.listen(wutAddress, 8000));
    LoopbackModbusTcpServer tcpDevice;
    QVERIFY(tcpDevice.start(1, QVector<quint16>(0xAC02), QHostAddress("127.0.0.2"), 502));
    ScriptedModbusPeer gatewayDevice(ScriptedModbusPeer::Framing::Rtu);
    QVERIFY(gatewayDevice.listen(QHostAddress("127.0.0.5"), 502));
    // The TJV controller answers only the repeated request, a second later.
    const QString tjvAddress("127.0.0.3");
    LineDevice tjv({"", "TJV VTR 53 E1"});
    QVERIFY(tjv.listen(QHostAddress(tjvAddress), 9001));
    const QList<Device> devices{{"10.77.0.2", "00:20:4a:00:00:02", "Kammer RTU", "640700-01", "erfolgreich"},
                                {"10.77.0.1", "00:c0:3d:00:00:01", "Vakuum", "20683001", "erfolgreich"},
                                {"127.0.0.2", "", "Klima TCP", "640100-01", "erfolgreich"},
                                {"127.0.0.5", "", "Kammer Gateway", "640800-01", "erfolgreich"},
                                {tjvAddress, "", "Ofen TJV", "630053-01", "erfolgreich"},
                                {"127.0.0.4", "", "Klima aus", "640100-01", "fehlgeschlagen"}};

    QTemporaryDir directory;
    CorvaneProgram program;
    QVERIFY(open(program, directory));

    // The search lists the PC's serial ports and the converters.
    QVERIFY(click("startSearchButton"));
    QTRY_COMPARE_WITH_TIMEOUT(text("searchStatusText"), "Status Suchvorgang: Abgeschlossen", 10000);
    QObject *results = find("resultList");
    QVERIFY(results);
    QCOMPARE(results->property("count").toInt(), SerialPortNaming::availablePortNames().size() + 2);
    QVERIFY(screenshot("search-results"));

    // The addresses by hand differ in the last field only.
    QVERIFY(click("manualEntryButton"));
    QVERIFY(click("ipField0"));
    type("127000000002");
    QVERIFY(click("addButton"));
    for (const char *lastField : {"3", "4", "5"}) {
        QVERIFY(click("ipField3"));
        selectAll();
        type(lastField);
        QVERIFY(click("addButton"));
    }

    // A COM port that the PC does not have.
    QVERIFY(SerialPortNaming(SerialPortNaming::availablePortNames()).portName("COM255").isNull());
    QVERIFY(click("comPortRadio"));
    QVERIFY(click("comPortSpinBox"));
    selectAll();
    type("255");
    QTest::keyClick(m_window, Qt::Key_Return);
    QVERIFY(click("addButton"));
    QObject *errorDialog = find("errorDialog");
    QVERIFY(errorDialog);
    QTRY_VERIFY(errorDialog->property("opened").toBool());
    QCOMPARE(text("messageText", errorDialog), "'COM255' is not valid");
    QVERIFY(screenshot("unknown-com-port-dialog"));
    QVERIFY(click("okButton", errorDialog));
    QTRY_VERIFY(!errorDialog->property("visible").toBool());

    // The network results alone, every one selected.
    QVERIFY(click("interfaceFilterIp"));
    QCOMPARE(results->property("count").toInt(), devices.size());
    for (int row = 0; row < devices.size(); ++row) {
        QQuickItem *result = delegate("resultList", row);
        QVERIFY(result);
        const auto device = std::find_if(devices.cbegin(), devices.cend(), [&](const Device &candidate) {
            return candidate.address == text("cell1", result);
        });
        QVERIFY2(device != devices.cend(), qPrintable(text("cell1", result)));
        QCOMPARE(text("cell0", result), device->macAddress);
        QVERIFY(click("resultCheckBox", result));
    }
    QCOMPARE(text("selectedCountText"), QString("Anzahl ausgewählter Geräte: %1").arg(devices.size()));
    QVERIFY(screenshot("search-filtered"));

    // Each selected result in turn: name, type by its article number, check.
    QVERIFY(click("configureButton"));
    QTRY_VERIFY(find("configPage") && !find("searchPage"));
    for (int entry = 0; entry < devices.size(); ++entry) {
        const QString address = text("addressText");
        const auto device = std::find_if(devices.cbegin(), devices.cend(),
                                         [&](const Device &candidate) { return candidate.address == address; });
        QVERIFY2(device != devices.cend(), qPrintable(address));
        QVERIFY(click("chamberNameField"));
        type(device->name.toLatin1());
        QVERIFY(click("infoNextButton"));
        QVERIFY(click("filterArticleNumber"));
        type(device->articleNumber.toLatin1());
        QTRY_COMPARE(find("typeList")->property("count").toInt(), 1);
        QVERIFY(click(delegate("typeList", 0)));
        QVERIFY(click("selectionNextButton"));

        QVERIFY(click("checkButton"));
        if (device->address == tjvAddress) {
            QCOMPARE(text("checkButton"), "Abbrechen");
            QVERIFY(screenshot("config-during-check"));
        }
        QTRY_COMPARE_WITH_TIMEOUT(text("checkStatusText"), "Verbindungsprüfung " + device->outcome, 15000);
        QVERIFY(showsAPicture("typeImage"));
        QQuickItem *listEntry = delegate("configurationList", entry);
        QVERIFY(listEntry);
        QVERIFY(showsAPicture("entryImage", listEntry));
        const QObject *icon = find("activationIcon", listEntry);
        QVERIFY(icon);
        QCOMPARE(icon->property("color").value<QColor>(),
                 QColor(device->outcome == "erfolgreich" ? "#2699fb" : "#e60000"));
        if (entry + 1 < devices.size())
            QVERIFY(click("checkNextButton"));
    }
    QCOMPARE(text("countText"), QString("Anzahl überprüfter Geräte: %1 / %1").arg(devices.size()));
    QVERIFY(screenshot("config-after-check"));
}

void tst_CorvaneWindow::typedAddresses_andALongConfigurationList()
{
    QTemporaryDir directory;
    CorvaneProgram program;
    QVERIFY(open(program, directory));

    // An address typed key by key with its dots.
    QVERIFY(click("manualEntryButton"));
    QVERIFY(click("ipField0"));
    type("10.77.0.10");
    QVERIFY(screenshot("manual-entry-typed-address"));
    QVERIFY(click("addButton"));
    QObject *results = find("resultList");
    QVERIFY(results);
    QCOMPARE(results->property("count").toInt(), 1);
    QCOMPARE(text("cell1", delegate("resultList", 0)), "10.77.0.10");

    // 300 makes no address: nothing is added, and the page says why.
    QVERIFY(click("ipField2"));
    selectAll();
    type("300");
    QVERIFY(click("addButton"));
    QObject *errorDialog = find("errorDialog");
    QVERIFY(errorDialog);
    QTRY_VERIFY(errorDialog->property("opened").toBool());
    QCOMPARE(text("messageText", errorDialog),
             "Keine gültige IP-Adresse: Jedes der vier Felder braucht eine Zahl von 0 bis 255.");
    QVERIFY(screenshot("manual-entry-no-address"));
    QVERIFY(click("okButton", errorDialog));
    QTRY_VERIFY(!errorDialog->property("visible").toBool());
    QCOMPARE(results->property("count").toInt(), 1);

    // More devices than the configuration list shows at once, all selected.
    QVERIFY(click("ipField2"));
    selectAll();
    type("0");
    constexpr int Devices = 14;
    for (int last = 11; last < 10 + Devices; ++last) {
        QVERIFY(click("ipField3"));
        selectAll();
        type(QByteArray::number(last));
        QVERIFY(click("addButton"));
    }
    QCOMPARE(results->property("count").toInt(), Devices);
    for (int row = 0; row < Devices; ++row)
        QVERIFY(click("resultCheckBox", delegate("resultList", row)));
    QVERIFY(click("configureButton"));
    QTRY_VERIFY(find("configPage") && !find("searchPage"));

    // The first device gets a name too long for its entry and the climate
    // chamber, the second the type whose picture is missing.
    const QList<QPair<QByteArray, QByteArray>> devices{{"Klimakammer Halle 3 Ost", "640100-01"},
                                                       {"Gateway", "640800-01"}};
    for (const auto &device : devices) {
        QVERIFY(click("chamberNameField"));
        type(device.first);
        QVERIFY(click("infoNextButton"));
        QVERIFY(click("filterArticleNumber"));
        type(device.second);
        QTRY_COMPARE(find("typeList")->property("count").toInt(), 1);
        QVERIFY(click(delegate("typeList", 0)));
        QVERIFY(click("selectionNextButton"));
        QVERIFY(showsAPicture("typeImage"));
        QVERIFY(click("checkNextButton"));
    }
    QObject *configurationList = find("configurationList");
    QVERIFY(configurationList);
    QCOMPARE(configurationList->property("currentIndex").toInt(), 2);
    QVERIFY(showsAPicture("entryImage", delegate("configurationList", 0)));
    QVERIFY(showsAPicture("entryImage", delegate("configurationList", 1)));

    // The cut name's tool tip opens, and a click in the middle of the entry
    // still selects it.
    QQuickItem *cutEntry = delegate("configurationList", 0);
    QVERIFY(cutEntry);
    QVERIFY(settle());
    const QPoint middle = cutEntry->mapToScene(QPointF(cutEntry->width(), cutEntry->height()) / 2).toPoint();
    QTest::mouseMove(m_window, middle);
    QObject *toolTip = find("entryToolTip", cutEntry);
    QVERIFY(toolTip);
    QTRY_VERIFY(toolTip->property("opened").toBool());
    QCOMPARE(toolTip->property("text").toString(), "Klimakammer Halle 3 Ost");
    QVERIFY(screenshot("configuration-list-tool-tip"));
    QTest::mouseClick(m_window, Qt::LeftButton, Qt::NoModifier, middle);
    QCOMPARE(configurationList->property("currentIndex").toInt(), 0);
    QCOMPARE(text("chamberNameField"), "Klimakammer Halle 3 Ost");

    // The wheel scrolls the list to its last entries.
    auto *list = qobject_cast<QQuickItem *>(configurationList);
    QCOMPARE(list->property("contentX").toReal(), 0.0);
    turnWheel(list, Devices);
    const qreal end = list->property("contentWidth").toReal() - list->width();
    QVERIFY(end > 0);
    QCOMPARE(list->property("contentX").toReal(), end);
    QVERIFY(delegate("configurationList", Devices - 1));
    QVERIFY(screenshot("configuration-list-scrolled"));
    turnWheel(list, -1);
    QVERIFY(list->property("contentX").toReal() < end);
}

QTEST_MAIN(tst_CorvaneWindow)

#include "tst_corvanewindow.moc"
