#include "support/interruptingconnection.h"

#include "connection/database/core/sqlcipherdriver.h"

#include <QtSql/QSqlDatabase>
#include <QtSql/QSqlDriver>

#include <sqlcipher/sqlite3.h>

namespace quelta::test {

void InterruptingConnection::interrupt()
{
    const QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
    sqlite3_interrupt(database.driver()->handle().value<sqlite3 *>());
    ++m_interruptions;
}

} // namespace quelta::test
