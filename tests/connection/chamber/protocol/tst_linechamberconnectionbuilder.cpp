#include "connection/chamber/protocol/linechamberconnectionbuilder.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "domain/types/chamberdata.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberData;

namespace {

ChamberData chamber(int protocol, const char *ip, const char *comPort, int converter)
{
    ChamberData data;
    data.setChamberName(QStringLiteral("Test chamber"));
    data.setProtocol(protocol);
    if (ip)
        data.setIpAddress(QHostAddress(QString::fromLatin1(ip)));
    if (comPort)
        data.setComPort(QString::fromLatin1(comPort));
    data.setConverter(converter);
    return data;
}

} // namespace

class tst_LineChamberConnectionBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void create_tcp_data();
    void create_tcp();
    void create_serial_data();
    void create_serial();
    void create_refused_data();
    void create_refused();
};

void tst_LineChamberConnectionBuilder::create_tcp_data()
{
    QTest::addColumn<ChamberData>("chamberData");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<int>("port");

    QTest::newRow("TJV") << chamber(4, "10.77.0.2", nullptr, -1) << "TJV" << 9001;
    QTest::newRow("vacuum through ComServer") << chamber(5, "10.77.0.2", nullptr, 0) << "Vacuubrand" << 8000;
    QTest::newRow("vacuum through XPort") << chamber(5, "10.77.0.2", nullptr, 1) << "Vacuubrand" << 10001;
    QTest::newRow("vacuum converter wins over COM port") << chamber(5, "10.77.0.2", "COM3", 1) << "Vacuubrand"
                                                          << 10001;
}

void tst_LineChamberConnectionBuilder::create_tcp()
{
    QFETCH(ChamberData, chamberData);
    QFETCH(QString, protocol);
    QFETCH(int, port);

    const std::unique_ptr<LineChamberConnection> connection = LineChamberConnectionBuilder::create(chamberData);
    auto *tcp = qobject_cast<TcpLineChamberConnection *>(connection.get());
    QVERIFY(tcp);
    QCOMPARE(tcp->protocol().name(), protocol);
    QCOMPARE(tcp->address(), chamberData.ipAddress());
    QCOMPARE(int(tcp->port()), port);
    QCOMPARE(tcp->replyTimeout(), LineChamberConnection::DefaultReplyTimeout);
}

void tst_LineChamberConnectionBuilder::create_serial_data()
{
    QTest::addColumn<ChamberData>("chamberData");
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("dataBits");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");

    QTest::newRow("factory setting") << chamber(5, nullptr, "COM3", -1) << 19200 << 8 << int(QSerialPort::NoParity)
                                     << int(QSerialPort::OneStop);

    ChamberData own = chamber(5, nullptr, "/dev/ttyUSB0", -1);
    own.setBaudRate(9600);
    own.setDataBits(7);
    own.setParity(QSerialPort::EvenParity);
    own.setStopBits(QSerialPort::TwoStop);
    QTest::newRow("own settings") << own << 9600 << 7 << int(QSerialPort::EvenParity) << int(QSerialPort::TwoStop);

    ChamberData mixed = chamber(5, nullptr, "COM1", 0);
    mixed.setBaudRate(4800);
    QTest::newRow("only baud rate set") << mixed << 4800 << 8 << int(QSerialPort::NoParity)
                                        << int(QSerialPort::OneStop);
}

void tst_LineChamberConnectionBuilder::create_serial()
{
    QFETCH(ChamberData, chamberData);
    QFETCH(int, baudRate);
    QFETCH(int, dataBits);
    QFETCH(int, parity);
    QFETCH(int, stopBits);

    const std::unique_ptr<LineChamberConnection> connection = LineChamberConnectionBuilder::create(chamberData);
    auto *serial = qobject_cast<SerialLineChamberConnection *>(connection.get());
    QVERIFY(serial);
    QCOMPARE(serial->protocol().name(), QStringLiteral("Vacuubrand"));

    SerialLineSettings expected;
    expected.portName = chamberData.comPort();
    expected.baudRate = baudRate;
    expected.dataBits = QSerialPort::DataBits(dataBits);
    expected.parity = QSerialPort::Parity(parity);
    expected.stopBits = QSerialPort::StopBits(stopBits);
    expected.flowControl = QSerialPort::NoFlowControl;
    QCOMPARE(serial->settings(), expected);
}

void tst_LineChamberConnectionBuilder::create_refused_data()
{
    QTest::addColumn<ChamberData>("chamberData");

    QTest::newRow("TJV without address") << chamber(4, nullptr, "COM3", -1);
    QTest::newRow("TJV with IPv6 address") << chamber(4, "fe80::1", nullptr, -1);
    QTest::newRow("vacuum without address or port") << chamber(5, nullptr, nullptr, -1);
    QTest::newRow("vacuum with address, no converter") << chamber(5, "10.77.0.2", nullptr, -1);
    QTest::newRow("vacuum with unknown converter") << chamber(5, "10.77.0.2", nullptr, 7);

    ChamberData badParity = chamber(5, nullptr, "COM3", -1);
    badParity.setParity(1);
    QTest::newRow("parity 1") << badParity;
    ChamberData badDataBits = chamber(5, nullptr, "COM3", -1);
    badDataBits.setDataBits(9);
    QTest::newRow("9 data bits") << badDataBits;

    QTest::newRow("Modbus RTU") << chamber(1, "10.77.0.2", "COM3", 1);
    QTest::newRow("Simserv") << chamber(6, "10.77.0.2", nullptr, -1);
    QTest::newRow("CTS serial") << chamber(7, nullptr, "COM3", -1);
    QTest::newRow("CTS network") << chamber(8, "10.77.0.2", nullptr, -1);
    QTest::newRow("undetermined") << chamber(100, "10.77.0.2", "COM3", -1);
}

void tst_LineChamberConnectionBuilder::create_refused()
{
    QFETCH(ChamberData, chamberData);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("connection")));
    QVERIFY(!LineChamberConnectionBuilder::create(chamberData));
}

QTEST_GUILESS_MAIN(tst_LineChamberConnectionBuilder)
#include "tst_linechamberconnectionbuilder.moc"
