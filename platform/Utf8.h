#pragma once
// Reading UTF-8 a character at a time, where a text kept as bytes is read without a QString.
#include <cstddef>
#include <string_view>

namespace Utf8 {

// The character of valid UTF-8 at text[i] and its length in bytes; 0 for anything else (a stray
// byte, an overlong form, a surrogate, past U+10FFFF, cut short).
inline size_t decode(std::string_view text, size_t i, char32_t &c)
{
    const unsigned char b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
        c = b;
        return 1;
    }
    const size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 ? 2 : 0;
    if (n == 0 || b > 0xF4 || i + n > text.size())
        return 0;
    c = b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k) {
        const unsigned char x = static_cast<unsigned char>(text[i + k]);
        if ((x & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (x & 0x3F);
    }
    const char32_t least = n == 3 ? 0x800 : n == 4 ? 0x10000 : 0x80;
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return n;
}

}
