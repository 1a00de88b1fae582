#pragma once

#include <QtCore/QObject>
#include <QtCore/QProcess>
#include <QtCore/QString>
#include <QtCore/QTemporaryDir>

// A serial line for tests: Debian's socat joins two pseudo-terminals, whose
// slave devices are reached under two links in a temporary directory. What
// one end writes, the other reads.
class SocatPtyPair : public QObject
{
    Q_OBJECT

public:
    explicit SocatPtyPair(QObject *parent = nullptr);
    ~SocatPtyPair() override;

    // Starts socat and waits until both ends exist.
    bool start();
    QString firstEnd() const;
    QString secondEnd() const;
    // Ends socat, which closes both pseudo-terminals: to whoever holds an
    // end, the cable has been cut.
    void cut();
    // What socat printed on stderr, to explain a failed start.
    QString errors() const { return m_errors; }

private:
    QTemporaryDir m_directory;
    QProcess m_process;
    QString m_errors;
};
