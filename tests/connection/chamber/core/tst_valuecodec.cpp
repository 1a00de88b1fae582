#include "connection/chamber/core/valuecodec.h"

#include "domain/types/int10.h"

#include <QtCore/QTime>
#include <QtTest/QtTest>

using quelta::base::connection::chamberconnection::ValueCodec;
using quelta::domain::types::ControllerAddress;
using quelta::domain::types::ControllerAddressId;
using quelta::domain::types::Int10;
using Registers = QVector<quint16>;
using WordOrder = ValueCodec::WordOrder;

namespace {

ControllerAddress descriptor(int valueType, int count, const QString &address = QStringLiteral("0x0100"))
{
    return ControllerAddress(ControllerAddressId(), address, ControllerAddress::ReadWrite, valueType, count, -1,
                             QString());
}

} // namespace

class tst_ValueCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodeAndDecode_data();
    void encodeAndDecode();
    void encode_refusesValuesThatDoNotFit_data();
    void encode_refusesValuesThatDoNotFit();
    void registerAddress_data();
    void registerAddress();
};

void tst_ValueCodec::encodeAndDecode_data()
{
    QTest::addColumn<int>("valueType");
    QTest::addColumn<int>("count");
    QTest::addColumn<WordOrder>("wordOrder");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<Registers>("registers");
    QTest::addColumn<QByteArray>("decodedType");

    const WordOrder high = WordOrder::HighWordFirst;
    const WordOrder low = WordOrder::LowWordFirst;
    const auto v = [](auto value) { return QVariant::fromValue(value); };

    QTest::newRow("char") << int(QMetaType::Char) << 1 << high << v(-5) << Registers{0x00FB} << QByteArray("char");
    QTest::newRow("uchar block, odd count") << int(QMetaType::UChar) << 3 << high << v(QVector<uchar>{1, 2, 3})
                                            << Registers{0x0102, 0x0300} << QByteArray("QVector<uchar>");
    QTest::newRow("ushort from whole double")
        << int(QMetaType::UShort) << 1 << high << v(100.0) << Registers{100} << QByteArray("ushort");
    QTest::newRow("Int10") << qMetaTypeId<Int10>() << 1 << high << v(Int10(-100)) << Registers{0xFF9C}
                           << QByteArray(QMetaType::typeName(qMetaTypeId<Int10>()));
    QTest::newRow("uint, high word first")
        << int(QMetaType::UInt) << 1 << high << v(0x8B0000u) << Registers{0x008B, 0x0000} << QByteArray("uint");
    QTest::newRow("uint, low word first")
        << int(QMetaType::UInt) << 1 << low << v(0x8B0000u) << Registers{0x0000, 0x008B} << QByteArray("uint");
    QTest::newRow("uint from a negative delay")
        << int(QMetaType::UInt) << 1 << high << v(-10) << Registers{0xFFFF, 0xFFF6} << QByteArray("uint");
    QTest::newRow("float vector") << int(QMetaType::Float) << 3 << high << v(QVector<float>{1.0f, -2.0f, 0.5f})
                                  << Registers{0x3F80, 0, 0xC000, 0, 0x3F00, 0} << QByteArray("QVector<float>");
    QTest::newRow("float vector from a list of doubles, low word first")
        << int(QMetaType::Float) << 2 << low << QVariant(QVariantList{25.0, -40.0})
        << Registers{0, 0x41C8, 0, 0xC220} << QByteArray("QVector<float>");
    QTest::newRow("text, padded") << int(QMetaType::QString) << 5 << high << v(QStringLiteral("Prg\xe4"))
                                  << Registers{0x5072, 0x67E4, 0x0000} << QByteArray("QString");
}

