#include "connection/chamber/protocol/tjvlineprotocolimpl.h"
#include "connection/chamber/protocol/vacuubrandprotocolimpl.h"

#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::chamberconnection;

// Which answer line proves that the device speaks the protocol. The check
// requests themselves are pinned where a peer receives them.
class tst_LineProtocolImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isCheckAnswer_data();
    void isCheckAnswer();
};

void tst_LineProtocolImpl::isCheckAnswer_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");

    const QString vacuum = QStringLiteral("Vacuubrand");
    QTest::newRow("vacuum mbar") << vacuum << QByteArray("0950 mbar") << true;
    QTest::newRow("vacuum hPa, surrounding blanks") << vacuum << QByteArray(" 0950 hPa ") << true;
    QTest::newRow("vacuum Torr") << vacuum << QByteArray("0712 Torr") << true;
    QTest::newRow("vacuum decimal") << vacuum << QByteArray("0001.5 mbar") << true;
    QTest::newRow("vacuum echo of request") << vacuum << QByteArray("IN_PV_1") << false;
    QTest::newRow("vacuum unknown unit") << vacuum << QByteArray("0950 bar") << false;
    QTest::newRow("vacuum too many digits") << vacuum << QByteArray("1234567 mbar") << false;
    // Once accepted: the text was cut at the NUL, and any white space passed.
    QTest::newRow("vacuum NUL and more") << vacuum << QByteArray("0950 mbar\0junk", 14) << false;
    QTest::newRow("vacuum CR before") << vacuum << QByteArray("\r0950 mbar") << false;
    QTest::newRow("vacuum VT after") << vacuum << QByteArray("0950 mbar\v") << false;
    QTest::newRow("vacuum FF after") << vacuum << QByteArray("0950 mbar\f") << false;

    const QString tjv = QStringLiteral("TJV");
    QTest::newRow("TJV identification") << tjv << QByteArray("TJV,Controller,1234,2.10") << true;
    QTest::newRow("TJV echo of request") << tjv << QByteArray("*IDN?") << false;
    QTest::newRow("TJV blanks only") << tjv << QByteArray("   ") << false;
    QTest::newRow("TJV control byte") << tjv << QByteArray("TJV\x01") << false;
}

void tst_LineProtocolImpl::isCheckAnswer()
{
    QFETCH(QString, protocol);
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);

    std::unique_ptr<LineProtocolImpl> impl;
    if (protocol == QLatin1String("TJV"))
        impl = std::make_unique<TjvLineProtocolImpl>();
    else
        impl = std::make_unique<VacuubrandProtocolImpl>();
    QCOMPARE(impl->name(), protocol);
    QCOMPARE(impl->isCheckAnswer(line), accepted);
}

QTEST_GUILESS_MAIN(tst_LineProtocolImpl)
#include "tst_lineprotocolimpl.moc"
