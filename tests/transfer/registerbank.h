#pragma once

#include "connection/chamber/core/valuecodec.h"
#include "domain/types/controlleraddress.h"

#include <QtCore/QVariant>
#include <QtCore/QVector>

// The holding registers of a simulated controller, all 65536 of them, with
// typed access through the project's own value codec, so that the bench and
// the connections agree on every wire format.
class RegisterBank
{
public:
    using ValueCodec = quelta::base::connection::chamberconnection::ValueCodec;
    using ControllerAddress = quelta::domain::types::ControllerAddress;

    explicit RegisterBank(const ValueCodec &codec = ValueCodec());

    const ValueCodec &codec() const { return m_codec; }

    quint16 at(quint16 address) const { return m_registers.at(address); }
    QVector<quint16> registers(quint16 first, int count) const;
    void setRegisters(quint16 first, const QVector<quint16> &values);

    // Invalid for a descriptor without register form.
    QVariant value(const ControllerAddress &address) const;
    // False, changing nothing, when the value does not fit the descriptor.
    bool setValue(const ControllerAddress &address, const QVariant &value);

private:
    ValueCodec m_codec;
    QVector<quint16> m_registers;
};

// What a simulated controller does when registers are written or read.
class ControllerModel
{
public:
    virtual ~ControllerModel() = default;

    // After one item of a write request stored its registers.
    virtual void written(RegisterBank &bank, quint16 first, int count) = 0;
    // Before the registers of one item of a read request are read.
    virtual void aboutToRead(RegisterBank &bank, quint16 first, int count) = 0;
};
