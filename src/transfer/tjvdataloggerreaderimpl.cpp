#include "tjvdataloggerreaderimpl.h"

#include "tjvdatalogformat.h"
#include "tjvdataloggercheckyears.h"
#include "tjvftpconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtCore/QStringList>
#include <QtNetwork/QHostAddress>
#include <QtNetwork/QNetworkReply>

#include <algorithm>

namespace quelta::base::connection::chamberconnection {

using domain::types::ChamberSignal;
using domain::types::RecordingData;
using domain::types::Recordset;

const QString TjvDataLoggerReaderImpl::canIdIniFilePath = QStringLiteral("/Config/System/CANID.ini");
const QString TjvDataLoggerReaderImpl::logFilePathPattern = QStringLiteral("/SDMemory/DataRec/%1/%2/%3.txt");

namespace {

// Downloads running at once, each on a control connection of its own: small
// controllers serve only a few, and refuse the ones beyond.
constexpr int MaxParallelDownloads = 4;

} // namespace

struct TjvDataLoggerReaderImpl::ReadState
{
    // Its end time is the moment the read began.
    RecordingData recording;
    // The signals passed in, then one per column of the log files.
    QList<ChamberSignal> chamberSignals;
    QList<Recordset> recordsets;
    // The days with a log file that are still to be downloaded, in order.
    QList<QDate> daysToFetch;
    QList<QNetworkReply *> pendingReplies;
    // The days whose files could not be fetched, in the order their
    // downloads ended, and the error of the first of them.
    QList<QDate> failedDays;
    QString firstFetchError;
};

TjvDataLoggerReaderImpl::TjvDataLoggerReaderImpl(const QHostAddress &address, QObject *parent)
    : TjvDataLoggerReaderImpl([address] { return QSharedPointer<TjvFtpConnection>::create(address); }, parent)
{
}

TjvDataLoggerReaderImpl::TjvDataLoggerReaderImpl(FtpConnectionFactory createFtpConnection, QObject *parent)
    : QObject(parent)
    , m_createFtpConnection(std::move(createFtpConnection))
{
}

TjvDataLoggerReaderImpl::~TjvDataLoggerReaderImpl()
{
    // The connection aborts its requests as it goes, and their replies finish
    // on the spot: nothing may be left to take them up.
    m_readState.reset();
    qDeleteAll(findChildren<TjvDataLoggerCheckYears *>(QString(), Qt::FindDirectChildrenOnly));
    m_ftpConnection.reset();
}

void TjvDataLoggerReaderImpl::readDataLogger(const RecordingData &recording,
                                             const QList<ChamberSignal> &chamberSignals)
{
    if (m_readState) {
        qCWarning(lcChamberConnection) << "(TJV) Already reading data log";
        return;
    }
    m_readState = std::make_unique<ReadState>();
    m_readState->recording = recording;
    m_readState->recording.setEndTime(QDateTime::currentDateTime());
    m_readState->chamberSignals = chamberSignals;
    if (!m_ftpConnection)
        m_ftpConnection = m_createFtpConnection();
    fetchCanIdIniFile();
}

void TjvDataLoggerReaderImpl::fetchCanIdIniFile()
{
    QNetworkReply *const reply = m_ftpConnection->get(canIdIniFilePath);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { handleCanIdIni(reply); });
}

void TjvDataLoggerReaderImpl::handleCanIdIni(QNetworkReply *reply)
{
    reply->deleteLater();
    if (!m_readState)
        return;
    if (reply->error() != QNetworkReply::NoError) {
        const QString errorString = m_ftpConnection->errorString(reply);
        qCCritical(lcChamberConnection).noquote() << "(TJV) Could not fetch file CANID.ini" << errorString;
        failRead(tr("Could not fetch CANID.ini file (%1)").arg(errorString));
        return;
    }
    m_readState->chamberSignals = TjvDataLogFormat::columns(reply->readAll(), m_readState->chamberSignals);
    searchProvenDates();
}

void TjvDataLoggerReaderImpl::searchProvenDates()
{
    auto *const search = new TjvDataLoggerCheckYears(m_readState->recording.startTime().date(),
                                                     m_readState->recording.endTime().date(), m_ftpConnection, this);
    connect(search, &TjvDataLoggerCheck::validDates, this, &TjvDataLoggerReaderImpl::handleProvenDates);
    connect(search, &TjvDataLoggerCheck::failed, this, &TjvDataLoggerReaderImpl::handleSearchFailure);
    search->startRequest();
}

