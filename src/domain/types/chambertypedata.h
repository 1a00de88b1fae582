#pragma once

#include "domain/types/chamberoption.h"
#include "domain/types/chambersignal.h"
#include "domain/types/chambertypekey.h"
#include "domain/types/controlsignal.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QMetaType>
#include <QtCore/QString>

class QDebug;

namespace quelta::domain::types {

// One chamber type of the catalogue (one article variant of it). The default
// record is what a lookup returns for a type that the catalogue does not hold.
class ChamberTypeData
{
public:
    ChamberTypeData() = default;
    ChamberTypeData(const ChamberTypeKey &key, const QString &typeName, const QString &eLevel, int size,
                    const QString &voltage, const QString &image, const QString &description,
                    const QString &firmwareStart, const QString &firmwareEnd, const QString &setupIdentifier,
                    int setupVersionStart, int setupVersionEnd, const QString &programIdentifier,
                    const QString &articleNumber, const QString &info, const QString &controller,
                    const QList<int> &interfaces, const QMap<int, ChamberSignal> &signalMap,
                    const QMap<int, ControlSignal> &controlSignals, const QList<ChamberOption> &options,
                    const QList<ChamberOption> &additionalOptions);

    ChamberTypeKey key() const { return m_key; }
    quint64 chamberTypeId() const { return m_key.chamberTypeId(); }
    quint64 additionalInfoId() const { return m_key.additionalInfoId(); }
    QString typeName() const { return m_typeName; }
    QString eLevel() const { return m_eLevel; }
    // Below 1 when the type has no size.
    int size() const { return m_size; }
    QString voltage() const { return m_voltage; }
    QString image() const { return m_image; }
    QString description() const { return m_description; }
    QString firmwareStart() const { return m_firmwareStart; }
    QString firmwareEnd() const { return m_firmwareEnd; }
    QString setupIdentifier() const { return m_setupIdentifier; }
    int setupVersionStart() const { return m_setupVersionStart; }
    int setupVersionEnd() const { return m_setupVersionEnd; }
    QString programIdentifier() const { return m_programIdentifier; }
    QString articleNumber() const { return m_articleNumber; }
    QString info() const { return m_info; }
    // The controller's name, such as "ZK4".
    QString controller() const { return m_controller; }
    // The connection kinds (1 to 8) that the type supports.
    QList<int> interfaces() const { return m_interfaces; }
    // By signal id, so they iterate in ascending id order.
    QMap<int, ChamberSignal> signals() const { return m_signals; }
    void setSignals(const QMap<int, ChamberSignal> &signalMap) { m_signals = signalMap; }
    QMap<int, ControlSignal> controlSignals() const { return m_controlSignals; }
    void setControlSignals(const QMap<int, ControlSignal> &controlSignals) { m_controlSignals = controlSignals; }
    QList<ChamberOption> options() const { return m_options; }
    QList<ChamberOption> additionalOptions() const { return m_additionalOptions; }

    // Reachable over a serial line (kinds 1, 5 and 7).
    bool isSerial() const;
    // Needs a Modbus unit address (kinds 1, 2, 6 and 7).
    bool requiresModbusAddress() const;
    // The type name, then the size when it is above 0, then the E-level when
    // there is one, separated by blanks.
    QString displayName() const;
    bool hasTimeProgram() const;
    bool hasReadableDataStorage() const;
    bool hasOperatingModeSwitching() const;
    // Operating-mode switching on any controller but the ZK4.
    bool isProgramDelayedStartable() const;

    friend bool operator==(const ChamberTypeData &lhs, const ChamberTypeData &rhs);
    friend bool operator!=(const ChamberTypeData &lhs, const ChamberTypeData &rhs) { return !(lhs == rhs); }

private:
    bool hasOption(const QString &name) const;
    bool hasInterface(std::initializer_list<int> kinds) const;

    ChamberTypeKey m_key;
    QString m_typeName;
    QString m_eLevel;
    int m_size = -1;
    QString m_voltage;
    QString m_image;
    QString m_description;
    QString m_firmwareStart;
    QString m_firmwareEnd;
    QString m_setupIdentifier;
    int m_setupVersionStart = -1;
    int m_setupVersionEnd = -1;
    QString m_programIdentifier;
    QString m_articleNumber;
    QString m_info;
    QString m_controller;
    QList<int> m_interfaces;
    QMap<int, ChamberSignal> m_signals;
    QMap<int, ControlSignal> m_controlSignals;
    QList<ChamberOption> m_options;
    QList<ChamberOption> m_additionalOptions;
};

QDebug operator<<(QDebug debug, const ChamberTypeData &type);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberTypeData)
