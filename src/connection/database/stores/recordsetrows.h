#pragma once

#include "domain/api/isqlrowview.h"

#include <QtCore/QString>
#include <QtCore/QVariant>

#include <memory>
#include <string_view>
#include <vector>

namespace quelta::base::connection::databaseconnection {

// The rows of a record-set read, kept in blocks. Each value is copied out of
// the statement's row in its storage class: a number as it is, a text or a
// blob as its bytes. The values of a block lie one after the other in cells
// of one size, the bytes of its texts in one buffer, so that a row costs no
// allocation of its own and no QVariant is built while reading. A block that
// is complete is never changed again, so it can be handed to a converter
// thread while reading goes on, and a copy of the rows shares their blocks.
class RecordsetRows
{
public:
    // Rows per block: enough to make a converter task worth its hand-over,
    // few enough that the tasks of one recording keep ten threads busy.
    static constexpr int BlockRows = 2048;

    class Block;

    // One stored row, read as the row it was copied from was read: each value
    // in its own storage class, and through value(), exactly as the statement
    // gave it, so that the conversions of valueconversions give what they
    // gave for that row. A value read as another storage class is converted
    // as QVariant converts value(), not as SQLite would, and the UTF-8 bytes
    // of a number are empty: the store reads every value in its own class.
    // Valid as long as its block is.
    class Row : public domain::api::ISqlRowView
    {
    public:
        Row(const Block &block, int index);

        int columnCount() const override;
        Storage storage(int column) const override;
        qint64 integer(int column) const override;
        double real(int column) const override;
        QString text(int column) const override;
        std::string_view utf8(int column) const override;
        QVariant value(int column) const override;

    private:
        const Block &m_block;
        const int m_firstCell;
    };

    // Up to BlockRows rows of the width of the read.
    class Block
    {
    public:
        explicit Block(int width);

        int size() const { return m_rows; }
        Row row(int index) const { return Row(*this, index); }

    private:
        friend class RecordsetRows;
        friend class Row;
        using Storage = domain::api::ISqlRowView::Storage;

        // A value of the row: an integer or a real in place, a text or a
        // blob as the position and length of its bytes in m_bytes.
        struct Cell
        {
            Storage storage = Storage::Null;
            int size = 0;
            union {
                qint64 integer = 0;
                double real;
                qsizetype offset;
            };
        };

        void append(const domain::api::ISqlRowView &row);
        void appendBytes(Cell &cell, std::string_view bytes);
        // The cell of the column, or null for a column outside the row.
        const Cell *cell(int firstCell, int column) const;
        std::string_view bytesOf(const Cell &cell) const;

        int m_width;
        int m_rows = 0;
        std::vector<Cell> m_cells;
        std::vector<char> m_bytes;
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
    BlockPointer append(const domain::api::ISqlRowView &row);
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
    // The bytes of text of the block completed last.
    size_t m_completeBlockBytes = 0;
};

} // namespace quelta::base::connection::databaseconnection
