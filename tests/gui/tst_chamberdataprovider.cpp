#include "gui/chamberdataprovider.h"

#include "support/chambersignals.h"
#include "support/settingsfilesandbox.h"

#include <QtQml/QQmlComponent>
#include <QtQml/QQmlContext>
#include <QtQml/QQmlEngine>
#include <QtTest/QtTest>

#include <functional>
#include <memory>

using namespace quelta::domain::types;
using quelta::gui::ChamberDataProvider;
using quelta::gui::ChamberValueModel;
using quelta::gui::RoomModel;
using quelta::test::readSignal;

using Operation = std::function<void(ChamberDataProvider &)>;
Q_DECLARE_METATYPE(Operation)

namespace {

// The names of the signals that an object emits, in the order of emission.
class EmissionLog : public QObject
{
    Q_OBJECT

public:
    explicit EmissionLog(QObject *source)
    {
        const QMetaObject *sourceType = source->metaObject();
        const QMetaMethod record = staticMetaObject.method(staticMetaObject.indexOfSlot("record()"));
        for (int i = sourceType->methodOffset(); i < sourceType->methodCount(); ++i) {
            if (sourceType->method(i).methodType() == QMetaMethod::Signal)
                connect(source, sourceType->method(i), this, record);
        }
    }

    QStringList names;

public Q_SLOTS:
    void record() { names.append(sender()->metaObject()->method(senderSignalIndex()).name()); }
};

ChamberTypeData chamberType(const QList<ChamberOption> &options, const QString &image = QString())
{
    QMap<int, ChamberSignal> signalMap;
    for (int id = 1; id <= 7; ++id)
        signalMap.insert(id, readSignal(id));
    return ChamberTypeData(ChamberTypeKey(3, 0), "LAB", "E1", 200, "230 V", image, {}, {}, {}, {}, -1, -1, {}, {},
                           {}, "QX1", {2}, signalMap, {}, options, {});
}

ChamberData chamber()
{
    ChamberData record;
    record.setId(7);
    record.setChamberName("Chamber 7");
    record.setActivationState(ActivationState::STATE_INACTIVE);
    return record;
}

QVector<ChamberSignal> signalsUpTo(int lastId)
{
    QVector<ChamberSignal> list;
    for (int id = 1; id <= lastId; ++id)
        list.append(readSignal(id));
    return list;
}

template<typename Value>
QList<Value> ofValues(const ChamberDataProvider &provider, Value (ChamberValueModel::*read)() const)
{
    QList<Value> values;
    for (const ChamberValueModel *value : provider.valueModels())
        values.append((value->*read)());
    return values;
}

} // namespace

class tst_ChamberDataProvider : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emissions_data();
    void emissions();
    void setSignals_data();
    void setSignals();
    void setSignals_refillLeavesNothingOfTheOldSignals();
    void values_listFindsOnlyTheProvidersFive();
    void texts_data();
    void texts();
    void qml_readsTheTypeAsStartUpRegistersIt();
    void qml_readsTheProgramSlotsByRoleName();
    void destruction_goesValuesFirstAndLeavesQmlNoDanglingValue();
};

