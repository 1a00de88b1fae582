#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/qx2operatingmodeconnection.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"
#include "recordingchamberconnection.h"

#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberOperationMode;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;

namespace {

QSharedPointer<ChamberReply> chamberReply(const QSharedPointer<quelta::domain::api::IChamberReply> &reply)
{
    return qSharedPointerDynamicCast<ChamberReply>(reply);
}

} // namespace

class tst_Qx2OperatingModeConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void readOperatingMode_fromTheStateRegister_data();
    void readOperatingMode_fromTheStateRegister();
    void readOperatingMode_passesTheReadError();
    void readOperatingMode_refusedRead_givesNoReply();
    void destruction_endsUnfinishedReads();
    void writeOperatingMode_writesTheStateRegister_data();
    void writeOperatingMode_writesTheStateRegister();
    void writeOperatingMode_modesWithoutValue_giveNoReply_data();
    void writeOperatingMode_modesWithoutValue_giveNoReply();
    void readAndWrite_reachTheController();
};

void tst_Qx2OperatingModeConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false"));
}

void tst_Qx2OperatingModeConnection::readOperatingMode_fromTheStateRegister_data()
{
    QTest::addColumn<uint>("state");
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    QTest::newRow("bit 1 alone") << 2u << ChamberOperationMode::MODE_BASIC;
    QTest::newRow("bits 0 and 1") << 3u << ChamberOperationMode::MODE_BASIC;
    QTest::newRow("bit 0 alone") << 1u << ChamberOperationMode::MODE_MANUAL;
    QTest::newRow("no bit") << 0u << ChamberOperationMode::MODE_MANUAL;
    QTest::newRow("other bits, bit 1 clear") << 0xFFFDu << ChamberOperationMode::MODE_MANUAL;
}

void tst_Qx2OperatingModeConnection::readOperatingMode_fromTheStateRegister()
{
    QFETCH(uint, state);
    QFETCH(ChamberOperationMode::Mode, mode);

    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx2OperatingModeConnection modes(connection);
    const auto reply = chamberReply(modes.readOperatingMode());
    QVERIFY(reply);
    QCOMPARE(connection->reads().size(), 1);
    QCOMPARE(connection->reads().at(0).address(), QStringLiteral("0x1158"));
    QCOMPARE(connection->reads().at(0).valueType(), int(QMetaType::UShort));

    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    connection->replies().at(0)->setResult(0, QVariant::fromValue(ushort(state)));
    connection->replies().at(0)->finish();
    QVERIFY(finished.wait());
    QCOMPARE(reply->resultCount(), 1);
    QCOMPARE(reply->errorCode(0), 0);
    QCOMPARE(reply->result(0).toInt(), int(mode));
}

void tst_Qx2OperatingModeConnection::readOperatingMode_passesTheReadError()
{
    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx2OperatingModeConnection modes(connection);
    const auto reply = chamberReply(modes.readOperatingMode());
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    connection->replies().at(0)->finishWithError(ChamberError::TimeoutError);
    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::TimeoutError));
    QVERIFY(!reply->result(0).isValid());
}

void tst_Qx2OperatingModeConnection::readOperatingMode_refusedRead_givesNoReply()
{
    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    connection->setRefusing(true);
    Qx2OperatingModeConnection modes(connection);
    QVERIFY(!modes.readOperatingMode());
}

void tst_Qx2OperatingModeConnection::destruction_endsUnfinishedReads()
{
    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    auto modes = std::make_unique<Qx2OperatingModeConnection>(connection);
    const auto reply = chamberReply(modes->readOperatingMode());
    QSignalSpy finished(reply.data(), &ChamberReply::finished);

    modes.reset();
    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
    // The register read that finishes later reaches nobody.
    connection->replies().at(0)->setResult(0, 2);
    connection->replies().at(0)->finish();
    QSignalSpy readFinished(connection->replies().at(0).data(), &ChamberReply::finished);
    QVERIFY(readFinished.wait());
    QCOMPARE(finished.count(), 1);
}

void tst_Qx2OperatingModeConnection::writeOperatingMode_writesTheStateRegister_data()
{
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    QTest::addColumn<int>("value");
    QTest::newRow("basic") << ChamberOperationMode::MODE_BASIC << 2;
    QTest::newRow("manual") << ChamberOperationMode::MODE_MANUAL << 1;
}

void tst_Qx2OperatingModeConnection::writeOperatingMode_writesTheStateRegister()
{
    QFETCH(ChamberOperationMode::Mode, mode);
    QFETCH(int, value);

    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx2OperatingModeConnection modes(connection);
    QVERIFY(modes.writeOperatingMode(mode));
    QCOMPARE(connection->writes().size(), 1);
    QCOMPARE(connection->writes().at(0).first.address(), QStringLiteral("0x1158"));
    QCOMPARE(connection->writes().at(0).second.toInt(), value);
}

void tst_Qx2OperatingModeConnection::writeOperatingMode_modesWithoutValue_giveNoReply_data()
{
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    QTest::newRow("automatic") << ChamberOperationMode::MODE_AUTO;
    QTest::newRow("undefined") << ChamberOperationMode::MODE_UNDEFINED;
    QTest::newRow("not supported") << ChamberOperationMode::MODE_NOTSUPPORTED;
}

void tst_Qx2OperatingModeConnection::writeOperatingMode_modesWithoutValue_giveNoReply()
{
    QFETCH(ChamberOperationMode::Mode, mode);

    const auto connection = QSharedPointer<RecordingChamberConnection>::create();
    Qx2OperatingModeConnection modes(connection);
    QVERIFY(!modes.writeOperatingMode(mode));
    QCOMPARE(connection->writes().size(), 0);
}

void tst_Qx2OperatingModeConnection::readAndWrite_reachTheController()
{
    constexpr int UnitId = 4;
    QVector<quint16> registers(0x2000);
    registers[0x1158] = 3;
    LoopbackModbusTcpServer server;
    QVERIFY(server.start(UnitId, registers));
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), server.port()), UnitId);
    QVERIFY(connection->connectDevice());
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    Qx2OperatingModeConnection modes(connection);

    const auto read = chamberReply(modes.readOperatingMode());
    QSignalSpy readFinished(read.data(), &ChamberReply::finished);
    QVERIFY(readFinished.wait());
    QCOMPARE(read->result(0).toInt(), int(ChamberOperationMode::MODE_BASIC));

    const auto write = chamberReply(modes.writeOperatingMode(ChamberOperationMode::MODE_MANUAL));
    QSignalSpy writeFinished(write.data(), &ChamberReply::finished);
    QVERIFY(writeFinished.wait());
    QVERIFY(!write->hasAnyError());
    quint16 value = 0;
    QVERIFY(server.server().data(QModbusDataUnit::HoldingRegisters, 0x1158, &value));
    QCOMPARE(value, quint16(1));
}

QTEST_GUILESS_MAIN(tst_Qx2OperatingModeConnection)
#include "tst_qx2operatingmodeconnection.moc"
