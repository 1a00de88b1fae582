#include "connection/chamber/protocol/chamberbroadcaster.h"
#include "connection/chamber/protocol/tjvdiscoveryimpl.h"
#include "connection/chamber/protocol/wutdiscoveryimpl.h"
#include "connection/chamber/protocol/xportdiscoveryimpl.h"
#include "domain/types/metatypes.h"

#include <QtNetwork/QNetworkDatagram>
#include <QtNetwork/QUdpSocket>
#include <QtTest/QtTest>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::MacAddress;
using quelta::domain::types::NetworkConfiguration;

namespace {

// The private network namespace of the test script: a veth pair on 10.77.0.0/24.
const QHostAddress DeviceAddress(QStringLiteral("10.77.0.2"));
const QHostAddress OtherDeviceAddress(QStringLiteral("10.77.0.1"));

// A device of the test's own: listens for broadcasts on the discovery port and
// answers every request with its scripted datagrams, each from its address.
class Responder
{
public:
    Responder(quint16 port, const QList<QPair<QHostAddress, QByteArray>> &answers)
    {
        m_listener.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
        QObject::connect(&m_listener, &QUdpSocket::readyRead, &m_listener, [this, answers] {
            while (m_listener.hasPendingDatagrams()) {
                const QNetworkDatagram request = m_listener.receiveDatagram();
                requests.append(request.data());
                for (const auto &answer : answers) {
                    QUdpSocket sender;
                    if (sender.bind(answer.first, 0))
                        sender.writeDatagram(answer.second, request.senderAddress(), request.senderPort());
                }
            }
        });
    }

    QList<QByteArray> requests;

private:
    QUdpSocket m_listener;
};

} // namespace

class tst_ChamberBroadcaster : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();

    void start_threeResponders_giveThreeConfigurationsAndNothingMore();
    void start_skipsAFailedSubnetAndReportsEachDeviceOnce();
    void finish_insideAnswer_reportsNoMoreAndDeletes();
};

void tst_ChamberBroadcaster::initTestCase()
{
    if (qEnvironmentVariable("QUELTA_PRIVATE_NETWORK") != QLatin1String("1"))
        QSKIP("Broadcasts only inside ./scripts/in-private-network.sh");
    quelta::domain::types::registerMetaTypes();
}

void tst_ChamberBroadcaster::start_threeResponders_giveThreeConfigurationsAndNothingMore()
{
    // Each device sends broken answers first; its whole answer comes last and
    // proves that they were read and dropped.
    const QByteArray noise("\x13\x37\xff random bytes, no answer");
    const QByteArray tjvMac = QByteArray::fromHex("0a0000000001");
    const QByteArray xportMac = QByteArray::fromHex("00204a000002");
    const QByteArray wutMac = QByteArray::fromHex("00c03d000003");
    const QByteArray tjvAnswer = "TJV!" + tjvMac;
    const QByteArray xportAnswer = QByteArray::fromHex("000000f7") + QByteArray(20, '\x01') + xportMac;
    const QByteArray wutAnswer = QByteArray(10, '\x02') + wutMac + QByteArray(16, '\0') + QByteArray(10, '\x03');
    Responder tjv(TjvDiscoveryImpl::Port,
                  {{DeviceAddress, tjvAnswer.left(9)}, {DeviceAddress, noise}, {DeviceAddress, tjvAnswer}});
    Responder xport(XPortDiscoveryImpl::Port,
                    {{DeviceAddress, xportAnswer.left(27)}, {DeviceAddress, {}}, {DeviceAddress, xportAnswer}});
    Responder wut(WutDiscoveryImpl::Port, {{OtherDeviceAddress, wutAnswer.left(20)},
                                           {OtherDeviceAddress, noise},
                                           {OtherDeviceAddress, wutAnswer}});

    ChamberBroadcaster tjvSearch(std::make_unique<TjvDiscoveryImpl>());
    ChamberBroadcaster xportSearch(std::make_unique<XPortDiscoveryImpl>());
    ChamberBroadcaster wutSearch(std::make_unique<WutDiscoveryImpl>());
    QList<NetworkConfiguration> found;
    for (ChamberBroadcaster *broadcaster : {&tjvSearch, &xportSearch, &wutSearch}) {
        connect(broadcaster, &ChamberBroadcaster::networkChamberFound, this,
                [&found](const NetworkConfiguration &configuration) { found.append(configuration); });
        broadcaster->start(DiscoveryInterface::systemInterfaces());
    }

    QTRY_COMPARE(found.size(), 3);
    QCOMPARE(tjv.requests, QList<QByteArray>{"TJV?"});
    QCOMPARE(xport.requests, QList<QByteArray>{QByteArray::fromHex("000000f6")});
    QCOMPARE(wut.requests.size(), 1);
    QVERIFY(found.contains(NetworkConfiguration(DeviceAddress, MacAddress(tjvMac), -1)));
    QVERIFY(found.contains(NetworkConfiguration(DeviceAddress, MacAddress(xportMac), 1)));
    QVERIFY(found.contains(NetworkConfiguration(OtherDeviceAddress, MacAddress(wutMac), 0)));
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
    Responder tjv(TjvDiscoveryImpl::Port,
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
    Responder tjv(TjvDiscoveryImpl::Port, {{DeviceAddress, "TJV!" + QByteArray::fromHex("0a00000000e1")},
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
