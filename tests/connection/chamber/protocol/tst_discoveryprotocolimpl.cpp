#include "connection/chamber/protocol/tjvdiscoveryimpl.h"
#include "connection/chamber/protocol/wutdiscoveryimpl.h"
#include "connection/chamber/protocol/xportdiscoveryimpl.h"

#include <QtCore/QRandomGenerator>
#include <QtTest/QtTest>

#include <memory>

using namespace quelta::base::connection::chamberconnection;
using quelta::domain::types::MacAddress;

namespace {

const QByteArray Mac = QByteArray::fromHex("0020 4a 12 34 56");

std::unique_ptr<DiscoveryProtocolImpl> protocolNamed(const QString &name)
{
    if (name == "XPort")
        return std::make_unique<XPortDiscoveryImpl>();
    if (name == "WuT")
        return std::make_unique<WutDiscoveryImpl>();
    return std::make_unique<TjvDiscoveryImpl>();
}

QByteArray xportAnswer(const QByteArray &mac = Mac)
{
    return QByteArray::fromHex("000000f7") + QByteArray(16, 'F') + QByteArray(4, 'D') + mac;
}

QByteArray wutAnswer(int ports, const QByteArray &mac = Mac)
{
    return QByteArray(10, 'V') + mac + QByteArray(16, 'N') + QByteArray(10 * ports, 'P');
}

} // namespace

class tst_DiscoveryProtocolImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseAnswer_data();
    void parseAnswer();
    void eachKind_randomAnswers_data();
    void eachKind_randomAnswers();
};

void tst_DiscoveryProtocolImpl::parseAnswer_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("macAddress"); // empty: no answer

    const QString mac = QStringLiteral("00:20:4a:12:34:56");

    QTest::newRow("XPort answer, later bytes ignored") << "XPort" << xportAnswer() + "xx" << mac;
    QTest::newRow("XPort truncated F7") << "XPort" << xportAnswer().left(29) << QString();
    QTest::newRow("XPort own query") << "XPort" << xportAnswer().replace(3, 1, "\xf6") << QString();
    QTest::newRow("XPort zero MAC") << "XPort" << xportAnswer(QByteArray(6, '\0')) << QString();

    QTest::newRow("WuT two ports") << "WuT" << wutAnswer(2) << mac;
    QTest::newRow("WuT 20-byte packet") << "WuT" << wutAnswer(1).left(20) << QString();
    QTest::newRow("WuT no port") << "WuT" << wutAnswer(0) << QString();
    QTest::newRow("WuT extra byte") << "WuT" << wutAnswer(1) + "x" << QString();
    QTest::newRow("WuT group MAC") << "WuT" << wutAnswer(1, QByteArray::fromHex("01005e000001")) << QString();

    QTest::newRow("TJV answer, later fields ignored") << "TJV" << "TJV!" + Mac + "1.2" << mac;
    QTest::newRow("TJV own query") << "TJV" << QByteArray("TJV?") + Mac << QString();
}

void tst_DiscoveryProtocolImpl::parseAnswer()
{
    QFETCH(QString, protocol);
    QFETCH(QByteArray, datagram);
    QFETCH(QString, macAddress);

    const std::optional<MacAddress> parsed = protocolNamed(protocol)->parseAnswer(datagram);
    QCOMPARE(parsed.has_value(), !macAddress.isEmpty());
    if (parsed)
        QCOMPARE(parsed->toString(), macAddress);
}

void tst_DiscoveryProtocolImpl::eachKind_randomAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("valid");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("macOffset");

    QTest::newRow("XPort") << "XPort" << xportAnswer() << QByteArray::fromHex("000000f7") << 24;
    QTest::newRow("WuT") << "WuT" << wutAnswer(2) << QByteArray() << 10;
    QTest::newRow("TJV") << "TJV" << "TJV!" + Mac << QByteArray("TJV!") << 4;
}

// Random bytes, and valid answers cut or with flipped bytes: the parser must
// never read outside the datagram (ASan watches), and whatever it accepts
// must carry the right header and the MAC address from the right place.
void tst_DiscoveryProtocolImpl::eachKind_randomAnswers()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, valid);
    QFETCH(QByteArray, header);
    QFETCH(int, macOffset);

    const auto parser = protocolNamed(name);

    QRandomGenerator random(0x5eed);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray datagram = valid;
        if (round % 3 == 0) {
            datagram.resize(random.bounded(80));
            for (char &byte : datagram)
                byte = char(random.bounded(256));
        } else if (round % 3 == 1) {
            datagram.truncate(random.bounded(valid.size() + 1));
        } else {
            for (int flips = random.bounded(1, 4); flips > 0; --flips)
                datagram[random.bounded(datagram.size())] = char(random.bounded(256));
        }

        const std::optional<MacAddress> parsed = parser->parseAnswer(datagram);
        if (!parsed)
            continue;
        ++accepted;
        QVERIFY2(datagram.startsWith(header), datagram.toHex().constData());
        // A datagram too short for the MAC address fails here.
        QCOMPARE(parsed->bytes(), datagram.mid(macOffset, 6));
    }
    // The flips keep many answers whole; a parser that rejects everything fails here.
    QVERIFY(accepted > 100);
}

QTEST_GUILESS_MAIN(tst_DiscoveryProtocolImpl)
#include "tst_discoveryprotocolimpl.moc"
