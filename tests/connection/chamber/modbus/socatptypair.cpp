#include "socatptypair.h"

#include <QtCore/QFile>
#include <QtTest/QSignalSpy>

bool SocatPtyPair::start()
{
    QSignalSpy output(&m_process, &QProcess::readyReadStandardError);
    // -d -d reports the start of the transfer loop, once both ends exist.
    m_process.start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"),
                                              QStringLiteral("pty,raw,echo=0,link=") + firstEnd(),
                                              QStringLiteral("pty,raw,echo=0,link=") + secondEnd()});
    QByteArray errors;
    while (!errors.contains("starting data transfer loop")) {
        if (m_process.state() == QProcess::NotRunning || !output.wait(10000))
            return false;
        errors += m_process.readAllStandardError();
    }
    return true;
}

void SocatPtyPair::cut()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
    // A killed socat leaves its links behind, and the pseudo-terminal numbers
    // they name go to the next pair that any process opens.
    QFile::remove(firstEnd());
    QFile::remove(secondEnd());
}
