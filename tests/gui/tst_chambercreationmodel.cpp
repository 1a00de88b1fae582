#include "gui/chambercreationmodel.h"

#include <QtTest/QtTest>

#include <memory>

using quelta::domain::types::ActivationState;
using quelta::domain::types::ChamberData;
using quelta::domain::types::ChamberTypeKey;
using quelta::domain::types::MacAddress;
using quelta::domain::types::NetworkConfiguration;
using quelta::gui::ChamberCreationModel;

namespace {

NetworkConfiguration networkAnswer(const QString &address, int converter)
{
    return NetworkConfiguration(QHostAddress(address), MacAddress::fromString("00:20:4a:01:02:03"), converter);
}

} // namespace

class tst_ChamberCreationModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructors_startFromANewChamberRecord();
    void unparsableAddress_givesASerialResultWithoutPort();
    void selected_announcesOnlyChanges();
    void creationAndActivationState_announceEveryWrite();
    void dataWrites_announceAndStore();
    void converter_readsAndWritesByName();
    void setChamberType_data();
    void setChamberType();
    void typeIds_areTheLowBitsOfTheRecordsIds();
};

void tst_ChamberCreationModel::constructors_startFromANewChamberRecord()
{
    const ChamberCreationModel empty;
    QCOMPARE(empty.chamberData(), ChamberData());
    QCOMPARE(empty.creationState(), ChamberCreationModel::NOT_CREATED);
    QVERIFY(!empty.isSelected());
    QVERIFY(!empty.isManuallyConfigured());
    QCOMPARE(empty.activationState(), ActivationState::STATE_UNDEFINED);

    const ChamberCreationModel found(networkAnswer("192.168.1.20", 1), false);
    ChamberData expected;
    expected.setIpAddress(QHostAddress("192.168.1.20"));
    expected.setMacAddress(MacAddress::fromString("00:20:4a:01:02:03"));
    expected.setConverter(1);
    QCOMPARE(found.chamberData(), expected);
    QVERIFY(!found.isManuallyConfigured());
    QVERIFY(!found.isSerial());
    QCOMPARE(found.ipAddress(), QString("192.168.1.20"));
    QCOMPARE(found.macAddress(), QString("00:20:4a:01:02:03"));
    QVERIFY(found.comPort().isNull());
    QCOMPARE(found.converter(), QString("XPort"));

    const ChamberCreationModel entered(networkAnswer("10.0.0.1", -1), true);
    QVERIFY(entered.isManuallyConfigured());
    QCOMPARE(entered.converter(), QString());

    const ChamberCreationModel port(QStringLiteral("COM3"));
    expected = ChamberData();
    expected.setComPort("COM3");
    QCOMPARE(port.chamberData(), expected);
    QVERIFY(port.isSerial());
    QCOMPARE(port.comPort(), QString("COM3"));
    QCOMPARE(port.ipAddress(), QString(""));
    QCOMPARE(port.creationState(), ChamberCreationModel::NOT_CREATED);

    ChamberData existing;
    existing.setId(12);
    existing.setChamberName("Climate 1");
    existing.setComPort("COM2");
    existing.setModbusAddress(4);
    existing.setActivationState(ActivationState::STATE_ACTIVE);
    const ChamberCreationModel known(existing);
    QCOMPARE(known.chamberData(), existing);
    QCOMPARE(known.creationState(), ChamberCreationModel::CREATED);
    QCOMPARE(known.activationState(), ActivationState::STATE_ACTIVE);
    QVERIFY(!known.isSelected());
}

void tst_ChamberCreationModel::unparsableAddress_givesASerialResultWithoutPort()
{
    const ChamberCreationModel model(NetworkConfiguration(QHostAddress("..."), MacAddress(), -1), true);
    QVERIFY(model.isSerial());
    QVERIFY(model.comPort().isEmpty());
    QCOMPARE(model.ipAddress(), QString(""));
    QCOMPARE(model.macAddress(), QString(""));
}

void tst_ChamberCreationModel::selected_announcesOnlyChanges()
{
    ChamberCreationModel model(QStringLiteral("COM1"));
    QSignalSpy selection(&model, &ChamberCreationModel::signalSelectionStateChanged);
    QVERIFY(model.setProperty("selected", true));
    QVERIFY(model.setProperty("selected", true));
    QCOMPARE(selection.count(), 1);
    QVERIFY(model.isSelected());
    model.setSelected(false);
    QCOMPARE(selection.count(), 2);
}

void tst_ChamberCreationModel::creationAndActivationState_announceEveryWrite()
{
    ChamberCreationModel model(QStringLiteral("COM1"));
    QSignalSpy creation(&model, &ChamberCreationModel::signalCreationStateChanged);
    QSignalSpy activation(&model, &ChamberCreationModel::signalActivationStateChanged);

    QVERIFY(model.setProperty("creationState", ChamberCreationModel::CREATED));
    model.setCreationState(ChamberCreationModel::CREATED);
    QCOMPARE(creation.count(), 2);
    QCOMPARE(model.property("creationState").toInt(), int(ChamberCreationModel::CREATED));

    model.setActivationState(ActivationState::STATE_INACTIVE);
    model.setActivationState(ActivationState::STATE_INACTIVE);
    QCOMPARE(activation.count(), 2);
    QCOMPARE(model.chamberData().activationState(), int(ActivationState::STATE_INACTIVE));
    QCOMPARE(model.property("activationState").toInt(), int(ActivationState::STATE_INACTIVE));
}

