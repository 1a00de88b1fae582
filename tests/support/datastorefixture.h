#pragma once

#include "connection/database/core/sqliteconnection.h"
#include "support/datadatabase.h"
#include "support/sqltext.h"

#include <QtCore/QTemporaryDir>

#include <functional>

namespace quelta::test {

// A new data database (every table of dataSchema(), empty) for one test,
// opened, with statements of the test's own run directly on it.
class DataStoreFixture
{
public:
    DataStoreFixture()
        : DataStoreFixture([](const QString &path) { return createDataDatabase(path); })
    {
    }

    // The catalogue and the data tables in one file, as this program keeps them.
    explicit DataStoreFixture(const CatalogueContent &catalogue)
        : DataStoreFixture([&catalogue](const QString &path) { return createDataDatabaseWithCatalogue(path, catalogue); })
    {
    }

    bool isValid() const { return m_isValid; }
    base::connection::databaseconnection::SqliteConnection &connection() { return m_data; }
    bool run(const QString &statement) { return m_data.execute(SqlText(statement)).first; }
    QVariant value(const QString &statement) { return m_data.selectValue(SqlText(statement)); }

private:
    explicit DataStoreFixture(const std::function<QString(const QString &path)> &create)
        : m_data(QStringLiteral("dataStoreFixture%1").arg(++s_count))
    {
        const QString path = m_directory.filePath(QStringLiteral("data.sqlite3"));
        m_isValid = m_directory.isValid() && create(path).isEmpty()
            && m_data.open(path, QString(), QString(), base::connection::databaseconnection::DatabaseKey);
    }

    static inline int s_count = 0;
    QTemporaryDir m_directory;
    base::connection::databaseconnection::SqliteConnection m_data;
    bool m_isValid = false;
};

} // namespace quelta::test
