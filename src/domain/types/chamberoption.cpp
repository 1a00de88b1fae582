#include "domain/types/chamberoption.h"

#include <QtCore/QDebug>

namespace quelta::domain::types {

namespace {

constexpr int OptionNameCount = 22;

QStringList buildOptionNames()
{
    QStringList names{QStringLiteral("TimeProgram"), QStringLiteral("TimeProgram_QUELTA_4"),
                      QStringLiteral("Readable_DataStorage"), QStringLiteral("OperatingModeSwitching")};
    // The remaining slots of the vocabulary are held by numbered options until
    // the catalogue names them.
    for (int slot = names.size() + 1; slot <= OptionNameCount; ++slot)
        names.append(QStringLiteral("Option%1").arg(slot, 2, 10, QLatin1Char('0')));
    return names;
}

} // namespace

ChamberOption::ChamberOption(const QString &name, bool fix)
    : m_name(name)
    , m_fix(fix)
{
}

const QStringList &chamberOptionNames()
{
    static const QStringList names = buildOptionNames();
    return names;
}

QDebug operator<<(QDebug debug, const ChamberOption &option)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "ChamberOption(" << option.name() << (option.fix() ? ", fix)" : ")");
    return debug;
}

} // namespace quelta::domain::types
