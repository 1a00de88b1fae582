#include "domain/types/chamberdata.h"

#include <QtTest/QtTest>

#include <functional>

using quelta::domain::types::ActivationState;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberLocation;
using quelta::domain::types::ChamberOperationMode;
using quelta::domain::types::ChamberTypeKey;
using quelta::domain::types::MacAddress;

using ChamberChange = std::function<void(ChamberData &)>;
Q_DECLARE_METATYPE(ChamberChange)

namespace {

ChamberData storedChamber()
{
    return ChamberData(17, "Climate 1", "SN-0042", ChamberTypeKey(5, 2), QHostAddress("10.77.0.2"),
                       MacAddress::fromString("00:1a:2b:3c:4d:5e"), ActivationState::STATE_ACTIVE,
                       ChamberOperationMode::MODE_MANUAL, false, true, "COM3", 19200, 8, 1, 0, 12, 3, 1,
                       ChamberLocation(4, QPointF(1.5, 2.5)));
}

} // namespace

class tst_ChamberData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newChamberDefaults();
    void constructorKeepsEveryField();
    void equalityComparesEveryField_data();
    void equalityComparesEveryField();
};

void tst_ChamberData::newChamberDefaults()
{
    const ChamberData chamber;
    QCOMPARE(chamber.id(), -1);
    QVERIFY(chamber.chamberName().isEmpty());
    QCOMPARE(chamber.chamberTypeKey(), ChamberTypeKey(0, 0));
    QVERIFY(chamber.ipAddress().isNull());
    QVERIFY(chamber.macAddress().isEmpty());
    QCOMPARE(chamber.activationState(), int(ActivationState::STATE_UNDEFINED));
    QCOMPARE(chamber.operationMode(), ChamberOperationMode::MODE_UNDEFINED);
    QVERIFY(!chamber.isArchived());
    QVERIFY(!chamber.isSubscribed());
    QVERIFY(chamber.comPort().isNull());
    QCOMPARE(chamber.baudRate(), -1);
    QCOMPARE(chamber.dataBits(), -1);
    QCOMPARE(chamber.stopBits(), -1);
    QCOMPARE(chamber.parity(), -1);
    QCOMPARE(chamber.modbusAddress(), quint8(0));
    QCOMPARE(chamber.protocol(), 100);
    QCOMPARE(chamber.converter(), -1);
    QCOMPARE(chamber.location(), ChamberLocation());
}

void tst_ChamberData::constructorKeepsEveryField()
{
    const ChamberData chamber = storedChamber();
    QCOMPARE(chamber.id(), 17);
    QCOMPARE(chamber.chamberName(), QStringLiteral("Climate 1"));
    QCOMPARE(chamber.serialNumber(), QStringLiteral("SN-0042"));
    QCOMPARE(chamber.chamberTypeId(), quint64(5));
    QCOMPARE(chamber.additionalInfoId(), quint64(2));
    QCOMPARE(chamber.ipAddress(), QHostAddress("10.77.0.2"));
    QCOMPARE(chamber.macAddress().toString(), QStringLiteral("00:1a:2b:3c:4d:5e"));
    QCOMPARE(chamber.activationState(), int(ActivationState::STATE_ACTIVE));
    QCOMPARE(chamber.operationMode(), ChamberOperationMode::MODE_MANUAL);
    QVERIFY(!chamber.isArchived());
    QVERIFY(chamber.isSubscribed());
    QCOMPARE(chamber.comPort(), QStringLiteral("COM3"));
    QCOMPARE(chamber.baudRate(), 19200);
    QCOMPARE(chamber.dataBits(), 8);
    QCOMPARE(chamber.stopBits(), 1);
    QCOMPARE(chamber.parity(), 0);
    QCOMPARE(chamber.modbusAddress(), quint8(12));
    QCOMPARE(chamber.protocol(), 3);
    QCOMPARE(chamber.converter(), 1);
    QCOMPARE(chamber.location(), ChamberLocation(4, QPointF(1.5, 2.5)));
}

void tst_ChamberData::equalityComparesEveryField_data()
{
    QTest::addColumn<ChamberChange>("change");

    QTest::newRow("id") << ChamberChange([](ChamberData &c) { c.setId(18); });
    QTest::newRow("name") << ChamberChange([](ChamberData &c) { c.setChamberName("Climate 2"); });
    QTest::newRow("serial number") << ChamberChange([](ChamberData &c) { c.setSerialNumber("SN-0043"); });
    QTest::newRow("type id") << ChamberChange([](ChamberData &c) { c.setChamberTypeKey(ChamberTypeKey(6, 2)); });
    QTest::newRow("variant") << ChamberChange([](ChamberData &c) { c.setChamberTypeKey(ChamberTypeKey(5, 0)); });
    QTest::newRow("ip address") << ChamberChange([](ChamberData &c) { c.setIpAddress(QHostAddress("10.77.0.1")); });
    QTest::newRow("mac address") << ChamberChange([](ChamberData &c) { c.setMacAddress(MacAddress()); });
    QTest::newRow("activation state") << ChamberChange([](ChamberData &c) { c.setActivationState(0); });
    QTest::newRow("operation mode") << ChamberChange(
        [](ChamberData &c) { c.setOperationMode(ChamberOperationMode::MODE_AUTO); });
    QTest::newRow("archived") << ChamberChange([](ChamberData &c) { c.setArchived(true); });
    QTest::newRow("subscribed") << ChamberChange([](ChamberData &c) { c.setSubscribed(false); });
    QTest::newRow("com port") << ChamberChange([](ChamberData &c) { c.setComPort("COM4"); });
    QTest::newRow("baud rate") << ChamberChange([](ChamberData &c) { c.setBaudRate(9600); });
    QTest::newRow("data bits") << ChamberChange([](ChamberData &c) { c.setDataBits(7); });
    QTest::newRow("stop bits") << ChamberChange([](ChamberData &c) { c.setStopBits(2); });
    QTest::newRow("parity") << ChamberChange([](ChamberData &c) { c.setParity(2); });
    QTest::newRow("modbus address") << ChamberChange([](ChamberData &c) { c.setModbusAddress(13); });
    QTest::newRow("protocol") << ChamberChange([](ChamberData &c) { c.setProtocol(100); });
    QTest::newRow("converter") << ChamberChange([](ChamberData &c) { c.setConverter(0); });
    QTest::newRow("room") << ChamberChange([](ChamberData &c) { c.setLocation(ChamberLocation(5, {1.5, 2.5})); });
    QTest::newRow("position") << ChamberChange([](ChamberData &c) { c.setLocation(ChamberLocation(4, {1.5, 3.0})); });
}

void tst_ChamberData::equalityComparesEveryField()
{
    QFETCH(ChamberChange, change);

    const ChamberData original = storedChamber();
    ChamberData changed = original;
    QCOMPARE(changed, original);
    change(changed);
    QVERIFY(changed != original);
}

QTEST_GUILESS_MAIN(tst_ChamberData)
#include "tst_chamberdata.moc"
