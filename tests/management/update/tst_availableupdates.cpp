#include "management/update/availableupdates.h"

#include <QtTest/QtTest>

using quelta::base::management::updatemanager::availableUpdates;

class tst_AvailableUpdates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void tst_AvailableUpdates::parse_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QStringList>("updates");

    QTest::newRow("one update among other output")
        << QByteArray("[0] Warning: no console\n<updates>\n"
                      "<update name=\"quelta.core\" version=\"2.1.0\" size=\"1048576\"/>\n</updates>\n")
        << QStringList{"quelta.core :: 2.1.0"};
    QTest::newRow("attributes in the order version, size, name")
        << QByteArray("<update version=\"1.5\" size=\"20\" name=\"quelta.languages\"/>")
        << QStringList{"quelta.languages :: 1.5"};
    QTest::newRow("only two attributes") << QByteArray("<update name=\"core\" version=\"3\"/>") << QStringList();
    QTest::newRow("empty value") << QByteArray("<update name=\"core\" version=\"\" size=\"9\"/>") << QStringList();
    // A value that reads like an attribute name once overwrote the name.
    QTest::newRow("version value \"name\"")
        << QByteArray("<update name=\"core\" version=\"name\" size=\"9\"/>") << QStringList{"core :: name"};
    QTest::newRow("name value \"version\"")
        << QByteArray("<update version=\"1\" name=\"version\" size=\"9\"/>") << QStringList{"version :: 1"};
    QTest::newRow("UTF-8 text")
        << QByteArray("<update name=\"\xc3\x9c" "bersetzungen\" version=\"1\" size=\"9\"/>")
        << QStringList{QString::fromUtf8("\xc3\x9c" "bersetzungen :: 1")};
    QTest::newRow("output ends at the first NUL byte")
        << QByteArray("<update name=\"a\" version=\"1\" size=\"1\"/>") + '\0'
               + QByteArray("<update name=\"b\" version=\"2\" size=\"1\"/>")
        << QStringList{"a :: 1"};
}

void tst_AvailableUpdates::parse()
{
    QFETCH(QByteArray, output);
    QFETCH(QStringList, updates);

    QCOMPARE(availableUpdates(output), updates);
}

QTEST_GUILESS_MAIN(tst_AvailableUpdates)
#include "tst_availableupdates.moc"
