#include "app/corvaneprogram.h"
#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"
#include "support/encrypteddatabase.h"

#include <QtCore/QResource>
#include <QtGui/QFontDatabase>
#include <QtGui/QRawFont>
#include <QtQuick/QQuickItem>
#include <QtQuick/QQuickWindow>
#include <QtSql/QSqlDatabase>
#include <QtTest/QtTest>

#include <memory>

// CorvaneProgram as start-up runs it: the configuration database opens on a
// thread of its own while the fonts are registered and the main document
// compiles, and the window comes only after the database has opened.
class tst_CorvaneProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void initialize_refusesAnUnreadableDatabase_data();
    void initialize_refusesAnUnreadableDatabase();
    void initialize_leavesTheConnectionToTheCallersThread();
    void registerFonts_takesEveryFontOfTheResourceSet();
    void fontLoaders_nameTheRegisteredFonts_data();
    void fontLoaders_nameTheRegisteredFonts();
    void windowTexts_areInPreparedFonts();

private:
    // The program started on the demo catalogue with its window, started
    // once: deriving a database's key takes long under the sanitizers.
    CorvaneProgram *startedProgram();

    QTemporaryDir m_directory;
    QString m_database;
    // The families of the fonts that its start-up registered.
    QStringList m_startUpFontFamilies;
    std::unique_ptr<CorvaneProgram> m_program;
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

void tst_CorvaneProgram::initTestCase()
{
    m_database = m_directory.filePath("configuration.sqlite3");
    QCOMPARE(quelta::test::CatalogueBuilder::create(m_database, quelta::test::DemoCatalogue::content()), QString());
}

CorvaneProgram *tst_CorvaneProgram::startedProgram()
{
    if (m_program)
        return m_program.get();
    const int fontsBefore = applicationFontCount();
    auto program = std::make_unique<CorvaneProgram>();
    if (!program->initialize(m_database))
        return nullptr;
    m_startUpFontFamilies = applicationFontFamiliesFrom(fontsBefore);
    program->load();
    m_program = std::move(program);
    return m_program.get();
}

void tst_CorvaneProgram::initialize_refusesAnUnreadableDatabase_data()
{
    // Null: no file at all.
    QTest::addColumn<QByteArray>("content");
    // Not null: the file is the demo catalogue after this script instead.
    QTest::addColumn<QString>("catalogueScript");

    QTest::newRow("a missing file") << QByteArray() << QString();
    QTest::newRow("a file that is no database") << QByteArray(4096, 'x') << QString();
    // Was opened, and listed the types without their options.
    QTest::newRow("a catalogue whose options cannot be read")
        << QByteArray() << "DROP TABLE chamber_type_has_options";
}

void tst_CorvaneProgram::initialize_refusesAnUnreadableDatabase()
{
    QFETCH(QByteArray, content);
    // Its connection would take the configuration database's name.
    m_program.reset();
    const QString database = m_directory.filePath("unopenable.sqlite3");
    QFile file(database);
    file.remove();
    QFETCH(QString, catalogueScript);
    if (!catalogueScript.isNull()) {
        QCOMPARE(quelta::test::CatalogueBuilder::create(database, quelta::test::DemoCatalogue::content()), QString());
        QCOMPARE(quelta::test::runSqlScript(database, catalogueScript), QString());
    } else if (!content.isNull()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
    }

    CorvaneProgram program;
    QVERIFY(!program.initialize(database));
    QVERIFY(program.engine().rootObjects().isEmpty());
}

void tst_CorvaneProgram::initialize_leavesTheConnectionToTheCallersThread()
{
    QVERIFY(startedProgram());
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
    CorvaneProgram *const program = startedProgram();
    QVERIFY(program);
    QObject *const window = program->engine().rootObjects().value(0);
    QVERIFY(window);

    const QResource resource(file);
    QVERIFY(resource.isValid());
    const QRawFont font(resource.uncompressedData(), 12);
    QVERIFY(font.isValid());
    QVERIFY(m_startUpFontFamilies.contains(font.familyName()));
    const QObject *const fontLoader = window->findChild<QObject *>(loader);
    QVERIFY(fontLoader);
    QCOMPARE(fontLoader->property("status").toInt(), FontLoaderReady);
    QCOMPARE(fontLoader->property("name").toString(), font.familyName());
}

// Creating the window waits for no font: every text of it, shown or not,
// is in a font that start-up prepared while the database opened.
void tst_CorvaneProgram::windowTexts_areInPreparedFonts()
{
    CorvaneProgram *const program = startedProgram();
    QVERIFY(program);
    const auto *const window = qobject_cast<QQuickWindow *>(program->engine().rootObjects().value(0));
    QVERIFY(window);
    QStringList prepared;
    const QList<QFont> fonts = CorvaneProgram::windowFonts();
    for (const QFont &font : fonts)
        prepared.append(font.key());

    int texts = 0;
    QList<QQuickItem *> items{window->contentItem()};
    while (!items.isEmpty()) {
        const QQuickItem *const item = items.takeLast();
        items += item->childItems();
        if (!item->inherits("QQuickText") && !item->inherits("QQuickTextInput") && !item->inherits("QQuickTextEdit"))
            continue;
        ++texts;
        const QString font = item->property("font").value<QFont>().key();
        QVERIFY2(prepared.contains(font), qPrintable(font + " of \"" + item->property("text").toString() + '"'));
    }
    QVERIFY(texts > 0);
}

QTEST_MAIN(tst_CorvaneProgram)

#include "tst_corvaneprogram.moc"
