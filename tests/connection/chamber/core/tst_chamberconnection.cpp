#include "connection/chamber/core/chamberconnection.h"

#include "domain/types/metatypes.h"

#include <QtTest/QSignalSpy>
#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::ChamberConnection;
using quelta::domain::api::IChamberConnection;
using quelta::domain::api::IChamberReply;
using quelta::domain::types::ChamberError;
using quelta::domain::types::ChamberState;
using quelta::domain::types::ControllerAddress;

namespace {

// Reaches the protected state setter; the requests are not under test.
class TestConnection : public ChamberConnection
{
    Q_OBJECT

public:
    using ChamberConnection::setState;

    bool connectDevice() override { return false; }
    void disconnectDevice() override {}
    void reset() override {}
    QSharedPointer<IChamberReply> checkCommunication(const ControllerAddress &) override { return {}; }
    QSharedPointer<IChamberReply> readValue(const ControllerAddress &) override { return {}; }
    QSharedPointer<IChamberReply> readValues(const QList<ControllerAddress> &) override { return {}; }
    QSharedPointer<IChamberReply> writeValue(const ControllerAddress &, const QVariant &) override { return {}; }
    QSharedPointer<IChamberReply> writeValues(const QList<QPair<ControllerAddress, QVariant>> &) override
    {
        return {};
    }
};

} // namespace

class tst_ChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void setState_emitsOnlyOnARealChange();
    void signals_reachAQueuedReceiverThroughTheInterface();
};

void tst_ChamberConnection::initTestCase()
{
    quelta::domain::types::registerMetaTypes();
}

void tst_ChamberConnection::setState_emitsOnlyOnARealChange()
{
    TestConnection connection;
    QCOMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);
    QSignalSpy spy(&connection, &ChamberConnection::stateChanged);

    connection.setState(ChamberState::STATE_UNCONNECTED);
    QCOMPARE(spy.count(), 0);
    connection.setState(ChamberState::STATE_CONNECTING);
    connection.setState(ChamberState::STATE_CONNECTING);
    connection.setState(ChamberState::STATE_CONNECTED);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).value<ChamberState::State>(), ChamberState::STATE_CONNECTING);
    QCOMPARE(spy.at(1).at(0).value<ChamberState::State>(), ChamberState::STATE_CONNECTED);
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
}

void tst_ChamberConnection::signals_reachAQueuedReceiverThroughTheInterface()
{
    TestConnection connection;
    IChamberConnection *api = &connection;
    // A caller that holds the interface finds the QObject and its signals.
    auto *object = dynamic_cast<QObject *>(api);
    QVERIFY(object);
    QCOMPARE(qobject_cast<IChamberConnection *>(object), api);

    QList<ChamberState::State> states;
    QList<ChamberError> errors;
    QObject receiver;
    auto *base = qobject_cast<ChamberConnection *>(object);
    QVERIFY(base);
    connect(base, &ChamberConnection::stateChanged, &receiver,
            [&states](ChamberState::State state) { states << state; }, Qt::QueuedConnection);
    connect(base, &ChamberConnection::errorOccured, &receiver,
            [&errors](const ChamberError &error) { errors << error; }, Qt::QueuedConnection);

    connection.setState(ChamberState::STATE_CONNECTING);
    Q_EMIT connection.errorOccured(ChamberError(ChamberError::ConnectionError, QStringLiteral("refused")));
    QTRY_COMPARE(states.size(), 1);
    QTRY_COMPARE(errors.size(), 1);
    QCOMPARE(states.first(), ChamberState::STATE_CONNECTING);
    QCOMPARE(errors.first(), ChamberError(ChamberError::ConnectionError, QStringLiteral("refused")));
}

QTEST_GUILESS_MAIN(tst_ChamberConnection)
#include "tst_chamberconnection.moc"
