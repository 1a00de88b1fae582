#include "management/update/detachedprocesslauncher.h"

#include <QtTest/QtTest>

using quelta::base::management::updatemanager::DetachedProcessLauncher;
using quelta::base::management::updatemanager::ShellLauncher;

namespace {

// Writes an executable shell script that records its own path and its
// arguments, one a line, in the file "record" beside it.
QString writeRecordingScript(const QDir &dir, const QString &name)
{
    const QString path = dir.filePath(name);
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return QString();
    script.write("#!/bin/sh\n"
                 "dir=$(dirname \"$0\")\n"
                 "printf '%s\\n' \"$0\" \"$@\" > \"$dir/record.tmp\"\n"
                 "mv \"$dir/record.tmp\" \"$dir/record\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    return path;
}

QString quoted(const QString &path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QStringList readRecord(const QDir &dir)
{
    QFile record(dir.filePath("record"));
    if (!record.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(record.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class tst_DetachedProcessLauncher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void open_startsTheProgramDetached();
    void open_programNotExecutable_isAccessDenied();
    void open_missingProgram_fails();
    void runAs_startsThroughTheElevationHelper();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_DetachedProcessLauncher::init()
{
    // A space in the path proves that the quoted path stays one word.
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/launcher test-XXXXXX");
    QVERIFY(m_dir->isValid());
}

void tst_DetachedProcessLauncher::cleanup()
{
    m_dir.reset();
}

void tst_DetachedProcessLauncher::open_startsTheProgramDetached()
{
    const QDir dir(m_dir->path());
    const QString tool = writeRecordingScript(dir, "maintenancetool.bat");
    DetachedProcessLauncher launcher(QString{});

    QCOMPARE(launcher.launch(ShellLauncher::Verb::Open, quoted(tool), "--updater"),
             ShellLauncher::Result::Launched);
    QTRY_COMPARE(readRecord(dir), (QStringList{tool, "--updater"}));
}

void tst_DetachedProcessLauncher::open_programNotExecutable_isAccessDenied()
{
    const QDir dir(m_dir->path());
    const QString tool = writeRecordingScript(dir, "maintenancetool.bat");
    QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner));
    DetachedProcessLauncher launcher(QString{});

    QCOMPARE(launcher.launch(ShellLauncher::Verb::Open, quoted(tool), "--updater"),
             ShellLauncher::Result::AccessDenied);
}

void tst_DetachedProcessLauncher::open_missingProgram_fails()
{
    DetachedProcessLauncher launcher(QString{});

    QCOMPARE(launcher.launch(ShellLauncher::Verb::Open, quoted(m_dir->filePath("maintenancetool.bat")), "--updater"),
             ShellLauncher::Result::Failed);
}

void tst_DetachedProcessLauncher::runAs_startsThroughTheElevationHelper()
{
    const QDir dir(m_dir->path());
    const QString helper = writeRecordingScript(dir, "elevate");
    const QString tool = dir.filePath("maintenancetool.bat");
    DetachedProcessLauncher launcher(helper);

    QCOMPARE(launcher.launch(ShellLauncher::Verb::RunAs, quoted(tool), "--updater"),
             ShellLauncher::Result::Launched);
    QTRY_COMPARE(readRecord(dir), (QStringList{helper, tool, "--updater"}));
}

QTEST_GUILESS_MAIN(tst_DetachedProcessLauncher)
#include "tst_detachedprocesslauncher.moc"
