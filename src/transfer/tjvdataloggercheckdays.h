#pragma once

#include "tjvdataloggercheck.h"

class QNetworkReply;

namespace quelta::base::connection::chamberconnection {

// The days from() to to() that have a log file in the directory of the month
// of from(): "/SDMemory/DataRec/<yyyy>/<yyyyMM>", whose files are named by
// their day, "<yyyyMMdd>.txt" or "<yyyyMMdd>.TXT". A directory that is not
// there (550) has no such day; any other failure of the listing fails.
class TjvDataLoggerCheckDays : public TjvDataLoggerCheck
{
    Q_OBJECT
public:
    TjvDataLoggerCheckDays(const QDate &from, const QDate &to,
                           const QSharedPointer<TjvFtpConnection> &ftpConnection, QObject *parent = nullptr);

public Q_SLOTS:
    void startRequest() override;

private Q_SLOTS:
    void handleResponse();

private:
    QNetworkReply *m_reply = nullptr;
};

} // namespace quelta::base::connection::chamberconnection
