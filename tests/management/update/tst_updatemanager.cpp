#include "management/update/detachedprocesslauncher.h"
#include "management/update/updatemanager.h"

#include <QtTest/QtTest>

#include <signal.h>

using quelta::base::management::updatemanager::DetachedProcessLauncher;
using quelta::base::management::updatemanager::UpdateManager;
namespace api = quelta::domain::api;

namespace {

QByteArray packages(const QByteArray &content)
{
    return "<?xml version=\"1.0\"?>\n<Packages><ApplicationName>Corvane</ApplicationName>" + content + "</Packages>\n";
}

// Indented as the installer writes it: the line breaks belong to no field.
QByteArray package(const QByteArray &name, const QByteArray &title, const QByteArray &version)
{
    return "\n  <Package>\n    <Name>" + name + "</Name>\n    <Title>" + title + "</Title>\n    <Version>" + version
           + "</Version>\n    <InstallDate>2022-12-03</InstallDate>\n  </Package>\n";
}

// The version may be a shell word such as "$*".
QByteArray listing(const QByteArray &name, const QByteArray &version)
{
    return "echo \"<update name=\\\"" + name + "\\\" version=\\\"" + version + "\\\" size=\\\"1\\\"/>\"\n";
}

// Records its arguments, one a line, in the file "record" beside it.
const QByteArray recorder = "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/record.tmp\"\n"
                            "mv \"$(dirname \"$0\")/record.tmp\" \"$(dirname \"$0\")/record\"\n";

bool isAlive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

// Reaches the handler of the tool's errors, which a running tool reports too
// (a read, write or time-out error).
class TestManager : public UpdateManager
{
public:
    using UpdateManager::UpdateManager;
    using UpdateManager::errorOccured;
};

} // namespace

class tst_UpdateManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void initialize_data();
    void initialize();
    void checkForUpdates_data();
    void checkForUpdates();
    void defaultManager_answersItsInterfacesAndLooksBesideTheExecutable();
    void runningTool_endsWhenReplacedFailedOrDestroyed();
    void performUpdate_data();
    void performUpdate();

