#include "domain/types/activationstate.h"
#include "domain/types/activityid.h"
#include "domain/types/backupcleanupsettings.h"
#include "domain/types/chamberdata.h"
#include "domain/types/chambererror.h"
#include "domain/types/chamberoperationmode.h"
#include "domain/types/chamberstate.h"
#include "domain/types/databaseconnectionerror.h"
#include "domain/types/fileformat.h"
#include "domain/types/int10.h"
#include "domain/types/metatypes.h"
#include "domain/types/networkconfiguration.h"
#include "domain/types/programprogress.h"
#include "domain/types/programsection.h"
#include "domain/types/recordingdata.h"
#include "domain/types/recordset.h"
#include "domain/types/smtpconnectiontype.h"
#include "domain/types/userlevel.h"

#include <QtCore/QThread>
#include <QtTest/QtTest>

using namespace quelta::domain::types;

namespace {

// Sends whatever it is handed from its own thread, so that the receiver in
// the test's thread gets it through a queued connection.
class Sender : public QObject
{
    Q_OBJECT

public:
    void sendAll(const ChamberData &chamber, ActivationState::State state, const ChamberError &error,
                 ChamberState::State chamberState, const QList<NetworkConfiguration> &answers,
                 DatabaseConnectionError databaseError, const QList<Recordset> &records,
                 const RecordingData &recording)
    {
        Q_EMIT checkFinished(chamber, state);
        Q_EMIT errorOccured(error);
        Q_EMIT stateChanged(chamberState);
        Q_EMIT found(answers);
        Q_EMIT databaseFailed(databaseError);
        Q_EMIT logRead(recording, records);
    }

Q_SIGNALS:
    void checkFinished(quelta::domain::types::ChamberData chamber,
                       quelta::domain::types::ActivationState::State state);
    void errorOccured(quelta::domain::types::ChamberError error);
    void stateChanged(quelta::domain::types::ChamberState::State state);
    void found(QList<quelta::domain::types::NetworkConfiguration> answers);
    void databaseFailed(quelta::domain::types::DatabaseConnectionError error);
    void logRead(quelta::domain::types::RecordingData recording,
                 QList<quelta::domain::types::Recordset> records);
};

} // namespace

class tst_MetaTypes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void typesAreRegisteredUnderTheirQualifiedNames_data();
    void typesAreRegisteredUnderTheirQualifiedNames();
    void enumsConvertFromIntegers_data();
    void enumsConvertFromIntegers();
    void guiComponentStaysPositive();
    void failedEnumConversionGivesZero();
    void keyNamesConvertToEnums();
    void recordsRoundTripThroughQVariant();
    void queuedSignalsCarryTheRecordsAcrossThreads();
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

void tst_MetaTypes::enumsConvertFromIntegers_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("number");
    QTest::addColumn<int>("value");

    QTest::newRow("ChamberState connected") << qMetaTypeId<ChamberState::State>() << QVariant(2) << 2;
    QTest::newRow("ActivationState undefined") << qMetaTypeId<ActivationState::State>() << QVariant(-1) << -1;
    QTest::newRow("ActivationState connection error") << qMetaTypeId<ActivationState::State>()
                                                      << QVariant(qlonglong(6)) << 6;
    QTest::newRow("operation mode auto") << qMetaTypeId<ChamberOperationMode::Mode>() << QVariant(4u) << 4;
    QTest::newRow("database error") << qMetaTypeId<DatabaseConnectionError>() << QVariant(8) << 8;
    QTest::newRow("user level from text column") << qMetaTypeId<UserLevel>() << QVariant(QStringLiteral("5")) << 5;
    QTest::newRow("file format") << qMetaTypeId<FileFormat>() << QVariant(3) << 3;
    QTest::newRow("transition jump") << qMetaTypeId<ProgramSection::TransitionType>() << QVariant(1) << 1;
    QTest::newRow("transition invalid") << qMetaTypeId<ProgramSection::TransitionType>() << QVariant(-1) << -1;
    QTest::newRow("keep strategy") << qMetaTypeId<BackupCleanupSettings::KeepStrategy>() << QVariant(2) << 2;
}

void tst_MetaTypes::enumsConvertFromIntegers()
{
    QFETCH(int, type);
    QFETCH(QVariant, number);
    QFETCH(int, value);

    QVariant converted = number;
    QVERIFY(converted.convert(type));
    QCOMPARE(converted.userType(), type);
    QCOMPARE(converted.toInt(), value);
}

void tst_MetaTypes::guiComponentStaysPositive()
{
    const auto component = QVariant(255).value<ActivityId::ComponentId>();
    QCOMPARE(component, ActivityId::GUI);
    QCOMPARE(int(component), 255);

    const QVariant stored = QVariant::fromValue(ActivityId::GUI);
    QCOMPARE(stored.toInt(), 255);
    QCOMPARE(ActivityId(component, 12).componentId(), ActivityId::GUI);
}

