#include "management/update/detachedprocesslauncher.h"

#include <QtTest/QtTest>

using quelta::base::management::updatemanager::DetachedProcessLauncher;
using quelta::base::management::updatemanager::ShellLauncher;

Q_DECLARE_METATYPE(ShellLauncher::Result)
Q_DECLARE_METATYPE(ShellLauncher::Verb)

namespace {

// Writes a shell script that records its own path and its arguments, one a
// line, in the file "record" beside it.
bool writeRecorder(const QString &path, bool executable)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\n"
                 "dir=$(dirname \"$0\")\n"
                 "printf '%s\\n' \"$0\" \"$@\" > \"$dir/record.tmp\"\n"
                 "mv \"$dir/record.tmp\" \"$dir/record\"\n");
    return !executable || script.setPermissions(script.permissions() | QFile::ExeOwner);
}

} // namespace

class tst_DetachedProcessLauncher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void launch_data();
    void launch();
};

void tst_DetachedProcessLauncher::launch_data()
{
    using Result = ShellLauncher::Result;
    using Verb = ShellLauncher::Verb;
    QTest::addColumn<Verb>("verb");
    QTest::addColumn<QString>("tool");   // "recorder", "not executable" or "missing"
    QTest::addColumn<bool>("elevation"); // the recording script stands in for the elevation helper
    QTest::addColumn<Result>("expected");
    // What the recording script was started with; <tool> and <helper> stand for their paths.
    QTest::addColumn<QStringList>("record");

    QTest::newRow("open starts the program detached")
        << Verb::Open << "recorder" << false << Result::Launched << QStringList{"<tool>", "--updater"};
    QTest::newRow("open, program not executable")
        << Verb::Open << "not executable" << false << Result::AccessDenied << QStringList();
    QTest::newRow("open, program missing") << Verb::Open << "missing" << false << Result::Failed << QStringList();
    QTest::newRow("runas starts through the elevation helper")
        << Verb::RunAs << "missing" << true << Result::Launched << QStringList{"<helper>", "<tool>", "--updater"};
    QTest::newRow("runas without elevation helper")
        << Verb::RunAs << "recorder" << false << Result::Failed << QStringList();
}

void tst_DetachedProcessLauncher::launch()
{
    QFETCH(ShellLauncher::Verb, verb);
    QFETCH(QString, tool);
    QFETCH(bool, elevation);
    QFETCH(ShellLauncher::Result, expected);
    QFETCH(QStringList, record);

    // A space in the path proves that the quoted path stays one word.
    QTemporaryDir dir(QDir::tempPath() + "/launcher test-XXXXXX");
    QVERIFY(dir.isValid());
    const QString toolPath = dir.filePath("maintenancetool.bat");
    const QString helperPath = dir.filePath("elevate");
    if (tool != "missing")
        QVERIFY(writeRecorder(toolPath, tool == "recorder"));
    if (elevation)
        QVERIFY(writeRecorder(helperPath, true));

    DetachedProcessLauncher launcher(elevation ? helperPath : QString());
    QCOMPARE(launcher.launch(verb, '"' + toolPath + '"', "--updater"), expected);
    if (record.isEmpty())
        return;
    record.replaceInStrings("<tool>", toolPath).replaceInStrings("<helper>", helperPath);
    QFile recorded(dir.filePath("record"));
    QTRY_VERIFY(recorded.exists());
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(recorded.readAll()).split('\n', Qt::SkipEmptyParts), record);
}

QTEST_GUILESS_MAIN(tst_DetachedProcessLauncher)
#include "tst_detachedprocesslauncher.moc"
