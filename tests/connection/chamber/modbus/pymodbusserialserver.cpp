#include "pymodbusserialserver.h"

#include <QtCore/QDeadlineTimer>
#include <QtTest/QSignalSpy>

namespace {

constexpr int StartTimeoutMs = 15000;
constexpr int StopTimeoutMs = 5000;

} // namespace

PymodbusSerialServer::PymodbusSerialServer(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<QProcess::ExitStatus>();
}

PymodbusSerialServer::~PymodbusSerialServer()
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

bool PymodbusSerialServer::start(const QString &device, int unitId, int startAddress,
                                 const QVector<quint16> &words)
{
    QByteArray hex;
    for (const quint16 word : words)
        hex += QByteArray::number(word | 0x10000, 16).mid(1);

    const QString python = qEnvironmentVariable("PYTHON3", QStringLiteral("/usr/bin/python3"));
    m_process.start(python, {QStringLiteral(QUELTA_TEST_SOURCE_DIR "/peers/pymodbus_serial_server.py"),
                             QStringLiteral("--device"), device, QStringLiteral("--unit"),
                             QString::number(unitId), QStringLiteral("--registers"),
                             QString::number(startAddress) + QLatin1Char(':') + QString::fromLatin1(hex)});

    QSignalSpy output(&m_process, &QProcess::readyReadStandardOutput);
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!m_process.canReadLine()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        output.wait(int(deadline.remainingTime()));
    }
    return m_process.readLine().trimmed() == "READY";
}

QString PymodbusSerialServer::errors()
{
    return QString::fromLocal8Bit(m_process.readAllStandardError());
}
