#include "socatptypair.h"

#include <QtCore/QDeadlineTimer>
#include <QtCore/QFileInfo>
#include <QtTest/QSignalSpy>

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr int StopTimeoutMs = 5000;

} // namespace

bool SocatPtyPair::start()
{
    if (!m_directory.isValid())
        return false;
    // -d -d reports the start of the transfer loop, once both ends exist.
    m_process.start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"),
                                              QStringLiteral("pty,raw,echo=0,link=") + firstEnd(),
                                              QStringLiteral("pty,raw,echo=0,link=") + secondEnd()});
    QSignalSpy output(&m_process, &QProcess::readyReadStandardError);
    const QDeadlineTimer deadline(StartTimeoutMs);
    QByteArray errors;
    while (!errors.contains("starting data transfer loop")) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        output.wait(int(deadline.remainingTime()));
        errors += m_process.readAllStandardError();
    }
    return QFileInfo::exists(firstEnd()) && QFileInfo::exists(secondEnd());
}

void SocatPtyPair::cut()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    qRegisterMetaType<QProcess::ExitStatus>();
    QSignalSpy finished(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    m_process.kill();
    finished.wait(StopTimeoutMs);
}