void tst_ChamberDataProvider::emissions_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QStringList>("emitted");

    const QString userSignals = "signalUserNameChanged signalUsageStateChanged signalModelUserNameChanged "
                                "signalModelUsageStateChanged";
    QStringList activation{"signalActivationStateChanged", "signalModelActivationStateChanged",
                           "signalUsageStateChanged"};
    for (int i = 0; i < ChamberDataProvider::ValueCount; ++i)
        activation.append("signalValueNotInToleranceRangeChanged");
    activation.append("signalValuesChanged");

    QTest::newRow("activation") << Operation([](auto &p) { p.setActivationState(ActivationState::STATE_ACTIVE); })
                                << activation;
    QTest::newRow("same activation")
        << Operation([](auto &p) { p.setActivationState(ActivationState::STATE_INACTIVE); }) << QStringList();
    // Only their own setters change these four.
    QTest::newRow("record with other own state") << Operation([](auto &p) {
        ChamberData record = p.chamberData();
        record.setActivationState(ActivationState::STATE_ACTIVE);
        record.setOperationMode(ChamberOperationMode::MODE_AUTO);
        record.setArchived(true);
        record.setSubscribed(true);
        p.setChamberData(record);
    }) << QStringList();
    QTest::newRow("renamed record") << Operation([](auto &p) {
        ChamberData record = p.chamberData();
        record.setChamberName("Renamed");
        p.setChamberData(record);
    }) << QStringList{"signalChamberDataChanged", "signalModelChamberDataChanged"};
    QTest::newRow("type with other options")
        << Operation([](auto &p) { p.setChamberType(chamberType({ChamberOption("OperatingModeSwitching", true)})); })
        << QStringList{"signalChamberTypeChanged", "signalModelChamberTypeChanged", "signalChamberDataChanged"};
    QTest::newRow("archived") << Operation([](auto &p) { p.setArchived(true); })
                              << QStringList{"signalModelArchivedStateChanged"};
    QTest::newRow("user name") << Operation([](auto &p) { p.setUserName("anna"); }) << userSignals.split(' ');
    QTest::newRow("recording") << Operation([](auto &p) { p.setRecording(4, "Run", "anna"); })
                               << QStringList{"signalRecordingChanged", "signalModelRecordingChanged"}
            + userSignals.split(' ');
    QTest::newRow("interpreted program id only")
        << Operation([](auto &p) { p.setInterpretedProgram(9, QString(), QString()); })
        << QStringList{"signalProgramChanged", "signalUsageStateChanged", "signalModelProgramNameChanged"};
    QTest::newRow("same recording passes the user on")
        << Operation([](auto &p) { p.setRecording(0, QString(), "anna"); }) << userSignals.split(' ');
    QTest::newRow("same controller program")
        << Operation([](auto &p) { p.setControllerProgram(QString(), "anna"); }) << QStringList();
    QTest::newRow("progress")
        << Operation([](auto &p) { p.setProgramProgress(ProgramProgress(true, 0.5f, 10, 10, 0, 0, 1, false, true)); })
        << QStringList{"signalProgramChanged", "signalUsageStateChanged", "signalProgramActiveStatusChanged"};
    QTest::newRow("room removed") << Operation([](auto &p) { p.setLocation(nullptr, QPointF(3, 4)); })
                                  << QStringList{"signalLocationChanged", "signalModelLocationChanged"};
    QTest::newRow("value of no shown signal")
        << Operation([](auto &p) { p.updateValue(SetpointValue(99, 1.0f, 0.0f, Unit::DegreeCelsius)); })
        << QStringList{"signalValuesChanged"};
}

void tst_ChamberDataProvider::emissions()
{
    QFETCH(Operation, operation);

    RoomModel room(RoomData(2, "Lab", QUrl(), 1.0f));
    ChamberDataProvider provider(chamber(), chamberType({ChamberOption("TimeProgram", false)}), nullptr);
    provider.setLocation(&room, QPointF(1, 2));
    EmissionLog log(&provider);
    operation(provider);
    QTEST(log.names, "emitted");
}

void tst_ChamberDataProvider::setSignals_data()
{
    QTest::addColumn<int>("usedCount");
    QTest::addColumn<QList<int>>("signalIds");
    QTest::addColumn<QList<bool>>("valid");

    QTest::newRow("3 used") << 3 << QList<int>{1, 2, 3, -1, -1} << QList<bool>{true, true, true, false, false};
    QTest::newRow("7 used") << 7 << QList<int>{1, 2, 3, 4, 5} << QList<bool>{true, true, true, true, true};
}

void tst_ChamberDataProvider::setSignals()
{
    QFETCH(int, usedCount);

    ChamberDataProvider provider(chamber(), chamberType({}), nullptr);
    provider.setActivationState(ActivationState::STATE_ACTIVE);
    provider.setSignals(signalsUpTo(2), signalsUpTo(usedCount), {}, {}, {}, {});
    QTEST(ofValues(provider, &ChamberValueModel::signalId), "signalIds");
    QTEST(ofValues(provider, &ChamberValueModel::isValid), "valid");
    QCOMPARE(provider.getUsableSignals().size(), 7 - std::min(usedCount, ChamberDataProvider::ValueCount));
    QCOMPARE(provider.getDefaultUsableSignals().size(), 5);
}

