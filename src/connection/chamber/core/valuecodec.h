#pragma once

#include "domain/types/controlleraddress.h"

#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QVariant>
#include <QtCore/QVector>

#include <optional>

namespace quelta::base::connection::chamberconnection {

// Turns the value of a register descriptor into 16-bit Modbus registers and
// back, by the descriptor's value type and element count; the type of the
// QVariant handed in only has to convert without loss.
//
//   Bool, Short, UShort, Int10   one register per element
//   UChar, Char, count 1         one register, the value in its low byte
//   UChar, Char, count n > 1     two bytes per register, high byte first
//   Int, UInt, Float             two registers per element, in wordOrder()
//   QString, count n             n Latin-1 characters, two per register, high
//                                byte first, padded with NUL
//
// A count of 1 stands for one value (bool, char, uchar, short, ushort, int,
// uint, float, Int10); a larger count for a QVector of that type. Integers
// take any value that fits their width as signed or unsigned number and go
// out as its bit pattern, so a negative delay can fill a UInt register.
// Other value types have no register form.
class ValueCodec
{
    Q_GADGET

public:
    // The order of the two 16-bit halves of a 32-bit value on the wire.
    enum class WordOrder { HighWordFirst, LowWordFirst };
    Q_ENUM(WordOrder)
    static constexpr WordOrder DefaultWordOrder = WordOrder::HighWordFirst;

    explicit ValueCodec(WordOrder wordOrder = DefaultWordOrder);

    WordOrder wordOrder() const { return m_wordOrder; }

    // The first register: the address text read as a hexadecimal number,
    // with or without "0x". Empty when it is no register address or the
    // values would run past the last register.
    static std::optional<quint16> registerAddress(const domain::types::ControllerAddress &address);
    // The registers that the descriptor's values occupy; 0 when its value
    // type or count has no register form.
    static int registerCount(const domain::types::ControllerAddress &address);

    // Empty, with a reason in errorString, when the value does not fit.
    std::optional<QVector<quint16>> encode(const domain::types::ControllerAddress &address,
                                           const QVariant &value, QString *errorString = nullptr) const;
    // An invalid QVariant when registers is not registerCount() long or the
    // value type has no register form.
    QVariant decode(const domain::types::ControllerAddress &address,
                    const QVector<quint16> &registers) const;

    friend bool operator==(const ValueCodec &lhs, const ValueCodec &rhs)
    {
        return lhs.m_wordOrder == rhs.m_wordOrder;
    }
    friend bool operator!=(const ValueCodec &lhs, const ValueCodec &rhs) { return !(lhs == rhs); }

private:
    WordOrder m_wordOrder;
};

} // namespace quelta::base::connection::chamberconnection
