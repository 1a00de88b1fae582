#include "connection/chamber/core/valuecodec.h"

#include "domain/types/int10.h"

#include <QtCore/QSequentialIterable>

#include <cmath>
#include <cstring>
#include <limits>

namespace quelta::base::connection::chamberconnection {

using domain::types::ControllerAddress;
using domain::types::Int10;

namespace {

constexpr int AddressSpace = 0x10000;

enum class Kind { Bool, Char, UChar, Short, UShort, Int10, Int, UInt, Float, Text, None };

Kind kindOf(int valueType)
{
    if (valueType == qMetaTypeId<Int10>())
        return Kind::Int10;
    switch (valueType) {
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Char:
        return Kind::Char;
    case QMetaType::UChar:
        return Kind::UChar;
    case QMetaType::Short:
        return Kind::Short;
    case QMetaType::UShort:
        return Kind::UShort;
    case QMetaType::Int:
        return Kind::Int;
    case QMetaType::UInt:
        return Kind::UInt;
    case QMetaType::Float:
        return Kind::Float;
    case QMetaType::QString:
        return Kind::Text;
    default:
        return Kind::None;
    }
}

// Bytes packed two to a register: byte blocks and text.
bool isPacked(Kind kind, int count)
{
    return kind == Kind::Text || ((kind == Kind::UChar || kind == Kind::Char) && count > 1);
}

bool isWide(Kind kind)
{
    return kind == Kind::Int || kind == Kind::UInt || kind == Kind::Float;
}

// Bits of one integer element; 0 for kinds that are no integers.
int bitsOf(Kind kind)
{
    switch (kind) {
    case Kind::Char:
    case Kind::UChar:
        return 8;
    case Kind::Short:
    case Kind::UShort:
    case Kind::Int10:
        return 16;
    case Kind::Int:
    case Kind::UInt:
        return 32;
    case Kind::Bool:
    case Kind::Float:
    case Kind::Text:
    case Kind::None:
        break;
    }
    return 0;
}

// 0 to 15 for a hexadecimal digit, -1 for any other character.
int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

void fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
}

// The value as a whole number, when it is one: a double must have no
// fraction, so that 21.5 never becomes 21 unnoticed.
std::optional<qint64> integerOf(const QVariant &value)
{
    const int type = value.userType();
    if (type == qMetaTypeId<Int10>())
        return value.value<Int10>().value();
    if (type == QMetaType::Double || type == QMetaType::Float) {
        const double number = value.toDouble();
        if (!std::isfinite(number) || std::trunc(number) != number || std::fabs(number) > 9.0e15)
            return std::nullopt;
        return qint64(number);
    }
    if (type == QMetaType::ULongLong) {
        const qulonglong number = value.toULongLong();
        if (number > qulonglong(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(number);
    }
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

// The bit pattern of an integer of the given width, for any value that fits
// the width as a signed or an unsigned number.
std::optional<quint32> patternOf(const QVariant &value, int bits)
{
    const std::optional<qint64> number = integerOf(value);
    const qint64 lowest = -(qint64(1) << (bits - 1));
    const qint64 highest = (qint64(1) << bits) - 1;
    if (!number || *number < lowest || *number > highest)
        return std::nullopt;
    return quint32(quint64(*number) & quint64(highest));
}

std::optional<QVariantList> elementsOf(const QVariant &value)
{
    const int type = value.userType();
    if (type == QMetaType::QString || type == QMetaType::QByteArray
        || !value.canConvert<QVariantList>()) {
        return std::nullopt;
    }
    QVariantList elements;
    const QSequentialIterable iterable = value.value<QSequentialIterable>();
    for (const QVariant &element : iterable)
        elements.append(element);
    return elements;
}

template<typename T>
QVariant vectorOf(const QVector<quint32> &elements)
{
    QVector<T> values;
    values.reserve(elements.size());
    for (const quint32 element : elements)
        values.append(T(element));
    return QVariant::fromValue(values);
}

QVariant floatVectorOf(const QVector<quint32> &elements)
{
    QVector<float> values;
    values.reserve(elements.size());
    for (const quint32 element : elements) {
        float value;
        std::memcpy(&value, &element, sizeof value);
        values.append(value);
    }
    return QVariant::fromValue(values);
}

QVariant int10VectorOf(const QVector<quint32> &elements)
{
    QVector<Int10> values;
    values.reserve(elements.size());
    for (const quint32 element : elements)
        values.append(Int10(qint16(quint16(element))));
    return QVariant::fromValue(values);
}

// One decoded element (its raw bits) as the QVariant of a single value.
QVariant scalarOf(Kind kind, quint32 element)
{
    switch (kind) {
    case Kind::Bool:
        return QVariant::fromValue(element != 0);
    case Kind::Char:
        return QVariant::fromValue(char(qint8(quint8(element))));
    case Kind::UChar:
        return QVariant::fromValue(uchar(element));
    case Kind::Short:
        return QVariant::fromValue(qint16(quint16(element)));
    case Kind::UShort:
        return QVariant::fromValue(quint16(element));
    case Kind::Int10:
        return QVariant::fromValue(Int10(qint16(quint16(element))));
    case Kind::Int:
        return QVariant::fromValue(qint32(element));
    case Kind::UInt:
        return QVariant::fromValue(quint32(element));
    case Kind::Float: {
        float value;
        std::memcpy(&value, &element, sizeof value);
        return QVariant::fromValue(value);
    }
    case Kind::Text:
    case Kind::None:
        break;
    }
    return QVariant();
}

QVariant vectorOf(Kind kind, const QVector<quint32> &elements)
{
    switch (kind) {
    case Kind::Bool:
        return vectorOf<bool>(elements);
    case Kind::Char:
        return vectorOf<char>(elements);
    case Kind::UChar:
        return vectorOf<uchar>(elements);
    case Kind::Short:
        return vectorOf<qint16>(elements);
    case Kind::UShort:
        return vectorOf<quint16>(elements);
    case Kind::Int10:
        return int10VectorOf(elements);
    case Kind::Int:
        return vectorOf<qint32>(elements);
    case Kind::UInt:
        return vectorOf<quint32>(elements);
    case Kind::Float:
        return floatVectorOf(elements);
    case Kind::Text:
    case Kind::None:
        break;
    }
    return QVariant();
}

// The raw bits of one element to be encoded.
std::optional<quint32> elementOf(Kind kind, const QVariant &value)
{
    switch (kind) {
    case Kind::Bool:
        if (value.userType() == QMetaType::Bool)
            return value.toBool() ? 1u : 0u;
        if (const std::optional<qint64> number = integerOf(value))
            return *number != 0 ? 1u : 0u;
        return std::nullopt;
    case Kind::Float: {
        bool ok = false;
        const double wide = value.toDouble(&ok);
        // A finite number beyond the float range has no float form; it must
        // not go out as infinity.
        if (!ok || (std::isfinite(wide) && std::fabs(wide) > double(std::numeric_limits<float>::max())))
            return std::nullopt;
        const float number = float(wide);
        quint32 bits;
        std::memcpy(&bits, &number, sizeof bits);
        return bits;
    }
    case Kind::Char:
    case Kind::UChar:
    case Kind::Short:
    case Kind::UShort:
    case Kind::Int10:
    case Kind::Int:
    case Kind::UInt:
        return patternOf(value, bitsOf(kind));
    case Kind::Text:
    case Kind::None:
        break;
    }
    return std::nullopt;
}

} // namespace

ValueCodec::ValueCodec(WordOrder wordOrder)
    : m_wordOrder(wordOrder)
{
}

std::optional<quint16> ValueCodec::registerAddress(const ControllerAddress &address)
{
    // Every item of every request comes here: the text is read in place,
    // without the copies that trimming and cutting a QString make.
    const QString text = address.address();
    QStringView digits = QStringView(text).trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits = digits.mid(2);
    // Hexadecimal digits only, so no sign, no blank and no second "0x".
    if (digits.isEmpty())
        return std::nullopt;
    uint first = 0;
    for (const QChar c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        first = first * 16 + uint(digit);
        // Stopping at the end of the address space keeps a long text from
        // wrapping around.
        if (first >= uint(AddressSpace))
            return std::nullopt;
    }
    const int count = registerCount(address);
    if (count == 0 || uint(count) > uint(AddressSpace) - first)
        return std::nullopt;
    return quint16(first);
}

int ValueCodec::registerCount(const ControllerAddress &address)
{
    const Kind kind = kindOf(address.valueType());
    const int count = address.count();
    if (kind == Kind::None || count < 1 || count > AddressSpace)
        return 0;
    if (isPacked(kind, count))
        return (count + 1) / 2;
    return isWide(kind) ? 2 * count : count;
}

std::optional<QVector<quint16>> ValueCodec::encode(const ControllerAddress &address,
                                                   const QVariant &value, QString *errorString) const
{
    const Kind kind = kindOf(address.valueType());
    const int count = address.count();
    if (registerCount(address) == 0) {
        fail(errorString, QStringLiteral("value type %1 with %2 elements has no register form")
                              .arg(address.valueType())
                              .arg(count));
        return std::nullopt;
    }

    QVector<quint16> registers(registerCount(address), 0);
    if (kind == Kind::Text) {
        const QString text = value.toString();
        const QByteArray latin1 = text.toLatin1();
        if (!value.canConvert<QString>() || QString::fromLatin1(latin1) != text) {
            fail(errorString, QStringLiteral("%1 is no Latin-1 text").arg(value.toString()));
            return std::nullopt;
        }
        if (latin1.size() > count) {
            fail(errorString, QStringLiteral("text of %1 characters exceeds the %2 of the register")
                                  .arg(latin1.size())
                                  .arg(count));
            return std::nullopt;
        }
        for (int i = 0; i < latin1.size(); ++i)
            registers[i / 2] |= quint16(quint8(latin1.at(i)) << (i % 2 == 0 ? 8 : 0));
        return registers;
    }

    QVariantList elements;
    if (count == 1) {
        elements.append(value);
    } else if (const std::optional<QVariantList> list = elementsOf(value)) {
        elements = *list;
    }
    if (elements.size() != count) {
        fail(errorString, QStringLiteral("expected %1 elements, got %2").arg(count).arg(elements.size()));
        return std::nullopt;
    }

    for (int i = 0; i < count; ++i) {
        const std::optional<quint32> element = elementOf(kind, elements.at(i));
        if (!element) {
            fail(errorString, QStringLiteral("element %1 (%2) does not fit value type %3")
                                  .arg(i)
                                  .arg(elements.at(i).toString())
                                  .arg(address.valueType()));
            return std::nullopt;
        }
        if (isPacked(kind, count)) {
            registers[i / 2] |= quint16(*element << (i % 2 == 0 ? 8 : 0));
        } else if (isWide(kind)) {
            const quint16 high = quint16(*element >> 16);
            const quint16 low = quint16(*element & 0xFFFF);
            const bool highFirst = m_wordOrder == WordOrder::HighWordFirst;
            registers[2 * i] = highFirst ? high : low;
            registers[2 * i + 1] = highFirst ? low : high;
        } else {
            registers[i] = quint16(*element);
        }
    }
    return registers;
}

QVariant ValueCodec::decode(const ControllerAddress &address, const QVector<quint16> &registers) const
{
    const Kind kind = kindOf(address.valueType());
    const int count = address.count();
    if (registerCount(address) == 0 || registers.size() != registerCount(address))
        return QVariant();

    if (kind == Kind::Text) {
        QByteArray latin1;
        for (int i = 0; i < count; ++i) {
            const char byte = char(i % 2 == 0 ? registers.at(i / 2) >> 8 : registers.at(i / 2) & 0xFF);
            if (byte == '\0')
                break;
            latin1.append(byte);
        }
        return QString::fromLatin1(latin1);
    }

    QVector<quint32> elements(count);
    for (int i = 0; i < count; ++i) {
        if (isPacked(kind, count)) {
            elements[i] = i % 2 == 0 ? registers.at(i / 2) >> 8 : registers.at(i / 2) & 0xFF;
        } else if (isWide(kind)) {
            const quint32 first = registers.at(2 * i);
            const quint32 second = registers.at(2 * i + 1);
            elements[i] = m_wordOrder == WordOrder::HighWordFirst ? first << 16 | second
                                                                  : second << 16 | first;
        } else if (bitsOf(kind) == 8) {
            // A single byte register carries its value in the low byte.
            elements[i] = registers.at(i) & 0xFF;
        } else {
            elements[i] = registers.at(i);
        }
    }
    return count == 1 ? scalarOf(kind, elements.first()) : vectorOf(kind, elements);
}

} // namespace quelta::base::connection::chamberconnection
