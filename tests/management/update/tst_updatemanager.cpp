#include "management/update/shelllauncher.h"
#include "management/update/updatemanager.h"

#include <QtTest/QtTest>

#include <signal.h>

using quelta::base::management::updatemanager::ShellLauncher;
using quelta::base::management::updatemanager::UpdateManager;
namespace api = quelta::domain::api;

Q_DECLARE_METATYPE(ShellLauncher::Result)
Q_DECLARE_METATYPE(ShellLauncher::Verb)

namespace {

const char applicationName[] = "Corvane";
// Set in the environment of the copy of this test that runs next to its own
// component list and maintenance tool.
const char copiedExecutableVariable[] = "QUELTA_TEST_COPIED_EXECUTABLE";

// Answers launches with the results it was given, in order, and records them.
class FakeLauncher : public ShellLauncher
{
public:
    struct Call
    {
        Verb verb;
        QString file;
        QString parameters;
    };

    explicit FakeLauncher(const QList<Result> &results)
        : m_results(results)
    {
    }

    Result launch(Verb verb, const QString &file, const QString &parameters) override
    {
        calls.append({verb, file, parameters});
        return m_results.isEmpty() ? Result::Failed : m_results.takeFirst();
    }

    QList<Call> calls;

private:
    QList<Result> m_results;
};

const QByteArray listHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<Packages>\n"
                              "    <ApplicationName>Corvane</ApplicationName>\n"
                              "    <ApplicationVersion>0.0.1</ApplicationVersion>\n";
const QByteArray listFooter = "</Packages>\n";

QByteArray package(const QByteArray &name, const QByteArray &title, const QByteArray &version,
                   const QByteArray &installDate)
{
    return "    <Package>\n"
           "        <Name>" + name + "</Name>\n"
           "        <Title>" + title + "</Title>\n"
           "        <Description>Installed files</Description>\n"
           "        <Version>" + version + "</Version>\n"
           "        <InstallDate>" + installDate + "</InstallDate>\n"
           "        <Size>1024</Size>\n"
           "    </Package>\n";
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
    void cleanup();

    void initialize_data();
    void initialize();
    void initialize_withoutReadableList_reportsDefaults_data();
    void initialize_withoutReadableList_reportsDefaults();
    void initialize_brokenList_reportsNothing_data();
    void initialize_brokenList_reportsNothing();

    void checkForUpdates_reportsListedUpdates();
    void checkForUpdates_takesFirstToolName_data();
    void checkForUpdates_takesFirstToolName();
    void checkForUpdates_withoutTool_reportsNoUpdates();
    void checkForUpdates_withoutList_reportsNoUpdatesOnce_data();
    void checkForUpdates_withoutList_reportsNoUpdatesOnce();
    void checkForUpdates_toolThatNeverEnds_endsWithManager();
    void checkForUpdates_secondCheckWhileRunning_reportsOnlySecond();

    void performUpdate_data();
    void performUpdate();
    void performUpdate_withoutTool_launchesNothing();

    void reachableThroughItsInterfaces();
    void defaultManager_looksNextToExecutable();

private:
    QString filePath(const QString &name) const;
    QString quotedFilePath(const QString &name) const;
    void writeFile(const QString &name, const QByteArray &content);
    void writeTool(const QString &name, const QByteArray &script);
    qint64 toolPid() const;
    std::unique_ptr<UpdateManager> createManager(const QList<ShellLauncher::Result> &launchResults = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeLauncher *m_launcher = nullptr;
};

void tst_UpdateManager::initTestCase()
{
    QCoreApplication::setApplicationName(applicationName);
    qRegisterMetaType<QProcess::ExitStatus>();
}

void tst_UpdateManager::init()
{
    // A space in the path proves that the quoted tool path stays one word.
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/update manager-XXXXXX");
    QVERIFY(m_dir->isValid());
    QCoreApplication::setApplicationVersion(QString());
}

void tst_UpdateManager::cleanup()
{
    m_launcher = nullptr;
    m_dir.reset();
}

QString tst_UpdateManager::filePath(const QString &name) const
{
    return m_dir->filePath(name);
}

QString tst_UpdateManager::quotedFilePath(const QString &name) const
{
    return '"' + filePath(name) + '"';
}

void tst_UpdateManager::writeFile(const QString &name, const QByteArray &content)
{
    QFile file(filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

void tst_UpdateManager::writeTool(const QString &name, const QByteArray &script)
{
    writeFile(name, "#!/bin/sh\n" + script);
    QVERIFY(QFile::setPermissions(filePath(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// The pid that a hanging tool wrote beside it, or -1 while there is none.
qint64 tst_UpdateManager::toolPid() const
{
    QFile pidFile(filePath("pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        return -1;
    bool ok = false;
    const qint64 pid = pidFile.readAll().trimmed().toLongLong(&ok);
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
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("version");

    QTest::newRow("application package sets the version")
        << listHeader + package("quelta.core", "Core Files", "1.2.0", "2022-12-02")
               + package("quelta.app", "Corvane", "4.2.0", "2022-12-03") + listFooter
        << QStringList{"quelta.core :: Core Files :: 1.2.0 :: 2022-12-02",
                       "quelta.app :: Corvane :: 4.2.0 :: 2022-12-03"}
        << "4.2.0";
    QTest::newRow("later application package wins")
        << listHeader + package("quelta.app", "Corvane", "4.2.0", "2022-12-03")
               + package("quelta.app.patch", "Corvane", "4.3.0", "2023-01-10") + listFooter
        << QStringList{"quelta.app :: Corvane :: 4.2.0 :: 2022-12-03",
                       "quelta.app.patch :: Corvane :: 4.3.0 :: 2023-01-10"}
        << "4.3.0";
    QTest::newRow("no application package")
        << listHeader + package("quelta.app", "corvane", "4.2.0", "2022-12-03") + listFooter
        << QStringList{"quelta.app :: corvane :: 4.2.0 :: 2022-12-03"} << QString();
    // The reader reports text around entities and CDATA sections in pieces;
    // only the last piece used to be kept.
    QTest::newRow("text in pieces is joined")
        << QByteArray("<Packages><Package>"
                      "<Name>Core &amp; <![CDATA[More]]></Name>"
                      "<Title>Cor<![CDATA[vane]]></Title>"
                      "<Version><![CDATA[4.]]>2<![CDATA[.1]]></Version>"
                      "<InstallDate>2022-12-02</InstallDate>"
                      "</Package></Packages>")
        << QStringList{"Core & More :: Corvane :: 4.2.1 :: 2022-12-02"} << "4.2.1";
    // Filling the text's fields one after another once put the title in
    // place of a "%2" inside the name.
    QTest::newRow("placeholders in the fields stay text")
        << listHeader + package("quelta %2", "Title %1", "%3", "%4") + listFooter
        << QStringList{"quelta %2 :: Title %1 :: %3 :: %4"} << QString();
    QTest::newRow("package without title")
        << listHeader + "    <Package>\n        <Name>quelta.core</Name>\n        <Version>1.0</Version>\n"
                        "        <InstallDate>2022-12-02</InstallDate>\n    </Package>\n" + listFooter
        << QStringList{"quelta.core ::  :: 1.0 :: 2022-12-02"} << QString();
    QTest::newRow("other elements and attributes are ignored")
        << QByteArray("<Packages><Name>outside</Name>"
                      "<Package id=\"core\"><Name lang=\"en\">quelta.core</Name>"
                      "<Description>Core <b>files</b></Description><Version>1.0</Version></Package>"
                      "</Packages>")
        << QStringList{"quelta.core ::  :: 1.0 :: "} << QString();
    QTest::newRow("empty list") << QByteArray("<?xml version=\"1.0\"?>\n<Packages/>\n") << QStringList() << QString();
    QTest::newRow("nested package keeps the inner one")
        << QByteArray("<Packages><Package><Name>outer</Name>"
                      "<Package><Name>inner</Name><Version>2</Version></Package>"
                      "<Version>1</Version></Package></Packages>")
        << QStringList{"inner ::  :: 2 :: "} << QString();
}

void tst_UpdateManager::initialize()
{
    QFETCH(QByteArray, list);
    QFETCH(QStringList, installed);
    QFETCH(QString, version);

    writeFile("components.xml", list);
    auto manager = createManager();
    QSignalSpy installedVersions(manager.get(), &UpdateManager::signalInstalledVersions);

    QVERIFY(manager->initialize());
    QCOMPARE(installedVersions.count(), 1);
    QCOMPARE(installedVersions.at(0).at(0).toStringList(), installed);
    QCOMPARE(QCoreApplication::applicationVersion(), version);
}

void tst_UpdateManager::initialize_withoutReadableList_reportsDefaults_data()
{
    QTest::addColumn<bool>("directoryInPlace");

    QTest::newRow("missing") << false;
    QTest::newRow("directory in its place") << true;
}

void tst_UpdateManager::initialize_withoutReadableList_reportsDefaults()
{
    QFETCH(bool, directoryInPlace);

    if (directoryInPlace)
        QVERIFY(QDir(m_dir->path()).mkdir("components.xml"));
    QCoreApplication::setApplicationVersion("untouched");
    auto manager = createManager();
    QSignalSpy installedVersions(manager.get(), &UpdateManager::signalInstalledVersions);

    QTest::ignoreMessage(QtInfoMsg, "No Updater information file found");
    QVERIFY(manager->initialize());
    QCOMPARE(installedVersions.count(), 1);
    QCOMPARE(installedVersions.at(0).at(0).toStringList(),
             (QStringList{"Quelta :: 0000", "Languages :: 0001", "Translations :: 0002"}));
    QCOMPARE(QCoreApplication::applicationVersion(), QString("untouched"));
}

void tst_UpdateManager::initialize_brokenList_reportsNothing_data()
{
    QTest::addColumn<QByteArray>("list");

    QTest::newRow("unterminated")
        << listHeader + package("quelta.app", "Corvane", "4.2.0", "2022-12-03") + "    <Package>\n";
    QTest::newRow("mismatched end tag")
        << listHeader + package("quelta.app", "Corvane", "4.2.0", "2022-12-03") + "</Package>\n" + listFooter;
    QTest::newRow("empty file") << QByteArray();
}

void tst_UpdateManager::initialize_brokenList_reportsNothing()
{
    QFETCH(QByteArray, list);

    writeFile("components.xml", list);
    QCoreApplication::setApplicationVersion("untouched");
    auto manager = createManager();
    QSignalSpy installedVersions(manager.get(), &UpdateManager::signalInstalledVersions);

    QVERIFY(manager->initialize());
    QCOMPARE(installedVersions.count(), 0);
    QCOMPARE(QCoreApplication::applicationVersion(), QString("untouched"));
}

void tst_UpdateManager::checkForUpdates_reportsListedUpdates()
{
    // A non-zero exit code does not hide the list.
    writeTool("maintenancetool.exe", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/arguments\"\n"
                                     "echo 'Checking for updates...'\n"
                                     "echo '<updates>'\n"
                                     "echo '<update name=\"quelta.core\" version=\"2.1.0\" size=\"1048576\"/>'\n"
                                     "echo '<update version=\"1.5\" size=\"20\" name=\"quelta.languages\"/>'\n"
                                     "echo '</updates>'\n"
                                     "exit 3\n");
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    QTest::ignoreMessage(QtInfoMsg, qPrintable("starting the maintenance tool: " + quotedFilePath("maintenancetool.exe")
                                               + " --checkupdates -v"));
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
    QTest::addColumn<QString>("taken");
    QTest::addColumn<QStringList>("missed");

    QTest::newRow("all three") << QStringList{"maintenancetool.exe", "maintenancetool.bat", "maintenancetool.cmd"}
                               << "maintenancetool.exe" << QStringList();
    QTest::newRow("bat and cmd") << QStringList{"maintenancetool.bat", "maintenancetool.cmd"}
                                 << "maintenancetool.bat" << QStringList{"maintenancetool.exe"};
    QTest::newRow("cmd only") << QStringList{"maintenancetool.cmd"} << "maintenancetool.cmd"
                              << QStringList{"maintenancetool.exe", "maintenancetool.bat"};
}

void tst_UpdateManager::checkForUpdates_takesFirstToolName()
{
    QFETCH(QStringList, present);
    QFETCH(QString, taken);
    QFETCH(QStringList, missed);

    for (const QString &name : qAsConst(present))
        writeTool(name, "echo \"<update name=\\\"$(basename \"$0\")\\\" version=\\\"1\\\" size=\\\"1\\\"/>\"\n");
    auto manager = createManager();
    QSignalSpy updates(manager.get(), &UpdateManager::updatesAvailable);

    for (const QString &name : qAsConst(missed))
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Can't find maintenance tool: " + filePath(name)));
    QTest::ignoreMessage(QtInfoMsg,
                         qPrintable("starting the maintenance tool: " + quotedFilePath(taken) + " --checkupdates -v"));
    manager->checkForUpdates();

    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{taken + " :: 1"});
}

void tst_UpdateManager::checkForUpdates_withoutTool_reportsNoUpdates()
{
    auto manager = createManager();
    QSignalSpy noUpdates(manager.get(), &UpdateManager::noUpdatesAvailable);

    for (const char *name : {"maintenancetool.exe", "maintenancetool.bat", "maintenancetool.cmd"})
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Can't find maintenance tool: " + filePath(name)));
    QTest::ignoreMessage(QtWarningMsg, "Maintenance tool is not startet!!!");
    manager->checkForUpdates();

    QCOMPARE(noUpdates.count(), 1);
}

void tst_UpdateManager::checkForUpdates_withoutList_reportsNoUpdatesOnce_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("warning");

    const QString notStarted = "Maintenance Tool not started!! File might be missing";
    QTest::newRow("normal exit without updates") << QByteArray("echo 'No updates available.'\n") << true << QString();
    QTest::newRow("tool crashes after listing updates")
        << QByteArray("echo '<update name=\"core\" version=\"2\" size=\"1\"/>'\nkill -KILL $$\n") << true << notStarted;
    QTest::newRow("tool cannot start") << QByteArray("echo '<update name=\"core\" version=\"2\" size=\"1\"/>'\n")
                                       << false << notStarted;
}

void tst_UpdateManager::checkForUpdates_withoutList_reportsNoUpdatesOnce()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, executable);
    QFETCH(QString, warning);

    if (executable)
        writeTool("maintenancetool.exe", script);
    else
        writeFile("maintenancetool.exe", "#!/bin/sh\n" + script);
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
    writeTool("maintenancetool.exe", "echo '<update name=\"core\" version=\"3\" size=\"1\"/>'\n");
    manager->checkForUpdates();
    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{"core :: 3"});
    QCOMPARE(updates.count(), 1);
    QCOMPARE(noUpdates.count(), 1);
}

void tst_UpdateManager::checkForUpdates_toolThatNeverEnds_endsWithManager()
{
    writeTool("maintenancetool.exe", hangingTool);
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
    QCOMPARE(updates.count(), 0);
    QCOMPARE(noUpdates.count(), 0);
}

void tst_UpdateManager::checkForUpdates_secondCheckWhileRunning_reportsOnlySecond()
{
    // The first run hangs; the second lists an update.
    writeTool("maintenancetool.exe", "dir=$(dirname \"$0\")\n"
                                     "if [ ! -e \"$dir/first\" ]; then\n"
                                     "    : > \"$dir/first\"\n" + hangingTool + "fi\n"
                                     "echo '<update name=\"second\" version=\"2\" size=\"1\"/>'\n");
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
    using Verb = ShellLauncher::Verb;
    QTest::addColumn<QList<Result>>("results");
    QTest::addColumn<QList<Verb>>("verbs");
    QTest::addColumn<bool>("started");

    QTest::newRow("opened") << QList<Result>{Result::Launched} << QList<Verb>{Verb::Open} << true;
    QTest::newRow("access denied, then elevated") << QList<Result>{Result::AccessDenied, Result::Launched}
                                                  << QList<Verb>{Verb::Open, Verb::RunAs} << true;
    QTest::newRow("access denied twice") << QList<Result>{Result::AccessDenied, Result::AccessDenied}
                                         << QList<Verb>{Verb::Open, Verb::RunAs} << false;
    QTest::newRow("failed without elevation") << QList<Result>{Result::Failed} << QList<Verb>{Verb::Open} << false;
}

void tst_UpdateManager::performUpdate()
{
    QFETCH(QList<ShellLauncher::Result>, results);
    QFETCH(QList<ShellLauncher::Verb>, verbs);
    QFETCH(bool, started);

    writeTool("maintenancetool.bat", "exit 0\n");
    auto manager = createManager(results);
    QSignalSpy updateStarted(manager.get(), &UpdateManager::updateStarted);

    if (!started)
        QTest::ignoreMessage(QtWarningMsg, "Maintenance tool for update is not startet!");
    manager->performUpdate();

    QCOMPARE(updateStarted.count(), started ? 1 : 0);
    QCOMPARE(m_launcher->calls.size(), verbs.size());
    for (int i = 0; i < verbs.size(); ++i) {
        QCOMPARE(m_launcher->calls.at(i).verb, verbs.at(i));
        QCOMPARE(m_launcher->calls.at(i).file, quotedFilePath("maintenancetool.bat"));
        QCOMPARE(m_launcher->calls.at(i).parameters, QString("--updater"));
    }
}

void tst_UpdateManager::performUpdate_withoutTool_launchesNothing()
{
    auto manager = createManager({ShellLauncher::Result::Launched});
    QSignalSpy updateStarted(manager.get(), &UpdateManager::updateStarted);

    for (const char *name : {"maintenancetool.exe", "maintenancetool.bat", "maintenancetool.cmd"})
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Can't find maintenance tool: " + filePath(name)));
    manager->performUpdate();

    QCOMPARE(m_launcher->calls.size(), 0);
    QCOMPARE(updateStarted.count(), 0);
}

void tst_UpdateManager::reachableThroughItsInterfaces()
{
    writeTool("maintenancetool.exe", "echo '<update name=\"core\" version=\"2\" size=\"1\"/>'\n");
    writeFile("components.xml", listHeader + package("quelta.app", "Corvane", "4.2.0", "2022-12-03") + listFooter);
    auto manager = createManager();
    QObject *object = manager.get();
    auto *initializing = qobject_cast<api::IInitializing *>(object);
    auto *updateManagement = qobject_cast<api::IUpdateManagement *>(object);
    QVERIFY(initializing);
    QVERIFY(updateManagement);
    // Users that know only the interfaces reach the signals by name.
    QSignalSpy installed(object, SIGNAL(signalInstalledVersions(QStringList)));
    QSignalSpy updates(object, SIGNAL(updatesAvailable(QStringList)));

    QVERIFY(initializing->initialize());
    QCOMPARE(installed.count(), 1);
    updateManagement->checkForUpdates();
    QVERIFY(updates.wait());
    QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{"core :: 2"});
}

void tst_UpdateManager::defaultManager_looksNextToExecutable()
{
    if (qEnvironmentVariableIsSet(copiedExecutableVariable)) {
        UpdateManager manager;
        QSignalSpy updates(&manager, &UpdateManager::updatesAvailable);
        QVERIFY(manager.initialize());
        QCOMPARE(QCoreApplication::applicationVersion(), QString("7.1.0"));
        manager.checkForUpdates();
        QVERIFY(updates.wait());
        QCOMPARE(updates.at(0).at(0).toStringList(), QStringList{"copied :: 7.2.0"});
        return;
    }

    const QString copy = filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    writeFile("components.xml", listHeader + package("quelta.app", "Corvane", "7.1.0", "2023-01-01") + listFooter);
    writeTool("maintenancetool.cmd", "echo '<update name=\"copied\" version=\"7.2.0\" size=\"1\"/>'\n");

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
