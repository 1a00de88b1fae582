#include "socatptypair.h"

#include <QtCore/QDeadlineTimer>
#include <QtCore/QFileInfo>
#include <QtTest/QSignalSpy>

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr int StopTimeoutMs = 5000;

} // namespace

SocatPtyPair::SocatPtyPair(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<QProcess::ExitStatus>();
}

SocatPtyPair::~SocatPtyPair()
{
    cut();
}

bool SocatPtyPair::start()
{
    if (!m_directory.isValid())
        return false;
    // -d -d reports the start of the transfer loop, once both ends exist.
    m_process.start(QStringLiteral("socat"),
                    {QStringLiteral("-d"), QStringLiteral("-d"),
                     QStringLiteral("pty,raw,echo=0,link=") + firstEnd(),
                     QStringLiteral("pty,raw,echo=0,link=") + secondEnd()});

    QSignalSpy output(&m_process, &QProcess::readyReadStandardError);
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_errors.contains(QStringLiteral("starting data transfer loop"))) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        output.wait(int(deadline.remainingTime()));
        m_errors += QString::fromLocal8Bit(m_process.readAllStandardError());
    }
    return QFileInfo::exists(firstEnd()) && QFileInfo::exists(secondEnd());
}

QString SocatPtyPair::firstEnd() const
{
    return m_directory.filePath(QStringLiteral("first"));
}

QString SocatPtyPair::secondEnd() const
{
    return m_directory.filePath(QStringLiteral("second"));
}

void SocatPtyPair::cut()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    QSignalSpy finished(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    m_process.terminate();
    if (!finished.wait(StopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(StopTimeoutMs);
    }
}
