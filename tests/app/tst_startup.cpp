#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"

#include <QtTest/QtTest>

// The program, copied as Corvane into a folder of its own with its
// component list and the demo database beside it, started from a working
// directory whose parent may hold the settings file.
class tst_Startup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exitCode_data();
    void exitCode();
};

void tst_Startup::exitCode_data()
{
    QTest::addColumn<QString>("program");
    // ../QUELTA4.ini as written by hand; null: no such file.
    QTest::addColumn<QByteArray>("settings");
    // Where the demo database lies, under the folder that holds bin/ and work/.
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("exitCode");
    // What the main document found; empty when it was not loaded.
    QTest::addColumn<QString>("window");
    // A text that the program's log holds.
    QTest::addColumn<QString>("log");

    const QString window = "Corvane - v4.2.1 8 true", besideProgram = "bin/database/configuration.sqlite3";
    QTest::newRow("no settings file") << CORVANE_GOOD << QByteArray() << besideProgram << 0 << window << "";
    QTest::newRow("no path in the settings")
        << CORVANE_GOOD << QByteArray("[%General]\nLocalImageDirectory=x\n") << besideProgram << 0 << window << "";
    QTest::newRow("an empty path") << CORVANE_GOOD << QByteArray("[%General]\nConfigDatabasePath=\n") << besideProgram
                                   << 1 << "" << "";
    QTest::newRow("a missing file") << CORVANE_GOOD << QByteArray("[%General]\nConfigDatabasePath=database/x\n")
                                    << besideProgram << 1 << "" << "";
    // The path was taken from a section that QSettings does not read.
    QTest::newRow("a NUL in the section name")
        << CORVANE_GOOD << QByteArrayLiteral("[%General\0x]\nConfigDatabasePath=database/x\n") << besideProgram << 0
        << window << "";
    // The path was taken with "@String(" and ")" around it.
    QTest::newRow("a path as @String")
        << CORVANE_GOOD << QByteArray("[%General]\nConfigDatabasePath=@String(../Daten/configuration.sqlite3)\n")
        << "Daten/configuration.sqlite3" << 0 << window << "";
    // QSettings alone read these paths as lists, which became empty paths.
    const auto commaPath = [&window](const char *name, const char *line, const char *database) {
        QTest::newRow(name) << CORVANE_GOOD << "[%General]" + QByteArray(line) << database << 0 << window << "";
    };
    const char *const commaDatabase = "Daten, alt/configuration.sqlite3";
    commaPath("a path with a comma", "\nConfigDatabasePath = ../Daten, alt/configuration.sqlite3\n", commaDatabase);
    commaPath("a path with a comma, CR line ends", "\rConfigDatabasePath=../Daten, alt/configuration.sqlite3\r",
              commaDatabase);
    commaPath("a path with a comma and a comment",
              "\nConfigDatabasePath=../Daten, alt/configuration.sqlite3 ; old\n", commaDatabase);
    commaPath("a path with a comma and an escape", "\nConfigDatabasePath=../Daten, \\x61lt/configuration.sqlite3\n",
              commaDatabase);
    commaPath("a path with a comma and a part beginning with @",
              "\nConfigDatabasePath=../Daten, @alt/configuration.sqlite3\n", "Daten, @alt/configuration.sqlite3");
    // QSettings asked for 2^64 bytes to decode this value, and the program
    // aborted.
    QTest::newRow("a damaged value")
        << CORVANE_GOOD << QByteArray("[%General]\nConfigDatabasePath=@Variant(\\0\\0\\0\\x0b!\\0a)\n")
        << besideProgram << 1 << "" << "General/ConfigDatabasePath";
    QTest::newRow("a broken main document") << CORVANE_BROKEN << QByteArray() << besideProgram << 255 << "" << "";
}

void tst_Startup::exitCode()
{
    QFETCH(QString, program);
    QFETCH(QByteArray, settings);
    QFETCH(QString, database);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("bin") && QDir(root.path()).mkpath("work"));
    QVERIFY(QFile::copy(program, root.filePath("bin/Corvane")));
    QVERIFY(QDir(root.path()).mkpath(QFileInfo(database).path()));
    QCOMPARE(quelta::test::CatalogueBuilder::create(root.filePath(database), quelta::test::DemoCatalogue::content()),
             QString());
    QFile components(root.filePath("bin/components.xml"));
    QVERIFY(components.open(QIODevice::WriteOnly));
    components.write("<Packages><Package><Title>Corvane</Title><Version>4.2.1</Version></Package></Packages>");
    components.close();
    if (!settings.isNull()) {
        QFile settingsFile(root.filePath("QUELTA4.ini"));
        QVERIFY(settingsFile.open(QIODevice::WriteOnly));
        settingsFile.write(settings);
    }

    QProcess corvane;
    corvane.setWorkingDirectory(root.filePath("work"));
    // Every variant serves its main document as qrc:/corvane.qml; with one
    // shared QML disk cache, a variant built from a file of the same time
    // stamp ran the document that another variant had cached.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CACHE_HOME", root.filePath("cache"));
    corvane.setProcessEnvironment(environment);
    corvane.start(root.filePath("bin/Corvane"), {});
    QVERIFY(corvane.waitForFinished(30000));
    QTEST(corvane.exitCode(), "exitCode");
    const QString output = corvane.readAllStandardError();
    QTEST(output.section("window: ", 1).section('\n', 0, 0), "window");
    QFETCH(QString, log);
    QVERIFY2(output.contains(log), qPrintable(output));
    QVERIFY2(!output.contains("TypeError"), qPrintable(output));
}

QTEST_GUILESS_MAIN(tst_Startup)

#include "tst_startup.moc"
