#pragma once

#include "domain/api/isqlconnection.h"
#include "domain/api/isqlquery.h"

#include <QtCore/QMutex>
#include <QtCore/QStringList>

namespace quelta::test {

// Passes every call on to another connection and keeps the text of each
// statement that a store runs through it, so that tests can count them. A
// table lookup is kept as "tableExists <table>", the version lookup as
// "databaseVersion" and the emptying as "emptyAllTables". Calls may come from
// several threads; mostStatementsAtOnce() tells whether they overlapped.
class RecordingConnection : public domain::api::ISqlConnection
{
public:
    using Query = domain::api::ISqlQuery;

    explicit RecordingConnection(ISqlConnection &target)
        : m_target(target)
    {
    }

    QStringList statements() const
    {
        QMutexLocker locker(&m_mutex);
        return m_statements;
    }
    void clear()
    {
        QMutexLocker locker(&m_mutex);
        m_statements.clear();
    }
    // The most statements that were passed on and not yet answered at once.
    int mostStatementsAtOnce() const
    {
        QMutexLocker locker(&m_mutex);
        return m_mostAtOnce;
    }

    bool open(const QString &path, const QString &user, const QString &password, const QString &key,
              OpenMode mode) override
    {
        return m_target.open(path, user, password, key, mode);
    }
    void close() override { m_target.close(); }
    QPair<bool, quint64> execute(const Query &query) override { return m_target.execute(recorded(query)); }
    QPair<bool, quint64> executeBound(const Query &query, const BindFunction &bind) override
    {
        return m_target.executeBound(recorded(query), bind);
    }
    bool executeTransaction(const QList<QSharedPointer<Query>> &queries) override
    {
        for (const QSharedPointer<Query> &query : queries)
            record(query ? query->getQuery() : QStringLiteral("(null)"));
        return m_target.executeTransaction(queries);
    }
    // The statements of work come back through this connection and are kept
    // like any other.
    bool executeInTransaction(const std::function<bool()> &work) override
    {
        return m_target.executeInTransaction(work);
    }
    QList<Row> select(const Query &query) override { return m_target.select(recorded(query)); }
    bool selectEach(const Query &query, const RowFunction &function) override
    {
        return m_target.selectEach(recorded(query), function);
    }
    bool selectEachView(const Query &query, const RowViewFunction &function) override
    {
        return m_target.selectEachView(recorded(query), function);
    }
    QList<QVariant> selectColumn(const Query &query) override { return m_target.selectColumn(recorded(query)); }
    Row selectRow(const Query &query) override { return m_target.selectRow(recorded(query)); }
    QVariant selectValue(const Query &query) override { return m_target.selectValue(recorded(query)); }
    bool tableExists(const QString &table) override
    {
        record(QStringLiteral("tableExists ") + table);
        return m_target.tableExists(table);
    }
    int databaseVersion() override
    {
        record(QStringLiteral("databaseVersion"));
        return m_target.databaseVersion();
    }
    void emptyAllTables() override
    {
        record(QStringLiteral("emptyAllTables"));
        m_target.emptyAllTables();
    }

private:
    // Stands for the query, and counts it as under way, until the end of the
    // full expression that passes it on.
    class Visit
    {
    public:
        Visit(RecordingConnection &connection, const Query &query)
            : m_connection(connection)
            , m_query(query)
        {
            QMutexLocker locker(&m_connection.m_mutex);
            m_connection.m_mostAtOnce = qMax(m_connection.m_mostAtOnce, ++m_connection.m_underWay);
        }
        ~Visit()
        {
            QMutexLocker locker(&m_connection.m_mutex);
            --m_connection.m_underWay;
        }
        Q_DISABLE_COPY_MOVE(Visit)
        operator const Query &() const { return m_query; }

    private:
        RecordingConnection &m_connection;
        const Query &m_query;
    };

    void record(const QString &statement)
    {
        QMutexLocker locker(&m_mutex);
        m_statements.append(statement.trimmed());
    }
    Visit recorded(const Query &query)
    {
        record(query.getQuery());
        return Visit(*this, query);
    }

    ISqlConnection &m_target;
    mutable QMutex m_mutex;
    QStringList m_statements;
    int m_underWay = 0;
    int m_mostAtOnce = 0;
};

} // namespace quelta::test