void tst_ChamberDataProvider::setSignals_refillLeavesNothingOfTheOldSignals()
{
    ChamberDataProvider provider(chamber(), chamberType({}), nullptr);
    provider.setActivationState(ActivationState::STATE_ACTIVE);
    const ToleranceRange band(ToleranceRange::Absolute, UnitValue(Unit::DegreeCelsius, 0.0f),
                              UnitValue(Unit::DegreeCelsius, 10.0f));
    provider.setSignals({}, signalsUpTo(1), {SignalId(1)}, {{1, band}}, {{1, 60}}, {});
    provider.updateValue(SetpointValue(1, 50.0f, 0.0f, Unit::DegreeCelsius));
    QVERIFY(provider.anySubscribedValueNotInToleranceRange());

    // The same signal again: its band stays, but no value has come yet.
    provider.setSignals({}, signalsUpTo(1), {SignalId(1)}, {{1, band}}, {{1, 60}}, {});
    QVERIFY(!provider.anyValueNotInToleranceRange());

    provider.setSignals({}, {readSignal(2), readSignal(1)}, {}, {}, {}, {});
    provider.updateValue(SetpointValue(1, 50.0f, 0.0f, Unit::DegreeCelsius));
    QCOMPARE(ofValues(provider, &ChamberValueModel::toleranceType), QList<int>({0, 0, 0, 0, 0}));
    QCOMPARE(ofValues(provider, &ChamberValueModel::isSubscribed), QList<bool>({false, false, false, false, false}));
    QCOMPARE(QStringList(ofValues(provider, &ChamberValueModel::exitDelayString)),
             QStringList({"00:00", "00:00", "00:00", "00:00", "00:00"}));
    QVERIFY(!provider.anyValueNotInToleranceRange());
}

void tst_ChamberDataProvider::values_listFindsOnlyTheProvidersFive()
{
    ChamberDataProvider provider;
    QQmlListProperty<ChamberValueModel> values = provider.values();
    QCOMPARE(values.count(&values), 5);
    QCOMPARE(values.at(&values, 4), provider.valueModels().last());
    QCOMPARE(values.at(&values, -1), nullptr);
    QCOMPARE(values.at(&values, 5), nullptr);

    QObject other;
    QQmlListProperty<ChamberValueModel> foreign(&other, nullptr, values.count, values.at);
    QCOMPARE(foreign.count(&foreign), 0);
    QCOMPARE(foreign.at(&foreign, 0), nullptr);
}

void tst_ChamberDataProvider::texts_data()
{
    QTest::addColumn<ChamberData>("record");
    QTest::addColumn<QString>("image");
    // chamberInterface, modbusAddress, converter, image
    QTest::addColumn<QStringList>("texts");

    ChamberData serial = chamber();
    serial.setComPort("COM3");
    serial.setProtocol(1);
    serial.setConverter(1);
    ChamberData network = chamber();
    network.setIpAddress(QHostAddress("192.168.0.5"));
    network.setComPort("COM3");
    network.setModbusAddress(17);
    network.setProtocol(2);
    network.setConverter(0);
    ChamberData unknownConverter = chamber();
    unknownConverter.setProtocol(3);
    unknownConverter.setConverter(5);

    QTest::newRow("serial through a converter") << serial << QString()
                                                << QStringList{"COM3", "", "XPort", "qrc:/images/no_thumb.png"};
    // Without a directory in the settings file the name follows four slashes.
    QTest::newRow("direct TCP") << network << "lab.png" << QStringList{"192.168.0.5", "17", "", "file:////lab.png"};
    QTest::newRow("unknown converter") << unknownConverter << "" << QStringList{"", "", "", "file:////"};
}

