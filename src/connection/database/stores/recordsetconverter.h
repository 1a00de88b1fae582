#pragma once

#include "connection/database/stores/recordsetrows.h"
#include "domain/types/chambersignal.h"
#include "domain/types/recordset.h"

#include <QtCore/QList>
#include <QtCore/QMap>
#include <QtCore/QRunnable>

#include <atomic>
#include <map>
#include <mutex>

namespace quelta::base::connection::databaseconnection {

class SqlRecordsetDatabaseConnection;

// The rows of one block of a whole-recording load, converted on a thread of
// the record-set store's converter pool. The store creates the task on its
// own thread and the pool runs it once and deletes it. The block is complete
// and no one changes it any more, and the signal definitions are a copy. The
// task hands its records to the load's Results.
//
// The hand-over of the inputs to the pool thread is ordered by a flag of the
// task itself, not only by the pool's internal locks, so that a race checker
// sees it.
class RecordsetConverter : public QRunnable
{
public:
    // The records of one load in row order. Each task's records join them as
    // soon as those of every task before it have, on the thread of the task
    // that completes the run, so that gathering goes on while later rows are
    // still being read and converted.
    class Results
    {
    public:
        // The first records of the load, converted before any task.
        explicit Results(const QList<domain::types::Recordset> &first);

        // The position of the next task, in row order; on the calling
        // thread, before the task starts.
        int addTask() { return m_taskCount++; }
        // The records of the task at the position; on any thread.
        void deliver(int position, QList<domain::types::Recordset> records);
        // Every record, once every task has delivered.
        QList<domain::types::Recordset> take();

    private:
        int m_taskCount = 0;
        std::mutex m_mutex;
        QList<domain::types::Recordset> m_records;
        // Records of tasks that finished before a task before them.
        std::map<int, QList<domain::types::Recordset>> m_waiting;
        int m_nextPosition = 0;
    };

    // Converts the rows of the block from firstRow to its end.
    RecordsetConverter(RecordsetRows::BlockPointer block, int firstRow,
                       const QMap<int, domain::types::ChamberSignal> &definitions,
                       SqlRecordsetDatabaseConnection *store, Results *results);

    void run() override;

private:
    const RecordsetRows::BlockPointer m_block;
    const int m_firstRow;
    const QMap<int, domain::types::ChamberSignal> m_definitions;
    SqlRecordsetDatabaseConnection *const m_store;
    Results *const m_results;
    const int m_position;
    std::atomic<bool> m_inputsPublished{false};
};

} // namespace quelta::base::connection::databaseconnection
