#include "connection/database/stores/recordsetconverter.h"

#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"

namespace quelta::base::connection::databaseconnection {

RecordsetConverter::RecordsetConverter(const domain::api::ISqlConnection::Row &row,
                                       const QMap<int, domain::types::ChamberSignal> &definitions,
                                       SqlRecordsetDatabaseConnection *store)
    : m_row(row)
    , m_definitions(definitions)
    , m_store(store)
{
    setAutoDelete(false);
}

void RecordsetConverter::run()
{
    m_recordset = m_store->convertRow(m_row, m_definitions);
}

} // namespace quelta::base::connection::databaseconnection
