#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QtGlobal>

#include <ctime>

namespace quelta::test {

// Sets the time zone of the process for as long as it lives, through TZ,
// which Qt's local-time conversions read again on every call, and restores
// the zone before it afterwards.
class PinnedTimeZone
{
public:
    explicit PinnedTimeZone(const QByteArray &zone)
        : m_hadZone(qEnvironmentVariableIsSet("TZ"))
        , m_previousZone(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }

    ~PinnedTimeZone()
    {
        if (m_hadZone)
            qputenv("TZ", m_previousZone);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    Q_DISABLE_COPY_MOVE(PinnedTimeZone)

    const bool m_hadZone;
    const QByteArray m_previousZone;
};

} // namespace quelta::test
