#include "connection/chamber/core/chamberreply.h"
#include "connection/chamber/modbus/modbuschamberconnection.h"
#include "connection/chamber/modbus/qx2operatingmodeconnection.h"
#include "domain/types/metatypes.h"

#include "loopbackmodbustcpserver.h"

#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberOperationMode;
using quelta::domain::types::ChamberState;

namespace {

constexpr int UnitId = 4;

QSharedPointer<ChamberReply> chamberReply(const QSharedPointer<quelta::domain::api::IChamberReply> &reply)
{
    return qSharedPointerDynamicCast<ChamberReply>(reply);
}

QSharedPointer<ModbusChamberConnection> connectTo(const LoopbackModbusTcpServer &server)
{
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), server.port()), UnitId);
    connection->connectDevice();
    return connection;
}

} // namespace

class tst_Qx2OperatingModeConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readOperatingMode_fromTheStateRegister_data();
    void readOperatingMode_fromTheStateRegister();
    void readOperatingMode_failedRead_passesItsError();
    void destruction_endsUnfinishedReads();
    void writeOperatingMode_writesTheStateRegister_data();
    void writeOperatingMode_writesTheStateRegister();
};

void tst_Qx2OperatingModeConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
    // The failures below are meant; their warnings are not news.
    QLoggingCategory::setFilterRules(QStringLiteral("quelta.ChamberConnection.warning=false\n"
                                                    "qt.modbus.warning=false"));
}

void tst_Qx2OperatingModeConnection::readOperatingMode_fromTheStateRegister_data()
{
    QTest::addColumn<quint16>("state");
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    QTest::newRow("bit 1 alone") << quint16(2) << ChamberOperationMode::MODE_BASIC;
    QTest::newRow("bits 0 and 1") << quint16(3) << ChamberOperationMode::MODE_BASIC;
    QTest::newRow("bit 0 alone") << quint16(1) << ChamberOperationMode::MODE_MANUAL;
    QTest::newRow("no bit") << quint16(0) << ChamberOperationMode::MODE_MANUAL;
    QTest::newRow("every bit but 1") << quint16(0xFFFD) << ChamberOperationMode::MODE_MANUAL;
}

void tst_Qx2OperatingModeConnection::readOperatingMode_fromTheStateRegister()
{
    QFETCH(quint16, state);
    QFETCH(ChamberOperationMode::Mode, mode);

    QVector<quint16> registers(0x2000);
    registers[0x1158] = state;
    LoopbackModbusTcpServer server;
    QVERIFY(server.start(UnitId, registers));
    const auto connection = connectTo(server);
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    Qx2OperatingModeConnection modes(connection);

    const auto reply = chamberReply(modes.readOperatingMode());
    QVERIFY(reply);
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());
    QCOMPARE(reply->resultCount(), 1);
    QCOMPARE(reply->errorCode(0), 0);
    QCOMPARE(reply->result(0).toInt(), int(mode));
}

void tst_Qx2OperatingModeConnection::readOperatingMode_failedRead_passesItsError()
{
    LoopbackModbusTcpServer server;
    // Register 0x1158 lies beyond the server's registers.
    QVERIFY(server.start(UnitId, QVector<quint16>(0x100)));
    const auto connection = connectTo(server);
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    Qx2OperatingModeConnection modes(connection);

    const auto reply = chamberReply(modes.readOperatingMode());
    QSignalSpy finished(reply.data(), &ChamberReply::finished);
    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ProtocolError));
    QVERIFY(!reply->result(0).isValid());
}

void tst_Qx2OperatingModeConnection::destruction_endsUnfinishedReads()
{
    // Unconnected, the register read fails, but only on the next turn of the
    // event loop: the mode connection is gone by then.
    const auto connection = QSharedPointer<ModbusChamberConnection>::create(
        ModbusClientSettings::tcp(QStringLiteral("127.0.0.1"), 9), UnitId);
    auto modes = std::make_unique<Qx2OperatingModeConnection>(connection);
    const auto reply = chamberReply(modes->readOperatingMode());
    QSignalSpy finished(reply.data(), &ChamberReply::finished);

    modes.reset();
    QVERIFY(finished.wait());
    QCOMPARE(reply->errorCode(0), int(ChamberError::ReplyAbortedError));
    // A second emission would come with the next request's reply.
    const auto next = chamberReply(connection->readValue(
        quelta::domain::types::ControllerAddress({}, QStringLiteral("0x10"), 2, QMetaType::UShort, 1, -1, {})));
    QSignalSpy nextFinished(next.data(), &ChamberReply::finished);
    QVERIFY(nextFinished.wait());
    QCOMPARE(finished.count(), 1);
}

void tst_Qx2OperatingModeConnection::writeOperatingMode_writesTheStateRegister_data()
{
    QTest::addColumn<ChamberOperationMode::Mode>("mode");
    // -1: no reply, nothing written.
    QTest::addColumn<int>("value");
    QTest::newRow("basic") << ChamberOperationMode::MODE_BASIC << 2;
    QTest::newRow("manual") << ChamberOperationMode::MODE_MANUAL << 1;
    QTest::newRow("automatic") << ChamberOperationMode::MODE_AUTO << -1;
    QTest::newRow("undefined") << ChamberOperationMode::MODE_UNDEFINED << -1;
    QTest::newRow("not supported") << ChamberOperationMode::MODE_NOTSUPPORTED << -1;
}

void tst_Qx2OperatingModeConnection::writeOperatingMode_writesTheStateRegister()
{
    QFETCH(ChamberOperationMode::Mode, mode);
    QFETCH(int, value);

    LoopbackModbusTcpServer server;
    QVERIFY(server.start(UnitId, QVector<quint16>(0x2000, 0xFFFF)));
    const auto connection = connectTo(server);
    QTRY_COMPARE(connection->state(), ChamberState::STATE_CONNECTED);
    Qx2OperatingModeConnection modes(connection);

    const auto reply = chamberReply(modes.writeOperatingMode(mode));
    if (value < 0) {
        QVERIFY(!reply);
    } else {
        QVERIFY(reply);
        QSignalSpy finished(reply.data(), &ChamberReply::finished);
        QVERIFY(finished.wait());
        QVERIFY(!reply->hasAnyError());
    }
    quint16 written = 0;
    QVERIFY(server.server().data(QModbusDataUnit::HoldingRegisters, 0x1158, &written));
    QCOMPARE(written, value < 0 ? quint16(0xFFFF) : quint16(value));
}

QTEST_GUILESS_MAIN(tst_Qx2OperatingModeConnection)
#include "tst_qx2operatingmodeconnection.moc"
