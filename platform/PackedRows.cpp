#include "platform/PackedRows.h"
#include <algorithm>
#include <new>

namespace {

constexpr size_t MinBlock = size_t(64) << 10;
constexpr size_t MaxBlock = size_t(4) << 20;
// Offsets and sizes are 32-bit; a record stays well below that.
constexpr size_t RecordLimit = 0x7FFFFFFF;

}

const char *PackedRows::skipCells(const char *p, uint32_t count)
{
    while (count--) {
        uint32_t len;
        p = getVarint(p, len);
        p += len;
    }
    return p;
}

PackedRows::~PackedRows()
{
    for (Block &b : m_blocks)
        delete[] b.data;
}

size_t PackedRows::nextBlockSize(size_t atLeast) const
{
    // Blocks grow with the texts: a small list takes little, a large one a few dozen blocks.
    return std::max(std::clamp(m_live / 8, MinBlock, MaxBlock), atLeast);
}

PackedRows::Parts PackedRows::parts(const Row &r) const
{
    Parts p;
    if (r.size == 0)
        return p;
    if (!extended(r)) {
        p.plain = data(r);
        p.plainSize = r.size;
        p.plainCells = r.cells;
        return p;
    }
    const Row base = baseOf(r);
    p.plain = data(base);
    p.plainSize = base.size;
    p.plainCells = base.cells;
    p.ext = data(r) + sizeof(Row);
    p.extSize = r.size - uint32_t(sizeof(Row));
    return p;
}

std::string_view PackedRows::cell(int row, int col) const
{
    const Row &r = m_rows[size_t(row)];
    if (uint32_t(col) >= cellCount(r))
        return {};
    const Parts p = parts(r);
    uint32_t k = uint32_t(col);
    const char *q = p.plain;
    if (k >= p.plainCells) {
        q = p.ext;
        k -= p.plainCells;
    }
    q = skipCells(q, k);
    uint32_t len;
    q = getVarint(q, len);
    return {q, len};
}

// ---- blocks ----

PackedRows::Row PackedRows::allocate(size_t bytes)
{
    if (bytes > RecordLimit)
        throw std::bad_alloc();
    if (m_active == NoBlock || m_blocks[m_active].capacity - m_blocks[m_active].used < bytes) {
        const uint32_t old = m_active;
        activateNewBlock(nextBlockSize(bytes));
        if (old != NoBlock && m_blocks[old].live == 0)
            freeBlock(old);
    }
    Block &b = m_blocks[m_active];
    Row r;
    r.block = m_active;
    r.offset = uint32_t(b.used);
    r.size = uint32_t(bytes);
    grow(b, bytes);
    return r;
}

void PackedRows::activateNewBlock(size_t capacity)
{
    Block nb;
    nb.capacity = capacity;
    nb.data = new char[capacity];
    if (!m_freeSlots.empty()) {
        m_active = m_freeSlots.back();
        m_freeSlots.pop_back();
        m_blocks[m_active] = nb;
    } else {
        m_blocks.push_back(nb);
        m_active = uint32_t(m_blocks.size() - 1);
    }
}

void PackedRows::grow(Block &b, size_t bytes)
{
    b.used += bytes;
    b.live += bytes;
    m_used += bytes;
    m_live += bytes;
}

void PackedRows::freeBlock(uint32_t index)
{
    Block &b = m_blocks[index];
    delete[] b.data;
    m_used -= b.used;
    b = Block();
    m_freeSlots.push_back(index);
    if (index == m_active)
        m_active = NoBlock;
}

void PackedRows::releaseOne(const Row &r)
{
    if (r.size == 0)
        return;
    Block &b = m_blocks[r.block];
    b.live -= r.size;
    m_live -= r.size;
    if (b.live != 0)
        return;
    if (r.block == m_active && !m_appending) {
        // An emptied active block is written again from its start.
        m_used -= b.used;
        b.used = 0;
    } else if (r.block != m_active) {
        freeBlock(r.block);
    }
}

void PackedRows::release(const Row &r)
{
    if (extended(r))
        releaseOne(baseOf(r));
    releaseOne(r);
}

void PackedRows::shrunk(const Row &r, size_t bytes)
{
    Block &b = m_blocks[r.block];
    const bool tail = atTail(r);
    b.live -= bytes;
    m_live -= bytes;
    if (tail) {
        b.used -= bytes;
        m_used -= bytes;
    }
}

void PackedRows::compactIfWasteful()
{
    if (m_used - m_live > std::max(m_live, size_t(1) << 20))
        rebuild(m_rows.size());
}

