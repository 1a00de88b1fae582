#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QStringList>

class QDebug;

namespace quelta::domain::types {

// One option of a chamber type, such as "TimeProgram"; fix options cannot be
// switched off.
class ChamberOption
{
public:
    ChamberOption() = default;
    ChamberOption(const QString &name, bool fix);

    QString name() const { return m_name; }
    bool fix() const { return m_fix; }

    friend bool operator==(const ChamberOption &lhs, const ChamberOption &rhs)
    {
        return lhs.m_name == rhs.m_name && lhs.m_fix == rhs.m_fix;
    }
    friend bool operator!=(const ChamberOption &lhs, const ChamberOption &rhs) { return !(lhs == rhs); }

private:
    QString m_name;
    bool m_fix = false;
};

// The option names of the catalogue, in their fixed order (22 entries).
const QStringList &chamberOptionNames();

QDebug operator<<(QDebug debug, const ChamberOption &option);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::ChamberOption)
