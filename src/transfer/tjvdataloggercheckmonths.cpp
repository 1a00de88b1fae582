#include "tjvdataloggercheckmonths.h"

#include "tjvdataloggercheckdays.h"

#include <QtCore/QtGlobal>

namespace quelta::base::connection::chamberconnection {

TjvDataLoggerCheckMonths::TjvDataLoggerCheckMonths(const QDate &from, const QDate &to,
                                                   const QSharedPointer<TjvFtpConnection> &ftpConnection,
                                                   QObject *parent)
    : TjvDataLoggerCheck(from, to, ftpConnection, parent)
{
}

void TjvDataLoggerCheckMonths::startRequest()
{
    QList<TjvDataLoggerCheck *> children;
    const int year = from().year();
    const int lastMonth = to().year() > year ? 12 : to().month();
    for (int month = from().month(); !isRangeEmpty() && month <= lastMonth; ++month) {
        const QDate first(year, month, 1);
        const QDate last(year, month, first.daysInMonth());
        children.append(new TjvDataLoggerCheckDays(qMax(first, from()), qMin(last, to()), ftpConnection(), this));
    }
    runOneAfterAnother(children);
}

} // namespace quelta::base::connection::chamberconnection
