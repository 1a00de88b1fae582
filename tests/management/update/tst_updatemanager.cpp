#include "management/update/shelllauncher.h"
#include "management/update/updatemanager.h"

#include <QtTest/QtTest>

#include <signal.h>

using quelta::base::management::updatemanager::ShellLauncher;
using quelta::base::management::updatemanager::UpdateManager;
namespace api = quelta::domain::api;

Q_DECLARE_METATYPE(ShellLauncher::Result)

namespace {

// Set in the environment of the copy of this test that runs next to its own
// component list and maintenance tool.
const char copiedExecutableVariable[] = "QUELTA_TEST_COPIED_EXECUTABLE";

// Answers launches with the results it was given, in order, and records
// each as "<verb> <file> <parameters>".
class FakeLauncher : public ShellLauncher
{
public:
    explicit FakeLauncher(const QList<Result> &results)
        : m_results(results)
    {
    }

    Result launch(Verb verb, const QString &file, const QString &parameters) override
    {
        calls.append(QStringList{verb == Verb::Open ? "open" : "runas", file, parameters}.join(' '));
        return m_results.isEmpty() ? Result::Failed : m_results.takeFirst();
    }

    QStringList calls;

private:
    QList<Result> m_results;
};

QByteArray packages(const QByteArray &content)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Packages><ApplicationName>Corvane</ApplicationName>"
           + content + "</Packages>\n";
}

// Indented as the installer writes it: the line breaks between the elements
// belong to no field.
QByteArray package(const QByteArray &name, const QByteArray &title, const QByteArray &version)
{
    return "\n  <Package>\n    <Name>" + name + "</Name>\n    <Title>" + title + "</Title>\n    <Version>" + version
           + "</Version>\n    <InstallDate>2022-12-03</InstallDate>\n    <Size>1024</Size>\n  </Package>\n";
}

QByteArray listing(const QByteArray &name, const QByteArray &version)
{
    return "echo '<update name=\"" + name + "\" version=\"" + version + "\" size=\"1\"/>'\n";
}

// Writes the tool's pid beside it once it runs, then never ends.
const QByteArray hangingTool = "dir=$(dirname \"$0\")\n"
                               "echo $$ > \"$dir/pid.tmp\"\n"
                               "mv \"$dir/pid.tmp\" \"$dir/pid\"\n"
                               "exec sleep 600\n";

bool isAlive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

} // namespace

class tst_UpdateManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void initialize_data();
    void initialize();
    void initialize_withoutList_reportsDefaults();
    void checkForUpdates_reportsListedUpdates();
    void checkForUpdates_takesFirstToolName_data();
    void checkForUpdates_takesFirstToolName();
    void checkForUpdates_withoutList_reportsNoUpdatesOnce_data();
    void checkForUpdates_withoutList_reportsNoUpdatesOnce();
    void checkForUpdates_toolThatNeverEnds_endsWithManager();
    void checkForUpdates_secondCheckWhileRunning_reportsOnlySecond();
    void performUpdate_data();
    void performUpdate();
    void withoutTool_reportsNoUpdatesAndLaunchesNothing();
    void defaultManager_looksNextToExecutable();

private:
    QString filePath(const QString &name) const { return m_dir->filePath(name); }
    void writeFile(const QString &name, const QByteArray &content, bool executable = false);
    qint64 toolPid() const;
    std::unique_ptr<UpdateManager> createManager(const QList<ShellLauncher::Result> &launchResults = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeLauncher *m_launcher = nullptr;
};

void tst_UpdateManager::initTestCase()
{
    QCoreApplication::setApplicationName("Corvane");
    qRegisterMetaType<QProcess::ExitStatus>();
}

void tst_UpdateManager::init()
{
    // A space in the path proves that the quoted tool path stays one word.
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/update manager-XXXXXX");
    QVERIFY(m_dir->isValid());
    QCoreApplication::setApplicationVersion("untouched");
}

void tst_UpdateManager::writeFile(const QString &name, const QByteArray &content, bool executable)
{
    QFile file(filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    if (executable)
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));
}

// The pid that a hanging tool wrote beside it, or -1 while there is none.
qint64 tst_UpdateManager::toolPid() const
{
    QFile pidFile(filePath("pid"));
    bool ok = false;
    const qint64 pid = pidFile.open(QIODevice::ReadOnly) ? pidFile.readAll().trimmed().toLongLong(&ok) : -1;
    return ok ? pid : -1;
}

