#include "connection/chamber/core/serialportnaming.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::SerialPortNaming;

class tst_SerialPortNaming : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void comNames_data();
    void comNames();
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
    QTest::newRow("adapters alone start at COM1, trailing numbers compare as numbers")
        << QStringList{"ttyUSB10", "ttyACM0", "ttyUSB2"} << QStringList{"COM3", "COM1", "COM2"};
    QTest::newRow("other kinds of port are adapters too")
        << QStringList{"ttySAC1", "ttyS0", "rfcomm0"} << QStringList{"COM3", "COM1", "COM2"};
    QTest::newRow("a port named twice counts once")
        << QStringList{"ttyUSB0", "ttyS0", "ttyUSB0", "ttyUSB1"} << QStringList{"COM2", "COM1", "COM2", "COM3"};
    QTest::newRow("two names for one on-board index") << QStringList{"ttyS01", "ttyS1"} << QStringList{"COM2", "COM3"};
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
        QCOMPARE(naming.portName(expected.at(i)), portNames.at(i));
    }
    QVERIFY(naming.portName("COM9").isNull());
}

QTEST_GUILESS_MAIN(tst_SerialPortNaming)
#include "tst_serialportnaming.moc"