void PackedRows::rebuild(size_t keep)
{
    // The copies are made into new blocks beside the old ones; should memory run out half way,
    // the new blocks go and the rows stay as they were.
    std::vector<Block> old;
    old.swap(m_blocks);
    std::vector<uint32_t> oldFree;
    oldFree.swap(m_freeSlots);
    const uint32_t oldActive = m_active;
    const size_t oldUsed = m_used, oldLive = m_live;
    m_active = NoBlock;
    m_used = m_live = 0;
    auto oldData = [&](const Row &r) { return old[r.block].data + r.offset; };
    std::vector<Row> copies;
    try {
        copies.resize(keep);
        for (size_t i = 0; i < keep; ++i) {
            const Row &r = m_rows[i];
            if (r.size == 0)
                continue;
            const char *plain = oldData(r);
            uint32_t plainSize = r.size;
            const char *ext = nullptr;
            uint32_t extSize = 0;
            if (extended(r)) {
                Row base;
                std::memcpy(&base, plain, sizeof base);
                ext = plain + sizeof(Row);
                extSize = r.size - uint32_t(sizeof(Row));
                plain = oldData(base);
                plainSize = base.size;
            }
            // A plain record followed by its extension's cells is the row's plain record.
            Row nr = allocate(size_t(plainSize) + extSize);
            std::memcpy(data(nr), plain, plainSize);
            if (extSize)
                std::memcpy(data(nr) + plainSize, ext, extSize);
            nr.cells = cellCount(r);
            copies[i] = nr;
        }
    } catch (...) {
        for (Block &b : m_blocks)
            delete[] b.data;
        m_blocks.swap(old);
        m_freeSlots.swap(oldFree);
        m_active = oldActive;
        m_used = oldUsed;
        m_live = oldLive;
        throw;
    }
    std::copy(copies.begin(), copies.end(), m_rows.begin());
    for (Block &b : old)
        delete[] b.data;
}

// ---- writing ----

PackedRows::Row PackedRows::rewritten(const Row &r, uint32_t col, std::string_view text)
{
    const Parts p = parts(r);
    const uint32_t n = cellCount(r);
    const size_t cellBytes = varintSize(text.size()) + text.size();
    Row nr;
    if (col >= n) {
        const size_t pad = col - n;
        nr = allocate(size_t(p.plainSize) + p.extSize + pad + cellBytes);
        char *q = data(nr);
        if (p.plainSize)
            std::memcpy(q, p.plain, p.plainSize);
        q += p.plainSize;
        if (p.extSize)
            std::memcpy(q, p.ext, p.extSize);
        q += p.extSize;
        std::memset(q, 0, pad); // empty cells: a zero length each
        putCell(q + pad, text);
        nr.cells = col + 1;
        return nr;
    }
    // The cells before `col`, the new cell, the cells after it: the row's cells run through the
    // plain part and on into the extension.
    const bool inPlain = col < p.plainCells;
    const char *part = inPlain ? p.plain : p.ext;
    const uint32_t partSize = inPlain ? p.plainSize : p.extSize;
    const char *at = skipCells(part, inPlain ? col : col - p.plainCells);
    const char *after = skipCells(at, 1);
    const size_t before = size_t(at - part), rest = size_t(part + partSize - after);
    const size_t total = (inPlain ? 0 : p.plainSize) + before + cellBytes + rest + (inPlain ? p.extSize : 0);
    nr = allocate(total);
    char *q = data(nr);
    if (!inPlain) {
        std::memcpy(q, p.plain, p.plainSize);
        q += p.plainSize;
    }
    std::memcpy(q, part, before);
    q = putCell(q + before, text);
    std::memcpy(q, after, rest);
    q += rest;
    if (inPlain && p.extSize)
        std::memcpy(q, p.ext, p.extSize);
    nr.cells = n;
    return nr;
}

void PackedRows::appendPast(Row &r, uint32_t col, std::string_view text)
{
    const uint32_t n = cellCount(r);
    const size_t pad = col - n;
    const size_t need = pad + varintSize(text.size()) + text.size();
    if (atTail(r) && m_blocks[r.block].capacity - m_blocks[r.block].used >= need) {
        // The record written last grows where it is.
        Block &b = m_blocks[r.block];
        char *q = b.data + b.used;
        std::memset(q, 0, pad);
        putCell(q + pad, text);
        grow(b, need);
        r.size += uint32_t(need);
        r.cells = (r.cells & Extended) | (col + 1);
        return;
    }
    // An extension: the row's plain record stays where it is.
    const Parts p = parts(r);
    const Row base = extended(r) ? baseOf(r) : r;
    Row e = allocate(sizeof(Row) + p.extSize + need);
    char *q = data(e);
    std::memcpy(q, &base, sizeof base);
    q += sizeof base;
    if (p.extSize)
        std::memcpy(q, p.ext, p.extSize);
    q += p.extSize;
    std::memset(q, 0, pad);
    putCell(q + pad, text);
    e.cells = Extended | (col + 1);
    if (extended(r))
        releaseOne(r); // the old extension; the base stays
    r = e;
}

