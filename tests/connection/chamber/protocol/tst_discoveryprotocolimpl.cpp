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
    if (name == QLatin1String("XPort"))
        return std::make_unique<XPortDiscoveryImpl>();
    if (name == QLatin1String("WuT"))
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

QByteArray tjvAnswer(const QByteArray &mac = Mac)
{
    return QByteArray("TJV!") + mac;
}

} // namespace

class tst_DiscoveryProtocolImpl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseAnswer_data();
    void parseAnswer();
    void eachKind_fixedRequestAndRandomAnswers_data();
    void eachKind_fixedRequestAndRandomAnswers();
};

void tst_DiscoveryProtocolImpl::parseAnswer_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("macAddress"); // empty: no answer

    const QString mac = QStringLiteral("00:20:4a:12:34:56");

    QTest::newRow("XPort answer") << "XPort" << xportAnswer() << mac;
    QTest::newRow("XPort answer with trailer") << "XPort" << xportAnswer() + "xx" << mac;
    QTest::newRow("XPort truncated F7") << "XPort" << xportAnswer().left(29) << QString();
    QTest::newRow("XPort own query") << "XPort" << QByteArray::fromHex("000000f6") + xportAnswer().mid(4)
                                     << QString();
    QTest::newRow("XPort zero MAC") << "XPort" << xportAnswer(QByteArray(6, '\0')) << QString();

    QTest::newRow("WuT one port") << "WuT" << wutAnswer(1) << mac;
    QTest::newRow("WuT four ports") << "WuT" << wutAnswer(4) << mac;
    QTest::newRow("WuT 20-byte packet") << "WuT" << wutAnswer(1).left(20) << QString();
    QTest::newRow("WuT no port") << "WuT" << wutAnswer(0) << QString();
    QTest::newRow("WuT extra byte") << "WuT" << wutAnswer(1) + "x" << QString();
    QTest::newRow("WuT group MAC") << "WuT" << wutAnswer(1, QByteArray::fromHex("01005e000001")) << QString();
    QTest::newRow("WuT own query") << "WuT" << QByteArray::fromHex("00000000") << QString();

    QTest::newRow("TJV answer") << "TJV" << tjvAnswer() << mac;
    QTest::newRow("TJV answer with later fields") << "TJV" << tjvAnswer() + "1.2" << mac;
    QTest::newRow("TJV own query") << "TJV" << QByteArray("TJV?") + Mac << QString();
    QTest::newRow("TJV lower case") << "TJV" << QByteArray("tjv!") + Mac << QString();
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

void tst_DiscoveryProtocolImpl::eachKind_fixedRequestAndRandomAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("converter");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("valid");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("macOffset");
    QTest::addColumn<bool>("wholePorts");

    QTest::newRow("XPort") << "XPort" << 30718 << 1 << QByteArray::fromHex("000000f6") << xportAnswer()
                           << QByteArray::fromHex("000000f7") << 24 << false;
    QTest::newRow("WuT") << "WuT" << 8513 << 0 << QByteArray::fromHex("00000000") << wutAnswer(2) << QByteArray()
                         << 10 << true;
    QTest::newRow("TJV") << "TJV" << 9001 << -1 << QByteArray("TJV?") << tjvAnswer() << QByteArray("TJV!") << 4
                         << false;
}

// The fixed facts of each kind, then random bytes and mutations of a valid
// answer: the parser must never read outside the datagram (ASan watches), and
// whatever it accepts must carry the right header and the MAC address from the
// right place.
void tst_DiscoveryProtocolImpl::eachKind_fixedRequestAndRandomAnswers()
{
    QFETCH(QString, name);
    QFETCH(int, port);
    QFETCH(int, converter);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, valid);
    QFETCH(QByteArray, header);
    QFETCH(int, macOffset);
    QFETCH(bool, wholePorts);

    const auto parser = protocolNamed(name);
    QCOMPARE(parser->name(), name);
    QCOMPARE(int(parser->port()), port);
    QCOMPARE(parser->converter(), converter);
    QCOMPARE(parser->request(), request);

    QRandomGenerator random(0x5eed);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray datagram;
        switch (round % 4) {
        case 0: // random length and content
            datagram.resize(random.bounded(80));
            for (char &byte : datagram)
                byte = char(random.bounded(256));
            break;
        case 1: // valid answer cut anywhere
            datagram = valid.left(random.bounded(valid.size() + 1));
            break;
        case 2: { // valid answer with a few flipped bytes
            datagram = valid;
            for (int flips = random.bounded(1, 4); flips > 0; --flips)
                datagram[random.bounded(datagram.size())] = char(random.bounded(256));
            break;
        }
        default: // valid header, random tail
            datagram = valid.left(header.size());
            for (int tail = random.bounded(64); tail > 0; --tail)
                datagram.append(char(random.bounded(256)));
            break;
        }

        const std::optional<MacAddress> parsed = parser->parseAnswer(datagram);
        if (!parsed)
            continue;
        ++accepted;
        QVERIFY2(datagram.startsWith(header), datagram.toHex().constData());
        if (wholePorts)
            QVERIFY(datagram.size() >= 42 && (datagram.size() - 32) % 10 == 0);
        // A datagram too short for the MAC address fails here.
        QCOMPARE(parsed->bytes(), datagram.mid(macOffset, 6));
        QVERIFY(!(quint8(parsed->bytes().at(0)) & 0x01));
    }
    // The mutations keep many answers whole; a parser that rejects everything fails here.
    QVERIFY(accepted > 100);
}

QTEST_GUILESS_MAIN(tst_DiscoveryProtocolImpl)
#include "tst_discoveryprotocolimpl.moc"
