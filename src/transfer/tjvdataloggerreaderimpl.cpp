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

struct TjvDataLoggerReaderImpl::ReadState
{
    // Its end time is the moment the read began.
    RecordingData recording;
    // The signals passed in, then one per column of the log files.
    QList<ChamberSignal> chamberSignals;
    QList<Recordset> recordsets;
    QList<QNetworkReply *> pendingReplies;
    QStringList errorTexts;
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
    search->startRequest();
}

void TjvDataLoggerReaderImpl::handleProvenDates(const QList<QDate> &dates)
{
    if (!m_readState)
        return;
    if (dates.isEmpty()) {
        finishReadWithoutValues();
        return;
    }
    // Every request yields a reply that finishes later, so the read cannot
    // end inside this loop.
    for (const QDate &day : dates)
        fetchLogFile(day);
}

void TjvDataLoggerReaderImpl::fetchLogFile(const QDate &day)
{
    const QString path = logFilePathPattern.arg(day.toString(QStringLiteral("yyyy")),
                                                 day.toString(QStringLiteral("yyyyMM")),
                                                 day.toString(QStringLiteral("yyyyMMdd")));
    QNetworkReply *const reply = m_ftpConnection->get(path);
    connect(reply, &QNetworkReply::finished, this, [this, reply] { handleLogData(reply); });
    m_readState->pendingReplies.append(reply);
    qCInfo(lcChamberConnection).noquote() << "network request for" << day.toString(Qt::TextDate);
    if (day == m_readState->recording.startTime().date())
        qCInfo(lcChamberConnection) << "Last network request created";
}

void TjvDataLoggerReaderImpl::handleLogData(QNetworkReply *reply)
{
    reply->deleteLater();
    if (!m_readState)
        return;
    m_readState->pendingReplies.removeOne(reply);
    if (reply->error() == QNetworkReply::NoError) {
        m_readState->recordsets.append(
                TjvDataLogFormat::recordsets(reply->readAll(), m_readState->chamberSignals, m_readState->recording));
    } else {
        m_readState->errorTexts.append(tr("Could not fetch log file (%1)")
                                               .arg(reply->request().url().toString(QUrl::RemoveUserInfo)));
    }
    if (!m_readState->pendingReplies.isEmpty())
        return;
    if (!m_readState->recordsets.isEmpty())
        finishRead();
    else if (!m_readState->errorTexts.isEmpty())
        failRead(m_readState->errorTexts.first());
    else
        finishReadWithoutValues();
}

void TjvDataLoggerReaderImpl::finishRead()
{
    RecordingData recording = m_readState->recording;
    QList<Recordset> recordsets = m_readState->recordsets;
    resetReadState();
    // The files arrive in the order their downloads end.
    std::stable_sort(recordsets.begin(), recordsets.end(), [](const Recordset &lhs, const Recordset &rhs) {
        return lhs.recordTime() < rhs.recordTime();
    });
    recording.setSecondsInterval(
            recordsets.size() == 1 ? 0 : int(recordsets.at(0).recordTime().secsTo(recordsets.at(1).recordTime())));
    Q_EMIT finished(recording, recordsets);
}

void TjvDataLoggerReaderImpl::finishReadWithoutValues()
{
    const RecordingData recording = m_readState->recording;
    resetReadState();
    Q_EMIT finished(recording, {});
    Q_EMIT error(tr("No Values found"));
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
