#include "connection/chamber/protocol/tjvlineprotocolimpl.h"
#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;

// The two line protocols side by side: what the check sends and which answer
// proves that the device speaks the protocol.
class tst_LineProtocolImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void vacuubrand_checkRequest();
    void vacuubrand_isCheckAnswer_data();
    void vacuubrand_isCheckAnswer();
    void tjv_checkRequest();
    void tjv_isCheckAnswer_data();
    void tjv_isCheckAnswer();
};

void tst_LineProtocolImpl::vacuubrand_checkRequest()
{
    VacuubrandProtocolImpl protocol;
    QCOMPARE(protocol.checkRequest(), QByteArray("IN_PV_1"));
    QCOMPARE(protocol.name(), QStringLiteral("Vacuubrand"));
}

void tst_LineProtocolImpl::vacuubrand_isCheckAnswer_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("mbar") << QByteArray("0950 mbar") << true;
    QTest::newRow("hPa") << QByteArray("0950 hPa") << true;
    QTest::newRow("Torr") << QByteArray("0712 Torr") << true;
    QTest::newRow("decimal") << QByteArray("0001.5 mbar") << true;
    QTest::newRow("surrounding blanks") << QByteArray(" 0950 mbar ") << true;
    QTest::newRow("echo of request") << QByteArray("IN_PV_1") << false;
    QTest::newRow("no unit") << QByteArray("0950") << false;
    QTest::newRow("unknown unit") << QByteArray("0950 bar") << false;
    QTest::newRow("frequency answer") << QByteArray("50.0 Hz") << false;
    QTest::newRow("no blank") << QByteArray("0950mbar") << false;
    QTest::newRow("unit first") << QByteArray("mbar 0950") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("binary") << QByteArray::fromHex("00ff0d") << false;
    QTest::newRow("too many digits") << QByteArray("1234567 mbar") << false;
}

void tst_LineProtocolImpl::vacuubrand_isCheckAnswer()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    QCOMPARE(VacuubrandProtocolImpl().isCheckAnswer(line), accepted);
}

void tst_LineProtocolImpl::tjv_checkRequest()
{
    TjvLineProtocolImpl protocol;
    QCOMPARE(protocol.checkRequest(), QByteArray("*IDN?"));
    QCOMPARE(protocol.name(), QStringLiteral("TJV"));
    QCOMPARE(TjvLineProtocolImpl::TcpPort, quint16(9001));
}

void tst_LineProtocolImpl::tjv_isCheckAnswer_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("identification") << QByteArray("TJV,Controller,1234,2.10") << true;
    QTest::newRow("single word") << QByteArray("OK") << true;
    QTest::newRow("echo of request") << QByteArray("*IDN?") << false;
    QTest::newRow("blanks only") << QByteArray("   ") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("control byte") << QByteArray("TJV\x01") << false;
    QTest::newRow("high byte") << QByteArray("TJV\xfc") << false;
}

void tst_LineProtocolImpl::tjv_isCheckAnswer()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    QCOMPARE(TjvLineProtocolImpl().isCheckAnswer(line), accepted);
}

QTEST_GUILESS_MAIN(tst_LineProtocolImpl)
#include "tst_lineprotocolimpl.moc"
