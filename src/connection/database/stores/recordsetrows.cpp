#include "connection/database/stores/recordsetrows.h"

#include "connection/database/core/valueconversions.h"

#include <QtCore/QByteArray>

namespace quelta::base::connection::databaseconnection {

using domain::api::ISqlRowView;
using Storage = ISqlRowView::Storage;

RecordsetRows::Row::Row(const Block &block, int index)
    : m_block(block)
    , m_firstCell(index * block.m_width)
{
}

int RecordsetRows::Row::columnCount() const
{
    return m_block.m_width;
}

Storage RecordsetRows::Row::storage(int column) const
{
    const Block::Cell *cell = m_block.cell(m_firstCell, column);
    return cell ? cell->storage : Storage::Null;
}

qint64 RecordsetRows::Row::integer(int column) const
{
    const Block::Cell *cell = m_block.cell(m_firstCell, column);
    return cell && cell->storage == Storage::Integer ? cell->integer : value(column).toLongLong();
}

double RecordsetRows::Row::real(int column) const
{
    const Block::Cell *cell = m_block.cell(m_firstCell, column);
    return cell && cell->storage == Storage::Real ? cell->real : value(column).toDouble();
}

QString RecordsetRows::Row::text(int column) const
{
    const Block::Cell *cell = m_block.cell(m_firstCell, column);
    if (!cell || cell->storage == Storage::Null)
        return QString();
    if (cell->storage != Storage::Text && cell->storage != Storage::Blob)
        return value(column).toString();
    return textFromUtf8(m_block.bytesOf(*cell));
}

std::string_view RecordsetRows::Row::utf8(int column) const
{
    const Block::Cell *cell = m_block.cell(m_firstCell, column);
    if (!cell || (cell->storage != Storage::Text && cell->storage != Storage::Blob))
        return {};
    return m_block.bytesOf(*cell);
}

QVariant RecordsetRows::Row::value(int column) const
{
    const Block::Cell *cell = m_block.cell(m_firstCell, column);
    if (!cell)
        return QVariant();
    // The values that a statement's row gives for each storage class.
    switch (cell->storage) {
    case Storage::Null:
        return QVariant(QString());
    case Storage::Integer:
        return QVariant(cell->integer);
    case Storage::Real:
        return QVariant(cell->real);
    case Storage::Text:
        return QVariant(text(column));
    case Storage::Blob: {
        const std::string_view bytes = m_block.bytesOf(*cell);
        return QVariant(bytes.empty() ? QByteArray("") : QByteArray(bytes.data(), int(bytes.size())));
    }
    }
    return QVariant();
}

RecordsetRows::Block::Block(int width)
    : m_width(width)
{
}

void RecordsetRows::Block::append(const ISqlRowView &row)
{
    Q_ASSERT(row.columnCount() == m_width);
    const size_t firstCell = m_cells.size();
    m_cells.resize(firstCell + size_t(m_width));
    Cell *cells = m_cells.data() + firstCell;
    for (int column = 0; column < m_width; ++column) {
        Cell &cell = cells[column];
        cell.storage = row.storage(column);
        switch (cell.storage) {
        case Storage::Null:
            break;
        case Storage::Integer:
            cell.integer = row.integer(column);
            break;
        case Storage::Real:
            cell.real = row.real(column);
            break;
        case Storage::Text:
            appendBytes(cell, row.utf8(column));
            break;
        case Storage::Blob: {
            const QByteArray bytes = row.value(column).toByteArray();
            appendBytes(cell, std::string_view(bytes.constData(), size_t(bytes.size())));
            break;
        }
        }
    }
    ++m_rows;
}

void RecordsetRows::Block::appendBytes(Cell &cell, std::string_view bytes)
{
    cell.offset = qsizetype(m_bytes.size());
    cell.size = int(bytes.size());
    m_bytes.insert(m_bytes.end(), bytes.cbegin(), bytes.cend());
}

const RecordsetRows::Block::Cell *RecordsetRows::Block::cell(int firstCell, int column) const
{
    if (column < 0 || column >= m_width)
        return nullptr;
    return &m_cells[size_t(firstCell + column)];
}

std::string_view RecordsetRows::Block::bytesOf(const Cell &cell) const
{
    return std::string_view(m_bytes.data() + cell.offset, size_t(cell.size));
}

RecordsetRows::BlockPointer RecordsetRows::append(const ISqlRowView &row)
{
    if (m_size % BlockRows == 0) {
        m_blocks.push_back(std::make_shared<Block>(row.columnCount()));
        // A read that fills one block is a long one: its further blocks
        // take their full size at once, and as many bytes of text as the
        // block before. The first one grows as it fills, so that a short
        // read keeps no more than it holds.
        if (m_size > 0) {
            Block &block = *m_blocks.back();
            block.m_cells.reserve(size_t(BlockRows) * size_t(block.m_width));
            block.m_bytes.reserve(m_completeBlockBytes);
        }
    }
    Block &block = *m_blocks.back();
    block.append(row);
    ++m_size;
    if (m_size % BlockRows != 0)
        return nullptr;
    m_completeBlockBytes = block.m_bytes.size();
    return m_blocks.back();
}

RecordsetRows::BlockPointer RecordsetRows::finish()
{
    if (m_size % BlockRows == 0)
        return nullptr;
    Block &last = *m_blocks.back();
    last.m_cells.shrink_to_fit();
    last.m_bytes.shrink_to_fit();
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
