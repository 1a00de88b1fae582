#pragma once

#include "tjvdataloggercheck.h"

namespace quelta::base::connection::chamberconnection {

// The days with a log file from from() to to(): one TjvDataLoggerCheckMonths
// per calendar year of the range, in ascending order.
class TjvDataLoggerCheckYears : public TjvDataLoggerCheck
{
    Q_OBJECT
public:
    TjvDataLoggerCheckYears(const QDate &from, const QDate &to,
                            const QSharedPointer<TjvFtpConnection> &ftpConnection, QObject *parent = nullptr);

public Q_SLOTS:
    void startRequest() override;
};

} // namespace quelta::base::connection::chamberconnection
