#include "registerbank.h"

RegisterBank::RegisterBank(const ValueCodec &codec)
    : m_codec(codec)
    , m_registers(0x10000, 0)
{
}

QVector<quint16> RegisterBank::registers(quint16 first, int count) const
{
    return m_registers.mid(first, count);
}

void RegisterBank::setRegisters(quint16 first, const QVector<quint16> &values)
{
    std::copy(values.begin(), values.begin() + qMin(values.size(), m_registers.size() - first),
              m_registers.begin() + first);
}

QVariant RegisterBank::value(const ControllerAddress &address) const
{
    const std::optional<quint16> first = ValueCodec::registerAddress(address);
    return first ? m_codec.decode(address, registers(*first, ValueCodec::registerCount(address))) : QVariant();
}

bool RegisterBank::setValue(const ControllerAddress &address, const QVariant &value)
{
    const std::optional<quint16> first = ValueCodec::registerAddress(address);
    const std::optional<QVector<quint16>> encoded = m_codec.encode(address, value);
    if (!first || !encoded)
        return false;
    setRegisters(*first, *encoded);
    return true;
}
