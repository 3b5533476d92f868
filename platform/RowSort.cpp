#include "platform/RowSort.h"
#include "platform/NumberRule.h"
#include "platform/Utf8.h"
#include <QList>
#include <QString>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// What a row sorts by, then the row itself (counted from the first one sorted): no two keys are
// equal, so any sort gives the one order in which rows that compare equal keep theirs. A key for
// a descending sort has what the row sorts by turned over bit for bit: one comparison serves both.
struct Key {
    uint64_t high = 0; // a number in an order of its bits, or the first 8 bytes of a text's piece
    uint64_t rest = 0; // a text's other 3 bytes and how many bytes it has, then the row

    uint32_t sortsBy() const { return uint32_t(rest >> 32); }
    uint32_t index() const { return uint32_t(rest); }
    void set(uint64_t value, uint32_t more, bool descending)
    {
        high = descending ? ~value : value;
        rest = (uint64_t(descending ? ~more : more) << 32) | index();
    }
    bool operator<(const Key &o) const { return high != o.high ? high < o.high : rest < o.rest; }
    bool tiesWith(const Key &o) const { return high == o.high && sortsBy() == o.sortsBy(); }
};
static_assert(sizeof(Key) == 16, "a key per row, and no more");

// The bytes of a text's sort form one key holds, and the count that tells a text going on past
// them (more bytes than fit) from one ending there.
constexpr uint32_t PieceBytes = 11;
constexpr uint32_t GoesOn = PieceBytes + 1;

uint64_t orderedBits(double d)
{
    if (d == 0)
        d = 0; // -0 is 0
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return (b >> 63) ? ~b : b | (uint64_t(1) << 63);
}

uint64_t orderedBits(int64_t v) { return uint64_t(v) ^ (uint64_t(1) << 63); }

// A text's sort form: case-folded, in UTF-8 whose byte order is the order of its UTF-16 form (the
// three-byte characters from U+E000 on sort after the four-byte ones, as their UTF-16 code units
// do after the surrogates). It is written a piece at a time into a key, character by character
// and only as far as the piece reaches; a text that is not valid UTF-8 is read as Qt reads it,
// through a QString.
class SortForm {
public:
    SortForm(unsigned char *piece, size_t offset) : m_piece(piece), m_offset(offset) {}
    // Whether the form reached past the piece: the rest of the text is not needed.
    bool full() const { return m_at > m_offset + PieceBytes; }
    // The bytes of the form from the piece's start, up to GoesOn.
    uint32_t count() const { return uint32_t(std::min<size_t>(m_at > m_offset ? m_at - m_offset : 0, GoesOn)); }
    void put(unsigned char b)
    {
        if (m_at >= m_offset && m_at < m_offset + PieceBytes)
            m_piece[m_at - m_offset] = b;
        ++m_at;
    }
    void putFolded(char32_t c)
    {
        c = QChar::toCaseFolded(c);
        if (c < 0x80) {
            put(static_cast<unsigned char>(c));
        } else if (c < 0x800) {
            put(static_cast<unsigned char>(0xC0 | (c >> 6)));
            put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            const unsigned char lead = static_cast<unsigned char>(0xE0 | (c >> 12));
            put(lead >= 0xEE ? static_cast<unsigned char>(lead + 0x10) : lead);
            put(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
            put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        } else {
            put(static_cast<unsigned char>(0xF0 | (c >> 18)));
            put(static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F)));
            put(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
            put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
        }
    }

private:
    unsigned char *m_piece;
    size_t m_offset;
    size_t m_at = 0; // bytes of the form so far
};

// The key of a text for the piece of its sort form from byte `offset`: the bytes, zeros past the
// end, then their count, so that a text ending there comes before a longer one.
void setPiece(Key &k, std::string_view text, size_t offset, bool descending)
{
    unsigned char b[PieceBytes] = {};
    SortForm form(b, offset);
    for (size_t i = 0; i < text.size() && !form.full();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            form.put(c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c);
            ++i;
            continue;
        }
        char32_t u = 0;
        const size_t n = Utf8::decode(text, i, u);
        if (n == 0) {
            std::fill(b, b + PieceBytes, 0);
            form = SortForm(b, offset);
            for (const uint q : QString::fromUtf8(text.data(), qsizetype(text.size())).toUcs4())
                form.putFolded(q);
            break;
        }
        form.putFolded(u);
        i += n;
    }
    uint64_t head = 0;
    for (int i = 0; i < 8; ++i)
        head = (head << 8) | b[i];
    k.set(head, (uint32_t(b[8]) << 24) | (uint32_t(b[9]) << 16) | (uint32_t(b[10]) << 8) | form.count(), descending);
}

