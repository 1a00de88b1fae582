#pragma once

#include "tjvdataloggercheck.h"

namespace quelta::base::connection::chamberconnection {

// The days with a log file from from() to to() within the year of from():
// one TjvDataLoggerCheckDays per month of the range, in ascending order.
class TjvDataLoggerCheckMonths : public TjvDataLoggerCheck
{
    Q_OBJECT
public:
    TjvDataLoggerCheckMonths(const QDate &from, const QDate &to,
                             const QSharedPointer<TjvFtpConnection> &ftpConnection, QObject *parent = nullptr);

public Q_SLOTS:
    void startRequest() override;
};

} // namespace quelta::base::connection::chamberconnection
