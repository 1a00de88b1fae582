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
    void existingChamber_countsAsCreated();
    void writes_announceAsThePagesExpect();
    void converter_readsAndWritesByName();
    void setChamberType_data();
    void setChamberType();
};

void tst_ChamberCreationModel::existingChamber_countsAsCreated()
{
    ChamberData existing;
    existing.setId(12);
    existing.setComPort("COM2");
    const ChamberCreationModel known(existing);
    QCOMPARE(known.chamberData(), existing);
    QCOMPARE(known.creationState(), ChamberCreationModel::CREATED);
    QVERIFY(known.isSerial());
    QCOMPARE(ChamberCreationModel(networkAnswer("10.0.0.5", 1), false).creationState(),
             ChamberCreationModel::NOT_CREATED);
}

void tst_ChamberCreationModel::writes_announceAsThePagesExpect()
{
    ChamberCreationModel model(QStringLiteral("COM1"));
    QSignalSpy selection(&model, &ChamberCreationModel::signalSelectionStateChanged);
    QSignalSpy creation(&model, &ChamberCreationModel::signalCreationStateChanged);
    QSignalSpy activation(&model, &ChamberCreationModel::signalActivationStateChanged);
    QSignalSpy data(&model, &ChamberCreationModel::signalDataChanged);

    QVERIFY(model.setProperty("selected", true));
    QVERIFY(model.setProperty("selected", true));
    QCOMPARE(selection.count(), 1);

    // The creation state and each check result are announced every time.
    QVERIFY(model.setProperty("creationState", ChamberCreationModel::CREATED));
    model.setCreationState(ChamberCreationModel::CREATED);
    QCOMPARE(creation.count(), 2);
    model.setActivationState(ActivationState::STATE_INACTIVE);
    model.setActivationState(ActivationState::STATE_INACTIVE);
    QCOMPARE(activation.count(), 2);

    model.setMacAddress("AA-BB-CC-0D-0E-0F");
    QCOMPARE(model.macAddress(), QString("aa:bb:cc:0d:0e:0f"));
    model.setModbusAddress(0x1F7);
    QCOMPARE(model.modbusAddress(), 0xF7);
    QCOMPARE(data.count(), 2);
}

void tst_ChamberCreationModel::converter_readsAndWritesByName()
{
    ChamberCreationModel model(networkAnswer("10.0.0.5", -1), true);
    QCOMPARE(model.converterNames(), (QStringList{"ComServer", "XPort"}));
    QCOMPARE(model.converter(), QString());

    model.setConverter("XPort");
    QCOMPARE(model.chamberData().converter(), 1);
    QCOMPARE(model.converter(), QString("XPort"));
    model.setConverter("unknown");
    QCOMPARE(model.chamberData().converter(), 0);
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
    QTest::newRow("serial type over the network") << true << -1 << 0 << true << true << 1 << 1;
    QTest::newRow("serial type keeps a ComServer") << true << 0 << 0 << true << true << 0 << 1;
    QTest::newRow("network type drops the converter") << true << 0 << 3 << false << false << -1 << 0;
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

    // QML hands the ids over as int: they widen with their sign and read
    // back as their low 32 bits.
    QVERIFY(QMetaObject::invokeMethod(model.get(), "setChamberType", Q_ARG(int, -2), Q_ARG(int, 70000),
                                      Q_ARG(bool, requiresModbusAddress), Q_ARG(bool, isSerial)));
    QCOMPARE(data.count(), 1);
    QCOMPARE(model->chamberData().chamberTypeKey(), ChamberTypeKey(Q_UINT64_C(0xFFFFFFFFFFFFFFFE), 70000));
    QCOMPARE(model->chamberTypeId(), -2);
    QCOMPARE(model->additionalInfoId(), 70000);
    QCOMPARE(model->chamberData().converter(), expectedConverter);
    QCOMPARE(model->modbusAddress(), expectedModbusAddress);
}

QTEST_GUILESS_MAIN(tst_ChamberCreationModel)
#include "tst_chambercreationmodel.moc"
