#include "gui/chambercreationmodel.h"

#include <QtTest/QtTest>

#include <memory>

using namespace quelta::domain::types;
using namespace quelta::gui;

class tst_ChamberCreationModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setChamberType_data();
    void setChamberType();
};

void tst_ChamberCreationModel::setChamberType_data()
{
    QTest::addColumn<int>("converter"); // -2: a serial port, not a network result
    QTest::addColumn<int>("modbusAddress");
    QTest::addColumn<bool>("requiresModbusAddress");
    QTest::addColumn<bool>("isSerial");
    QTest::addColumn<QString>("expectedConverter");
    QTest::addColumn<int>("expectedModbusAddress");

    QTest::newRow("address 0 becomes 1") << -2 << 0 << true << true << QString() << 1;
    QTest::newRow("serial type over the network") << -1 << 5 << true << true << "XPort" << 5;
    QTest::newRow("network type drops the converter") << 0 << 3 << false << false << QString() << 0;
}

void tst_ChamberCreationModel::setChamberType()
{
    QFETCH(int, converter);
    QFETCH(int, modbusAddress);
    QFETCH(bool, requiresModbusAddress);
    QFETCH(bool, isSerial);
    QFETCH(QString, expectedConverter);
    QFETCH(int, expectedModbusAddress);

    const NetworkConfiguration answer(QHostAddress("10.0.0.7"), MacAddress(), converter);
    const auto model = converter == -2 ? std::make_unique<ChamberCreationModel>(QStringLiteral("COM4"))
                                       : std::make_unique<ChamberCreationModel>(answer, false);
    model->setModbusAddress(modbusAddress);
    QSignalSpy data(model.get(), &ChamberCreationModel::signalDataChanged);
    QSignalSpy type(model.get(), &ChamberCreationModel::signalTypeChanged);

    // QML hands the ids over as int: they widen with their sign and read
    // back as their low 32 bits.
    QVERIFY(QMetaObject::invokeMethod(model.get(), "setChamberType", Q_ARG(int, -2), Q_ARG(int, 70000),
                                      Q_ARG(bool, requiresModbusAddress), Q_ARG(bool, isSerial)));
    QCOMPARE(data.count(), 1);
    QCOMPARE(type.count(), 0);
    QCOMPARE(model->chamberData().chamberTypeKey(), ChamberTypeKey(Q_UINT64_C(0xFFFFFFFFFFFFFFFE), 70000));
    QCOMPARE(model->chamberTypeId(), -2);
    QCOMPARE(model->converter(), expectedConverter);
    QCOMPARE(model->modbusAddress(), expectedModbusAddress);
}

QTEST_GUILESS_MAIN(tst_ChamberCreationModel)
#include "tst_chambercreationmodel.moc"
