#pragma once

#include <QtCore/QDate>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QSharedPointer>

namespace quelta::base::connection::chamberconnection {

class TjvFtpConnection;

// One level of the search for the days from() to to(), both included, that
// have a log file on a TJV controller: years split the range into months,
// months into the directory listings of single months.
//
// Each object is started once, reports once through validDates() or failed()
// followed by finished(), and then deletes itself later. A level runs its
// children one after the other, each started by the finished() of the one
// before, and reports the dates of all of them once the last has reported.
// A child that fails makes its level fail at once: the children after it are
// not started, and no dates are reported. A range that is empty or has an
// invalid end is reported as an empty list inside startRequest(), without
// any listing.
//
// The objects, their replies and the FTP connection live on one thread; the
// chaining uses direct connections.
class TjvDataLoggerCheck : public QObject
{
    Q_OBJECT
public:
    QDate from() const { return m_from; }
    QDate to() const { return m_to; }

Q_SIGNALS:
    void validDates(const QList<QDate> &dates);
    // The search could not tell which days have a file.
    void failed(const QString &errorMessage);
    void finished();

public Q_SLOTS:
    virtual void startRequest() = 0;

protected:
    TjvDataLoggerCheck(const QDate &from, const QDate &to, const QSharedPointer<TjvFtpConnection> &ftpConnection,
                       QObject *parent);

    bool isRangeEmpty() const;
    QSharedPointer<TjvFtpConnection> ftpConnection() const { return m_ftpConnection; }

    // Runs the children one after the other and reports what they found; no
    // child reports an empty list at once.
    void runOneAfterAnother(const QList<TjvDataLoggerCheck *> &children);
    void report(const QList<QDate> &dates);
    void reportFailure(const QString &errorMessage);

private:
    void handleValidDates(TjvDataLoggerCheck *child, const QList<QDate> &dates);
    void handleFailure(TjvDataLoggerCheck *child, const QString &errorMessage);

    const QDate m_from;
    const QDate m_to;
    QList<QDate> m_dates;
    QList<TjvDataLoggerCheck *> m_children;
    const QSharedPointer<TjvFtpConnection> m_ftpConnection;
};

} // namespace quelta::base::connection::chamberconnection
