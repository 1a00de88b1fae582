#include "domain/types/activityid.h"
#include "domain/types/chamberstate.h"
#include "domain/types/metatypes.h"
#include "domain/types/smtpconnectiontype.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

class tst_MetaTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void typesAreRegisteredUnderTheirQualifiedNames_data();
    void typesAreRegisteredUnderTheirQualifiedNames();
    void guiComponentStaysPositive();
    void keyNamesConvertToEnums();
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

void tst_MetaTypes::guiComponentStaysPositive()
{
    const auto component = QVariant(255).value<ActivityId::ComponentId>();
    QCOMPARE(component, ActivityId::GUI);
    QCOMPARE(int(component), 255);

    const QVariant stored = QVariant::fromValue(ActivityId::GUI);
    QCOMPARE(stored.toInt(), 255);
}

void tst_MetaTypes::keyNamesConvertToEnums()
{
    QCOMPARE(QVariant(QStringLiteral("TLS")).value<SmtpConnectionType::Type>(), SmtpConnectionType::TLS);
    QCOMPARE(QVariant::fromValue(SmtpConnectionType::TCP).toString(), QStringLiteral("TCP"));
    QCOMPARE(QVariant(QStringLiteral("GUI")).value<ActivityId::ComponentId>(), ActivityId::GUI);
    QCOMPARE(QVariant::fromValue(ChamberState::STATE_CLOSING).toString(), QStringLiteral("STATE_CLOSING"));
}

QTEST_GUILESS_MAIN(tst_MetaTypes)
#include "tst_metatypes.moc"