void tst_ChamberDataProvider::texts()
{
    QFETCH(ChamberData, record);
    QFETCH(QString, image);

    quelta::test::SettingsFileSandbox settings;
    QVERIFY(settings.isValid());
    const ChamberDataProvider provider(record, chamberType({}, image), nullptr);
    QTEST(QStringList({provider.chamberInterface(), provider.modbusAddress(), provider.converter(), provider.image()}),
          "texts");
}

void tst_ChamberDataProvider::qml_readsTheTypeAsStartUpRegistersIt()
{
    qmlRegisterType<ChamberDataProvider>("ChamberDataProvider", 1, 0, "ChamberDataProvider");
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import ChamberDataProvider 1.0\n"
                      "ChamberDataProvider {\n"
                      "    property string probe: [chamberId, values.length, chamberSize.width, chamberSize.height,\n"
                      "                            activationStateString, values[4].isValid].join('|')\n"
                      "}\n",
                      QUrl());
    const std::unique_ptr<QObject> provider(component.create());
    QVERIFY2(provider, qPrintable(component.errorString()));
    QCOMPARE(provider->property("probe").toString(), "-1|5|100|80|-|false");
}

void tst_ChamberDataProvider::qml_readsTheProgramSlotsByRoleName()
{
    ChamberDataProvider provider;
    provider.createControllerProgramModels({{1, "Heat"}, {2, QString()}, {3, ""}});
    QQmlEngine engine;
    engine.rootContext()->setContextProperty("provider", &provider);
    QQmlComponent component(&engine);
    component.setData("import QtQuick 2.15\n"
                      "Instantiator {\n"
                      "    property bool ready: provider.controllerProgramSlots.isReady\n"
                      "    model: provider.controllerPrograms\n"
                      "    delegate: QtObject {\n"
                      "        readonly property string slot:\n"
                      "            [programIndex, programName, isEmpty, isStartable].join('|')\n"
                      "    }\n"
                      "}\n",
                      QUrl());
    const std::unique_ptr<QObject> instantiator(component.create());
    QVERIFY2(instantiator, qPrintable(component.errorString()));
    QVERIFY(instantiator->property("ready").toBool());
    QStringList slotTexts;
    for (int i = 0; i < instantiator->property("count").toInt(); ++i) {
        QObject *delegate = nullptr;
        QVERIFY(QMetaObject::invokeMethod(instantiator.get(), "objectAt", Q_RETURN_ARG(QObject *, delegate),
                                          Q_ARG(int, i)));
        slotTexts.append(delegate->property("slot").toString());
    }
    // The empty but not null name is a program.
    QCOMPARE(slotTexts, QStringList({"1|Heat|false|true", "3||false|true"}));
}

void tst_ChamberDataProvider::destruction_goesValuesFirstAndLeavesQmlNoDanglingValue()
{
    qmlRegisterType<ChamberDataProvider>("ChamberDataProvider", 1, 0, "ChamberDataProvider");
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import ChamberDataProvider 1.0\n"
                      "ChamberDataProvider { property var held }\n",
                      QUrl());
    std::unique_ptr<QObject> provider(component.create());
    const std::unique_ptr<QObject> holder(component.create());
    QVERIFY2(provider && holder, qPrintable(component.errorString()));
    ChamberValueModel *value = static_cast<ChamberDataProvider *>(provider.get())->valueModels().first();
    holder->setProperty("held", QVariant::fromValue(value));

    // What still reaches the provider while its values go finds it whole
    // and without values.
    int valuesSeenDuringDeletion = -1;
    connect(value, &QObject::destroyed, this, [&](QObject *goneValue) {
        if (const auto *owner = qobject_cast<ChamberDataProvider *>(goneValue->parent()))
            valuesSeenDuringDeletion = owner->valueModels().size();
    });
    provider.reset();
    QCOMPARE(valuesSeenDuringDeletion, 0);
    QCOMPARE(holder->property("held").value<QObject *>(), nullptr);
}

QTEST_GUILESS_MAIN(tst_ChamberDataProvider)

#include "tst_chamberdataprovider.moc"
