#pragma once

#include "domain/types/controlleraddress.h"
#include "domain/types/unit.h"
#include "domain/types/userlevel.h"

#include <QtCore/QMetaType>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>
#include <QtGui/QColor>

#include <limits>

class QDebug;

namespace quelta::domain::types {

// One signal of a chamber type: how it is shown, who may see and change it,
// its role, and the descriptors through which it is read and written in the
// basic, manual and automatic operating modes.
class ChamberSignal
{
public:
    // The signals of one catalogue read share their set-point signals and
    // descriptors, so these are read-only: a caller that needs a changed one
    // sets a changed copy.
    using SignalPointer = QSharedPointer<const ChamberSignal>;
    using AddressPointer = QSharedPointer<const ControllerAddress>;

    // From the catalogue's signal-type texts "process_value", "set_point",
    // "set_point_process_value" and the empty text.
    enum SignalType : int {
        ProcessValue = 0,
        SetPoint = 1,
        SetPointProcessValue = 2,
        NoSignalType = 3
    };

    static constexpr float NoLowerLimit = std::numeric_limits<float>::lowest();
    static constexpr float NoUpperLimit = std::numeric_limits<float>::max();

    ChamberSignal() = default;
    ChamberSignal(int id, const QString &name, int unit, const QColor &color, int decimalPlaces, UserLevel userLevel,
                  float limitMin, float limitMax, int bitPosition, int signalType,
                  const SignalPointer &setPointSignal, bool timeProgrammable, bool weekProgrammable,
                  const AddressPointer &readAddress, const AddressPointer &writeBasicAddress,
                  const AddressPointer &writeManualAddress, const AddressPointer &writeAutoAddress);

    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    int unit() const { return m_unit; }
    void setUnit(int unit) { m_unit = unit; }
    QColor color() const { return m_color; }
    void setColor(const QColor &color) { m_color = color; }
    int decimalPlaces() const { return m_decimalPlaces; }
    void setDecimalPlaces(int decimalPlaces) { m_decimalPlaces = decimalPlaces; }
    UserLevel userLevel() const { return m_userLevel; }
    void setUserLevel(UserLevel level) { m_userLevel = level; }
    float limitMin() const { return m_limitMin; }
    void setLimitMin(float limit) { m_limitMin = limit; }
    float limitMax() const { return m_limitMax; }
    void setLimitMax(float limit) { m_limitMax = limit; }
    // -1 when the signal is not one bit of a register.
    int bitPosition() const { return m_bitPosition; }
    void setBitPosition(int bitPosition) { m_bitPosition = bitPosition; }
    // One of SignalType.
    int signalType() const { return m_signalType; }
    void setSignalType(int signalType) { m_signalType = signalType; }
    SignalPointer setPointSignal() const { return m_setPointSignal; }
    void setSetPointSignal(const SignalPointer &signal) { m_setPointSignal = signal; }
    bool isTimeProgrammable() const { return m_timeProgrammable; }
    void setTimeProgrammable(bool programmable) { m_timeProgrammable = programmable; }
    bool isWeekProgrammable() const { return m_weekProgrammable; }
    void setWeekProgrammable(bool programmable) { m_weekProgrammable = programmable; }

    // Null when the signal cannot be read, or cannot be written in that mode.
    AddressPointer readAddress() const { return m_readAddress; }
    void setReadAddress(const AddressPointer &address) { m_readAddress = address; }
    AddressPointer writeBasicAddress() const { return m_writeBasicAddress; }
    void setWriteBasicAddress(const AddressPointer &address) { m_writeBasicAddress = address; }
    AddressPointer writeManualAddress() const { return m_writeManualAddress; }
    void setWriteManualAddress(const AddressPointer &address) { m_writeManualAddress = address; }
    AddressPointer writeAutoAddress() const { return m_writeAutoAddress; }
    void setWriteAutoAddress(const AddressPointer &address) { m_writeAutoAddress = address; }

    // In this order: a BOOL unit is digital; a signal without any descriptor
    // is not; one bit of a register is; otherwise the signal is digital when
    // every descriptor it has carries bool values.
    bool isDigital() const;
    bool isWritable() const;
    // Below the advanced user level and without any write descriptor.
    bool isReadOnly() const;

    // Compares every field; the set-point signal and the descriptors by
    // content.
    friend bool operator==(const ChamberSignal &lhs, const ChamberSignal &rhs);
    friend bool operator!=(const ChamberSignal &lhs, const ChamberSignal &rhs) { return !(lhs == rhs); }

private:
    int m_id = -1;
    QString m_name;
    int m_unit = Unit::None;
    QColor m_color;
    int m_decimalPlaces = 0;
    UserLevel m_userLevel = UserLevel(0);
    float m_limitMin = NoLowerLimit;
    float m_limitMax = NoUpperLimit;
    int m_bitPosition = -1;
    int m_signalType = NoSignalType;
    SignalPointer m_setPointSignal;
    bool m_timeProgrammable = false;
    bool m_weekProgrammable = false;
    AddressPointer m_readAddress;
    AddressPointer m_writeBasicAddress;
    AddressPointer m_writeManualAddress;
    AddressPointer m_writeAutoAddress;
};

QDebug operator<<(QDebug debug, const ChamberSignal &signal);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberSignal)
