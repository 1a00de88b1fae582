#pragma once

#include "domain/api/isqlconnection.h"
#include "domain/api/isqlquery.h"

#include <QtCore/QMutex>
#include <QtCore/QStringList>

namespace quelta::test {

// Passes every call on to another connection and keeps the text of each
// statement that a store runs through it, so that tests can count them. A
// table lookup is kept as "tableExists <table>". Calls may come from several
// threads.
class RecordingConnection : public domain::api::ISqlConnection
{
public:
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

    bool open(const QString &path, const QString &userName, const QString &password, const QString &key,
              OpenMode mode) override
    {
        return m_target.open(path, userName, password, key, mode);
    }
    void close() override { m_target.close(); }
    QPair<bool, quint64> execute(const domain::api::ISqlQuery &query) override
    {
        record(query.getQuery());
        return m_target.execute(query);
    }
    bool executeTransaction(const QList<QSharedPointer<domain::api::ISqlQuery>> &queries) override
    {
        for (const QSharedPointer<domain::api::ISqlQuery> &query : queries)
            record(query ? query->getQuery() : QStringLiteral("(null)"));
        return m_target.executeTransaction(queries);
    }
    QList<Row> select(const domain::api::ISqlQuery &query) override
    {
        record(query.getQuery());
        return m_target.select(query);
    }
    void selectEach(const domain::api::ISqlQuery &query, const RowFunction &function) override
    {
        record(query.getQuery());
        m_target.selectEach(query, function);
    }
    QList<QVariant> selectColumn(const domain::api::ISqlQuery &query) override
    {
        record(query.getQuery());
        return m_target.selectColumn(query);
    }
    Row selectRow(const domain::api::ISqlQuery &query) override
    {
        record(query.getQuery());
        return m_target.selectRow(query);
    }
    QVariant selectValue(const domain::api::ISqlQuery &query) override
    {
        record(query.getQuery());
        return m_target.selectValue(query);
    }
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
    void record(const QString &statement)
    {
        QMutexLocker locker(&m_mutex);
        m_statements.append(statement.trimmed());
    }

    ISqlConnection &m_target;
    mutable QMutex m_mutex;
    QStringList m_statements;
};

} // namespace quelta::test
