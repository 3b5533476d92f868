#pragma once
// The texts of a grid, packed: each row is one record of its cells in UTF-8, one after the other,
// each led by its length, and records are laid one after the other in large blocks. No cell and
// no row is a heap object of its own, so a million rows cost their text and a few bytes each,
// and dropping them all frees a few dozen blocks.
//
// A record is rewritten in place when it can be (a shorter text; any text in the record written
// last); otherwise the row gets a new record at the end and the old one becomes garbage, which
// is compacted away once it outweighs the live texts. A cell written past a row's last one (a
// helper column) goes into a small extension record that points back to the row's record, so
// it costs no copy of the row; dropping that column drops the extension alone.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class PackedRows {
public:
    PackedRows() = default;
    ~PackedRows();
    PackedRows(const PackedRows &) = delete;
    PackedRows &operator=(const PackedRows &) = delete;

    int rows() const { return int(m_rows.size()); }
    // New rows are empty; rows dropped are released, all at once when few remain.
    void resize(int rows);
    // Drops every cell at and past `cols`.
    void truncateCols(int cols);
    void remove(int row);
    // Valid until the next change.
    std::string_view cell(int row, int col) const;
    // f(i, text) for the cells of column `col` of rows first + i, i from 0 to count - 1, in
    // order. After a sort the rows lie scattered: read row by row, a whole column would wait on
    // memory at every row. So the records of a few dozen rows are first touched together (their
    // loads overlap), then read from the cache.
    template <class F>
    void forEachCell(int first, int count, int col, F &&f) const
    {
        forEachCellOf(
            count, col, [first](int i) { return first + i; }, f);
    }
    // The same for any rows: f(i, text) for the cell of column `col` of row rowOf(i).
    template <class RowOf, class F>
    void forEachCellOf(int count, int col, RowOf &&rowOf, F &&f) const
    {
        constexpr int Chunk = 64;
        // About where the column's cell lies in a record: the lines up to there are touched.
        const uint32_t reach = 16 * uint32_t(col + 1);
        for (int begin = 0; begin < count; begin += Chunk) {
            const int end = std::min(count, begin + Chunk);
            unsigned char touched = 0;
            for (int i = begin; i < end; ++i)
                touched |= touch(rowOf(i), reach);
            m_touched = touched;
            for (int i = begin; i < end; ++i)
                f(i, cell(rowOf(i), col));
        }
    }
    void setCell(int row, int col, std::string_view text);
    // Rows first + i take the rows first + sourceOf(i) had, on the way through `room`,
    // count * RowBytes bytes of the caller's. The room's slots are written in order, slot i only
    // once sourceOf(i) has been asked, so the room may be what the order is read from.
    static constexpr size_t RowBytes = 16;
    template <class SourceOf>
    void reorderThrough(int first, uint32_t count, unsigned char *room, SourceOf &&sourceOf)
    {
        static_assert(sizeof(Row) == RowBytes, "a row's place is RowBytes");
        closeOpenRow();
        const Row *const rows = m_rows.data() + first;
        for (uint32_t i = 0; i < count; ++i) {
            const Row r = rows[sourceOf(i)];
            std::memcpy(room + size_t(i) * RowBytes, &r, RowBytes);
        }
        if (count)
            std::memcpy(static_cast<void *>(m_rows.data() + first), room, size_t(count) * RowBytes);
    }

    // Appending a row cell by cell, the cells in column order. Any other change ends the row.
    void beginRow();
    void appendCell(std::string_view text)
    {
        const size_t need = varintSize(text.size()) + text.size();
        if (m_active == NoBlock || m_blocks[m_active].capacity - m_blocks[m_active].used < need)
            makeRoomForOpenRow(need);
        Block &b = m_blocks[m_active];
        putCell(b.data + b.used, text);
        b.used += need;
        m_used += need;
        m_open.size += uint32_t(need);
        ++m_open.cells;
    }
    void endRow();

    // Bytes held by the blocks, and those of them that are live texts (for the tests of release
    // and compaction).
    size_t usedBytes() const { return m_used; }
    size_t liveBytes() const { return m_live; }

