#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QObject>

class QDebug;

namespace quelta::domain::types {

// Which backups are kept when old ones are cleaned up.
class BackupCleanupSettings
{
    Q_GADGET

public:
    enum KeepStrategy : int {
        ALL = 0,
        KEEP_N_BACKUPS = 1,
        KEEP_N_DAYS = 2
    };
    Q_ENUM(KeepStrategy)

    BackupCleanupSettings() = default;
    // keepCount counts backups or days, as the strategy says.
    BackupCleanupSettings(KeepStrategy strategy, int keepCount);

    KeepStrategy strategy() const { return m_strategy; }
    void setStrategy(KeepStrategy strategy) { m_strategy = strategy; }
    int keepCount() const { return m_keepCount; }
    void setKeepCount(int count) { m_keepCount = count; }

    friend bool operator==(const BackupCleanupSettings &lhs, const BackupCleanupSettings &rhs)
    {
        return lhs.m_strategy == rhs.m_strategy && lhs.m_keepCount == rhs.m_keepCount;
    }
    friend bool operator!=(const BackupCleanupSettings &lhs, const BackupCleanupSettings &rhs)
    {
        return !(lhs == rhs);
    }

private:
    KeepStrategy m_strategy = ALL;
    int m_keepCount = 0;
};

QDebug operator<<(QDebug debug, const BackupCleanupSettings &settings);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::BackupCleanupSettings)
