#include "platform/NumberRule.h"
#include "platform/Utf8.h"
#include <charconv>
#include <cmath>
#include <iterator>
#include <string>

namespace NumberRule {

namespace {

bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == 0xA0 || c == 0x202F; }
bool isDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Whether the characters b..e are a typed whole number with thousands points: a first group of
// one to three digits not starting with 0, then groups of a point and three digits.
template <class At>
bool thousandsOnly(At at, size_t b, size_t e)
{
    if (b >= e || !isDigit(at(b)) || at(b) == '0')
        return false;
    size_t group = 0;
    bool grouped = false;
    for (size_t i = b; i < e; ++i) {
        if (isDigit(at(i))) {
            ++group;
        } else if (at(i) == '.' && (grouped ? group == 3 : group <= 3)) {
            grouped = true;
            group = 0;
        } else {
            return false;
        }
    }
    return grouped && group == 3;
}

// The digits of a number normalised to "0123.45" for the conversion (the zero covers ",5").
struct Digits {
    char buf[400];
    size_t len = 1;
    size_t count = 0;
    Digits() { buf[0] = '0'; }
    bool put(char c)
    {
        if (len + 1 >= sizeof buf)
            return false;
        buf[len++] = c;
        return true;
    }
    bool digit(char32_t c) { return ++count, put(char(c)); }
};

// Cuts the blanks, a trailing euro sign and a leading sign off b..e.
template <class At>
bool trimNumber(At at, size_t &b, size_t &e, bool &negative)
{
    while (b < e && isBlank(at(b)))
        ++b;
    while (e > b && isBlank(at(e - 1)))
        --e;
    if (e > b && at(e - 1) == 0x20AC) {
        --e;
        while (e > b && isBlank(at(e - 1)))
            --e;
    }
    negative = false;
    if (b < e && (at(b) == '-' || at(b) == '+')) {
        negative = at(b) == '-';
        ++b;
    }
    return b < e;
}

// With a decimal comma: the integer part is plain digits, or 1-3 digits followed by groups of a
// point and three digits.
template <class At>
bool collectWithComma(At at, size_t b, size_t comma, size_t e, Digits &d)
{
    size_t groupDigits = 0;
    bool grouped = false;
    for (size_t i = b; i < comma; ++i) {
        const char32_t c = at(i);
        if (isDigit(c)) {
            ++groupDigits;
            if (!d.digit(c))
                return false;
        } else if (c == '.') {
            if (groupDigits == 0 || (grouped ? groupDigits != 3 : groupDigits > 3))
                return false;
            grouped = true;
            groupDigits = 0;
        } else {
            return false;
        }
    }
    if ((grouped && groupDigits != 3) || !d.put('.'))
        return false;
    for (size_t i = comma + 1; i < e; ++i)
        if (!isDigit(at(i)) || !d.digit(at(i)))
            return false;
    return true;
}

// Without a comma: only a typed text has thousands points; any other point is decimal.
template <class At>
bool collectWithoutComma(At at, size_t b, size_t e, bool typed, Digits &d)
{
    const bool thousands = typed && thousandsOnly(at, b, e);
    bool point = false;
    for (size_t i = b; i < e; ++i) {
        const char32_t c = at(i);
        if (isDigit(c)) {
            if (!d.digit(c))
                return false;
        } else if (c == '.' && thousands) {
            continue;
        } else if (c == '.' && !point) {
            point = true;
            if (!d.put('.'))
                return false;
        } else {
            return false;
        }
    }
    return true;
}

// Shared by the UTF-16 and UTF-8 readers: `at(i)` gives the i-th character (code point or code
// unit; only ASCII, blanks and the euro sign matter here) and `n` their count; `typed` reads
// thousands points without a comma.
template <class At>
std::optional<double> readChars(At at, size_t n, bool typed)
{
    size_t b = 0, e = n;
    bool negative = false;
    if (!trimNumber(at, b, e, negative))
        return std::nullopt;
    size_t comma = e;
    for (size_t i = b; i < e; ++i) {
        if (at(i) == ',') {
            if (comma != e)
                return std::nullopt; // a second comma
            comma = i;
        }
    }
    Digits d;
    const bool read = comma != e ? collectWithComma(at, b, comma, e, d) : collectWithoutComma(at, b, e, typed, d);
    if (!read || d.count == 0)
        return std::nullopt;
    if (d.buf[d.len - 1] == '.')
        --d.len; // "12," and "12." are 12
    double v = 0;
    const auto r = std::from_chars(d.buf, d.buf + d.len, v);
    if (r.ec != std::errc() || r.ptr != d.buf + d.len || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

std::optional<double> readText(QStringView text, bool typed)
{
    return readChars([text](size_t i) { return char32_t(text.at(qsizetype(i)).unicode()); }, size_t(text.size()),
                     typed);
}

}

std::optional<double> read(QStringView text) { return readText(text, false); }

std::optional<double> readTyped(QStringView text) { return readText(text, true); }

std::optional<double> read(std::string_view utf8)
{
    // Plain digits (keys, counts, sort keys), exact as a double up to fifteen of them.
    if (!utf8.empty() && utf8.size() <= 15) {
        long long whole = 0;
        size_t k = 0;
        for (; k < utf8.size() && utf8[k] >= '0' && utf8[k] <= '9'; ++k)
            whole = whole * 10 + (utf8[k] - '0');
        if (k == utf8.size())
            return double(whole);
    }
    const auto byte = [utf8](size_t i) { return char32_t(static_cast<unsigned char>(utf8[i])); };
    size_t i = 0;
    while (i < utf8.size() && byte(i) < 0x80)
        ++i;
    if (i == utf8.size())
        return readChars(byte, utf8.size(), false);
    // Beyond ASCII the text is read as characters, so that it gives what its UTF-16 form gives
    // (a no-break space around the number, a closing euro sign). Longer texts than the buffer
    // can hold have too many characters to be a number unless padded with blanks; they are rare.
    char32_t local[128];
    std::u32string heap;
    char32_t *chars = local;
    if (utf8.size() > std::size(local)) {
        heap.resize(utf8.size());
        chars = heap.data();
    }
    size_t n = 0;
    for (size_t k = 0; k < utf8.size();) {
        char32_t cp = 0;
        const size_t len = Utf8::decode(utf8, k, cp);
        // Malformed bytes (overlong forms too: "\xC0\xB1" is no digit one) are no part of a
        // number: one replacement character each.
        chars[n++] = len ? cp : char32_t(0xFFFD);
        k += len ? len : 1;
    }
    return readChars([chars](size_t k) { return chars[k]; }, n, false);
}

QString toSql(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    if (r.ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString toTyped(double value) { return toSql(value).replace(QLatin1Char('.'), QLatin1Char(',')); }

std::optional<QString> amountSql(QStringView typed)
{
    const std::optional<double> v = readTyped(typed);
    if (!v)
        return std::nullopt;
    return toSql(*v);
}

}
