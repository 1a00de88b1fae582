#pragma once

#include "tjvdataloggercheck.h"

#include <QtCore/QByteArray>
#include <QtCore/QString>

class QNetworkReply;

namespace quelta::base::connection::chamberconnection {

// The days from() to to() that have a log file in the directory of the month
// of from(): "/SDMemory/DataRec/<yyyy>/<yyyyMM>", whose files are named by
// their day, "<yyyyMMdd>...", and end in ".txt" or ".TXT". A directory that
// cannot be listed has no such day.
class TjvDataLoggerCheckDays : public TjvDataLoggerCheck
{
    Q_OBJECT
public:
    TjvDataLoggerCheckDays(const QDate &from, const QDate &to,
                           const QSharedPointer<TjvFtpConnection> &ftpConnection, QObject *parent = nullptr);

    static QString monthDirectory(const QDate &date);
    // The days from..to named in a listing of names joined by ";", in listing
    // order; a day named twice counts once, so that its file is read once.
    static QList<QDate> daysInListing(const QByteArray &listing, const QDate &from, const QDate &to);

public Q_SLOTS:
    void startRequest() override;

private Q_SLOTS:
    void handleResponse();

private:
    QNetworkReply *m_reply = nullptr;
};

} // namespace quelta::base::connection::chamberconnection
