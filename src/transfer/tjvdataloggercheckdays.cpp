#include "tjvdataloggercheckdays.h"

#include "tjvftpconnection.h"

#include "connection/chamber/core/chamberconnectionlogging.h"

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
// order; a day named twice counts once, so that its file is read once.
QList<QDate> daysInListing(const QByteArray &listing, const QDate &from, const QDate &to)
{
    QList<QDate> days;
    const QStringList names = QString::fromUtf8(listing).split(QLatin1Char(';'));
    for (const QString &name : names) {
        if (!name.endsWith(QLatin1String(".txt")) && !name.endsWith(QLatin1String(".TXT")))
            continue;
        const QDate day = QDate::fromString(name.left(8), QStringLiteral("yyyyMMdd"));
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

void TjvDataLoggerCheckDays::handleResponse()
{
    m_reply->deleteLater();
    if (m_reply->error() != QNetworkReply::NoError) {
        qCDebug(lcChamberConnection).noquote() << "(TJV) No log files:" << ftpConnection()->errorString(m_reply);
        report({});
        return;
    }
    report(daysInListing(m_reply->readAll(), from(), to()));
}

} // namespace quelta::base::connection::chamberconnection
