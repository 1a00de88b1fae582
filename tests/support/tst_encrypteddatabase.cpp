#include "support/encrypteddatabase.h"

#include <QtCore/QFile>
#include <QtCore/QRegularExpression>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>

class tst_EncryptedDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsScriptsAtStatementEnds_data();
    void splitsScriptsAtStatementEnds();
    void refusesAnExistingFile();
    void failingScriptLeavesNoFile();
};

void tst_EncryptedDatabase::splitsScriptsAtStatementEnds_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("statements");

    QTest::newRow("semicolon in a literal")
        << "INSERT INTO a VALUES ('x;y');" << QStringList{"INSERT INTO a VALUES ('x;y')"};
    QTest::newRow("trigger body")
        << "CREATE TRIGGER t AFTER INSERT ON a BEGIN DELETE FROM a; END;SELECT 2;"
        << QStringList{"CREATE TRIGGER t AFTER INSERT ON a BEGIN DELETE FROM a; END", "SELECT 2"};
    QTest::newRow("empty statement, last without semicolon")
        << "SELECT 1;\n ;\nSELECT 2\n" << QStringList{"SELECT 1", "SELECT 2"};
}

void tst_EncryptedDatabase::splitsScriptsAtStatementEnds()
{
    QFETCH(QString, script);
    QFETCH(QStringList, statements);
    QCOMPARE(quelta::test::splitSqlScript(script), statements);
}

void tst_EncryptedDatabase::refusesAnExistingFile()
{
    QTemporaryDir directory;
    const QString path = directory.filePath("existing.sqlite3");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    QVERIFY(!quelta::test::createEncryptedDatabase(path, "SELECT 1;").isEmpty());
    QCOMPARE(QFileInfo(path).size(), 0);
}

void tst_EncryptedDatabase::failingScriptLeavesNoFile()
{
    QTemporaryDir directory;
    const QString path = directory.filePath("broken.sqlite3");
    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression("Could not prepare statement.*"));

    QVERIFY(!quelta::test::createEncryptedDatabase(path, "CREATE TABLE a (x);\nINSERT INTO b VALUES (1);")
                 .isEmpty());
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(tst_EncryptedDatabase)

#include "tst_encrypteddatabase.moc"
