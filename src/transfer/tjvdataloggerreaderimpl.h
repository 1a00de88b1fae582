#pragma once

#include "domain/types/chambersignal.h"
#include "domain/types/recordingdata.h"
#include "domain/types/recordset.h"

#include <QtCore/QDate>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>
#include <QtCore/QString>

#include <functional>
#include <memory>

class QHostAddress;
class QNetworkReply;

namespace quelta::base::connection::chamberconnection {

class TjvFtpConnection;

// Reads the data log of one TJV controller on the thread it lives on, the
// data-log thread; TjvDataLoggerReader reaches it only through queued
// connections.
//
// A read fetches the column description, searches the days from the
// recording's start to now that have a log file, downloads those files in
// day order, at most four at a time, and ends in exactly one signal:
// - finished() with all records in time order;
// - finishedIncomplete() with the records in time order and why they are not
//   the whole log: "No Values found" when no day has a file or the files hold
//   no record, the days whose files could not be fetched when others gave
//   records;
// - error() when there is no column description, when the days cannot be
//   searched (a listing fails otherwise than for a missing directory), or
//   when no file could be fetched and none gave a record.
// One read at a time; a read asked for while one runs is ignored.
//
// The FTP connection is created on this thread at the first read and kept;
// its session ends with every read, so the next read logs in afresh.
class TjvDataLoggerReaderImpl : public QObject
{
    Q_OBJECT
public:
    static const QString canIdIniFilePath;
    // Filled with the day as "yyyy", "yyyyMM" and "yyyyMMdd".
    static const QString logFilePathPattern;

    // Called on the worker's thread at the first read.
    using FtpConnectionFactory = std::function<QSharedPointer<TjvFtpConnection>()>;

    explicit TjvDataLoggerReaderImpl(const QHostAddress &address, QObject *parent = nullptr);
    explicit TjvDataLoggerReaderImpl(FtpConnectionFactory createFtpConnection, QObject *parent = nullptr);
    ~TjvDataLoggerReaderImpl() override;

Q_SIGNALS:
    void finished(const quelta::domain::types::RecordingData &recording,
                  const QList<quelta::domain::types::Recordset> &recordsets);
    void finishedIncomplete(const quelta::domain::types::RecordingData &recording,
                            const QList<quelta::domain::types::Recordset> &recordsets,
                            const QString &errorMessage);
    void error(const QString &errorMessage = tr("Unknown Error"));

public Q_SLOTS:
    void readDataLogger(const quelta::domain::types::RecordingData &recording,
                        const QList<quelta::domain::types::ChamberSignal> &chamberSignals);

private:
    struct ReadState;

    void fetchCanIdIniFile();
    void handleCanIdIni(QNetworkReply *reply);
    void searchProvenDates();
    void handleProvenDates(const QList<QDate> &dates);
    void handleSearchFailure(const QString &errorMessage);
    void fetchNextLogFile();
    void handleLogData(QNetworkReply *reply, const QDate &day);

    // Each ends the read before it reports.
    void finishRead();
    // By value: the message may live in the read state.
    void failRead(QString errorMessage);
    void resetReadState();

    const FtpConnectionFactory m_createFtpConnection;
    QSharedPointer<TjvFtpConnection> m_ftpConnection;
    std::unique_ptr<ReadState> m_readState;
};

} // namespace quelta::base::connection::chamberconnection
