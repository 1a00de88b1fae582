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
    m_inputsPublished.store(true, std::memory_order_release);
}

void RecordsetConverter::run()
{
    const bool inputsPublished = m_inputsPublished.load(std::memory_order_acquire);
    Q_ASSERT(inputsPublished);
    Q_UNUSED(inputsPublished)
    m_recordset = m_store->convertRow(m_row, m_definitions);
    m_resultPublished.store(true, std::memory_order_release);
}

domain::types::Recordset RecordsetConverter::recordset() const
{
    const bool resultPublished = m_resultPublished.load(std::memory_order_acquire);
    Q_ASSERT(resultPublished);
    Q_UNUSED(resultPublished)
    return m_recordset;
}

} // namespace quelta::base::connection::databaseconnection