std::unique_ptr<UpdateManager> tst_UpdateManager::createManager(const QList<ShellLauncher::Result> &launchResults)
{
    auto launcher = std::make_unique<FakeLauncher>(launchResults);
    m_launcher = launcher.get();
    return std::make_unique<UpdateManager>(m_dir->path(), std::move(launcher));
}

void tst_UpdateManager::initialize_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("version");

    // The last component titled exactly like the application gives its version.
    QTest::newRow("later application package wins")
        << packages(package("quelta.core", "Core Files", "1.2.0") + package("quelta.app", "Corvane", "4.2.0")
                    + package("quelta.patch", "Corvane", "4.3.0") + package("quelta.x", "corvane", "5"))
        << true
        << QStringList{"quelta.core :: Core Files :: 1.2.0 :: 2022-12-03",
                       "quelta.app :: Corvane :: 4.2.0 :: 2022-12-03",
                       "quelta.patch :: Corvane :: 4.3.0 :: 2022-12-03", "quelta.x :: corvane :: 5 :: 2022-12-03"}
        << "4.3.0";
    // The reader reports text around entities and CDATA sections in pieces;
    // only the last piece used to be kept.
    QTest::newRow("text in pieces is joined")
        << packages("<Package><Name>Core &amp; <![CDATA[More]]></Name><Title>Cor<![CDATA[vane]]></Title>"
                    "<Version><![CDATA[4.]]>2<![CDATA[.1]]></Version></Package>")
        << true << QStringList{"Core & More :: Corvane :: 4.2.1 :: "} << "4.2.1";
    // Filling the text's fields one after another once put the title in
    // place of a "%2" inside the name.
    QTest::newRow("placeholders in the fields stay text")
        << packages(package("quelta %2", "Title %1", "%3")) << true
        << QStringList{"quelta %2 :: Title %1 :: %3 :: 2022-12-03"} << "untouched";
    QTest::newRow("other elements and attributes are ignored")
        << packages("<Name>outside</Name><Package id=\"core\"><Name lang=\"en\">quelta.core</Name>"
                    "<Title>Core <b>bold</b> Files</Title><Description>x</Description><Version>1.0</Version></Package>")
        << true << QStringList{"quelta.core :: Core  Files :: 1.0 :: "} << "untouched";
    QTest::newRow("nested package keeps the inner one")
        << packages("<Package><Name>outer</Name><Package><Name>inner</Name></Package><Version>1</Version></Package>")
        << true << QStringList{"inner ::  ::  :: "} << "untouched";
    QTest::newRow("no packages") << packages(QByteArray()) << true << QStringList() << "untouched";
    QTest::newRow("unterminated") << packages(package("quelta.app", "Corvane", "4.2.0")).chopped(12) << false
                                  << QStringList() << "untouched";
    QTest::newRow("mismatched end tag") << packages(package("quelta.app", "Corvane", "4.2.0") + "</Package>")
                                        << false << QStringList() << "untouched";
}

void tst_UpdateManager::initialize()
{
    QFETCH(QByteArray, list);
    QFETCH(bool, reported);
    QFETCH(QStringList, installed);
    QFETCH(QString, version);

    writeFile("components.xml", list);
    auto manager = createManager();
    QSignalSpy installedVersions(manager.get(), &UpdateManager::signalInstalledVersions);

    QVERIFY(manager->initialize());
    QCOMPARE(installedVersions.count(), reported ? 1 : 0);
    if (reported)
        QCOMPARE(installedVersions.at(0).at(0).toStringList(), installed);
    QCOMPARE(QCoreApplication::applicationVersion(), version);
}

void tst_UpdateManager::initialize_withoutList_reportsDefaults()
{
    auto manager = createManager();
    QSignalSpy installedVersions(manager.get(), &UpdateManager::signalInstalledVersions);

    QTest::ignoreMessage(QtInfoMsg, "No Updater information file found");
    QVERIFY(manager->initialize());
    // A list that cannot be read counts as missing.
    QVERIFY(QDir(m_dir->path()).mkdir("components.xml"));
    QTest::ignoreMessage(QtInfoMsg, "No Updater information file found");
    QVERIFY(manager->initialize());

    const QStringList defaults{"Quelta :: 0000", "Languages :: 0001", "Translations :: 0002"};
    QCOMPARE(installedVersions.count(), 2);
    QCOMPARE(installedVersions.at(0).at(0).toStringList(), defaults);
    QCOMPARE(installedVersions.at(1).at(0).toStringList(), defaults);
    QCOMPARE(QCoreApplication::applicationVersion(), QString("untouched"));
}