void tst_MetaTypes::failedEnumConversionGivesZero()
{
    QCOMPARE(int(QVariant(QStringLiteral("no number")).value<UserLevel>()), 0);
    QCOMPARE(int(QVariant(QStringLiteral("nonsense")).value<ActivityId::ComponentId>()), 0);
    QCOMPARE(int(QVariant().value<ActivityId::ComponentId>()), 0);
}

void tst_MetaTypes::keyNamesConvertToEnums()
{
    QCOMPARE(QVariant(QStringLiteral("TLS")).value<SmtpConnectionType::Type>(), SmtpConnectionType::TLS);
    QCOMPARE(QVariant(QStringLiteral("SSL")).value<SmtpConnectionType::Type>(), SmtpConnectionType::SSL);
    QCOMPARE(QVariant::fromValue(SmtpConnectionType::TCP).toString(), QStringLiteral("TCP"));
    QCOMPARE(QVariant(QStringLiteral("GUI")).value<ActivityId::ComponentId>(), ActivityId::GUI);
    QCOMPARE(QVariant::fromValue(ChamberState::STATE_CLOSING).toString(), QStringLiteral("STATE_CLOSING"));
}

void tst_MetaTypes::recordsRoundTripThroughQVariant()
{
    const ChamberError error(ChamberError::TimeoutError, QStringLiteral("Response timeout."));
    QCOMPARE(QVariant::fromValue(error).value<ChamberError>(), error);

    const Int10 raw(-123);
    QCOMPARE(QVariant::fromValue(raw).value<Int10>(), raw);
    QCOMPARE(QVariant::fromValue(raw).userType(), qMetaTypeId<Int10>());

    const ProgramProgress progress(true, 0.25f, 60, 180, 1, 2, 3, false, true);
    QCOMPARE(QVariant::fromValue(progress).value<ProgramProgress>(), progress);
}

void tst_MetaTypes::queuedSignalsCarryTheRecordsAcrossThreads()
{
    QThread thread;
    Sender sender;
    sender.moveToThread(&thread);

    // The receivers live in this thread, so every connection is queued and
    // every argument is copied through the meta-type system.
    QVariantList received;
    connect(&sender, &Sender::checkFinished, this, [&](const ChamberData &c, ActivationState::State state) {
        received << QVariant::fromValue(c) << QVariant::fromValue(state);
    });
    connect(&sender, &Sender::errorOccured, this,
            [&](const ChamberError &e) { received << QVariant::fromValue(e); });
    connect(&sender, &Sender::stateChanged, this,
            [&](ChamberState::State state) { received << QVariant::fromValue(state); });
    connect(&sender, &Sender::found, this,
            [&](const QList<NetworkConfiguration> &list) { received << QVariant::fromValue(list); });
    connect(&sender, &Sender::databaseFailed, this,
            [&](DatabaseConnectionError e) { received << QVariant::fromValue(e); });
    connect(&sender, &Sender::logRead, this, [&](const RecordingData &r, const QList<Recordset> &list) {
        received << QVariant::fromValue(r) << QVariant::fromValue(list);
    });

    ChamberData chamber;
    chamber.setChamberName(QStringLiteral("Climate 1"));
    chamber.setIpAddress(QHostAddress(QStringLiteral("10.77.0.2")));
    const ChamberError error(ChamberError::ConnectionError, QStringLiteral("Device not connected."));
    const QList<NetworkConfiguration> answers{
        NetworkConfiguration(QHostAddress(QStringLiteral("10.77.0.2")),
                             MacAddress::fromString(QStringLiteral("00:20:4a:01:02:03")), 1)};
    const QList<Recordset> records{Recordset(-1, 0, QDateTime(QDate(2024, 5, 1), QTime(12, 0)),
                                             {SetpointValue(3, 21.0f, 0.0f, Unit::DegreeCelsius)}, true,
                                             RecordsetComment(), 0, QString(), 0)};
    RecordingData recording;
    recording.setSecondsInterval(60);

    thread.start();
    QMetaObject::invokeMethod(
        &sender,
        [&] {
            sender.sendAll(chamber, ActivationState::STATE_ACTIVE, error, ChamberState::STATE_CONNECTED, answers,
                           MISSING_TABLE, records, recording);
        },
        Qt::QueuedConnection);

    QTRY_COMPARE(received.size(), 8);
    thread.quit();
    QVERIFY(thread.wait(5000));

    QCOMPARE(received.at(0).value<ChamberData>(), chamber);
    QCOMPARE(received.at(1).value<ActivationState::State>(), ActivationState::STATE_ACTIVE);
    QCOMPARE(received.at(2).value<ChamberError>(), error);
    QCOMPARE(received.at(3).value<ChamberState::State>(), ChamberState::STATE_CONNECTED);
    QCOMPARE(received.at(4).value<QList<NetworkConfiguration>>(), answers);
    QCOMPARE(received.at(5).value<DatabaseConnectionError>(), MISSING_TABLE);
    QCOMPARE(received.at(6).value<RecordingData>(), recording);
    QCOMPARE(received.at(7).value<QList<Recordset>>(), records);
}

QTEST_GUILESS_MAIN(tst_MetaTypes)
#include "tst_metatypes.moc"
