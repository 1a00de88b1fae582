#include "domain/types/chambertypedata.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

namespace {

ChamberTypeData typeWith(const QString &name, int size, const QString &eLevel, const QList<int> &interfaces = {},
                         const QList<ChamberOption> &options = {}, const QString &controller = QString())
{
    return ChamberTypeData(ChamberTypeKey(12, 3), name, eLevel, size, "230 V", "chamber.png", "A chamber", "1.0",
                           "2.0", "SETUP", 1, 2, "PRG", "4711", "info", controller, interfaces, {}, {}, options, {});
}

} // namespace

class tst_ChamberTypeData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayName_data();
    void displayName();
    void interfaceKinds_data();
    void interfaceKinds();
    void options_data();
    void options();
};

void tst_ChamberTypeData::displayName_data()
{
    QTest::addColumn<ChamberTypeData>("type");
    QTest::addColumn<QString>("name");

    QTest::newRow("name, size and E-level") << typeWith("KMF", 240, "E5") << "KMF 240 E5";
    QTest::newRow("no size") << typeWith("KMF", 0, "E5") << "KMF E5";
    QTest::newRow("negative size") << typeWith("KMF", -1, "E5") << "KMF E5";
    QTest::newRow("no E-level") << typeWith("KMF", 115, QString()) << "KMF 115";
}

void tst_ChamberTypeData::displayName()
{
    QFETCH(ChamberTypeData, type);
    QFETCH(QString, name);
    QCOMPARE(type.displayName(), name);
}

void tst_ChamberTypeData::interfaceKinds_data()
{
    QTest::addColumn<QList<int>>("interfaces");
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("modbusAddress");

    QTest::newRow("1") << QList<int>{1} << true << true;
    QTest::newRow("2") << QList<int>{2} << false << true;
    QTest::newRow("5") << QList<int>{5} << true << false;
    QTest::newRow("6") << QList<int>{6} << false << true;
    QTest::newRow("7") << QList<int>{7} << true << true;
    QTest::newRow("3, 4 and 8") << QList<int>{3, 4, 8} << false << false;
    QTest::newRow("4 and 6") << QList<int>{4, 6} << false << true;
}

void tst_ChamberTypeData::interfaceKinds()
{
    QFETCH(QList<int>, interfaces);
    QFETCH(bool, serial);
    QFETCH(bool, modbusAddress);

    const ChamberTypeData type = typeWith("T", 1, QString(), interfaces);
    QCOMPARE(type.isSerial(), serial);
    QCOMPARE(type.requiresModbusAddress(), modbusAddress);
}

void tst_ChamberTypeData::options_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("controller");
    QTest::addColumn<bool>("timeProgram");
    QTest::addColumn<bool>("dataStorage");
    QTest::addColumn<bool>("modeSwitching");
    QTest::addColumn<bool>("delayedStart");

    QTest::newRow("time program") << QStringList{"TimeProgram"} << "QX2" << true << false << false << false;
    QTest::newRow("time program, 4") << QStringList{"TimeProgram_QUELTA_4"} << "QX2" << true << false << false
                                     << false;
    QTest::newRow("names are case-sensitive") << QStringList{"timeprogram", "readable_datastorage"} << "QX2" << false
                                              << false << false << false;
    QTest::newRow("mode switching") << QStringList{"OperatingModeSwitching"} << "QX2" << false << false << true
                                    << true;
    QTest::newRow("mode switching on ZK4") << QStringList{"OperatingModeSwitching"} << "ZK4" << false << false
                                           << true << false;
    QTest::newRow("all") << QStringList{"TimeProgram", "Readable_DataStorage", "OperatingModeSwitching"} << "ZK3"
                         << true << true << true << true;
}

void tst_ChamberTypeData::options()
{
    QFETCH(QStringList, names);
    QFETCH(QString, controller);
    QFETCH(bool, timeProgram);
    QFETCH(bool, dataStorage);
    QFETCH(bool, modeSwitching);
    QFETCH(bool, delayedStart);

    QList<ChamberOption> options;
    for (const QString &name : names)
        options.append(ChamberOption(name, false));
    const ChamberTypeData type = typeWith("T", 1, QString(), {}, options, controller);
    QCOMPARE(type.hasTimeProgram(), timeProgram);
    QCOMPARE(type.hasReadableDataStorage(), dataStorage);
    QCOMPARE(type.hasOperatingModeSwitching(), modeSwitching);
    QCOMPARE(type.isProgramDelayedStartable(), delayedStart);
}

QTEST_GUILESS_MAIN(tst_ChamberTypeData)
#include "tst_chambertypedata.moc"