private:
    // size 0: the row has no record. The top bit of `cells` marks an extension record, whose
    // head is the Row of the record it extends (always a plain one).
    struct Row {
        uint32_t block = 0, offset = 0, size = 0, cells = 0;
    };
    struct Block {
        char *data = nullptr;
        size_t capacity = 0, used = 0, live = 0;
    };
    static constexpr uint32_t Extended = 0x80000000u;
    static constexpr uint32_t NoBlock = 0xFFFFFFFFu;

    static size_t varintSize(size_t v)
    {
        size_t n = 1;
        while (v >= 0x80) {
            v >>= 7;
            ++n;
        }
        return n;
    }
    static char *putVarint(char *p, uint32_t v)
    {
        while (v >= 0x80) {
            *p++ = char(0x80 | (v & 0x7F));
            v >>= 7;
        }
        *p++ = char(v);
        return p;
    }
    static const char *getVarint(const char *p, uint32_t &v)
    {
        v = 0;
        for (int shift = 0;; shift += 7) {
            const unsigned char c = static_cast<unsigned char>(*p++);
            v |= uint32_t(c & 0x7F) << shift;
            if (c < 0x80)
                return p;
        }
    }
    // A cell: its length, then its bytes.
    static char *putCell(char *p, std::string_view text)
    {
        p = putVarint(p, uint32_t(text.size()));
        if (!text.empty())
            std::memcpy(p, text.data(), text.size());
        return p + text.size();
    }
    static uint32_t cellCount(const Row &r) { return r.cells & ~Extended; }
    static bool extended(const Row &r) { return r.cells & Extended; }

    char *data(const Row &r) const { return m_blocks[r.block].data + r.offset; }
    unsigned char touch(int row, uint32_t reach) const
    {
        const Row &r = m_rows[size_t(row)];
        if (r.size == 0)
            return 0;
        const unsigned char *p = reinterpret_cast<const unsigned char *>(data(r));
        const uint32_t end = std::min(r.size, reach);
        unsigned char any = p[end - 1];
        for (uint32_t at = 0; at < end; at += 64)
            any |= p[at];
        return any;
    }
    Row baseOf(const Row &ext) const
    {
        Row base;
        std::memcpy(&base, data(ext), sizeof base);
        return base;
    }
    bool atTail(const Row &r) const { return r.block == m_active && r.offset + r.size == m_blocks[m_active].used; }
    // Where the cells of a row lie: the plain part (the record, or the base of an extension)
    // and the cells of the extension, if any.
    struct Parts {
        const char *plain = nullptr;
        uint32_t plainSize = 0, plainCells = 0;
        const char *ext = nullptr;
        uint32_t extSize = 0;
    };
    Parts parts(const Row &r) const;

    // Past `count` cells of a run of cells.
    static const char *skipCells(const char *p, uint32_t count);

    // Space for a record of `bytes` at the end of the active block (a new block when it is full).
    Row allocate(size_t bytes);
    // A new empty block becomes the active one, in a free slot when there is one.
    void activateNewBlock(size_t capacity);
    // `bytes` more written at the end of block b, all of them live.
    void grow(Block &b, size_t bytes);
    void release(const Row &r); // the record and, for an extension, its base
    void releaseOne(const Row &r);
    void freeBlock(uint32_t index);
    // Gives back the last bytes of a record whose size went down by `bytes`.
    void shrunk(const Row &r, size_t bytes);
    // A plain record of the row's cells with cell `col` set to `text` (cells added as needed).
    Row rewritten(const Row &r, uint32_t col, std::string_view text);
    void appendPast(Row &r, uint32_t col, std::string_view text);
    void makeRoomForOpenRow(size_t need);
    void closeOpenRow()
    {
        if (m_appending)
            endRow();
    }
    // Copies the first `keep` rows into new blocks and frees every old block.
    void rebuild(size_t keep);
    void compactIfWasteful();
    size_t nextBlockSize(size_t atLeast) const;

    std::vector<Row> m_rows;
    std::vector<Block> m_blocks;
    std::vector<uint32_t> m_freeSlots;
    uint32_t m_active = NoBlock; // the block new records go to
    size_t m_used = 0, m_live = 0;
    bool m_appending = false;
    mutable unsigned char m_touched = 0; // keeps the touching loads
    Row m_open;                          // the row being appended
};
