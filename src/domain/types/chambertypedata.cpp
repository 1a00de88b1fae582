#include "domain/types/chambertypedata.h"

#include <QtCore/QDebug>

#include <algorithm>

namespace quelta::domain::types {

ChamberTypeData::ChamberTypeData(const ChamberTypeKey &key, const QString &typeName, const QString &eLevel, int size,
                                 const QString &voltage, const QString &image, const QString &description,
                                 const QString &firmwareStart, const QString &firmwareEnd,
                                 const QString &setupIdentifier, int setupVersionStart, int setupVersionEnd,
                                 const QString &programIdentifier, const QString &articleNumber, const QString &info,
                                 const QString &controller, const QList<int> &interfaces,
                                 const QMap<int, ChamberSignal> &signalMap,
                                 const QMap<int, ControlSignal> &controlSignals, const QList<ChamberOption> &options,
                                 const QList<ChamberOption> &additionalOptions)
    : m_key(key)
    , m_typeName(typeName)
    , m_eLevel(eLevel)
    , m_size(size)
    , m_voltage(voltage)
    , m_image(image)
    , m_description(description)
    , m_firmwareStart(firmwareStart)
    , m_firmwareEnd(firmwareEnd)
    , m_setupIdentifier(setupIdentifier)
    , m_setupVersionStart(setupVersionStart)
    , m_setupVersionEnd(setupVersionEnd)
    , m_programIdentifier(programIdentifier)
    , m_articleNumber(articleNumber)
    , m_info(info)
    , m_controller(controller)
    , m_interfaces(interfaces)
    , m_signals(signalMap)
    , m_controlSignals(controlSignals)
    , m_options(options)
    , m_additionalOptions(additionalOptions)
{
}

bool ChamberTypeData::hasInterface(std::initializer_list<int> kinds) const
{
    return std::any_of(kinds.begin(), kinds.end(), [this](int kind) { return m_interfaces.contains(kind); });
}

bool ChamberTypeData::hasOption(const QString &name) const
{
    return std::any_of(m_options.cbegin(), m_options.cend(),
                       [&name](const ChamberOption &option) { return option.name() == name; });
}

bool ChamberTypeData::isSerial() const
{
    return hasInterface({1, 5, 7});
}

bool ChamberTypeData::requiresModbusAddress() const
{
    return hasInterface({1, 2, 6, 7});
}

QString ChamberTypeData::displayName() const
{
    QString name = m_typeName;
    if (m_size > 0)
        name += QLatin1Char(' ') + QString::number(m_size);
    if (!m_eLevel.isEmpty())
        name += QLatin1Char(' ') + m_eLevel;
    return name;
}

bool ChamberTypeData::hasTimeProgram() const
{
    return hasOption(QStringLiteral("TimeProgram")) || hasOption(QStringLiteral("TimeProgram_QUELTA_4"));
}

bool ChamberTypeData::hasReadableDataStorage() const
{
    return hasOption(QStringLiteral("Readable_DataStorage"));
}

bool ChamberTypeData::hasOperatingModeSwitching() const
{
    return hasOption(QStringLiteral("OperatingModeSwitching"));
}

bool ChamberTypeData::isProgramDelayedStartable() const
{
    return hasOperatingModeSwitching() && m_controller != QLatin1String("ZK4");
}

bool operator==(const ChamberTypeData &lhs, const ChamberTypeData &rhs)
{
    return lhs.m_key == rhs.m_key && lhs.m_typeName == rhs.m_typeName && lhs.m_eLevel == rhs.m_eLevel
        && lhs.m_size == rhs.m_size && lhs.m_voltage == rhs.m_voltage && lhs.m_image == rhs.m_image
        && lhs.m_description == rhs.m_description && lhs.m_firmwareStart == rhs.m_firmwareStart
        && lhs.m_firmwareEnd == rhs.m_firmwareEnd && lhs.m_setupIdentifier == rhs.m_setupIdentifier
        && lhs.m_setupVersionStart == rhs.m_setupVersionStart && lhs.m_setupVersionEnd == rhs.m_setupVersionEnd
        && lhs.m_programIdentifier == rhs.m_programIdentifier && lhs.m_articleNumber == rhs.m_articleNumber
        && lhs.m_info == rhs.m_info && lhs.m_controller == rhs.m_controller
        && lhs.m_interfaces == rhs.m_interfaces && lhs.m_signals == rhs.m_signals
        && lhs.m_controlSignals == rhs.m_controlSignals && lhs.m_options == rhs.m_options
        && lhs.m_additionalOptions == rhs.m_additionalOptions;
}

QDebug operator<<(QDebug debug, const ChamberTypeData &type)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberTypeData(" << type.key() << ", " << type.displayName() << ", controller "
                    << type.controller() << ", interfaces " << type.interfaces() << ", " << type.signals().size()
                    << " signals)";
    return debug;
}

} // namespace quelta::domain::types