// Texts keyed on their first piece are sorted on: the keys that tie and go on are keyed again on
// the next piece of their texts, run by run, and sorted again, until none is left.
void sortTexts(const PackedRows &rows, int first, int col, Key *keys, uint32_t count, bool descending)
{
    std::sort(keys, keys + count);
    struct Run {
        uint32_t begin, end;
    };
    // Runs are disjoint and of two keys at least: at most one for every two rows.
    std::vector<Run> runs, next;
    const uint32_t goesOn = descending ? ~GoesOn & 0xFF : GoesOn;
    auto findTies = [keys, goesOn](uint32_t begin, uint32_t end, std::vector<Run> &out) {
        for (uint32_t i = begin; i < end;) {
            uint32_t j = i + 1;
            while (j < end && keys[j].tiesWith(keys[i]))
                ++j;
            if (j - i > 1 && (keys[i].sortsBy() & 0xFF) == goesOn)
                out.push_back({i, j});
            i = j;
        }
    };
    findTies(0, count, runs);
    for (size_t offset = PieceBytes; !runs.empty(); offset += PieceBytes) {
        // The texts of every run in one pass, a batch of rows at a time, so that their loads
        // from the scattered rows overlap.
        uint32_t batch[64];
        int inBatch = 0;
        auto rekey = [&] {
            rows.forEachCellOf(
                inBatch, col, [&](int i) { return first + int(keys[batch[i]].index()); },
                [&](int i, std::string_view t) { setPiece(keys[batch[i]], t, offset, descending); });
            inBatch = 0;
        };
        for (const Run &r : runs) {
            for (uint32_t k = r.begin; k < r.end; ++k) {
                batch[inBatch++] = k;
                if (inBatch == 64)
                    rekey();
            }
        }
        rekey();
        next.clear();
        for (const Run &r : runs) {
            std::sort(keys + r.begin, keys + r.end);
            findTies(r.begin, r.end, next);
        }
        runs.swap(next);
    }
}

// Row first + i takes the row of keys[i], the rows passing through the keys' own room: each key
// is read before its room takes a row.
void applyOrder(PackedRows &rows, int first, std::vector<Key> &keys)
{
    static_assert(sizeof(Key) == PackedRows::RowBytes, "a row's place fits in a key's room");
    rows.reorderThrough(first, uint32_t(keys.size()), reinterpret_cast<unsigned char *>(keys.data()),
                        [&keys](uint32_t i) { return keys[i].index(); });
}

} // namespace

namespace RowSort {

void byColumn(PackedRows &rows, int first, int count, int col, bool numeric, bool descending)
{
    if (count < 2)
        return;
    // Numbers are keyed from the front, texts from the back.
    std::vector<Key> keys(static_cast<size_t>(count));
    uint32_t numbers = 0, texts = uint32_t(count);
    rows.forEachCell(first, count, col, [&](int i, std::string_view t) {
        const std::optional<double> v = NumberRule::read(t);
        Key &k = v || numeric ? keys[numbers++] : keys[--texts];
        k.rest = uint32_t(i);
        if (v || numeric)
            k.set(orderedBits(v.value_or(0)), 0, descending);
        else
            setPiece(k, t, 0, descending);
    });
    std::sort(keys.data(), keys.data() + numbers);
    sortTexts(rows, first, col, keys.data() + numbers, uint32_t(count) - numbers, descending);
    // Ascending: numbers, then texts; descending the other way round.
    if (descending)
        std::rotate(keys.begin(), keys.begin() + numbers, keys.end());
    applyOrder(rows, first, keys);
}

void byNumber(PackedRows &rows, int first, int count, int col, bool descending,
              const std::function<int64_t(std::string_view)> &keyOf)
{
    if (count < 2)
        return;
    std::vector<Key> keys(static_cast<size_t>(count));
    rows.forEachCell(first, count, col, [&](int i, std::string_view t) {
        Key &k = keys[size_t(i)];
        k.rest = uint32_t(i);
        k.set(orderedBits(keyOf(t)), 0, descending);
    });
    std::sort(keys.begin(), keys.end());
    applyOrder(rows, first, keys);
}

}