private:
    QString filePath(const QString &name) const { return m_dir->filePath(name); }
    void writeFile(const QString &name, const QByteArray &content);
    // Launches through the elevation helper "elevate" in the test's folder.
    std::unique_ptr<TestManager> createManager()
    {
        return std::make_unique<TestManager>(m_dir->path(),
                                             std::make_unique<DetachedProcessLauncher>(filePath("elevate")));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_UpdateManager::init()
{
    // A space in the path proves that the quoted tool path stays one word.
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/update manager-XXXXXX");
    QVERIFY(m_dir->isValid());
    QCoreApplication::setApplicationName("Corvane");
    QCoreApplication::setApplicationVersion("untouched");
}

// A content starting with "#!" is a script and made executable.
void tst_UpdateManager::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    if (content.startsWith("#!"))
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

void tst_UpdateManager::initialize_data()
{
    QTest::addColumn<QByteArray>("list"); // null: no file
    QTest::addColumn<QVariant>("installed"); // invalid: nothing reported
    QTest::addColumn<QString>("version");

    QTest::newRow("later application package wins")
        << packages(package("a", "Corvane", "4.2.0") + package("b", "Corvane", "4.3.0") + package("c", "corvane", "5"))
        << QVariant(QStringList{"a :: Corvane :: 4.2.0 :: 2022-12-03", "b :: Corvane :: 4.3.0 :: 2022-12-03",
                                "c :: corvane :: 5 :: 2022-12-03"})
        << "4.3.0";
    // The reader reports text around entities and CDATA sections in pieces;
    // only the last piece used to be kept.
    QTest::newRow("text in pieces is joined")
        << packages("<Package><Name>Core &amp; <![CDATA[More]]></Name><Title>Cor<![CDATA[vane]]></Title>"
                    "<Version><![CDATA[4.]]>2<![CDATA[.1]]></Version></Package>")
        << QVariant(QStringList{"Core & More :: Corvane :: 4.2.1 :: "}) << "4.2.1";
    // Filling the fields one after another once put the title in place of a
    // "%2" inside the name.
    QTest::newRow("placeholders in the fields stay text")
        << packages(package("q %2", "T %1", "%3")) << QVariant(QStringList{"q %2 :: T %1 :: %3 :: 2022-12-03"})
        << "untouched";
    // Only the Package's own children are fields, not one nested in another element.
    QTest::newRow("other elements and attributes are ignored")
        << packages("<Package><Name>outer</Name><Package id=\"x\"><Name lang=\"en\">in</Name><Title>A<b>B</b>C</Title>"
                    "<Extra><Version>9</Version></Extra></Package></Package>")
        << QVariant(QStringList{"in :: AC ::  :: "}) << "untouched";
    QTest::newRow("missing file") << QByteArray()
                                  << QVariant(QStringList{"Quelta :: 0000", "Languages :: 0001", "Translations :: 0002"})
                                  << "untouched";
    QTest::newRow("no package") << packages("") << QVariant(QStringList()) << "untouched";
    QTest::newRow("unterminated") << packages(package("app", "Corvane", "4.2.0")).chopped(12) << QVariant()
                                  << "untouched";
}

void tst_UpdateManager::initialize()
{
    QFETCH(QByteArray, list);
    QFETCH(QVariant, installed);
    QFETCH(QString, version);

    if (list.isNull())
        QTest::ignoreMessage(QtInfoMsg, "No Updater information file found");
    else
        writeFile("components.xml", list);
    auto manager = createManager();
    QSignalSpy installedVersions(manager.get(), &UpdateManager::signalInstalledVersions);

    QVERIFY(manager->initialize());
    QCOMPARE(installedVersions.count(), installed.isValid() ? 1 : 0);
    QCOMPARE(installedVersions.value(0).value(0), installed);
    QCOMPARE(QCoreApplication::applicationVersion(), version);
}

void tst_UpdateManager::checkForUpdates_data()
{
    QTest::addColumn<QByteArray>("tool");
    QTest::addColumn<QStringList>("updates"); // empty: "no updates"
    QTest::addColumn<bool>("fails");

    // The first update's version shows the arguments; the exit code does not hide the list.
    QTest::newRow("updates listed")
        << "#!/bin/sh\necho 'Checking...'\n" + listing("args", "$*")
               + "echo '<update version=\"1.5\" size=\"20\" name=\"lang\"/>'\nexit 3\n"
        << QStringList{"args :: --checkupdates -v", "lang :: 1.5"} << false;
    // A value that reads like an attribute name once overwrote the name.
    QTest::newRow("value \"name\"") << "#!/bin/sh\n" + listing("core", "name") << QStringList{"core :: name"} << false;
    // An element with a repeated attribute was reported with an empty name or version.
    QTest::newRow("each attribute once")
        << QByteArray("#!/bin/sh\necho '<update name=\"a\" name=\"b\" version=\"1\"/>"
                      "<update size=\"1\" version=\"2\" size=\"3\"/><update size=\"1\" version=\"3\" name=\"c\"/>'\n")
        << QStringList{"c :: 3"} << false;
    QTest::newRow("output ends at the first NUL byte")
        << QByteArray("#!/bin/sh\nprintf '<update name=\"a\" version=\"1\" size=\"1\"/>\\000"
                      "<update name=\"b\" version=\"2\" size=\"1\"/>'\n")
        << QStringList{"a :: 1"} << false;
    QTest::newRow("none available") << QByteArray("#!/bin/sh\necho 'No updates.'\n") << QStringList() << false;
    QTest::newRow("tool crashes") << "#!/bin/sh\n" + listing("core", "2") + "kill -KILL $$\n" << QStringList() << true;
    QTest::newRow("tool cannot start") << listing("core", "2") << QStringList() << true;
}

void tst_UpdateManager::checkForUpdates()
{
    QFETCH(QByteArray, tool);
    QFETCH(QStringList, updates);
    QFETCH(bool, fails);

    writeFile("maintenancetool.exe", tool);
    // Taken only when no earlier name exists.
    writeFile("maintenancetool.bat", "#!/bin/sh\n" + listing("bat", "1"));
    auto manager = createManager();
    QSignalSpy updatesSpy(manager.get(), &UpdateManager::updatesAvailable);
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    QTest::ignoreMessage(QtInfoMsg, qPrintable("starting the maintenance tool: \"" + filePath("maintenancetool.exe")
                                               + "\" --checkupdates -v"));
    if (fails)
        QTest::ignoreMessage(QtWarningMsg, "Maintenance Tool not started!! File might be missing");
    manager->checkForUpdates();

    // A crashing tool ends with an error and an exit: both are over when the first report arrives.
    QVERIFY(updates.isEmpty() ? noUpdates.wait() : updatesSpy.wait());
    QCOMPARE(updatesSpy.count() + noUpdates.count(), 1);
    QCOMPARE(updatesSpy.value(0).value(0).toStringList(), updates);
}

void tst_UpdateManager::defaultManager_answersItsInterfacesAndLooksBesideTheExecutable()
{
    UpdateManager manager;
    // Regression: a cast by an interface's bare name found nothing.
    void *const management = static_cast<api::IUpdateManagement *>(&manager);
    void *const initializing = static_cast<api::IInitializing *>(&manager);
    QCOMPARE(manager.qt_metacast("IUpdateManagement"), management);
    QCOMPARE(manager.qt_metacast("domain::api::IUpdateManagement"), management);
    QCOMPARE(manager.qt_metacast("IInitializing"), initializing);
    QCOMPARE(manager.qt_metacast("domain::api::IInitializing"), initializing);

    // Beside this test's executable there is no tool under any name.
    QSignalSpy noUpdates(&manager, &UpdateManager::noUpdatesAvailable);
    for (const char *name : {"exe", "bat", "cmd"}) {
        const QString path = QCoreApplication::applicationDirPath() + "/maintenancetool." + name;
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Can't find maintenance tool: " + path));
    }
    QTest::ignoreMessage(QtWarningMsg, "Maintenance tool is not startet!!!");
    // Start-up knows the manager only by its interfaces.
    qobject_cast<api::IUpdateManagement *>(&manager)->checkForUpdates();
    QCOMPARE(noUpdates.count(), 1);
    QVERIFY(manager.findChildren<QProcess *>().isEmpty());
}

void tst_UpdateManager::runningTool_endsWhenReplacedFailedOrDestroyed()
{
    writeFile("maintenancetool.exe", "#!/bin/sh\nexec sleep 600\n");
    auto manager = createManager();
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);
    const auto startRunningTool = [&manager]() -> qint64 {
        manager->checkForUpdates();
        const QPointer<QProcess> tool = manager->findChildren<QProcess *>().constLast();
        return QTest::qWaitFor([&tool] { return tool && tool->state() == QProcess::Running; }) ? tool->processId()
                                                                                                 : -1;
    };

    // Regression: the second check released the first tool, whose end then
    // ended the second check and reported "no updates" twice.
    const qint64 first = startRunningTool();
    const qint64 second = startRunningTool();
    QVERIFY(first > 0 && second > 0);
    QTRY_VERIFY(!isAlive(first));
    QTRY_COMPARE(manager->findChildren<QProcess *>().size(), 1);
    QVERIFY(isAlive(second));
    QCOMPARE(noUpdates.count(), 0);

    // Regression: an error of a running tool released it without ending it.
    QTest::ignoreMessage(QtWarningMsg, "Maintenance Tool not started!! File might be missing");
    manager->errorOccured(QProcess::ReadError);
    QCOMPARE(noUpdates.count(), 1);
    QTRY_VERIFY(!isAlive(second));
    QTRY_VERIFY(manager->findChildren<QProcess *>().isEmpty());

    // There is no time limit: a tool that never ends keeps the check open until the manager ends.
    const qint64 third = startRunningTool();
    QVERIFY(third > 0);
    manager.reset();
    QVERIFY(!isAlive(third));
    QCOMPARE(noUpdates.count(), 1);
}

