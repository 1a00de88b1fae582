#include "gui/chamberdataprovider.h"
#include "gui/chambervaluemodel.h"
#include "gui/usercontrol.h"

#include "support/chambersignals.h"
#include "support/userpreferences.h"

#include <QtTest/QtTest>

#include <limits>
#include <memory>

using namespace quelta::domain::types;
using quelta::gui::ChamberDataProvider;
using quelta::gui::ChamberValueModel;
using quelta::test::readSignal;
using quelta::test::withSetpoint;
using quelta::test::writable;

namespace {

SetpointValue valueOf(int signalId, const QVariant &value, int unit = Unit::DegreeCelsius)
{
    return SetpointValue(signalId, UnitValue(unit, value));
}

// A value of a recording: active from the start.
std::unique_ptr<ChamberValueModel> activeValue(const ChamberSignal &chamberSignal)
{
    return std::make_unique<ChamberValueModel>(ChamberData(), chamberSignal, 0);
}

} // namespace

class tst_ChamberValueModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void setChamberSignal_data();
    void setChamberSignal();
    void texts_delaysAndToleranceLimits();
    void style_stringAxisAndReset();
    void updateProcessValue_ofAnotherSignalIsRefused();
    void setChamberSignal_dropsTheOldSignalsValues_data();
    void setChamberSignal_dropsTheOldSignalsValues();
    void limits_withoutLimitsStayUnconvertedUnderFahrenheit();
    void basicMode_hidesSetpointsAndTheirSettability();
};

void tst_ChamberValueModel::setChamberSignal_data()
{
    QTest::addColumn<ChamberSignal>("chamberSignal");
    QTest::addColumn<QVariant>("received");
    QTest::addColumn<int>("lineStyle");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<bool>("isSetpoint");
    QTest::addColumn<bool>("isSettable");
    QTest::addColumn<int>("setpointId");
    QTest::addColumn<float>("limitMax");
    QTest::addColumn<QVariant>("processValue");
    QTest::addColumn<QString>("text");

    const ChamberSignal temperature = readSignal(1, Unit::DegreeCelsius, -40.0f, 180.0f);
    const ChamberSignal setpoint = readSignal(2, Unit::DegreeCelsius, 0.0f, 100.0f);
    const ChamberSignal door = readSignal(3, Unit::Bool);
    const int solid = ChamberValueModel::STYLE_SOLID;

    // A setpoint shows its value as text only.
    QTest::newRow("writable") << writable(temperature) << QVariant(23.5f) << int(ChamberValueModel::STYLE_DASHED)
                              << 1 << true << true << 1 << 180.0f << QVariant() << "23,50";
    QTest::newRow("with setpoint") << withSetpoint(temperature, setpoint) << QVariant(23.5f) << solid << 2 << false
                                   << true << 2 << 100.0f << QVariant(23.5f) << "23,50";
    QTest::newRow("plain") << temperature << QVariant(23.5f) << solid << 2 << false << false << -1 << 0.0f
                           << QVariant(23.5f) << "23,50";
    QTest::newRow("digital with setpoint") << withSetpoint(door, setpoint) << QVariant(true) << solid << 1 << false
                                           << true << 2 << 100.0f << QVariant(true) << "On";
    QTest::newRow("digital") << door << QVariant(false) << solid << 1 << false << false << -1 << 0.0f
                             << QVariant(false) << "Off";
}

void tst_ChamberValueModel::setChamberSignal()
{
    QFETCH(ChamberSignal, chamberSignal);
    QFETCH(QVariant, received);

    const auto value = activeValue(chamberSignal);
    QCOMPARE(value->numericalValue(), "--");
    value->updateProcessValue(valueOf(chamberSignal.id(), received, chamberSignal.unit()));

    QTEST(int(value->lineStyle()), "lineStyle");
    QTEST(value->pixelSize(), "pixelSize");
    QTEST(value->isSetpoint(), "isSetpoint");
    QTEST(value->isSettable(), "isSettable");
    QTEST(value->setpointId(), "setpointId");
    QTEST(value->limitMax(), "limitMax");
    QTEST(value->processValue(), "processValue");
    QTEST(value->numericalValue(), "text");
    QVERIFY(!value->isStyleDirty());
}

void tst_ChamberValueModel::texts_delaysAndToleranceLimits()
{
    const auto value = activeValue(withSetpoint(readSignal(1), readSignal(2, Unit::DegreeCelsius, -40.0f, 180.0f)));
    value->setExitDelay(5400);
    value->setEntryDelay(59);
    QCOMPARE(value->exitDelayString(), "01:30");
    QCOMPARE(value->entryDelayString(), "00:00");

    // A band without limits of its own shows 5 around the setpoint, or the
    // signal's limits.
    value->setToleranceRange(ToleranceRange(ToleranceRange::Relative, UnitValue(), UnitValue()));
    QCOMPARE(QPair(value->toleranceMin(), value->toleranceMax()), QPair(5.0f, 5.0f));
    value->setToleranceRange(ToleranceRange(ToleranceRange::Absolute, UnitValue(), UnitValue()));
    QCOMPARE(QPair(value->toleranceMin(), value->toleranceMax()), QPair(-40.0f, 180.0f));
}

