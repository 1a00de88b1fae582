#pragma once

#include "tjvdataloggerreaderimpl.h"

#include "domain/api/idataloggerreader.h"

#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QThread>

class QHostAddress;

namespace quelta::base::connection::chamberconnection {

// The data-log reader of TJV controllers. It stays on the thread that created
// it and hands each read to its worker, a TjvDataLoggerReaderImpl on the
// data-log thread, whose results come back through queued connections.
//
// The worker is created only when the data-log thread runs; a reader without
// one, or whose thread has ended since, refuses every read, as it refuses a
// read while its last one has not ended. An accepted read ends in finished(),
// in error(), or in finished() followed by error() when the records are not
// the whole log: without records as error("No Values found"), with records
// as an error that names the days whose files could not be fetched. A read
// whose thread ends under it ends in error("Unknown Error").
//
// The worker goes with the reader or with its thread, whichever ends first.
class TjvDataLoggerReader : public QObject, public domain::api::IDataLoggerReader
{
    Q_OBJECT
    Q_INTERFACES(quelta::domain::api::IDataLoggerReader)
public:
    TjvDataLoggerReader(const QHostAddress &address, const QPointer<QThread> &workerThread,
                        QObject *parent = nullptr);
    // The worker creates its FTP connection through createFtpConnection, on
    // its thread, so that it may reach a server on another port.
    TjvDataLoggerReader(const TjvDataLoggerReaderImpl::FtpConnectionFactory &createFtpConnection,
                        const QPointer<QThread> &workerThread, QObject *parent = nullptr);

    // secondDataset is not used: these controllers keep one log.
    [[nodiscard]] bool readDataLogger(const domain::types::RecordingData &recording,
                                      const QList<domain::types::ChamberSignal> &chamberSignals,
                                      bool secondDataset) override;

Q_SIGNALS:
    void finished(const quelta::domain::types::RecordingData &recording,
                  const QList<quelta::domain::types::Recordset> &recordsets) override;
    void error(const QString &errorMessage = tr("Unknown Error")) override;
    void startReadingDataLogger(const quelta::domain::types::RecordingData &recording,
                                const QList<quelta::domain::types::ChamberSignal> &chamberSignals);

private:
    bool isWorkerThreadRunning() const;
    void attachWorker(TjvDataLoggerReaderImpl *worker);
    void forwardFinished(const domain::types::RecordingData &recording,
                         const QList<domain::types::Recordset> &recordsets);
    void forwardFinishedIncomplete(const domain::types::RecordingData &recording,
                                   const QList<domain::types::Recordset> &recordsets, const QString &errorMessage);
    void forwardError(const QString &errorMessage);
    void onWorkerThreadFinished();

    const QPointer<QThread> m_workerThread;
    QPointer<TjvDataLoggerReaderImpl> m_worker;
    bool m_reading = false;
};

} // namespace quelta::base::connection::chamberconnection
