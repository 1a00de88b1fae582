#include "connection/chamber/protocol/chamberbroadcaster.h"
#include "connection/chamber/protocol/tjvdiscoveryimpl.h"
#include "domain/types/metatypes.h"

#include "udpresponder.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::NetworkConfiguration;

namespace {

// The private network namespace of the test script: a veth pair on 10.77.0.0/24.
const QHostAddress DeviceAddress(QStringLiteral("10.77.0.2"));
const QHostAddress OtherDeviceAddress(QStringLiteral("10.77.0.1"));

} // namespace

class tst_ChamberBroadcaster : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void start_skipsAFailedSubnetAndReportsEachDeviceOnce();
    void finish_insideAnswer_reportsNoMoreAndDeletes();
};

void tst_ChamberBroadcaster::initTestCase()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != QLatin1String("1"))
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");
    quelta::domain::types::registerMetaTypes();
}

void tst_ChamberBroadcaster::start_skipsAFailedSubnetAndReportsEachDeviceOnce()
{
    // An address this host does not hold cannot be bound: that subnet is
    // logged and skipped, and the device sees only the other request.
    QNetworkAddressEntry foreign;
    foreign.setIp(QHostAddress(QStringLiteral("10.78.0.99")));
    foreign.setPrefixLength(24);
    const DiscoveryInterface unusable(QStringLiteral("qveth0"),
                                      QNetworkInterface::IsUp | QNetworkInterface::CanBroadcast, {foreign});
    const QByteArray answer = "TJV!" + QByteArray::fromHex("0a00000000cc");
    UdpResponder tjv(TjvDiscoveryImpl::Port,
                  {{DeviceAddress, answer}, {DeviceAddress, answer}, {OtherDeviceAddress, answer}});

    ChamberBroadcaster broadcaster(std::make_unique<TjvDiscoveryImpl>());
    QSignalSpy found(&broadcaster, &ChamberBroadcaster::networkChamberFound);
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression(QStringLiteral("^Broadcast failed: TJV request from 10\\.78\\.0\\.99 "
                                                           "to 10\\.78\\.0\\.255:9001 \\(.+\\)$")));
    broadcaster.start(QList<DiscoveryInterface>{unusable} + DiscoveryInterface::systemInterfaces());

    // The answer from the second address comes last; the repeat came before it.
    QTRY_COMPARE(found.size(), 2);
    QCOMPARE(found.at(0).first().value<NetworkConfiguration>().address(), DeviceAddress);
    QCOMPARE(found.at(1).first().value<NetworkConfiguration>().address(), OtherDeviceAddress);
    QCOMPARE(tjv.requests.size(), 1);
}

// Ending the search from a slot of networkChamberFound drops the answers still
// queued on the socket.
void tst_ChamberBroadcaster::finish_insideAnswer_reportsNoMoreAndDeletes()
{
    UdpResponder tjv(TjvDiscoveryImpl::Port, {{DeviceAddress, "TJV!" + QByteArray::fromHex("0a00000000e1")},
                                           {OtherDeviceAddress, "TJV!" + QByteArray::fromHex("0a00000000e2")}});
    auto *broadcaster = new ChamberBroadcaster(std::make_unique<TjvDiscoveryImpl>());
    QPointer<ChamberBroadcaster> guard(broadcaster);
    int found = 0;
    connect(broadcaster, &ChamberBroadcaster::networkChamberFound, this, [&found, broadcaster] {
        ++found;
        broadcaster->finish();
    });
    broadcaster->start(DiscoveryInterface::systemInterfaces());

    // Both answers were sent before the first could be reported.
    QTRY_VERIFY(guard.isNull());
    QCOMPARE(found, 1);
}

QTEST_GUILESS_MAIN(tst_ChamberBroadcaster)
#include "tst_chamberbroadcaster.moc"
