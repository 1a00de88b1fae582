#pragma once

#include "domain/api/isqlconnection.h"
#include "domain/types/chambersignal.h"
#include "domain/types/recordset.h"

#include <QtCore/QMap>
#include <QtCore/QRunnable>

#include <atomic>

namespace quelta::base::connection::databaseconnection {

class SqlRecordsetDatabaseConnection;

// One row of a whole-recording load, converted on a thread of the record-set
// store's converter pool. The store creates the task on its own thread, the
// pool runs it once, and the store reads the result and deletes the task
// after the pool is done; the pool never deletes it. The row and the signal
// definitions are copies that no one changes, and the task writes only its
// own result.
//
// The hand-over to the pool thread and back is ordered by two flags of the
// task itself, not only by the pool's internal locks, so that a race checker
// sees it: the constructor publishes the inputs, run() publishes the result.
class RecordsetConverter : public QRunnable
{
public:
    RecordsetConverter(const domain::api::ISqlConnection::Row &row,
                       const QMap<int, domain::types::ChamberSignal> &definitions,
                       SqlRecordsetDatabaseConnection *store);

    void run() override;

    // The result; to be read only after the pool has run the task.
    domain::types::Recordset recordset() const;

private:
    const domain::api::ISqlConnection::Row m_row;
    const QMap<int, domain::types::ChamberSignal> m_definitions;
    domain::types::Recordset m_recordset;
    SqlRecordsetDatabaseConnection *const m_store;
    std::atomic<bool> m_inputsPublished{false};
    std::atomic<bool> m_resultPublished{false};
};

} // namespace quelta::base::connection::databaseconnection