void tst_ChamberValueModel::style_stringAxisAndReset()
{
    const auto value = activeValue(readSignal(1));
    QSignalSpy axisChanged(value.get(), &ChamberValueModel::signalAxisChanged);
    // The diagram places an analog value on its first axis by itself.
    value->setAxis(0);
    QVERIFY(!value->isStyleDirty());
    value->setAxis(2);
    QVERIFY(value->isStyleDirty());

    value->setStyleString("#ff0000;3;2;1");
    QCOMPARE(value->signalColor(), QColor(Qt::red));
    QCOMPARE(value->pixelSize(), 3);
    QCOMPARE(value->lineStyle(), ChamberValueModel::STYLE_DASHED);
    QCOMPARE(value->axis(), 1);
    QCOMPARE(axisChanged.count(), 3);
    value->setStyleString("#00ff00;4;1");
    QCOMPARE(value->styleString(), "#ff0000;3;2;1");

    value->resetStyle();
    QCOMPARE(value->styleString(), "#0000ff;2;1;1");
}

void tst_ChamberValueModel::updateProcessValue_ofAnotherSignalIsRefused()
{
    const auto value = activeValue(readSignal(1));
    value->updateProcessValue(valueOf(1, 20.0f));
    QTest::ignoreMessage(QtWarningMsg, "Signal IDs do not coincide!");
    value->updateProcessValue(valueOf(2, 30.0f));
    QCOMPARE(value->numericalValue(), "20,00");
}

void tst_ChamberValueModel::setChamberSignal_dropsTheOldSignalsValues_data()
{
    QTest::addColumn<ChamberSignal>("refill");

    QTest::newRow("another setpoint")
        << withSetpoint(readSignal(3), readSignal(4, Unit::DegreeCelsius, 0.0f, 40.0f));
    // Used to keep the old setpoint's id, so that its values still arrived.
    QTest::newRow("no setpoint") << readSignal(3, Unit::DegreeCelsius, -40.0f, 180.0f);
}

void tst_ChamberValueModel::setChamberSignal_dropsTheOldSignalsValues()
{
    QFETCH(ChamberSignal, refill);

    const auto value = activeValue(withSetpoint(readSignal(1), readSignal(2, Unit::DegreeCelsius, 0.0f, 100.0f)));
    const UnitValue oneDegree(Unit::DegreeCelsius, 1.0f);
    value->setToleranceRange(ToleranceRange(ToleranceRange::Relative, oneDegree, oneDegree));
    value->updateSetpoint(valueOf(2, 50.0f));
    value->updateProcessValue(valueOf(1, 80.0f));
    QVERIFY(!value->isValueInToleranceRange());

    // Until a value of the new signal arrives, nothing is out of tolerance,
    // and the old setpoint no longer counts.
    value->setChamberSignal(refill);
    QVERIFY(value->isValueInToleranceRange());
    const auto fresh = activeValue(refill);
    const auto setpointOf = [](const ChamberValueModel &model) {
        return QVariantList{model.setpointId(), model.setpoint(), model.setpointName(), model.setpointUnit(),
                            model.setpointColor(), model.limitMin(), model.limitMax()};
    };
    QCOMPARE(setpointOf(*value), setpointOf(*fresh));
    value->updateSetpoint(valueOf(2, 50.0f));
    value->updateProcessValue(valueOf(3, 80.0f));
    QVERIFY(value->isValueInToleranceRange());
    // Nor does a value from before a change of activation.
    value->setChamberActive();
    value->setToleranceRange(ToleranceRange(ToleranceRange::Absolute, UnitValue(Unit::DegreeCelsius, 0.0f), oneDegree));
    QVERIFY(value->isValueInToleranceRange());
}

void tst_ChamberValueModel::limits_withoutLimitsStayUnconvertedUnderFahrenheit()
{
    auto owner = std::make_unique<QObject>();
    quelta::gui::UserControl::singletonProvider(false, owner.get())
        ->setCurrentUserPreferences(quelta::test::englishPreferences());
    const auto value = activeValue(writable(readSignal(1)));
    QCOMPARE(value->signalUnit(), "°F");
    QCOMPARE(value->limitMin(), std::numeric_limits<float>::lowest());
    QCOMPARE(value->limitMax(), std::numeric_limits<float>::max());
    QCOMPARE(value->setpoint(), 0.0f);
}

void tst_ChamberValueModel::basicMode_hidesSetpointsAndTheirSettability()
{
    ChamberDataProvider provider(ChamberData(), ChamberTypeData(), nullptr);
    provider.setActivationState(ActivationState::STATE_ACTIVE);
    provider.setSignals({}, {writable(readSignal(1))}, {}, {}, {}, {});
    ChamberValueModel *value = provider.valueModels().first();
    provider.updateValue(valueOf(1, 23.5f));
    QVERIFY(value->isSettable());

    QSignalSpy settability(value, &ChamberValueModel::signalSettabilityChanged);
    provider.setOperationMode(ChamberOperationMode::MODE_BASIC);
    QCOMPARE(value->numericalValue(), "--");
    QVERIFY(!value->isSettable());
    QCOMPARE(settability.count(), 1);
}

QTEST_GUILESS_MAIN(tst_ChamberValueModel)

#include "tst_chambervaluemodel.moc"
