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
    using Reply = QSharedPointer<IChamberReply>;

    bool connectDevice() override { return false; }
    void disconnectDevice() override {}
    void reset() override {}
    Reply checkCommunication(const ControllerAddress &) override { return {}; }
    Reply readValue(const ControllerAddress &) override { return {}; }
    Reply readValues(const QList<ControllerAddress> &) override { return {}; }
    Reply writeValue(const ControllerAddress &, const QVariant &) override { return {}; }
    Reply writeValues(const QList<QPair<ControllerAddress, QVariant>> &) override { return {}; }
};

} // namespace

class tst_ChamberConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signals_reachAQueuedReceiverThroughTheInterface();
};

void tst_ChamberConnection::signals_reachAQueuedReceiverThroughTheInterface()
{
    quelta::domain::types::registerMetaTypes();
    TestConnection connection;
    QCOMPARE(connection.state(), ChamberState::STATE_UNCONNECTED);

    // A caller that holds only the interface finds the QObject and its signals.
    IChamberConnection *api = &connection;
    auto *base = qobject_cast<ChamberConnection *>(dynamic_cast<QObject *>(api));
    QVERIFY(base);
    QList<ChamberState::State> states;
    QList<ChamberError> errors;
    QObject receiver;
    connect(base, &ChamberConnection::stateChanged, &receiver,
            [&states](ChamberState::State state) { states << state; }, Qt::QueuedConnection);
    connect(base, &ChamberConnection::errorOccured, &receiver,
            [&errors](const ChamberError &error) { errors << error; }, Qt::QueuedConnection);

    // Only real changes are announced.
    connection.setState(ChamberState::STATE_UNCONNECTED);
    connection.setState(ChamberState::STATE_CONNECTING);
    connection.setState(ChamberState::STATE_CONNECTING);
    Q_EMIT connection.errorOccured(ChamberError(ChamberError::ConnectionError, QStringLiteral("refused")));
    connection.setState(ChamberState::STATE_CONNECTED);

    QTRY_COMPARE(states.size(), 2);
    QCOMPARE(states, (QList<ChamberState::State>{ChamberState::STATE_CONNECTING, ChamberState::STATE_CONNECTED}));
    QTRY_COMPARE(errors.size(), 1);
    QCOMPARE(errors.first(), ChamberError(ChamberError::ConnectionError, QStringLiteral("refused")));
    QCOMPARE(connection.state(), ChamberState::STATE_CONNECTED);
}

QTEST_GUILESS_MAIN(tst_ChamberConnection)
#include "tst_chamberconnection.moc"
