#include "tjvdataloggercheck.h"

#include "tjvftpconnection.h"

#include <utility>

namespace quelta::base::connection::chamberconnection {

TjvDataLoggerCheck::TjvDataLoggerCheck(const QDate &from, const QDate &to,
                                       const QSharedPointer<TjvFtpConnection> &ftpConnection, QObject *parent)
    : QObject(parent)
    , m_from(from)
    , m_to(to)
    , m_ftpConnection(ftpConnection)
{
}

bool TjvDataLoggerCheck::isRangeEmpty() const
{
    // An invalid date counts as the year 0 and would ask for two thousand
    // years of listings.
    return !m_from.isValid() || !m_to.isValid() || m_from > m_to;
}

void TjvDataLoggerCheck::runOneAfterAnother(const QList<TjvDataLoggerCheck *> &children)
{
    if (children.isEmpty()) {
        report({});
        return;
    }
    m_children = children;
    for (int i = 0; i < children.size(); ++i) {
        TjvDataLoggerCheck *child = children.at(i);
        connect(child, &TjvDataLoggerCheck::validDates, this,
                [this, child](const QList<QDate> &dates) { handleValidDates(child, dates); });
        connect(child, &TjvDataLoggerCheck::failed, this,
                [this, child](const QString &errorMessage) { handleFailure(child, errorMessage); });
        if (i + 1 < children.size())
            connect(child, &TjvDataLoggerCheck::finished, children.at(i + 1), &TjvDataLoggerCheck::startRequest);
    }
    children.first()->startRequest();
}

void TjvDataLoggerCheck::report(const QList<QDate> &dates)
{
    deleteLater();
    Q_EMIT validDates(dates);
    Q_EMIT finished();
}

void TjvDataLoggerCheck::reportFailure(const QString &errorMessage)
{
    deleteLater();
    Q_EMIT failed(errorMessage);
    Q_EMIT finished();
}

void TjvDataLoggerCheck::handleFailure(TjvDataLoggerCheck *child, const QString &errorMessage)
{
    // The children after it have not started; gone, they never will.
    m_children.removeOne(child);
    qDeleteAll(std::exchange(m_children, {}));
    reportFailure(errorMessage);
}

void TjvDataLoggerCheck::handleValidDates(TjvDataLoggerCheck *child, const QList<QDate> &dates)
{
    m_dates.append(dates);
    m_children.removeOne(child);
    if (m_children.isEmpty())
        report(m_dates);
}

} // namespace quelta::base::connection::chamberconnection
