#include "domain/types/metatypes.h"

#include <QtTest/QtTest>

using quelta::domain::types::registerMetaTypes;

class tst_MetaTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void typesAreRegisteredUnderTheirQualifiedNames_data();
    void typesAreRegisteredUnderTheirQualifiedNames();
};

void tst_MetaTypes::initTestCase()
{
    registerMetaTypes();
    // A second call must not disturb anything.
    registerMetaTypes();
}

void tst_MetaTypes::typesAreRegisteredUnderTheirQualifiedNames_data()
{
    // Only names here: asking for a type's id would register it on the spot
    // and hide a type that registerMetaTypes() forgot.
    QTest::addColumn<QByteArray>("name");

    for (const char *name : {"quelta::domain::types::ChamberError", "quelta::domain::types::ChamberState::State",
                             "quelta::domain::types::ActivationState::State",
                             "quelta::domain::types::ChamberOperationMode::Mode",
                             "quelta::domain::types::DatabaseConnectionError", "quelta::domain::types::UserLevel",
                             "quelta::domain::types::ActivityId::ComponentId",
                             "quelta::domain::types::SmtpConnectionType::Type", "quelta::domain::types::ChamberData",
                             "quelta::domain::types::NetworkConfiguration",
                             "QList<quelta::domain::types::NetworkConfiguration>",
                             "quelta::domain::types::ChamberTypeData", "quelta::domain::types::ChamberSignal",
                             "QList<quelta::domain::types::ChamberSignal>", "quelta::domain::types::ControllerAddress",
                             "quelta::domain::types::Int10", "quelta::domain::types::UnitValue",
                             "quelta::domain::types::SetpointValue", "quelta::domain::types::RecordingData",
                             "quelta::domain::types::Recordset", "QList<quelta::domain::types::Recordset>",
                             "quelta::domain::types::ProgramSection", "quelta::domain::types::ProgramProgress",
                             "QList<quelta::domain::types::ProgramTransmittableSection>",
                             "quelta::domain::types::ProgramStartOptions"}) {
        QTest::newRow(name) << QByteArray(name);
    }
}

void tst_MetaTypes::typesAreRegisteredUnderTheirQualifiedNames()
{
    QFETCH(QByteArray, name);
    const int id = QMetaType::type(name.constData());
    QVERIFY(id >= QMetaType::User);
    QCOMPARE(QByteArray(QMetaType::typeName(id)), name);
}

QTEST_GUILESS_MAIN(tst_MetaTypes)
#include "tst_metatypes.moc"
