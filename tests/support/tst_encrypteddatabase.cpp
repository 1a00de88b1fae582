#include "support/encrypteddatabase.h"

#include <QtTest/QtTest>

class tst_EncryptedDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void splitsScriptsAtStatementEnds_data();
    void splitsScriptsAtStatementEnds();
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

QTEST_GUILESS_MAIN(tst_EncryptedDatabase)

#include "tst_encrypteddatabase.moc"
