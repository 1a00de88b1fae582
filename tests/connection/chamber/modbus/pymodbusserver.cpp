#include "pymodbusserver.h"

#include <QtCore/QDeadlineTimer>
#include <QtCore/QVector>
#include <QtTest/QSignalSpy>

namespace {

constexpr int StartTimeoutMs = 15000;
constexpr int StopTimeoutMs = 5000;

} // namespace

PymodbusServer::PymodbusServer(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<QProcess::ExitStatus>();
}

PymodbusServer::~PymodbusServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // The server ends when its stdin closes.
    QSignalSpy finished(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished));
    m_process.closeWriteChannel();
    if (!finished.wait(StopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(StopTimeoutMs);
    }
}

bool PymodbusServer::start(Framing framing, int unitId, int startAddress,
                           const QVector<quint16> &words)
{
    QByteArray hex;
    for (const quint16 word : words)
        hex += QByteArray::number(word | 0x10000, 16).mid(1);

    const QString python = qEnvironmentVariable("PYTHON3", QStringLiteral("/usr/bin/python3"));
    const QStringList arguments{
        QStringLiteral(QUELTA_TEST_SOURCE_DIR "/peers/pymodbus_server.py"),
        QStringLiteral("--framer"),
        framing == Framing::Tcp ? QStringLiteral("tcp") : QStringLiteral("rtu"),
        QStringLiteral("--unit"),
        QString::number(unitId),
        QStringLiteral("--registers"),
        QString::number(startAddress) + QLatin1Char(':') + QString::fromLatin1(hex),
    };
    m_process.start(python, arguments);

    QSignalSpy output(&m_process, &QProcess::readyReadStandardOutput);
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        output.wait(int(deadline.remainingTime()));
    }
    const QByteArray line = m_process.readLine().trimmed();
    if (!line.startsWith("PORT "))
        return false;
    m_port = quint16(line.mid(5).toUInt());
    return m_port != 0;
}

QString PymodbusServer::errors()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError());
}
