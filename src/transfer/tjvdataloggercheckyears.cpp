#include "tjvdataloggercheckyears.h"

#include "tjvdataloggercheckmonths.h"

#include <QtCore/QtGlobal>

namespace quelta::base::connection::chamberconnection {

TjvDataLoggerCheckYears::TjvDataLoggerCheckYears(const QDate &from, const QDate &to,
                                                 const QSharedPointer<TjvFtpConnection> &ftpConnection,
                                                 QObject *parent)
    : TjvDataLoggerCheck(from, to, ftpConnection, parent)
{
}

void TjvDataLoggerCheckYears::startRequest()
{
    QList<TjvDataLoggerCheck *> children;
    for (int year = from().year(); !isRangeEmpty() && year <= to().year(); ++year) {
        children.append(new TjvDataLoggerCheckMonths(qMax(QDate(year, 1, 1), from()), qMin(QDate(year, 12, 31), to()),
                                                     ftpConnection(), this));
    }
    runOneAfterAnother(children);
}

} // namespace quelta::base::connection::chamberconnection
