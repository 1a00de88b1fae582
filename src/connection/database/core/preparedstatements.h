#pragma once

#include <QtCore/QSharedPointer>
#include <QtCore/QString>

#include <vector>

class QSqlDriver;
class QSqlError;

namespace quelta::base::connection::databaseconnection {

class SqlCipherResult;

// The prepared statements of one connection, kept for reuse by their text,
// most recently used first. The stores run a few dozen texts again and again,
// and parsing a statement costs more than running it.
//
// A statement is handed out for one operation at a time; a text that is
// still in use (a selectEach() function running it again) gets a statement
// of its own. Not thread-safe: SqliteConnection calls it under its mutex.
class PreparedStatements
{
public:
    // One statement for the duration of one operation; hands it back when it
    // goes out of scope.
    class Handle
    {
    public:
        Handle() = default;
        Handle(Handle &&other) noexcept;
        Handle &operator=(Handle &&other) noexcept;
        ~Handle();

        SqlCipherResult *operator->() const { return m_statement.data(); }
        SqlCipherResult &operator*() const { return *m_statement; }
        explicit operator bool() const { return !m_statement.isNull(); }

    private:
        friend class PreparedStatements;
        Q_DISABLE_COPY(Handle)

        Handle(PreparedStatements *owner, QSharedPointer<SqlCipherResult> statement);
        void reset();

        PreparedStatements *m_owner = nullptr;
        QSharedPointer<SqlCipherResult> m_statement;
    };

    explicit PreparedStatements(int capacity);
    ~PreparedStatements();

    // A statement for the text on the driver's open database; an empty handle
    // when the driver is not ours or the text does not prepare, with the
    // reason in error.
    Handle acquire(QSqlDriver *driver, const QString &text, QSqlError *error);
    // Forgets every statement, before the database closes. One that is in use
    // goes when its handle does.
    void clear();

private:
    Q_DISABLE_COPY_MOVE(PreparedStatements)

    struct Entry
    {
        QString text;
        QSharedPointer<SqlCipherResult> statement;
        bool inUse = false;
    };

    void release(const QSharedPointer<SqlCipherResult> &statement);

    const std::size_t m_capacity;
    std::vector<Entry> m_entries;
};

} // namespace quelta::base::connection::databaseconnection
