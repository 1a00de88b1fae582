#include "tjvdataloggercheckdays.h"

#include "tjvftpconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

#include <QtCore/QRegularExpression>
#include <QtCore/QStringList>
#include <QtNetwork/QNetworkReply>

namespace quelta::base::connection::chamberconnection {

namespace {

QString monthDirectory(const QDate &date)
{
    return QStringLiteral("/SDMemory/DataRec/%1/%2")
            .arg(date.toString(QStringLiteral("yyyy")), date.toString(QStringLiteral("yyyyMM")));
}

// The days from..to named in a listing of names joined by ";", in listing
// order; a day named twice counts once, so that its file is read once. A day
// file is named by exactly eight digits: QDate::fromString alone would also
// take "202202+4" for 4 February.
QList<QDate> daysInListing(const QByteArray &listing, const QDate &from, const QDate &to)
{
    static const QRegularExpression dayFileName(
            QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{8})\\.(txt|TXT)")));
    QList<QDate> days;
    const QStringList names = QString::fromUtf8(listing).split(QLatin1Char(';'));
    for (const QString &name : names) {
        const QRegularExpressionMatch match = dayFileName.match(name);
        if (!match.hasMatch())
            continue;
        const QDate day = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
        if (day.isValid() && day >= from && day <= to && !days.contains(day))
            days.append(day);
    }
    return days;
}

} // namespace

TjvDataLoggerCheckDays::TjvDataLoggerCheckDays(const QDate &from, const QDate &to,
                                               const QSharedPointer<TjvFtpConnection> &ftpConnection,
                                               QObject *parent)
    : TjvDataLoggerCheck(from, to, ftpConnection, parent)
{
}

void TjvDataLoggerCheckDays::startRequest()
{
    if (isRangeEmpty()) {
        report({});
        return;
    }
    m_reply = ftpConnection()->list(monthDirectory(from()));
    connect(m_reply, &QNetworkReply::finished, this, &TjvDataLoggerCheckDays::handleResponse);
}

// Only a directory that is not there holds no day: a listing that fails
// otherwise, a silent controller's above all, leaves the days unknown.
void TjvDataLoggerCheckDays::handleResponse()
{
    m_reply->deleteLater();
    const QString errorString = ftpConnection()->errorString(m_reply);
    switch (m_reply->error()) {
    case QNetworkReply::NoError:
        report(daysInListing(m_reply->readAll(), from(), to()));
        return;
    case QNetworkReply::ContentNotFoundError:
        qCDebug(lcChamberConnection).noquote() << "(TJV) No log files:" << errorString;
        report({});
        return;
    default:
        qCWarning(lcChamberConnection).noquote() << "(TJV) Could not list log files:" << errorString;
        reportFailure(errorString);
        return;
    }
}

} // namespace quelta::base::connection::chamberconnection
