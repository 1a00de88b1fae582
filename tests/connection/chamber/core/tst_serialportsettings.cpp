#include "connection/chamber/core/serialportsettings.h"
#include "domain/types/chamberdata.h"

#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::SerialPortSettings;
using quelta::domain::types::ChamberData;

class tst_SerialPortSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromChamber_data();
    void fromChamber();
};

void tst_SerialPortSettings::fromChamber_data()
{
    // The record's baud rate, data bits, parity and stop bits.
    QTest::addColumn<QVector<int>>("record");
    // "baud data parity stop"; empty for no settings.
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("reason");

    QTest::newRow("-1 takes each default") << QVector<int>{-1, -1, -1, -1} << "19200 7 2 2" << QString();
    QTest::newRow("the record's own") << QVector<int>{4800, 5, 5, 3} << "4800 5 5 3" << QString();
    QTest::newRow("one of the record's own") << QVector<int>{-1, 8, -1, -1} << "19200 8 2 2" << QString();
    QTest::newRow("baud rate 0") << QVector<int>{0, -1, -1, -1} << QString() << "invalid baud rate 0";
    QTest::newRow("baud rate -2") << QVector<int>{-2, -1, -1, -1} << QString() << "invalid baud rate -2";
    QTest::newRow("4 data bits") << QVector<int>{-1, 4, -1, -1} << QString() << "invalid number of data bits 4";
    QTest::newRow("9 data bits") << QVector<int>{-1, 9, -1, -1} << QString() << "invalid number of data bits 9";
    QTest::newRow("parity 1") << QVector<int>{-1, -1, 1, -1} << QString() << "invalid parity 1";
    QTest::newRow("parity 6") << QVector<int>{-1, -1, 6, -1} << QString() << "invalid parity 6";
    QTest::newRow("0 stop bits") << QVector<int>{-1, -1, -1, 0} << QString() << "invalid number of stop bits 0";
    QTest::newRow("4 stop bits") << QVector<int>{-1, -1, -1, 4} << QString() << "invalid number of stop bits 4";
}

void tst_SerialPortSettings::fromChamber()
{
    QFETCH(QVector<int>, record);
    QFETCH(QString, expected);
    QFETCH(QString, reason);

    ChamberData chamber;
    chamber.setBaudRate(record.at(0));
    chamber.setDataBits(record.at(1));
    chamber.setParity(record.at(2));
    chamber.setStopBits(record.at(3));
    const SerialPortSettings defaults{19200, QSerialPort::Data7, QSerialPort::EvenParity, QSerialPort::TwoStop};
    QString why;
    const std::optional<SerialPortSettings> settings = SerialPortSettings::fromChamber(chamber, defaults, &why);

    const QString text = settings ? QStringLiteral("%1 %2 %3 %4")
                                            .arg(settings->baudRate)
                                            .arg(settings->dataBits)
                                            .arg(settings->parity)
                                            .arg(settings->stopBits)
                                  : QString();
    QCOMPARE(text, expected);
    QCOMPARE(why, reason);
}

QTEST_GUILESS_MAIN(tst_SerialPortSettings)
#include "tst_serialportsettings.moc"
