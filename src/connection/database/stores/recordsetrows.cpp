#include "connection/database/stores/recordsetrows.h"

namespace quelta::base::connection::databaseconnection {

RecordsetRows::Block::Block(int width)
    : m_width(width)
{
}

RecordsetRows::BlockPointer RecordsetRows::append(const QList<QVariant> &row)
{
    if (m_size % BlockRows == 0) {
        m_blocks.push_back(std::make_shared<Block>(row.size()));
        // A read that fills one block is a long one: its further blocks
        // take their full size at once. The first one grows as it fills,
        // so that a short read keeps no more than it holds.
        if (m_size > 0)
            m_blocks.back()->m_values.reserve(size_t(BlockRows) * size_t(row.size()));
    }
    Block &block = *m_blocks.back();
    Q_ASSERT(row.size() == block.m_width);
    block.m_values.insert(block.m_values.end(), row.cbegin(), row.cend());
    ++block.m_rows;
    ++m_size;
    return m_size % BlockRows == 0 ? m_blocks.back() : nullptr;
}

RecordsetRows::BlockPointer RecordsetRows::finish()
{
    if (m_size % BlockRows == 0)
        return nullptr;
    m_blocks.back()->m_values.shrink_to_fit();
    return m_blocks.back();
}

void RecordsetRows::releaseCompleteBlocks()
{
    const bool lastIsComplete = m_size % BlockRows == 0;
    const auto complete = m_blocks.end() - (lastIsComplete || m_blocks.empty() ? 0 : 1);
    m_releasedBlocks += int(complete - m_blocks.begin());
    m_blocks.erase(m_blocks.begin(), complete);
}

} // namespace quelta::base::connection::databaseconnection
