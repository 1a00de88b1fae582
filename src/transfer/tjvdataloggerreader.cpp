#include "tjvdataloggerreader.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtNetwork/QHostAddress>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::RecordingData;
using domain::types::Recordset;

TjvDataLoggerReader::TjvDataLoggerReader(const QHostAddress &address, const QPointer<QThread> &workerThread,
                                         QObject *parent)
    : QObject(parent)
    , m_workerThread(workerThread)
{
    if (isWorkerThreadRunning())
        attachWorker(new TjvDataLoggerReaderImpl(address));
}

TjvDataLoggerReader::TjvDataLoggerReader(const TjvDataLoggerReaderImpl::FtpConnectionFactory &createFtpConnection,
                                         const QPointer<QThread> &workerThread, QObject *parent)
    : QObject(parent)
    , m_workerThread(workerThread)
{
    if (isWorkerThreadRunning())
        attachWorker(new TjvDataLoggerReaderImpl(createFtpConnection));
}

bool TjvDataLoggerReader::readDataLogger(const RecordingData &recording, const QList<ChamberSignal> &chamberSignals,
                                         bool secondDataset)
{
    Q_UNUSED(secondDataset)
    if (!m_worker || !isWorkerThreadRunning()) {
        qCWarning(lcChamberConnection) << "(TJV) No running thread to read the data log on";
        return false;
    }
    if (m_reading) {
        qCWarning(lcChamberConnection) << "(TJV) Already reading data log";
        return false;
    }
    m_reading = true;
    Q_EMIT startReadingDataLogger(recording, chamberSignals);
    return true;
}

bool TjvDataLoggerReader::isWorkerThreadRunning() const
{
    return m_workerThread && m_workerThread->isRunning();
}

void TjvDataLoggerReader::attachWorker(TjvDataLoggerReaderImpl *worker)
{
    worker->moveToThread(m_workerThread);
    m_worker = worker;
    // Both deletions are carried out on the worker's thread: the thread's end
    // is signalled there, and the reader's end is queued to it.
    connect(m_workerThread, &QThread::finished, worker, &QObject::deleteLater);
    connect(this, &QObject::destroyed, worker, &QObject::deleteLater, Qt::QueuedConnection);
    connect(m_workerThread, &QThread::finished, this, &TjvDataLoggerReader::onWorkerThreadFinished,
            Qt::QueuedConnection);
    connect(this, &TjvDataLoggerReader::startReadingDataLogger, worker, &TjvDataLoggerReaderImpl::readDataLogger,
            Qt::QueuedConnection);
    connect(worker, &TjvDataLoggerReaderImpl::finished, this, &TjvDataLoggerReader::forwardFinished,
            Qt::QueuedConnection);
    connect(worker, &TjvDataLoggerReaderImpl::finishedIncomplete, this,
            &TjvDataLoggerReader::forwardFinishedIncomplete, Qt::QueuedConnection);
    connect(worker, &TjvDataLoggerReaderImpl::error, this, &TjvDataLoggerReader::forwardError,
            Qt::QueuedConnection);
}

void TjvDataLoggerReader::forwardFinished(const RecordingData &recording, const QList<Recordset> &recordsets)
{
    m_reading = false;
    Q_EMIT finished(recording, recordsets);
}

// The records first, then what they lack; the read ends with the error, so a
// read asked for in between is refused.
void TjvDataLoggerReader::forwardFinishedIncomplete(const RecordingData &recording,
                                                    const QList<Recordset> &recordsets, const QString &errorMessage)
{
    const QPointer<TjvDataLoggerReader> self(this);
    Q_EMIT finished(recording, recordsets);
    if (self)
        forwardError(errorMessage);
}

void TjvDataLoggerReader::forwardError(const QString &errorMessage)
{
    m_reading = false;
    Q_EMIT error(errorMessage);
}

void TjvDataLoggerReader::onWorkerThreadFinished()
{
    // The worker's own results were queued before the thread's end.
    if (!m_reading)
        return;
    qCCritical(lcChamberConnection) << "(TJV) The data-log thread ended during a read";
    m_reading = false;
    Q_EMIT error(tr("Unknown Error"));
}

} // namespace quelta::base::connection::chamberconnection