void PackedRows::setCell(int row, int col, std::string_view text)
{
    closeOpenRow();
    Row &r = m_rows[size_t(row)];
    const uint32_t c = uint32_t(col);
    const uint32_t n = cellCount(r);
    if (c >= n) {
        if (text.empty())
            return; // a cell past the last one reads empty already
        if (r.size == 0)
            r = rewritten(r, c, text);
        else
            appendPast(r, c, text);
        compactIfWasteful();
        return;
    }

    // The record that holds the cell: the row's own, or the base of its extension.
    Row holder = r;
    bool inBase = false;
    size_t pos;
    if (extended(r)) {
        const Row base = baseOf(r);
        if (c < base.cells) {
            holder = base;
            inBase = true;
            pos = size_t(skipCells(data(base), c) - data(base));
        } else {
            const char *ext = data(r) + sizeof(Row);
            pos = sizeof(Row) + size_t(skipCells(ext, c - base.cells) - ext);
        }
    } else {
        pos = size_t(skipCells(data(r), c) - data(r));
    }
    char *rec = data(holder);
    uint32_t oldLen;
    const char *oldText = getVarint(rec + pos, oldLen);
    if (std::string_view(oldText, oldLen) == text)
        return;
    const size_t oldBytes = size_t(oldText - (rec + pos)) + oldLen;
    const size_t newBytes = varintSize(text.size()) + text.size();
    const size_t tailBytes = holder.size - pos - oldBytes;
    Block &b = m_blocks[holder.block];
    if (newBytes <= oldBytes) {
        std::memmove(rec + pos + newBytes, rec + pos + oldBytes, tailBytes);
        putCell(rec + pos, text);
        shrunk(holder, oldBytes - newBytes);
        holder.size -= uint32_t(oldBytes - newBytes);
    } else if (atTail(holder) && b.capacity - b.used >= newBytes - oldBytes
               && size_t(holder.size) + newBytes - oldBytes <= RecordLimit) {
        const size_t more = newBytes - oldBytes;
        std::memmove(rec + pos + newBytes, rec + pos + oldBytes, tailBytes);
        putCell(rec + pos, text);
        grow(b, more);
        holder.size += uint32_t(more);
    } else {
        const Row old = r;
        r = rewritten(old, c, text);
        release(old);
        compactIfWasteful();
        return;
    }
    if (inBase)
        std::memcpy(data(r), &holder, sizeof holder);
    else
        r = holder;
    compactIfWasteful();
}

void PackedRows::truncateCols(int cols)
{
    closeOpenRow();
    const uint32_t k = uint32_t(cols);
    for (Row &r : m_rows) {
        if (cellCount(r) <= k)
            continue;
        if (extended(r)) {
            const Row base = baseOf(r);
            if (base.cells < k) {
                const char *ext = data(r) + sizeof(Row);
                const uint32_t size = uint32_t(sizeof(Row) + size_t(skipCells(ext, k - base.cells) - ext));
                shrunk(r, r.size - size);
                r.size = size;
                r.cells = Extended | k;
                continue;
            }
            releaseOne(r);
            r = base;
            if (r.cells <= k)
                continue;
        }
        const uint32_t size = uint32_t(skipCells(data(r), k) - data(r));
        shrunk(r, r.size - size);
        r.size = size;
        r.cells = k;
    }
    compactIfWasteful();
}

void PackedRows::remove(int row)
{
    closeOpenRow();
    release(m_rows[size_t(row)]);
    m_rows.erase(m_rows.begin() + row);
    compactIfWasteful();
}

void PackedRows::resize(int rows)
{
    closeOpenRow();
    const size_t n = size_t(rows), current = m_rows.size();
    if (n < current) {
        if (n * 8 <= current - n) {
            // Most rows go (a refill starts from the header alone): copy the few that stay and
            // drop the blocks whole, instead of visiting every row that goes.
            rebuild(n);
        } else {
            for (size_t i = n; i < current; ++i)
                release(m_rows[i]);
        }
    }
    m_rows.resize(n);
    compactIfWasteful();
}

// ---- appending rows ----

void PackedRows::beginRow()
{
    closeOpenRow();
    m_rows.emplace_back();
    m_appending = true;
    m_open = Row();
    if (m_active != NoBlock) {
        m_open.block = m_active;
        m_open.offset = uint32_t(m_blocks[m_active].used);
    }
}

void PackedRows::makeRoomForOpenRow(size_t need)
{
    // The row so far moves to a new block together with the cell to come.
    const size_t have = m_open.size;
    if (have + need > RecordLimit) {
        m_appending = false;
        m_open = Row();
        throw std::bad_alloc();
    }
    const uint32_t old = m_active;
    activateNewBlock(nextBlockSize(std::max(have + need, have * 2)));
    Block &b = m_blocks[m_active];
    if (have)
        std::memcpy(b.data, m_blocks[old].data + m_open.offset, have);
    b.used = have;
    m_used += have;
    m_open.block = m_active;
    m_open.offset = 0;
    if (old != NoBlock && m_blocks[old].live == 0)
        freeBlock(old);
}

void PackedRows::endRow()
{
    if (!m_appending)
        return;
    m_appending = false;
    Row &r = m_rows.back();
    if (m_open.cells == 0)
        return; // nothing written: an empty row
    Block &b = m_blocks[m_open.block];
    b.live += m_open.size;
    m_live += m_open.size;
    r = m_open;
}