void TjvDataLoggerReaderImpl::handleProvenDates(const QList<QDate> &dates)
{
    if (!m_readState)
        return;
    if (dates.isEmpty()) {
        finishRead();
        return;
    }
    m_readState->daysToFetch = dates;
    std::sort(m_readState->daysToFetch.begin(), m_readState->daysToFetch.end());
    // Every request yields a reply that finishes later, so the read cannot
    // end inside this loop.
    while (m_readState->pendingReplies.size() < MaxParallelDownloads && !m_readState->daysToFetch.isEmpty())
        fetchNextLogFile();
}

// A listing that failed leaves the days unknown: the records of the others
// would pass for the whole log.
void TjvDataLoggerReaderImpl::handleSearchFailure(const QString &errorMessage)
{
    if (!m_readState)
        return;
    qCCritical(lcChamberConnection).noquote() << "(TJV) Could not list log files" << errorMessage;
    failRead(tr("Could not list log files (%1)").arg(errorMessage));
}

void TjvDataLoggerReaderImpl::fetchNextLogFile()
{
    const QDate day = m_readState->daysToFetch.takeFirst();
    const QString path = logFilePathPattern.arg(day.toString(QStringLiteral("yyyy")),
                                                 day.toString(QStringLiteral("yyyyMM")),
                                                 day.toString(QStringLiteral("yyyyMMdd")));
    QNetworkReply *const reply = m_ftpConnection->get(path);
    connect(reply, &QNetworkReply::finished, this, [this, reply, day] { handleLogData(reply, day); });
    m_readState->pendingReplies.append(reply);
    qCInfo(lcChamberConnection).noquote() << "network request for" << day.toString(Qt::TextDate);
    if (m_readState->daysToFetch.isEmpty())
        qCInfo(lcChamberConnection) << "Last network request created";
}

void TjvDataLoggerReaderImpl::handleLogData(QNetworkReply *reply, const QDate &day)
{
    reply->deleteLater();
    if (!m_readState)
        return;
    m_readState->pendingReplies.removeOne(reply);
    if (reply->error() == QNetworkReply::NoError) {
        m_readState->recordsets.append(
                TjvDataLogFormat::recordsets(reply->readAll(), m_readState->chamberSignals, m_readState->recording));
    } else {
        qCWarning(lcChamberConnection).noquote()
                << "(TJV) Could not fetch log file" << m_ftpConnection->errorString(reply);
        if (m_readState->failedDays.isEmpty()) {
            m_readState->firstFetchError = tr("Could not fetch log file (%1)")
                                                   .arg(reply->request().url().toString(QUrl::RemoveUserInfo));
        }
        m_readState->failedDays.append(day);
    }
    if (!m_readState->daysToFetch.isEmpty()) {
        fetchNextLogFile();
        return;
    }
    if (!m_readState->pendingReplies.isEmpty())
        return;
    if (m_readState->recordsets.isEmpty() && !m_readState->failedDays.isEmpty())
        failRead(m_readState->firstFetchError);
    else
        finishRead();
}

void TjvDataLoggerReaderImpl::finishRead()
{
    RecordingData recording = m_readState->recording;
    QList<Recordset> recordsets = m_readState->recordsets;
    QStringList failedDays;
    for (const QDate &day : qAsConst(m_readState->failedDays))
        failedDays.append(day.toString(Qt::ISODate));
    resetReadState();
    if (recordsets.isEmpty()) {
        Q_EMIT finishedIncomplete(recording, recordsets, tr("No Values found"));
        return;
    }
    // The files arrive in the order their downloads end.
    std::stable_sort(recordsets.begin(), recordsets.end(), [](const Recordset &lhs, const Recordset &rhs) {
        return lhs.recordTime() < rhs.recordTime();
    });
    recording.setSecondsInterval(
            recordsets.size() == 1 ? 0 : int(recordsets.at(0).recordTime().secsTo(recordsets.at(1).recordTime())));
    if (failedDays.isEmpty()) {
        Q_EMIT finished(recording, recordsets);
        return;
    }
    std::sort(failedDays.begin(), failedDays.end());
    Q_EMIT finishedIncomplete(recording, recordsets,
                              tr("Data log incomplete, could not fetch the log files of %1")
                                      .arg(failedDays.join(QStringLiteral(", "))));
}

void TjvDataLoggerReaderImpl::failRead(QString errorMessage)
{
    resetReadState();
    Q_EMIT error(errorMessage);
}

void TjvDataLoggerReaderImpl::resetReadState()
{
    m_readState.reset();
    m_ftpConnection->clearConnectionCache();
}

} // namespace quelta::base::connection::chamberconnection