void tst_ValueCodec::encodeAndDecode()
{
    QFETCH(int, valueType);
    QFETCH(int, count);
    QFETCH(WordOrder, wordOrder);
    QFETCH(QVariant, value);
    QFETCH(Registers, registers);
    QFETCH(QByteArray, decodedType);

    const ValueCodec codec(wordOrder);
    const ControllerAddress address = descriptor(valueType, count);
    QCOMPARE(ValueCodec::registerCount(address), registers.size());

    QString errorString;
    const std::optional<Registers> encoded = codec.encode(address, value, &errorString);
    QVERIFY2(encoded.has_value(), qPrintable(errorString));
    QCOMPARE(*encoded, registers);

    // The encoding is pinned above, so a decoded value of the right type that
    // encodes to the same registers is the right value.
    const QVariant decoded = codec.decode(address, registers);
    QCOMPARE(QByteArray(decoded.typeName()), decodedType);
    QCOMPARE(codec.encode(address, decoded).value_or(Registers()), registers);

    // A device's answer of the wrong length is no value.
    QVERIFY(!codec.decode(address, registers.mid(1)).isValid());
    QVERIFY(!codec.decode(address, registers + Registers{0}).isValid());
}

void tst_ValueCodec::encode_refusesValuesThatDoNotFit_data()
{
    QTest::addColumn<int>("valueType");
    QTest::addColumn<int>("count");
    QTest::addColumn<QVariant>("value");

    const auto v = [](auto value) { return QVariant::fromValue(value); };
    QTest::newRow("short below 16 bits") << int(QMetaType::Short) << 1 << v(-32769);
    QTest::newRow("integer from a fraction") << int(QMetaType::Short) << 1 << v(21.5);
    // Such a number once went out as infinity.
    QTest::newRow("float beyond the float range") << int(QMetaType::Float) << 1 << v(1.0e40);
    QTest::newRow("too few floats") << int(QMetaType::Float) << 3 << v(QVector<float>{1.0f, 2.0f});
    QTest::newRow("text longer than the register") << int(QMetaType::QString) << 3 << v(QStringLiteral("ABCD"));
    QTest::newRow("text beyond Latin-1") << int(QMetaType::QString) << 8 << v(QStringLiteral("20 \u20ac"));
    QTest::newRow("double has no register form") << int(QMetaType::Double) << 1 << v(1.0);
}

void tst_ValueCodec::encode_refusesValuesThatDoNotFit()
{
    QFETCH(int, valueType);
    QFETCH(int, count);
    QFETCH(QVariant, value);

    QString errorString;
    QVERIFY(!ValueCodec().encode(descriptor(valueType, count), value, &errorString).has_value());
    QVERIFY(!errorString.isEmpty());
}

void tst_ValueCodec::registerAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("valueType");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("address"); // -1: none

    QTest::newRow("with prefix") << "0XAC00" << int(QMetaType::UShort) << 1 << 0xAC00;
    QTest::newRow("last register, no prefix") << "ffff" << int(QMetaType::UShort) << 1 << 0xFFFF;
    QTest::newRow("UInt past the last register") << "0xFFFF" << int(QMetaType::UInt) << 1 << -1;
    QTest::newRow("beyond 16 bits") << "0x10000" << int(QMetaType::UShort) << 1 << -1;
    // Once accepted: the first register plus the count wrapped around 2^32.
    QTest::newRow("wraps past 32 bits") << "FFFFFFFF" << int(QMetaType::UShort) << 36 << -1;
    QTest::newRow("sign") << "+1A2" << int(QMetaType::UShort) << 1 << -1;
    QTest::newRow("sign after the prefix") << "0x+1A2" << int(QMetaType::UShort) << 1 << -1;
    QTest::newRow("prefix twice") << "0x0x10" << int(QMetaType::UShort) << 1 << -1;
    QTest::newRow("no register form") << "0x0100" << int(QMetaType::QTime) << 1 << -1;
}

void tst_ValueCodec::registerAddress()
{
    QFETCH(QString, text);
    QFETCH(int, valueType);
    QFETCH(int, count);
    QFETCH(int, address);
    const std::optional<quint16> result = ValueCodec::registerAddress(descriptor(valueType, count, text));
    QCOMPARE(result ? int(*result) : -1, address);
}

QTEST_GUILESS_MAIN(tst_ValueCodec)
#include "tst_valuecodec.moc"
