#pragma once

#include <QtCore/QList>
#include <QtCore/QVariant>

#include <memory>
#include <vector>

namespace quelta::base::connection::databaseconnection {

// The rows of a record-set read, kept in blocks: the values of a block's rows
// lie one after the other in one allocation, rather than in a list per row
// and a heap cell per value. A block that is complete is never changed again,
// so it can be handed to a converter thread while reading goes on, and a
// copy of the rows shares their blocks.
class RecordsetRows
{
public:
    // Rows per block: enough to make a converter task worth its hand-over,
    // few enough that the tasks of one recording keep ten threads busy.
    static constexpr int BlockRows = 2048;

    // A view of one row; valid as long as its block is.
    class Row
    {
    public:
        Row(const QVariant *values, int size)
            : m_values(values)
            , m_size(size)
        {
        }

        int size() const { return m_size; }
        const QVariant &at(int position) const { return m_values[position]; }

    private:
        const QVariant *m_values;
        int m_size;
    };

    // Up to BlockRows rows of the width of the read.
    class Block
    {
    public:
        explicit Block(int width);

        int size() const { return m_rows; }
        Row row(int index) const { return Row(m_values.data() + qsizetype(index) * m_width, m_width); }

    private:
        friend class RecordsetRows;

        int m_width;
        int m_rows = 0;
        std::vector<QVariant> m_values;
    };
    using BlockPointer = std::shared_ptr<const Block>;

    // The rows appended, also those of blocks let go.
    int size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The row at the index, which must not lie in a block let go.
    Row at(int index) const { return block(index / BlockRows)->row(index % BlockRows); }
    int blockCount() const { return m_releasedBlocks + int(m_blocks.size()); }
    BlockPointer block(int index) const { return m_blocks.at(size_t(index - m_releasedBlocks)); }

    // Appends a copy of the row, which has the width of every row before it.
    // Returns the block that the row completed, or null.
    BlockPointer append(const QList<QVariant> &row);
    // The last block when it is not complete, or null; after it is handed out
    // no row is appended any more.
    BlockPointer finish();
    // Lets go of the complete blocks, for a read that hands its blocks on and
    // does not keep its rows; those handed on live as long as their holders
    // keep them.
    void releaseCompleteBlocks();

private:
    std::vector<std::shared_ptr<Block>> m_blocks;
    int m_releasedBlocks = 0;
    int m_size = 0;
};

} // namespace quelta::base::connection::databaseconnection
