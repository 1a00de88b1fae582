#pragma once

#include "support/recordingconnection.h"

#include <QtCore/QRegularExpression>

#include <atomic>

namespace quelta::test {

// Passes every call on and keeps the statements, as RecordingConnection
// does, and interrupts each read whose statement text matches a pattern once
// it has given a number of rows, as sqlite3_interrupt() does when a long read
// is cancelled: the statement fails at its next step, and so does every
// other statement of the handle that is running then. With a number of
// reads, only that many are interrupted, the first ones.
class InterruptingConnection : public RecordingConnection
{
public:
    static constexpr int EveryRead = -1;

    // connectionName names the Qt SQL connection behind target, whose
    // sqlite3 handle is interrupted from the thread that it belongs to.
    InterruptingConnection(ISqlConnection &target, const QString &connectionName, const QString &pattern,
                           int rowsBefore, int reads = EveryRead)
        : RecordingConnection(target)
        , m_connectionName(connectionName)
        , m_pattern(pattern)
        , m_rowsBefore(rowsBefore)
        , m_reads(reads)
    {
    }

    int interruptions() const { return m_interruptions; }

    // Read row by row like the others, and as empty as the target gives it
    // when the read fails.
    QList<Row> select(const Query &query) override
    {
        QList<Row> rows;
        if (!selectEach(query, [&rows](const Row &row, int) { rows.append(row); }))
            return {};
        return rows;
    }
    bool selectEach(const Query &query, const RowFunction &function) override
    {
        return RecordingConnection::selectEach(query, interrupting(query, function));
    }
    bool selectEachView(const Query &query, const RowViewFunction &function) override
    {
        return RecordingConnection::selectEachView(query, interrupting(query, function));
    }

private:
    template<typename Function>
    Function interrupting(const Query &query, const Function &function)
    {
        if (m_interruptions == m_reads || !m_pattern.match(query.getQuery()).hasMatch())
            return function;
        return [this, function](const auto &row, int rowIndex) {
            function(row, rowIndex);
            if (rowIndex + 1 == m_rowsBefore)
                interrupt();
        };
    }
    void interrupt();

    const QString m_connectionName;
    const QRegularExpression m_pattern;
    const int m_rowsBefore;
    const int m_reads;
    // Read by the calls of other threads that pass through.
    std::atomic<int> m_interruptions{0};
};

} // namespace quelta::test
