#include "app/corvaneprogram.h"
#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"

#include <QtCore/QResource>
#include <QtGui/QFontDatabase>
#include <QtGui/QRawFont>
#include <QtSql/QSqlDatabase>
#include <QtTest/QtTest>

// CorvaneProgram as start-up runs it: the configuration database opens on a
// thread of its own while the fonts are registered and the main document
// compiles, and the window comes only after the database has opened.
class tst_CorvaneProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initialize_refusesAnUnopenableDatabase_data();
    void initialize_refusesAnUnopenableDatabase();
    void initialize_leavesTheConnectionToTheCallersThread();
    void registerFonts_takesEveryFontOfTheResourceSet();
    void fontLoaders_nameTheRegisteredFonts_data();
    void fontLoaders_nameTheRegisteredFonts();
};

namespace {

// FontLoader.Ready
constexpr int FontLoaderReady = 1;

// The application fonts are numbered from 0 in the order of registering.
int applicationFontCount()
{
    int count = 0;
    while (!QFontDatabase::applicationFontFamilies(count).isEmpty())
        ++count;
    return count;
}

QStringList applicationFontFamiliesFrom(int firstId)
{
    QStringList families;
    for (int id = firstId; id < applicationFontCount(); ++id)
        families += QFontDatabase::applicationFontFamilies(id);
    return families;
}

} // namespace

void tst_CorvaneProgram::initialize_refusesAnUnopenableDatabase_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("key");

    // Null content: no file at all.
    QTest::newRow("a missing file") << QByteArray() << QString();
    QTest::newRow("a file that is no database") << QByteArray(4096, 'x') << QString();
    QTest::newRow("a database under another key") << QByteArray() << "0123456789abcdef0123456789abcdef";
}

void tst_CorvaneProgram::initialize_refusesAnUnopenableDatabase()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, key);
    QTemporaryDir directory;
    const QString database = directory.filePath("configuration.sqlite3");
    if (!key.isEmpty()) {
        QCOMPARE(quelta::test::CatalogueBuilder::create(database, quelta::test::DemoCatalogue::content(), key),
                 QString());
    } else if (!content.isNull()) {
        QFile file(database);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    CorvaneProgram program;
    QVERIFY(!program.initialize(database));
    QVERIFY(program.engine().rootObjects().isEmpty());
}

void tst_CorvaneProgram::initialize_leavesTheConnectionToTheCallersThread()
{
    QTemporaryDir directory;
    const QString database = directory.filePath("configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(database, quelta::test::DemoCatalogue::content()), QString());

    CorvaneProgram program;
    QVERIFY(program.initialize(database));
    // Qt hands a connection out only on the thread that it belongs to.
    QVERIFY(QSqlDatabase::database("configuration", false).isOpen());
}

void tst_CorvaneProgram::registerFonts_takesEveryFontOfTheResourceSet()
{
    const QList<int> ids = CorvaneProgram::registerFonts();
    QVERIFY(!ids.isEmpty());
    for (const int id : ids)
        QVERIFY2(!QFontDatabase::applicationFontFamilies(id).isEmpty(), qPrintable(QString::number(id)));
}

void tst_CorvaneProgram::fontLoaders_nameTheRegisteredFonts_data()
{
    QTest::addColumn<QString>("loader");
    QTest::addColumn<QString>("file");

    QTest::newRow("normal") << "velmarFontNormal" << ":/fonts/segoeui.ttf";
    QTest::newRow("bold") << "velmarFontBold" << ":/fonts/segoeuib.ttf";
    QTest::newRow("light") << "velmarFontLight" << ":/fonts/segoeuil.ttf";
    QTest::newRow("semibold numbers") << "numberFontSemiBold" << ":/fonts/seguisb.ttf";
    QTest::newRow("values") << "velmarFontValue" << ":/fonts/segoeui.ttf";
    QTest::newRow("icons") << "iconFont" << ":/fonts/fontawesome-webfont.ttf";
}

// The window's texts are drawn in the fonts of the resource set, not in
// whatever the system has under their names.
void tst_CorvaneProgram::fontLoaders_nameTheRegisteredFonts()
{
    QFETCH(QString, loader);
    QFETCH(QString, file);
    QTemporaryDir directory;
    const QString database = directory.filePath("configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(database, quelta::test::DemoCatalogue::content()), QString());
    const int registeredBefore = applicationFontCount();
    CorvaneProgram program;
    QVERIFY(program.initialize(database));
    program.load();
    QObject *const window = program.engine().rootObjects().value(0);
    QVERIFY(window);

    const QResource resource(file);
    QVERIFY(resource.isValid());
    const QRawFont font(resource.uncompressedData(), 12);
    QVERIFY(font.isValid());
    QVERIFY(applicationFontFamiliesFrom(registeredBefore).contains(font.familyName()));
    const QObject *const fontLoader = window->findChild<QObject *>(loader);
    QVERIFY(fontLoader);
    QCOMPARE(fontLoader->property("status").toInt(), FontLoaderReady);
    QCOMPARE(fontLoader->property("name").toString(), font.familyName());
}

QTEST_MAIN(tst_CorvaneProgram)

#include "tst_corvaneprogram.moc"
