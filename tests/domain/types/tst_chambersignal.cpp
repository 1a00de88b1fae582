#include "domain/types/chambersignal.h"

#include <QtTest/QtTest>

using namespace quelta::domain::types;

using AddressPointer = QSharedPointer<ControllerAddress>;

namespace {

AddressPointer address(int valueType, const QString &text = QStringLiteral("0x0100"))
{
    return AddressPointer::create(ControllerAddressId(7), text, ControllerAddress::ReadWrite, valueType, 1, -1,
                                  QString());
}

ChamberSignal signalWith(int unit, int bitPosition, const AddressPointer &read, const AddressPointer &basic,
                         const AddressPointer &manual, const AddressPointer &automatic,
                         UserLevel level = UserLevel::BASIC)
{
    return ChamberSignal(1, QStringLiteral("Door"), unit, QColor(Qt::red), 1, level, -10.0f, 10.0f, bitPosition,
                         ChamberSignal::ProcessValue, {}, false, false, read, basic, manual, automatic);
}

// Signals of one catalogue read share these objects: editing one through a
// signal would edit every signal that names the same row.
static_assert(std::is_const_v<std::remove_reference_t<decltype(*ChamberSignal().readAddress())>>
              && std::is_const_v<std::remove_reference_t<decltype(*ChamberSignal().writeBasicAddress())>>
              && std::is_const_v<std::remove_reference_t<decltype(*ChamberSignal().writeManualAddress())>>
              && std::is_const_v<std::remove_reference_t<decltype(*ChamberSignal().writeAutoAddress())>>
              && std::is_const_v<std::remove_reference_t<decltype(*ChamberSignal().setPointSignal())>>);

} // namespace

class tst_ChamberSignal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isDigital_data();
    void isDigital();
    void writableAndReadOnly_data();
    void writableAndReadOnly();
    void equalityComparesPointeesByContent();
};

void tst_ChamberSignal::isDigital_data()
{
    QTest::addColumn<ChamberSignal>("signal");
    QTest::addColumn<bool>("digital");

    const int boolType = QMetaType::Bool;
    const int floatType = QMetaType::Float;

    QTest::newRow("BOOL unit without addresses") << signalWith(Unit::Bool, -1, {}, {}, {}, {}) << true;
    // A bit position alone does not make a signal digital: without any
    // descriptor there is nothing to read the bit from.
    QTest::newRow("bit position without addresses") << signalWith(Unit::None, 3, {}, {}, {}, {}) << false;
    QTest::newRow("bit of a float register") << signalWith(Unit::None, 0, address(floatType), {}, {}, {}) << true;
    QTest::newRow("bool read address") << signalWith(Unit::None, -1, address(boolType), {}, {}, {}) << true;
    QTest::newRow("bool read, float write")
        << signalWith(Unit::None, -1, address(boolType), {}, address(floatType), {}) << false;
    QTest::newRow("float read") << signalWith(Unit::DegreeCelsius, -1, address(floatType), {}, {}, {}) << false;
    QTest::newRow("only the manual write address, bool")
        << signalWith(Unit::None, -1, {}, {}, address(boolType), {}) << true;
}

void tst_ChamberSignal::isDigital()
{
    QFETCH(ChamberSignal, signal);
    QFETCH(bool, digital);
    QCOMPARE(signal.isDigital(), digital);
}

void tst_ChamberSignal::writableAndReadOnly_data()
{
    QTest::addColumn<ChamberSignal>("signal");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("readOnly");

    const AddressPointer a = address(QMetaType::Float);
    QTest::newRow("read only, basic level") << signalWith(0, -1, a, {}, {}, {}) << false << true;
    QTest::newRow("read only, advanced level") << signalWith(0, -1, a, {}, {}, {}, UserLevel::ADVANCED) << false
                                               << false;
    QTest::newRow("basic write") << signalWith(0, -1, a, a, {}, {}) << true << false;
    QTest::newRow("manual write") << signalWith(0, -1, {}, {}, a, {}) << true << false;
    QTest::newRow("automatic write") << signalWith(0, -1, {}, {}, {}, a) << true << false;
}

void tst_ChamberSignal::writableAndReadOnly()
{
    QFETCH(ChamberSignal, signal);
    QFETCH(bool, writable);
    QFETCH(bool, readOnly);
    QCOMPARE(signal.isWritable(), writable);
    QCOMPARE(signal.isReadOnly(), readOnly);
}

void tst_ChamberSignal::equalityComparesPointeesByContent()
{
    const auto setPoint = QSharedPointer<ChamberSignal>::create();
    ChamberSignal lhs = signalWith(Unit::None, -1, address(QMetaType::Float, "0xAC00"), {}, {}, {});
    ChamberSignal rhs = signalWith(Unit::None, -1, address(QMetaType::Float, "0xAC00"), {}, {}, {});
    lhs.setSetPointSignal(setPoint);
    rhs.setSetPointSignal(QSharedPointer<ChamberSignal>::create(*setPoint));
    QVERIFY(lhs.readAddress() != rhs.readAddress());
    QCOMPARE(lhs, rhs);

    ControllerAddress moved = *rhs.readAddress();
    moved.setAddress("0xAC02");
    rhs.setReadAddress(AddressPointer::create(moved));
    QVERIFY(lhs != rhs);
}

QTEST_GUILESS_MAIN(tst_ChamberSignal)
#include "tst_chambersignal.moc"
