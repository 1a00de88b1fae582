#pragma once

#include "connection/database/core/sqliteconnection.h"
#include "support/datadatabase.h"
#include "support/sqltext.h"

#include <QtCore/QTemporaryDir>

namespace quelta::test {

// A new data database (every table of dataSchema(), empty) for one test,
// opened, with statements of the test's own run directly on it.
class DataStoreFixture
{
public:
    DataStoreFixture()
        : m_data(QStringLiteral("dataStoreFixture%1").arg(++s_count))
    {
        const QString path = m_directory.filePath(QStringLiteral("data.sqlite3"));
        m_isValid = m_directory.isValid() && createDataDatabase(path).isEmpty()
            && m_data.open(path, QString(), QString(), base::connection::databaseconnection::DatabaseKey);
    }

    bool isValid() const { return m_isValid; }
    base::connection::databaseconnection::SqliteConnection &connection() { return m_data; }
    bool run(const QString &statement) { return m_data.execute(SqlText(statement)).first; }
    QVariant value(const QString &statement) { return m_data.selectValue(SqlText(statement)); }

private:
    static inline int s_count = 0;
    QTemporaryDir m_directory;
    base::connection::databaseconnection::SqliteConnection m_data;
    bool m_isValid = false;
};

} // namespace quelta::test
