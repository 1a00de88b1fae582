#pragma once

#include <QtCore/QProcess>
#include <QtCore/QString>
#include <QtCore/QTemporaryDir>

// A serial line for tests: Debian's socat joins two pseudo-terminals, whose
// slave devices are reached under two links in a temporary directory. What
// one end writes, the other reads.
class SocatPtyPair
{
public:
    ~SocatPtyPair() { cut(); }

    // Starts socat and waits until both ends exist.
    bool start();
    QString firstEnd() const { return m_directory.filePath(QStringLiteral("first")); }
    QString secondEnd() const { return m_directory.filePath(QStringLiteral("second")); }
    // Ends socat, which closes both pseudo-terminals: to whoever holds an
    // end, the cable has been cut.
    void cut();

private:
    QTemporaryDir m_directory;
    QProcess m_process;
};
