#pragma once

#include "domain/api/isqlconnection.h"
#include "domain/types/chambersignal.h"
#include "domain/types/recordset.h"

#include <QtCore/QMap>
#include <QtCore/QRunnable>

namespace quelta::base::connection::databaseconnection {

class SqlRecordsetDatabaseConnection;

// One row of a whole-recording load, converted on a thread of the record-set
// store's converter pool. The store creates the task on its own thread, the
// pool runs it once, and the store reads the result and deletes the task
// after the pool is done; the pool never deletes it. The row and the signal
// definitions are copies that no one changes, and the task writes only its
// own result.
class RecordsetConverter : public QRunnable
{
public:
    RecordsetConverter(const domain::api::ISqlConnection::Row &row,
                       const QMap<int, domain::types::ChamberSignal> &definitions,
                       SqlRecordsetDatabaseConnection *store);

    void run() override;

    domain::types::Recordset recordset() const { return m_recordset; }

private:
    const domain::api::ISqlConnection::Row m_row;
    const QMap<int, domain::types::ChamberSignal> m_definitions;
    domain::types::Recordset m_recordset;
    SqlRecordsetDatabaseConnection *const m_store;
};

} // namespace quelta::base::connection::databaseconnection
