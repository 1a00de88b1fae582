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

ChamberData serialChamber(int baudRate, int dataBits, int parity, int stopBits)
{
    ChamberData data = chamber(5, nullptr, "/dev/ttyUSB0", -1);
    data.setBaudRate(baudRate);
    data.setDataBits(dataBits);
    data.setParity(parity);
    data.setStopBits(stopBits);
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
            .arg(protocol, settings.portName)
            .arg(settings.baudRate)
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
    QTest::newRow("vacuum through ComServer")
            << chamber(5, "10.77.0.2", nullptr, 0) << "Vacuubrand tcp 10.77.0.2:8000";
    QTest::newRow("vacuum through XPort") << chamber(5, "10.77.0.2", nullptr, 1) << "Vacuubrand tcp 10.77.0.2:10001";
    QTest::newRow("vacuum converter wins over COM port")
            << chamber(5, "10.77.0.2", "COM3", 1) << "Vacuubrand tcp 10.77.0.2:10001";

    QTest::newRow("vacuum factory setting")
            << chamber(5, nullptr, "COM3", -1)
            << "Vacuubrand serial COM3 19200 baud, data 8, parity 0, stop 1, flow 0";
    QTest::newRow("vacuum own settings")
            << serialChamber(9600, 7, QSerialPort::EvenParity, QSerialPort::TwoStop)
            << "Vacuubrand serial /dev/ttyUSB0 9600 baud, data 7, parity 2, stop 2, flow 0";
    QTest::newRow("vacuum only baud rate set")
            << serialChamber(4800, -1, -1, -1)
            << "Vacuubrand serial /dev/ttyUSB0 4800 baud, data 8, parity 0, stop 1, flow 0";

    QTest::newRow("TJV without address") << chamber(4, nullptr, "COM3", -1) << QString();
    QTest::newRow("TJV with IPv6 address") << chamber(4, "fe80::1", nullptr, -1) << QString();
    QTest::newRow("vacuum without address or port") << chamber(5, nullptr, nullptr, -1) << QString();
    QTest::newRow("vacuum with address, no converter") << chamber(5, "10.77.0.2", nullptr, -1) << QString();
    QTest::newRow("vacuum with unknown converter") << chamber(5, "10.77.0.2", nullptr, 7) << QString();
    QTest::newRow("parity 1") << serialChamber(-1, -1, 1, -1) << QString();
    QTest::newRow("9 data bits") << serialChamber(-1, 9, -1, -1) << QString();
    QTest::newRow("Modbus RTU") << chamber(1, "10.77.0.2", "COM3", 1) << QString();
    QTest::newRow("Simserv") << chamber(6, "10.77.0.2", nullptr, -1) << QString();
    QTest::newRow("CTS network") << chamber(8, "10.77.0.2", nullptr, -1) << QString();
    QTest::newRow("undetermined") << chamber(100, "10.77.0.2", "COM3", -1) << QString();
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