void tst_UpdateManager::checkForUpdates_reportsListedUpdates()
{
    // A non-zero exit code does not hide the list.
    writeFile("maintenancetool.exe",
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/arguments\"\n"
              "echo 'Checking for updates...'\necho '<updates>'\n" + listing("quelta.core", "2.1.0")
                  + "echo '<update version=\"1.5\" size=\"20\" name=\"quelta.languages\"/>'\necho '</updates>'\nexit 3\n",
              true);
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    QTest::ignoreMessage(QtInfoMsg, qPrintable("starting the maintenance tool: \"" + filePath("maintenancetool.exe")
                                               + "\" --checkupdates -v"));
    QTest::ignoreMessage(QtInfoMsg, "Maintenance Tool started, for checking new Version!!");
    manager->checkForUpdates();

    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), (QStringList{"quelta.core :: 2.1.0", "quelta.languages :: 1.5"}));
    QCOMPARE(noUpdates.count(), 0);
    QFile arguments(filePath("arguments"));
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    QCOMPARE(arguments.readAll(), QByteArray("--checkupdates\n-v\n"));
}

void tst_UpdateManager::checkForUpdates_takesFirstToolName_data()
{
    QTest::addColumn<QStringList>("present");

    QTest::newRow("exe before bat and cmd")
        << QStringList{"maintenancetool.exe", "maintenancetool.bat", "maintenancetool.cmd"};
    QTest::newRow("bat before cmd") << QStringList{"maintenancetool.bat", "maintenancetool.cmd"};
    QTest::newRow("cmd only") << QStringList{"maintenancetool.cmd"};
}

void tst_UpdateManager::checkForUpdates_takesFirstToolName()
{
    QFETCH(QStringList, present);

    // Each tool lists an update named after itself.
    for (const QString &name : qAsConst(present))
        writeFile(name, "#!/bin/sh\n" + listing(name.toUtf8(), "1"), true);
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);

    for (const char *name : {"maintenancetool.exe", "maintenancetool.bat"}) {
        if (name == present.first())
            break;
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Can't find maintenance tool: " + filePath(name)));
    }
    manager->checkForUpdates();

    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{present.first() + " :: 1"});
}

void tst_UpdateManager::checkForUpdates_withoutList_reportsNoUpdatesOnce_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("warning");

    const QString notStarted = "Maintenance Tool not started!! File might be missing";
    QTest::newRow("normal exit without updates") << QByteArray("echo 'No updates available.'\n") << true << QString();
    QTest::newRow("tool crashes after listing updates")
        << listing("core", "2") + "kill -KILL $$\n" << true << notStarted;
    QTest::newRow("tool cannot start") << listing("core", "2") << false << notStarted;
}

void tst_UpdateManager::checkForUpdates_withoutList_reportsNoUpdatesOnce()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, executable);
    QFETCH(QString, warning);

    writeFile("maintenancetool.exe", "#!/bin/sh\n" + script, executable);
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    manager->checkForUpdates();
    QVERIFY(noUpdates.wait());
    // A failed tool's process is let go; a finished one stays until the next check.
    QTRY_COMPARE(manager->findChildren<QProcess *>().size(), warning.isEmpty() ? 1 : 0);

    // Any second report of the failed check would arrive before the next
    // check's result.
    writeFile("maintenancetool.exe", "#!/bin/sh\n" + listing("core", "3"), true);
    manager->checkForUpdates();
    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{"core :: 3"});
    QCOMPARE(updates.count(), 1);
    QCOMPARE(noUpdates.count(), 1);
}

void tst_UpdateManager::checkForUpdates_toolThatNeverEnds_endsWithManager()
{
    writeFile("maintenancetool.exe", "#!/bin/sh\n" + hangingTool, true);
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    manager->checkForUpdates();
    qint64 pid = -1;
    QTRY_VERIFY((pid = toolPid()) > 0);
    QVERIFY(isAlive(pid));

    manager.reset();
    QVERIFY(!isAlive(pid));
    QCoreApplication::processEvents();
    QCOMPARE(updates.count() + noUpdates.count(), 0);
}

