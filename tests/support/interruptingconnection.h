#pragma once

#include "support/recordingconnection.h"

#include <QtCore/QRegularExpression>

namespace quelta::test {

// Passes every call on and keeps the statements, as RecordingConnection
// does, and interrupts each row-by-row read whose statement text matches a
// pattern once it has given a number of rows, as sqlite3_interrupt() does
// when a long read is cancelled: the statement fails at its next step.
class InterruptingConnection : public RecordingConnection
{
public:
    // connectionName names the Qt SQL connection behind target, whose
    // sqlite3 handle is interrupted.
    InterruptingConnection(ISqlConnection &target, const QString &connectionName, const QString &pattern,
                           int rowsBefore)
        : RecordingConnection(target)
        , m_connectionName(connectionName)
        , m_pattern(pattern)
        , m_rowsBefore(rowsBefore)
    {
    }

    int interruptions() const { return m_interruptions; }

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
        if (!m_pattern.match(query.getQuery()).hasMatch())
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
    int m_interruptions = 0;
};

} // namespace quelta::test
