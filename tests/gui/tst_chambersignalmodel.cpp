#include "gui/chambersignalmodel.h"
#include "gui/usercontrol.h"

#include "support/qmlprobe.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;
using quelta::gui::ChamberSignalModel;
using quelta::gui::UserControl;

class tst_ChamberSignalModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultModel_showsNoSignal();
    void unit_followsTheCurrentUsersPreferences();
};

void tst_ChamberSignalModel::defaultModel_showsNoSignal()
{
    const ChamberSignalModel model;
    QVERIFY(model.signalName().isNull());
    QCOMPARE(model.lowerLimit(), UnitValue(Unit::None, ChamberSignal::NoLowerLimit));
    QCOMPARE(evaluateInQml(QVariant::fromValue(model),
                           "[item.signalId, item.signalUnit, item.numericalValue, item.signalPrefix,"
                           " item.nDecimalPlaces, item.isDigital].join('|')"),
             QVariant(QStringLiteral("-1||--||0|false")));
}

void tst_ChamberSignalModel::unit_followsTheCurrentUsersPreferences()
{
    ChamberSignal temperature;
    temperature.setUnit(Unit::DegreeCelsius);
    temperature.setDecimalPlaces(1);
    temperature.setLimitMax(80.0f);
    const ChamberSignalModel model(temperature);
    QCOMPARE(model.signalUnit(), QStringLiteral("°C"));

    QObject owner;
    const QPointer<UserControl> control = UserControl::singletonProvider(false, &owner);
    UserData user;
    user.setId(1);
    user.setPreferences(QSharedPointer<LocalePreferences>::create(1, QLocale::English, "h:mm AP", "M/d/yy", QChar('.'),
                                                                  Unit::DegreeFahrenheit, Unit::RelativeHumidityRH));
    control->setCurrentUser(user);
    QCOMPARE(model.signalUnit(), QStringLiteral("°F"));
    QCOMPARE(model.displayUnit(), int(Unit::DegreeFahrenheit));
    QCOMPARE(model.nDecimalPlaces(), 1);
    QCOMPARE(model.upperLimit(), UnitValue(Unit::DegreeCelsius, 80.0f));
}

QTEST_MAIN(tst_ChamberSignalModel)

#include "tst_chambersignalmodel.moc"