void tst_UpdateManager::checkForUpdates_secondCheckWhileRunning_reportsOnlySecond()
{
    // Regression: the second check released the first tool, whose end then
    // ended the second check and reported "no updates" twice.
    writeFile("maintenancetool.exe",
              "#!/bin/sh\ndir=$(dirname \"$0\")\nif [ ! -e \"$dir/first\" ]; then\n    : > \"$dir/first\"\n"
                  + hangingTool + "fi\n" + listing("second", "2"),
              true);
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    manager->checkForUpdates();
    qint64 firstPid = -1;
    QTRY_VERIFY((firstPid = toolPid()) > 0);

    manager->checkForUpdates();
    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{"second :: 2"});

    // The first tool is ended and reaped; its end reports nothing.
    QTRY_VERIFY(!isAlive(firstPid));
    QTRY_COMPARE(manager->findChildren<QProcess *>().size(), 1);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(noUpdates.count(), 0);
}

void tst_UpdateManager::performUpdate_data()
{
    using Result = ShellLauncher::Result;
    QTest::addColumn<QList<Result>>("results");
    QTest::addColumn<QStringList>("verbs");
    QTest::addColumn<bool>("started");

    QTest::newRow("opened") << QList<Result>{Result::Launched} << QStringList{"open"} << true;
    QTest::newRow("access denied, then elevated")
        << QList<Result>{Result::AccessDenied, Result::Launched} << QStringList{"open", "runas"} << true;
    QTest::newRow("access denied twice")
        << QList<Result>{Result::AccessDenied, Result::AccessDenied} << QStringList{"open", "runas"} << false;
    QTest::newRow("failed without elevation") << QList<Result>{Result::Failed} << QStringList{"open"} << false;
}

void tst_UpdateManager::performUpdate()
{
    QFETCH(QList<ShellLauncher::Result>, results);
    QFETCH(QStringList, verbs);
    QFETCH(bool, started);

    writeFile("maintenancetool.bat", "#!/bin/sh\n", true);
    auto manager = createManager(results);
    QSignalSpy updateStarted(manager.get(), &UpdateManager::updateStarted);

    if (!started)
        QTest::ignoreMessage(QtWarningMsg, "Maintenance tool for update is not startet!");
    manager->performUpdate();

    QCOMPARE(updateStarted.count(), started ? 1 : 0);
    QStringList expected;
    for (const QString &verb : qAsConst(verbs))
        expected.append(verb + " \"" + filePath("maintenancetool.bat") + "\" --updater");
    QCOMPARE(m_launcher->calls, expected);
}

void tst_UpdateManager::withoutTool_reportsNoUpdatesAndLaunchesNothing()
{
    auto manager = createManager({ShellLauncher::Result::Launched});
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);
    QSignalSpy updateStarted(manager.get(), &UpdateManager::updateStarted);

    for (const char *name : {"maintenancetool.exe", "maintenancetool.bat", "maintenancetool.cmd"})
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Can't find maintenance tool: " + filePath(name)));
    QTest::ignoreMessage(QtWarningMsg, "Maintenance tool is not startet!!!");
    manager->checkForUpdates();
    QCOMPARE(noUpdates.count(), 1);

    manager->performUpdate();
    QCOMPARE(m_launcher->calls, QStringList());
    QCOMPARE(updateStarted.count(), 0);
}

void tst_UpdateManager::defaultManager_looksNextToExecutable()
{
    if (qEnvironmentVariableIsSet(copiedExecutableVariable)) {
        // Start-up knows the manager only by its interfaces.
        UpdateManager manager;
        QSignalSpy updates(&manager, &UpdateManager::updatesAvailable);
        QVERIFY(qobject_cast<api::IInitializing *>(&manager)->initialize());
        QCOMPARE(QCoreApplication::applicationVersion(), QString("7.1.0"));
        qobject_cast<api::IUpdateManagement *>(&manager)->checkForUpdates();
        QVERIFY(updates.wait());
        QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{"copied :: 7.2.0"});
        return;
    }

    const QString copy = filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    writeFile("components.xml", packages(package("quelta.app", "Corvane", "7.1.0")));
    writeFile("maintenancetool.cmd", "#!/bin/sh\n" + listing("copied", "7.2.0"), true);

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(copiedExecutableVariable, "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    QSignalSpy finished(&child, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    child.start(copy, {"defaultManager_looksNextToExecutable"});
    QVERIFY(finished.wait(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
}

QTEST_GUILESS_MAIN(tst_UpdateManager)
#include "tst_updatemanager.moc"
