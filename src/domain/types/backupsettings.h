#pragma once

#include <QtCore/QMetaType>
#include <QtCore/QString>
#include <QtCore/QTime>

class QDebug;

namespace quelta::domain::types {

// When and where the database is backed up. A null time of day means that no
// time is set.
class BackupSettings
{
public:
    BackupSettings() = default;
    BackupSettings(const QTime &timeOfDay, int interval, int dayOfX, const QString &path, const QString &password);

    QTime timeOfDay() const { return m_timeOfDay; }
    void setTimeOfDay(const QTime &time) { m_timeOfDay = time; }
    int interval() const { return m_interval; }
    void setInterval(int interval) { m_interval = interval; }
    // The day of the week or of the month, as the interval says.
    int dayOfX() const { return m_dayOfX; }
    void setDayOfX(int day) { m_dayOfX = day; }
    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }

    friend bool operator==(const BackupSettings &lhs, const BackupSettings &rhs)
    {
        return lhs.m_timeOfDay == rhs.m_timeOfDay && lhs.m_interval == rhs.m_interval
            && lhs.m_dayOfX == rhs.m_dayOfX && lhs.m_path == rhs.m_path && lhs.m_password == rhs.m_password;
    }
    friend bool operator!=(const BackupSettings &lhs, const BackupSettings &rhs) { return !(lhs == rhs); }

private:
    QTime m_timeOfDay;
    int m_interval = -1;
    int m_dayOfX = 0;
    QString m_path;
    QString m_password;
};

// Never prints the password.
QDebug operator<<(QDebug debug, const BackupSettings &settings);

} // namespace quelta::domain::types

Q_DECLARE_METATYPE(quelta::domain::types::BackupSettings)
