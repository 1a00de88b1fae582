#include "app/corvaneprogram.h"
#include "support/cataloguebuilder.h"
#include "support/democatalogue.h"

#include <QtSql/QSqlDatabase>
#include <QtTest/QtTest>

// CorvaneProgram as start-up runs it: the configuration database opens on a
// thread of its own while the main document compiles, and the window comes
// only after the database has opened.
class tst_CorvaneProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initialize_refusesAnUnopenableDatabase_data();
    void initialize_refusesAnUnopenableDatabase();
    void initialize_leavesTheConnectionToTheCallersThread();
};

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

QTEST_MAIN(tst_CorvaneProgram)

#include "tst_corvaneprogram.moc"
