#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/qx1operatingmodeconnection.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "recordingchamberconnection.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberOperationMode;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;

class tst_Qx1OperatingModeConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void writeOperatingMode_writesTheModeRegister_data();
    void writeOperatingMode_writesTheModeRegister();
    void writeOperatingMode_modesWithoutValue_giveNoReply_data();
    void writeOperatingMode_modesWithoutValue_giveNoReply();
    void writeOperatingMode_refusedWrite_givesNoReply();
    void readOperatingMode_cannotBeRead();
    void writeOperatingMode_reachesTheController();
};

void tst_Qx1OperatingModeConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false"));
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_writesTheModeRegister_data()
{
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    QTest::addColumn<int>("value");
    QTest::newRow("basic") << ChamberOperationMode::MODE_BASIC << 0x1000;
    QTest::newRow("manual") << ChamberOperationMode::MODE_MANUAL << 0x0800;
    QTest::newRow("automatic") << ChamberOperationMode::MODE_AUTO << 0x0400;
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_writesTheModeRegister()
{
    QFETCH(ChamberOperationMode::Mode, mode);
    QFETCH(int, value);

    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx1OperatingModeConnection modes(connection);
    const auto reply = modes.writeOperatingMode(mode);

    QCOMPARE(connection->writes().size(), 1);
    const ControllerAddress address = connection->writes().at(0).first;
    QCOMPARE(address.address(), QStringLiteral("0x1A22"));
    QCOMPARE(address.valueType(), int(QMetaType::UShort));
    QCOMPARE(address.count(), 1);
    QCOMPARE(connection->writes().at(0).second.toInt(), value);
    // The caller waits on the write itself.
    QCOMPARE(reply.data(), static_cast<quelta::domain::api::IChamberReply *>(connection->replies().at(0).data()));
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_modesWithoutValue_giveNoReply_data()
{
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    QTest::newRow("undefined") << ChamberOperationMode::MODE_UNDEFINED;
    QTest::newRow("not supported") << ChamberOperationMode::MODE_NOTSUPPORTED;
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_modesWithoutValue_giveNoReply()
{
    QFETCH(ChamberOperationMode::Mode, mode);

    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx1OperatingModeConnection modes(connection);
    QVERIFY(!modes.writeOperatingMode(mode));
    QCOMPARE(connection->writes().size(), 0);
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_refusedWrite_givesNoReply()
{
    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    connection->setRefusing(true);
    Qx1OperatingModeConnection modes(connection);
    QVERIFY(!modes.writeOperatingMode(ChamberOperationMode::MODE_BASIC));
}

void tst_Qx1OperatingModeConnection::readOperatingMode_cannotBeRead()
{
    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx1OperatingModeConnection modes(connection);
    QVERIFY(!modes.readOperatingMode());
    QCOMPARE(connection->reads().size(), 0);
}

void tst_Qx1OperatingModeConnection::writeOperatingMode_reachesTheController()
{
    constexpr int UnitId = 3;
    LoopbackModbusTcpServer server;
    QVERIFY(server.start(UnitId, QVector<quint16>(0x2000)));
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), server.port()), UnitId);
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    Qx1OperatingModeConnection modes(connection);

    const auto reply = qSharedPointerDynamicCast<ChamberReply>(modes.writeOperatingMode(ChamberOperationMode::MODE_MANUAL));
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());
    QVERIFY(!reply->hasAnyError());
    quint16 value = 0;
    QVERIFY(server.server().data(QModbusDataUnit::HoldingRegisters, 0x1A22, &value));
    QCOMPARE(value, quint16(0x0800));
}

QTEST_GUILESS_MAIN(tst_Qx1OperatingModeConnection)
#include "tst_qx1operatingmodeconnection.moc"
