#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/qx1operatingmodeconnection.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberOperationMode;
using quelta::domain::types::ChamberState;

class tst_Qx1OperatingModeConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void writeOperatingMode_writesTheModeRegister_data();
    void writeOperatingMode_writesTheModeRegister();
    void readOperatingMode_cannotBeRead();
};

void tst_Qx1OperatingModeConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    // The failures below are meant; their warnings are not news.
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false\n"
                                                    "qt.modbus.warning=false"));
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_writesTheModeRegister_data()
{
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    // -1: no reply, nothing written.
    QTest::addColumn<int>("value");
    QTest::newRow("basic") << ChamberOperationMode::MODE_BASIC << 0x1000;
    QTest::newRow("manual") << ChamberOperationMode::MODE_MANUAL << 0x0800;
    QTest::newRow("automatic") << ChamberOperationMode::MODE_AUTO << 0x0400;
    QTest::newRow("undefined") << ChamberOperationMode::MODE_UNDEFINED << -1;
    QTest::newRow("not supported") << ChamberOperationMode::MODE_NOTSUPPORTED << -1;
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_writesTheModeRegister()
{
    QFETCH(ChamberOperationMode::Mode, mode);
    QFETCH(int, value);

    constexpr int UnitId = 3;
    LoopbackModbusTcpServer server;
    QVERIFY(server.start(UnitId, QVector<quint16>(0x2000, 0xFFFF)));
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), server.port()), UnitId);
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    Qx1OperatingModeConnection modes(connection);

    const auto reply = qSharedPointerDynamicCast<ChamberReply>(modes.writeOperatingMode(mode));
    quint16 written = 0;
    if (value < 0) {
        QVERIFY(!reply);
    } else {
        QVERIFY(reply);
        QSignalSpy finished(reply.data(), &ChamberReply::finished);
        QVERIFY(finished.wait());
        QVERIFY(!reply->hasAnyError());
    }
    QVERIFY(server.server().data(QModbusDataUnit::HoldingRegisters, 0x1A22, &written));
    QCOMPARE(written, value < 0 ? quint16(0xFFFF) : quint16(value));
}

void tst_Qx1OperatingModeConnection::readOperatingMode_cannotBeRead()
{
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), 9), 3);
    Qx1OperatingModeConnection modes(connection);
    QVERIFY(!modes.readOperatingMode());
}

QTEST_GUILESS_MAIN(tst_Qx1OperatingModeConnection)
#include "tst_qx1operatingmodeconnection.moc"
