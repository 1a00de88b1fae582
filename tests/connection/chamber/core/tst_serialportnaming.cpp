#include "connection/chamber/core/serialportnaming.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::SerialPortNaming;

class tst_SerialPortNaming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void comNames_data();
    void comNames();
    void unknownNames_giveNullTexts();
    void resolve_passesNamesOfNoPortUnchanged();
};

void tst_SerialPortNaming::comNames_data()
{
    QTest::addColumn<QStringList>("portNames");
    // The COM name of each port, in the order of portNames.
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("on-board ports keep their index plus one")
        << QStringList{"ttyS1", "ttyS0", "ttyS4"} << QStringList{"COM2", "COM1", "COM5"};
    QTest::newRow("adapters follow the highest on-board port, in name order")
        << QStringList{"ttyUSB0", "ttyS0", "ttyACM0", "ttyS3"} << QStringList{"COM6", "COM1", "COM5", "COM4"};
    QTest::newRow("adapters alone start at COM1")
        << QStringList{"ttyUSB1", "ttyACM0", "ttyUSB0"} << QStringList{"COM3", "COM1", "COM2"};
    QTest::newRow("trailing numbers compare as numbers")
        << QStringList{"ttyUSB10", "ttyUSB2", "ttyUSB9"} << QStringList{"COM3", "COM1", "COM2"};
    QTest::newRow("other kinds of port are adapters too")
        << QStringList{"rfcomm0", "ttyS0", "ttyAMA0", "ttySAC1"} << QStringList{"COM2", "COM1", "COM3", "COM4"};
    QTest::newRow("a port named twice counts once")
        << QStringList{"ttyUSB0", "ttyS0", "ttyUSB0", "ttyUSB1"} << QStringList{"COM2", "COM1", "COM2", "COM3"};
    QTest::newRow("empty names are no ports") << QStringList{"", "ttyUSB0"} << QStringList{QString(), "COM1"};
    QTest::newRow("two names for one on-board index")
        << QStringList{"ttyS01", "ttyS1"} << QStringList{"COM2", "COM3"};
    QTest::newRow("an index too long to count from is an adapter")
        << QStringList{"ttyS12345678901", "ttyS0"} << QStringList{"COM2", "COM1"};
}

void tst_SerialPortNaming::comNames()
{
    QFETCH(QStringList, portNames);
    QFETCH(QStringList, expected);

    const SerialPortNaming naming(portNames);
    for (int i = 0; i < portNames.size(); ++i) {
        QCOMPARE(naming.comName(portNames.at(i)), expected.at(i));
        if (!expected.at(i).isNull())
            QCOMPARE(naming.portName(expected.at(i)), portNames.at(i));
    }
}

void tst_SerialPortNaming::unknownNames_giveNullTexts()
{
    const SerialPortNaming naming({"ttyS0"});
    QVERIFY(naming.portName("COM2").isNull());
    QVERIFY(naming.portName("com1").isNull());
    QVERIFY(naming.portName("ttyS0").isNull());
    QVERIFY(naming.comName("ttyS1").isNull());
}

void tst_SerialPortNaming::resolve_passesNamesOfNoPortUnchanged()
{
    // Device paths (a socat pseudo-terminal) and names that no port can have
    // reach the connection as they are.
    QCOMPARE(SerialPortNaming::resolve("/dev/pts/7"), QString("/dev/pts/7"));
    QCOMPARE(SerialPortNaming::resolve("COM0"), QString("COM0"));
}

QTEST_GUILESS_MAIN(tst_SerialPortNaming)
#include "tst_serialportnaming.moc"
