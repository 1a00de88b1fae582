#include "pymodbusserver.h"

#include <QtTest/QSignalSpy>

PymodbusServer::~PymodbusServer()
{
    // Should this process die first, the server ends as its stdin closes.
    m_process.kill();
    m_process.waitForFinished();
}

bool PymodbusServer::startTcp(Framing framing, int unitId, int startAddress, const QVector<quint16> &words)
{
    const QByteArray line = run({"--framer", framing == Framing::Tcp ? "tcp" : "rtu"}, unitId, startAddress, words);
    m_port = line.startsWith("PORT ") ? quint16(line.mid(5).toUInt()) : 0;
    return m_port != 0;
}

bool PymodbusServer::startSerial(const QString &device, int unitId, int startAddress,
                                 const QVector<quint16> &words)
{
    return run({"--device", device}, unitId, startAddress, words) == "READY";
}

QByteArray PymodbusServer::run(QStringList arguments, int unitId, int startAddress, const QVector<quint16> &words)
{
    QByteArray hex;
    for (const quint16 word : words)
        hex += QByteArray::number(word | 0x10000, 16).mid(1);
    arguments.prepend(QStringLiteral(QUELTA_TEST_SOURCE_DIR "/peers/pymodbus_server.py"));
    arguments << "--unit" << QString::number(unitId) << "--registers"
              << QString::number(startAddress) + ':' + QString::fromLatin1(hex);
    QSignalSpy output(&m_process, &QProcess::readyReadStandardOutput);
    m_process.start(qEnvironmentVariable("PYTHON3", "/usr/bin/python3"), arguments);
    while (!m_process.canReadLine() && m_process.state() != QProcess::NotRunning) {
        if (!output.wait(15000))
            return QByteArray();
    }
    return m_process.readLine().trimmed();
}
