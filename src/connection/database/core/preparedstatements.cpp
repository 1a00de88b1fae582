#include "connection/database/core/preparedstatements.h"

#include "connection/database/core/sqlcipherdriver.h"
#include "connection/database/core/sqlcipherresult.h"

#include <QtCore/QCoreApplication>
#include <QtSql/QSqlError>

#include <algorithm>
#include <utility>

namespace quelta::base::connection::databaseconnection {

PreparedStatements::Handle::Handle(PreparedStatements *owner,
                                   QSharedPointer<SqlCipherResult> statement)
    : m_owner(owner)
    , m_statement(std::move(statement))
{
}

PreparedStatements::Handle::Handle(Handle &&other) noexcept
    : m_owner(std::exchange(other.m_owner, nullptr))
    , m_statement(std::move(other.m_statement))
{
}

PreparedStatements::Handle &PreparedStatements::Handle::operator=(Handle &&other) noexcept
{
    if (this != &other) {
        reset();
        m_owner = std::exchange(other.m_owner, nullptr);
        m_statement = std::move(other.m_statement);
    }
    return *this;
}

PreparedStatements::Handle::~Handle()
{
    reset();
}

void PreparedStatements::Handle::reset()
{
    if (m_owner && m_statement)
        m_owner->release(m_statement);
    m_owner = nullptr;
    m_statement.reset();
}

PreparedStatements::PreparedStatements(int capacity)
    : m_capacity(std::size_t(qMax(capacity, 1)))
{
    m_entries.reserve(m_capacity);
}

PreparedStatements::~PreparedStatements() = default;

PreparedStatements::Handle PreparedStatements::acquire(QSqlDriver *driver, const QString &text,
                                                       QSqlError *error)
{
    const auto cached = std::find_if(m_entries.begin(), m_entries.end(), [&text](const Entry &entry) {
        return !entry.inUse && entry.text == text;
    });
    if (cached != m_entries.end()) {
        cached->inUse = true;
        std::rotate(m_entries.begin(), cached, cached + 1);
        return Handle(this, m_entries.front().statement);
    }

    const auto *cipherDriver = qobject_cast<const SqlCipherDriver *>(driver);
    if (!cipherDriver) {
        *error = QSqlError(
            QCoreApplication::translate("PreparedStatements", "Unable to prepare the statement"),
            QCoreApplication::translate("PreparedStatements", "The database has no %1 driver")
                .arg(SqlCipherDriver::driverName()),
            QSqlError::StatementError);
        return Handle();
    }
    QSharedPointer<SqlCipherResult> statement(
        static_cast<SqlCipherResult *>(cipherDriver->createResult()));
    if (!statement->prepareStatement(text)) {
        *error = statement->error();
        return Handle();
    }

    if (m_entries.size() >= m_capacity) {
        // Make room by dropping the least recently used statement that is
        // not in use; when every one is, this statement is not kept.
        const auto idle = std::find_if(m_entries.rbegin(), m_entries.rend(),
                                       [](const Entry &entry) { return !entry.inUse; });
        if (idle == m_entries.rend())
            return Handle(this, statement);
        m_entries.erase(std::next(idle).base());
    }
    m_entries.insert(m_entries.begin(), Entry{text, statement, true});
    return Handle(this, statement);
}

void PreparedStatements::clear()
{
    m_entries.clear();
}

void PreparedStatements::release(const QSharedPointer<SqlCipherResult> &statement)
{
    statement->release();
    for (Entry &entry : m_entries) {
        if (entry.statement == statement) {
            entry.inUse = false;
            return;
        }
    }
}

} // namespace quelta::base::connection::databaseconnection
