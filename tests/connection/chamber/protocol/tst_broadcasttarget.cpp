#include "connection/chamber/protocol/broadcasttarget.h"
#include "connection/chamber/protocol/discoveryinterface.h"

#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;

namespace {

constexpr QNetworkInterface::InterfaceFlags Ethernet =
        QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast
        | QNetworkInterface::CanMulticast;

QNetworkAddressEntry entry(const char *ip, int prefixLength, const char *broadcast = nullptr)
{
    QNetworkAddressEntry result;
    result.setIp(QHostAddress(QString::fromLatin1(ip)));
    result.setPrefixLength(prefixLength);
    if (broadcast)
        result.setBroadcast(QHostAddress(QString::fromLatin1(broadcast)));
    return result;
}

} // namespace

Q_DECLARE_METATYPE(QList<quelta::base::connection::chamberconnection::DiscoveryInterface>)
Q_DECLARE_METATYPE(QList<quelta::base::connection::chamberconnection::BroadcastTarget>)

class tst_BroadcastTarget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fromInterfaces_data();
    void fromInterfaces();
};

void tst_BroadcastTarget::fromInterfaces_data()
{
    QTest::addColumn<QList<DiscoveryInterface>>("interfaces");
    QTest::addColumn<QList<BroadcastTarget>>("targets");

    using I = QList<DiscoveryInterface>;
    using T = QList<BroadcastTarget>;

    // One target per network and prefix, from its first address in interface
    // order; the broadcast address computed where the system gives none or an
    // IPv6 one.
    QTest::newRow("subnets")
            << I{DiscoveryInterface("qveth1", Ethernet, {entry("10.77.0.2", 24, "10.77.0.255")}),
                 DiscoveryInterface("qveth0", Ethernet,
                                    {entry("10.77.0.1", 24, "10.77.0.255"), entry("10.77.0.3", 16)}),
                 DiscoveryInterface("eth0", Ethernet, {entry("192.168.4.20", 22), entry("10.78.0.1", 24, "ff02::1")})}
            << T{BroadcastTarget("qveth1", QHostAddress("10.77.0.2"), QHostAddress("10.77.0.255")),
                 BroadcastTarget("qveth0", QHostAddress("10.77.0.3"), QHostAddress("10.77.255.255")),
                 BroadcastTarget("eth0", QHostAddress("192.168.4.20"), QHostAddress("192.168.7.255")),
                 BroadcastTarget("eth0", QHostAddress("10.78.0.1"), QHostAddress("10.78.0.255"))};
    QTest::newRow("interfaces down, without broadcast or loopback")
            << I{DiscoveryInterface("eth0", Ethernet & ~QNetworkInterface::InterfaceFlags(QNetworkInterface::IsUp),
                                    {entry("10.77.0.1", 24)}),
                 DiscoveryInterface("tun0", QNetworkInterface::IsUp | QNetworkInterface::IsPointToPoint,
                                    {entry("10.8.0.2", 24)}),
                 DiscoveryInterface("lo", Ethernet | QNetworkInterface::IsLoopBack, {entry("127.0.0.1", 8)})}
            << T{};
    QTest::newRow("loopback, ipv6, and no room for a broadcast address")
            << I{DiscoveryInterface("eth0", Ethernet,
                                    {entry("127.0.0.2", 8), entry("fe80::1", 64), entry("10.77.0.1", 31),
                                     entry("10.77.1.1", 32)})}
            << T{};
}

void tst_BroadcastTarget::fromInterfaces()
{
    QFETCH(QList<DiscoveryInterface>, interfaces);
    QFETCH(QList<BroadcastTarget>, targets);
    QCOMPARE(BroadcastTarget::fromInterfaces(interfaces), targets);
}

QTEST_GUILESS_MAIN(tst_BroadcastTarget)
#include "tst_broadcasttarget.moc"