void tst_ChamberCreationModel::dataWrites_announceAndStore()
{
    ChamberCreationModel model(networkAnswer("10.0.0.5", 0), false);
    QSignalSpy data(&model, &ChamberCreationModel::signalDataChanged);

    model.setChamberName("Oven");
    model.setChamberName("Oven");
    model.setSerialNumber("12-34567");
    QCOMPARE(data.count(), 3);
    QCOMPARE(model.chamberData().chamberName(), QString("Oven"));
    QCOMPARE(model.chamberData().serialNumber(), QString("12-34567"));

    model.setMacAddress("AA-BB-CC-0D-0E-0F");
    QCOMPARE(model.macAddress(), QString("aa:bb:cc:0d:0e:0f"));
    model.setMacAddress("not a mac");
    QCOMPARE(model.macAddress(), QString());
    QCOMPARE(data.count(), 5);

    model.setModbusAddress(247);
    QCOMPARE(model.modbusAddress(), 247);
    model.setModbusAddress(0x1FF);
    QCOMPARE(model.modbusAddress(), 0xFF);
    model.setModbusAddress(256);
    QCOMPARE(model.modbusAddress(), 0);
    QCOMPARE(data.count(), 8);
}

void tst_ChamberCreationModel::converter_readsAndWritesByName()
{
    ChamberCreationModel model(networkAnswer("10.0.0.5", -1), true);
    QSignalSpy data(&model, &ChamberCreationModel::signalDataChanged);
    QCOMPARE(model.converterNames(), (QStringList{"ComServer", "XPort"}));
    QCOMPARE(model.converter(), QString());

    model.setConverter("XPort");
    QCOMPARE(model.chamberData().converter(), 1);
    QCOMPARE(model.converter(), QString("XPort"));
    model.setConverter("ComServer");
    QCOMPARE(model.chamberData().converter(), 0);
    model.setConverter("XPort");
    model.setConverter("unknown");
    QCOMPARE(model.chamberData().converter(), 0);
    QCOMPARE(model.converter(), QString("ComServer"));
    model.setConverter(QString());
    QCOMPARE(model.chamberData().converter(), 0);
    QCOMPARE(data.count(), 5);
}

void tst_ChamberCreationModel::setChamberType_data()
{
    QTest::addColumn<bool>("network");
    QTest::addColumn<int>("converter");
    QTest::addColumn<int>("modbusAddress");
    QTest::addColumn<bool>("requiresModbusAddress");
    QTest::addColumn<bool>("isSerial");
    QTest::addColumn<int>("expectedConverter");
    QTest::addColumn<int>("expectedModbusAddress");

    QTest::newRow("address 0 becomes 1") << false << -1 << 0 << true << true << -1 << 1;
    QTest::newRow("address 5 stays") << false << -1 << 5 << true << true << -1 << 5;
    QTest::newRow("no address needed") << false << -1 << 5 << false << true << -1 << 0;
    QTest::newRow("serial type on a serial port") << false << -1 << 0 << false << true << -1 << 0;
    QTest::newRow("serial type over the network") << true << -1 << 0 << true << true << 1 << 1;
    QTest::newRow("serial type keeps a ComServer") << true << 0 << 0 << true << true << 0 << 1;
    QTest::newRow("network type drops the converter") << true << 0 << 3 << false << false << -1 << 0;
    QTest::newRow("network type drops an XPort") << true << 1 << 0 << true << false << -1 << 1;
}

void tst_ChamberCreationModel::setChamberType()
{
    QFETCH(bool, network);
    QFETCH(int, converter);
    QFETCH(int, modbusAddress);
    QFETCH(bool, requiresModbusAddress);
    QFETCH(bool, isSerial);
    QFETCH(int, expectedConverter);
    QFETCH(int, expectedModbusAddress);

    const auto model = network ? std::make_unique<ChamberCreationModel>(networkAnswer("10.0.0.7", converter), true)
                               : std::make_unique<ChamberCreationModel>(QStringLiteral("COM4"));
    model->setModbusAddress(modbusAddress);
    QSignalSpy data(model.get(), &ChamberCreationModel::signalDataChanged);

    QVERIFY(QMetaObject::invokeMethod(model.get(), "setChamberType", Q_ARG(int, 17), Q_ARG(int, 2),
                                      Q_ARG(bool, requiresModbusAddress), Q_ARG(bool, isSerial)));
    QCOMPARE(data.count(), 1);
    QCOMPARE(model->chamberData().chamberTypeKey(), ChamberTypeKey(17, 2));
    QCOMPARE(model->chamberData().converter(), expectedConverter);
    QCOMPARE(model->modbusAddress(), expectedModbusAddress);
    QCOMPARE(model->chamberData().protocol(), ChamberData::ProtocolUndetermined);
}

void tst_ChamberCreationModel::typeIds_areTheLowBitsOfTheRecordsIds()
{
    ChamberCreationModel model(QStringLiteral("COM1"));
    model.setChamberType(-2, 70000, false, true);
    QCOMPARE(model.chamberData().chamberTypeKey(), ChamberTypeKey(Q_UINT64_C(0xFFFFFFFFFFFFFFFE), 70000));
    QCOMPARE(model.chamberTypeId(), -2);
    QCOMPARE(model.additionalInfoId(), 70000);

    ChamberData record;
    record.setChamberTypeKey(ChamberTypeKey(Q_UINT64_C(0x100000003), 4));
    const ChamberCreationModel known(record);
    QCOMPARE(known.chamberTypeId(), 3);
    QCOMPARE(known.additionalInfoId(), 4);
}

QTEST_GUILESS_MAIN(tst_ChamberCreationModel)
#include "tst_chambercreationmodel.moc"
