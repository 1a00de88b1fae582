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
    // The keys of ../QUELTA4.ini; none: no such file.
    QTest::addColumn<QVariantMap>("settings");
    QTest::addColumn<int>("exitCode");
    // What the main document found; empty when it was not loaded.
    QTest::addColumn<QString>("window");

    const QString window = "Corvane - v4.2.1 8 true", path = "General/ConfigDatabasePath";
    QTest::newRow("no settings file") << CORVANE_GOOD << QVariantMap() << 0 << window;
    QTest::newRow("no path in the settings") << CORVANE_GOOD << QVariantMap{{"General/LocalImageDirectory", "x"}} << 0
                                             << window;
    QTest::newRow("an empty path") << CORVANE_GOOD << QVariantMap{{path, ""}} << 1 << "";
    QTest::newRow("a missing file") << CORVANE_GOOD << QVariantMap{{path, "database/x"}} << 1 << "";
    QTest::newRow("a broken main document") << CORVANE_BROKEN << QVariantMap() << 255 << "";
}

void tst_Startup::exitCode()
{
    QFETCH(QString, program);
    QFETCH(QVariantMap, settings);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath("bin/database") && QDir(root.path()).mkpath("work"));
    QVERIFY(QFile::copy(program, root.filePath("bin/Corvane")));
    const QString database = root.filePath("bin/database/configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(database, quelta::test::DemoCatalogue::content()), QString());
    QFile components(root.filePath("bin/components.xml"));
    QVERIFY(components.open(QIODevice::WriteOnly));
    components.write("<Packages><Package><Title>Corvane</Title><Version>4.2.1</Version></Package></Packages>");
    components.close();
    for (auto key = settings.cbegin(); key != settings.cend(); ++key)
        QSettings(root.filePath("QUELTA4.ini"), QSettings::IniFormat).setValue(key.key(), key.value());

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
    QVERIFY2(!output.contains("TypeError"), qPrintable(output));
}

QTEST_GUILESS_MAIN(tst_Startup)

#include "tst_startup.moc"
