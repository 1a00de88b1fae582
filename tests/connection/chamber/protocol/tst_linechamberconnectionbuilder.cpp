#include "connection/chamber/protocol/linechamberconnectionbuilder.h"
#include "connection/chamber/protocol/seriallinechamberconnection.h"
#include "connection/chamber/protocol/tcplinechamberconnection.h"
#include "domain/types/chamberdata.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberData;

namespace {

// serial: the record's baud rate, data bits, parity and stop bits.
ChamberData chamber(int protocol, const char *ip, const char *comPort, int converter,
                    const QVector<int> &serial = {-1, -1, -1, -1})
{
    ChamberData data;
    data.setProtocol(protocol);
    if (ip)
        data.setIpAddress(QHostAddress(QString::fromLatin1(ip)));
    if (comPort)
        data.setComPort(QString::fromLatin1(comPort));
    data.setConverter(converter);
    data.setBaudRate(serial.at(0));
    data.setDataBits(serial.at(1));
    data.setParity(serial.at(2));
    data.setStopBits(serial.at(3));
    return data;
}

// The connection as one line: protocol, transport and where it goes; empty
// when none was made.
QString describe(const LineChamberConnection *connection)
{
    if (!connection)
        return QString();
    const QString protocol = connection->protocol().name();
    if (const auto *tcp = qobject_cast<const TcpLineChamberConnection *>(connection))
        return QStringLiteral("%1 tcp %2:%3").arg(protocol, tcp->address().toString()).arg(tcp->port());
    const SerialLineSettings settings = qobject_cast<const SerialLineChamberConnection *>(connection)->settings();
    return QStringLiteral("%1 serial %2 %3 baud, data %4, parity %5, stop %6, flow %7")
            .arg(protocol, settings.portName, QString::number(settings.baudRate))
            .arg(settings.dataBits)
            .arg(settings.parity)
            .arg(settings.stopBits)
            .arg(settings.flowControl);
}

} // namespace

class tst_LineChamberConnectionBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void create_data();
    void create();
};

void tst_LineChamberConnectionBuilder::create_data()
{
    QTest::addColumn<ChamberData>("chamberData");
    QTest::addColumn<QString>("connection");

    QTest::newRow("TJV") << chamber(4, "10.77.0.2", nullptr, -1) << "TJV tcp 10.77.0.2:9001";
    QTest::newRow("vacuum converter wins over COM port")
            << chamber(5, "10.77.0.2", "COM3", 1) << "Vacuubrand tcp 10.77.0.2:10001";
    QTest::newRow("vacuum factory setting")
            << chamber(5, nullptr, "COM3", -1)
            << "Vacuubrand serial COM3 19200 baud, data 8, parity 0, stop 1, flow 0";
    QTest::newRow("vacuum own settings")
            << chamber(5, nullptr, "/dev/ttyUSB0", -1, {9600, 7, QSerialPort::EvenParity, QSerialPort::TwoStop})
            << "Vacuubrand serial /dev/ttyUSB0 9600 baud, data 7, parity 2, stop 2, flow 0";

    QTest::newRow("TJV with IPv6 address") << chamber(4, "fe80::1", "COM3", -1) << QString();
    QTest::newRow("vacuum with address, no converter") << chamber(5, "10.77.0.2", nullptr, -1) << QString();
    QTest::newRow("vacuum with parity 1") << chamber(5, nullptr, "COM3", -1, {-1, -1, 1, -1}) << QString();
}

void tst_LineChamberConnectionBuilder::create()
{
    QFETCH(ChamberData, chamberData);
    QFETCH(QString, connection);

    if (connection.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("connection")));
    QCOMPARE(describe(LineChamberConnectionBuilder::create(chamberData).get()), connection);
}

QTEST_GUILESS_MAIN(tst_LineChamberConnectionBuilder)
#include "tst_linechamberconnectionbuilder.moc"
