#include "connection/database/stores/recordsetconverter.h"

#include "connection/database/stores/sqlrecordsetdatabaseconnection.h"

#include <utility>
#include <vector>

namespace quelta::base::connection::databaseconnection {

using domain::types::Recordset;

RecordsetConverter::Results::Results(const QList<Recordset> &first)
    : m_records(first)
{
}

void RecordsetConverter::Results::deliver(int position, QList<Recordset> records)
{
    // The task lists that joined are let go after the lock is released, where
    // no other task waits for it.
    std::vector<QList<Recordset>> joined;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_waiting.emplace(position, std::move(records));
    for (auto next = m_waiting.find(m_nextPosition); next != m_waiting.end();
         next = m_waiting.find(++m_nextPosition)) {
        m_records.append(next->second);
        joined.push_back(std::move(next->second));
        m_waiting.erase(next);
    }
}

QList<Recordset> RecordsetConverter::Results::take()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    Q_ASSERT(m_nextPosition == m_taskCount && m_waiting.empty());
    return std::exchange(m_records, {});
}

RecordsetConverter::RecordsetConverter(RecordsetRows::BlockPointer block, int firstRow,
                                       const QMap<int, domain::types::ChamberSignal> &definitions,
                                       SqlRecordsetDatabaseConnection *store, Results *results)
    : m_block(std::move(block))
    , m_firstRow(firstRow)
    , m_definitions(definitions)
    , m_store(store)
    , m_results(results)
    , m_position(results->addTask())
{
    m_inputsPublished.store(true, std::memory_order_release);
}

void RecordsetConverter::run()
{
    const bool inputsPublished = m_inputsPublished.load(std::memory_order_acquire);
    Q_ASSERT(inputsPublished);
    Q_UNUSED(inputsPublished)
    m_results->deliver(m_position, m_store->convertBlock(*m_block, m_firstRow, m_definitions));
}

} // namespace quelta::base::connection::databaseconnection