void tst_UpdateManager::performUpdate_data()
{
    QTest::addColumn<QString>("executable"); // the tool, the elevation helper or neither may be started
    QTest::addColumn<QStringList>("record"); // empty: nothing started; <tool> stands for the tool's path

    QTest::newRow("opened") << "tool" << QStringList{"--updater"};
    QTest::newRow("access denied, then elevated") << "helper" << QStringList{"<tool>", "--updater"};
    QTest::newRow("access denied, elevation fails") << "neither" << QStringList();
}

void tst_UpdateManager::performUpdate()
{
    QFETCH(QString, executable);
    QFETCH(QStringList, record);

    // A file that is no script is not executable; the third name is taken
    // when neither of the others exists.
    writeFile("maintenancetool.cmd", executable == "tool" ? recorder : recorder.mid(2));
    writeFile("elevate", executable == "helper" ? recorder : recorder.mid(2));
    auto manager = createManager();
    QSignalSpy updateStarted(manager.get(), &UpdateManager::updateStarted);

    if (record.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "Maintenance tool for update is not startet!");
    manager->performUpdate();

    QCOMPARE(updateStarted.count(), record.isEmpty() ? 0 : 1);
    if (record.isEmpty())
        return;
    QFile recorded(filePath("record"));
    QTRY_VERIFY(recorded.exists());
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(recorded.readAll()).split('\n', Qt::SkipEmptyParts),
             record.replaceInStrings("<tool>", filePath("maintenancetool.cmd")));
}

QTEST_GUILESS_MAIN(tst_UpdateManager)
#include "tst_updatemanager.moc"
